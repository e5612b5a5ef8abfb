#pragma once
// The header line of a stored message:
//
//   header = entry 6 alias entry 7 recipient " (" date [" " time] ")"
//
// ("Message from Anna to Bob (07.12.2026 9:05:01)"). The date is in the
// locale's short format, the time in its long format; at exactly midnight the
// time is left out. Entries come from the current language at that moment;
// a recipient "*" (everybody) reads as entry 1 ("ALL"). Without a locale given,
// the date and time are written the way the current language writes them.
#include "settings/stringtable.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace corvane {

QString MessageDateTime(const QDateTime& when, const QLocale& locale = QLocale::system());
QString RecipientText(const LanguageState& language, const QString& recipient);
QString MessageHeader(const LanguageState& language, const QString& alias, const QString& recipient,
                      const QDateTime& when, const QLocale& locale);
QString MessageHeader(const LanguageState& language, const QString& alias, const QString& recipient,
                      const QDateTime& when);

} // namespace corvane
