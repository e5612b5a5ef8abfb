#include "settings/settingskey.h"

#include "common/hostcontext.h"

#include <limits>

namespace corvane {

QString SettingsFilePath(const HostContext& context) {
    if (context.configDir.isEmpty())
        return QString(); // not the file system's root
    return context.configDir + QStringLiteral("/settings.ini");
}

QString TruthText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> ParseTruth(const QString& text) {
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

int ParseNumber(const QString& text) {
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok, 10);
    if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return 0;
    return int(n);
}

QString TrimmedText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) <= QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) <= QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace corvane
