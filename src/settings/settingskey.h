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
// Value names are found without regard to letter case, as in the registry.
// The file is opened afresh for every restore and every save; it is written
// through a temporary file and a rename, so it is never left torn.
#include "common/errors.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;

namespace corvane {

class HostContext;

// settings.ini in the context's configuration folder.
QString SettingsFilePath(const HostContext& context);

// The settings file cannot be written.
class SettingsWriteError : public AppError {
public:
    using AppError::AppError;
};

// One opening of the store.
class SettingsKey {
public:
    explicit SettingsKey(const QString& path);
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // Why the file could not be read, or empty. An unreadable file reads as
    // an empty store.
    QString ReadError() const { return readError_; }

    std::optional<QString> Value(const QString& section, const QString& name) const;
    void SetValue(const QString& section, const QString& name, const QString& text);
    // Removes a section with all its values.
    void RemoveSection(const QString& section);
    // Writes what was set to the file; throws SettingsWriteError when it
    // cannot. Nothing is written when nothing was set.
    void Flush();

private:
    QString ExistingName(const QString& section, const QString& name) const;

    QString path_;
    std::unique_ptr<QSettings> settings_;
    QString readError_;
    bool changed_ = false;
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
