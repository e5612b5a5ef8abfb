#include "editor/messagebody.h"

#include "common/ansicodec.h"
#include "editor/rtfreader.h"
#include "editor/rtfwriter.h"

#include <QTextDocument>

namespace corvane {

bool LooksLikeRtf(QByteArrayView body) {
    qsizetype i = 0;
    while (i < body.size() &&
           (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n'))
        ++i;
    return body.sliced(i).startsWith("{\\rtf");
}

void LoadMessageBody(QTextDocument* doc, const QByteArray& body, const std::atomic<bool>* stop) {
    if (LooksLikeRtf(body)) {
        RtfReader::Limits limits;
        limits.stop = stop;
        RtfReader reader(limits);
        if (reader.Read(body, doc))
            return;
    }
    QString text = FromAnsi(body);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    doc->setPlainText(text);
}

QByteArray RichTextToString(const QTextDocument& doc) {
    return RtfWriter().Write(doc);
}

} // namespace corvane
