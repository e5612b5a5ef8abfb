#pragma once
// settings.ini over one run of the program. Every restore and every save
// reads the file afresh, within MaxSettingsFileBytes; a save renders the
// whole file and hands it to the file writer, so it is replaced whole or not
// at all, and a failure is told with the file's name and the system's reason.
//
// A file that cannot be taken (damaged, not text, too large, a folder in its
// place) is never overwritten: the run goes on with the default settings,
// the person is told once, and no save of this run touches the file or
// reports an error about it.
#include "settings/inidocument.h"
#include "settings/settingskey.h"

#include <optional>

namespace corvane {

class FileWriter;
class HostContext;
class LanguageState;

// The file's document, or why it cannot be taken. A missing file is an
// empty document.
struct SettingsReading {
    std::optional<IniDocument> document;
    IniDamage damage;
};
SettingsReading ReadSettingsFile(const QString& path);
// A truth value as settings.ini holds it now; none when it is missing, not a
// truth value, or the file cannot be taken (nobody is told here).
std::optional<bool> StoredTruth(const HostContext& context, const QString& section,
                                const QString& name);

class SettingsFile {
public:
    // The language of what the person is told (English without one); it must
    // outlive this object.
    explicit SettingsFile(HostContext& context, const LanguageState* language = nullptr);

    QString Path() const;
    // The store as the file holds it now; empty when the file cannot be taken.
    SettingsKey Read();
    // The store to change and save, or nothing when this run leaves the file
    // alone.
    std::optional<SettingsKey> ReadForChange();
    // Writes the store whole into the writer's staging; throws
    // SettingsWriteError when it cannot.
    void Stage(const SettingsKey& key, FileWriter& writer) const;

    // The file could not be taken in this run, and why.
    bool Kept() const { return kept_; }
    const IniDamage& Damage() const { return damage_; }

private:
    std::optional<IniDocument> Take();

    HostContext& context_;
    const LanguageState* language_;
    bool kept_ = false;
    IniDamage damage_;
};

} // namespace corvane
