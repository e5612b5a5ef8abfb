#pragma once
// The per-user settings store: one INI file, $XDG_CONFIG_HOME/<executable
// base name>/settings.ini, that stands for the registry key
// HKEY_CURRENT_USER\Software\<executable base name> and keeps its layout:
//
//   [TMainForm]                      one section per window class
//   FormVersion=0                    every value is text
//   NormPos="10,20,380,488"
//   CheckBox1_Checked=True
//   AliasEdit_Text=Anna
//   [TMainForm.RichEdit1_Lines]      a list of lines has a section of its own
//   Count=2
//   Item0=first line
//   Item1=second line
//
// (inidocument.h has the whole text format.) Value names are found without
// regard to letter case, as in the registry. SettingsFile (settingsfile.h)
// reads the file afresh for every restore and every save, and writes it whole.
#include "common/errors.h"
#include "settings/inidocument.h"

#include <QString>
#include <optional>

namespace corvane {

class HostContext;

// settings.ini in the context's configuration folder; none (empty) for a
// context without one, which then keeps no settings.
QString SettingsFilePath(const HostContext& context);

// The settings file cannot be written.
class SettingsWriteError : public AppError {
public:
    using AppError::AppError;
};

// One opening of the store: what the file held, and the changes to it.
class SettingsKey {
public:
    SettingsKey() = default; // an empty store
    explicit SettingsKey(IniDocument document) : document_(std::move(document)) {}

    std::optional<QString> Value(const QString& section, const QString& name) const {
        return document_.Value(section, name);
    }
    // Keeps one value per name, spelt as the program spells it.
    void SetValue(const QString& section, const QString& name, const QString& text) {
        document_.SetValue(section, name, text);
    }
    // Removes a section with all its values.
    void RemoveSection(const QString& section) { document_.RemoveSection(section); }
    const IniDocument& Document() const { return document_; }

private:
    IniDocument document_;
};

// The text forms of stored values.
QString TruthText(bool value); // "True" / "False"
// Without regard to letter case; anything else is no truth value.
std::optional<bool> ParseTruth(const QString& text);
// A decimal whole number with an optional sign, blanks around it allowed;
// anything else gives 0.
int ParseNumber(const QString& text);
// Without leading and trailing blanks and control characters.
QString TrimmedText(const QString& text);

} // namespace corvane
