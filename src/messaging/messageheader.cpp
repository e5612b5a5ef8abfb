#include "messaging/messageheader.h"

namespace corvane {

QString MessageDateTime(const QDateTime& when, const QLocale& locale) {
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + locale.toString(when.time(), QLocale::LongFormat);
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

} // namespace corvane
