#include "messaging/messageheader.h"

namespace corvane {

namespace {
// The locale's long time format without the time zone, which a desktop's
// clock does not show either ("9:05:01", not "9:05:01 UTC").
QString LongTimeFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            out.append(c);
    }
    return out.trimmed();
}
} // namespace

QString MessageDateTime(const QDateTime& when, const QLocale& locale) {
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + locale.toString(when.time(), LongTimeFormat(locale));
}

QString RecipientText(const LanguageState& language, const QString& recipient) {
    return recipient == QLatin1String("*") ? language.Text(Strings::All) : recipient;
}

QString MessageHeader(const LanguageState& language, const QString& alias, const QString& recipient,
                      const QDateTime& when, const QLocale& locale) {
    return language.Text(Strings::MessageFrom) + alias + language.Text(Strings::To) +
           RecipientText(language, recipient) + QStringLiteral(" (") +
           MessageDateTime(when, locale) + QLatin1Char(')');
}

QString MessageHeader(const LanguageState& language, const QString& alias, const QString& recipient,
                      const QDateTime& when) {
    return MessageHeader(language, alias, recipient, when, language.DateLocale());
}

} // namespace corvane
