#include "lineformat.h"

#include <QJsonDocument>
#include <cstdio>

namespace corvane::cli {

QString EscapeColumn(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

QByteArray TsvLine(const QStringList& columns) {
    QStringList escaped;
    escaped.reserve(columns.size());
    for (const QString& c : columns)
        escaped.append(EscapeColumn(c));
    return escaped.join(QLatin1Char('\t')).toUtf8();
}

QByteArray JsonLine(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void PrintLine(const QByteArray& line) {
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace corvane::cli
