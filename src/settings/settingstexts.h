#pragma once
// What the person is told about the settings file and the values in it, in
// each language.
#include "common/othernetworklist.h"
#include "settings/inidocument.h"
#include "settings/stringtable.h"

#include <QString>

namespace corvane {

namespace SettingsTexts {
// The file cannot be taken; the run goes on with the defaults.
QString Unreadable(Language language, const QString& path, const IniDamage& damage);
// A save that failed, with the system's reason.
QString CannotWrite(Language language, const QString& path, const QString& reason);
// A save that would make a file too large to be read at the next start.
QString TooLargeToSave(Language language, const QString& path, qint64 size);
// Why a list of other networks was refused, naming the entry; stored when it
// was read from the file (nothing is asked then) rather than typed.
QString OtherNetworksRefused(Language language, const OtherNetworkError& error, bool stored);
} // namespace SettingsTexts

} // namespace corvane
