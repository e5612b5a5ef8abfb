#pragma once
// What the person is told about the settings file, in each language.
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
} // namespace SettingsTexts

} // namespace corvane
