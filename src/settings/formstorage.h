#pragma once
// A window's settings store: its placement and a fixed, ordered list of
// control properties, read when the window is about to be shown and written
// when it closes. Each property entry "Control.Property" is kept as the value
// "Control_Property" in the window's section:
//
//   truth value      "True" / "False", read without letter case
//   choice           the choice's name ("llEnglish"), read the same way
//   number           decimal; a text that is not a number reads as 0
//   text             trimmed of blanks and control characters both ways
//   lines            section "<window>.<value name>" with "Count" and
//                    "Item0".."ItemN" (untrimmed); removed before each save
//                    and written only with at least one line; "Count" 0
//                    leaves the list as it is
//   reference        a fixed text; reading it changes nothing
//
// A missing value leaves its property as designed, so the windows' design
// values are the defaults.
#include "settings/windowplacement.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace corvane {

class FileWriter;
class HostContext;
class SettingsFile;
class SettingsKey;

class StoredProperty {
public:
    enum class Type { Truth, Choice, Number, Text, Lines, Reference };

    static StoredProperty Truth(const QString& entry, std::function<bool()> get,
                                std::function<void(bool)> set);
    static StoredProperty Choice(const QString& entry, const QStringList& names,
                                 std::function<QString()> get,
                                 std::function<void(const QString&)> set);
    static StoredProperty Number(const QString& entry, std::function<int()> get,
                                 std::function<void(int)> set);
    static StoredProperty Text(const QString& entry, std::function<QString()> get,
                               std::function<void(const QString&)> set);
    static StoredProperty Lines(const QString& entry, std::function<QStringList()> get,
                                std::function<void(const QStringList&)> set);
    static StoredProperty Reference(const QString& entry, const QString& text);

    const QString& Entry() const { return entry_; }
    Type PropertyType() const { return type_; }
    // "CheckBox1.Checked" is kept as "CheckBox1_Checked".
    QString ValueName() const;
    // False while the control of the entry does not exist; the entry is then
    // neither read nor written.
    std::function<bool()> available;

    void Read(const SettingsKey& key, const QString& section) const;
    void Write(SettingsKey& key, const QString& section) const;

private:
    StoredProperty(QString entry, Type type) : entry_(std::move(entry)), type_(type) {}

    QString entry_;
    Type type_;
    std::function<QString()> text_;           // the value's text (not for lines)
    std::function<void(const QString&)> set_; // from a value's text
    std::function<QStringList()> lines_;
    std::function<void(const QStringList&)> setLines_;
};

// The window a store belongs to, as the store sees it.
class StoredWindow {
public:
    virtual ~StoredWindow() = default;
    virtual WindowPlacement CurrentPlacement() const = 0;
    // Flags, positions and normal rectangle; the visibility stays.
    virtual void ApplyPlacement(const WindowPlacement& placement) = 0;
    virtual void ApplyShowState(ShowState state) = 0;
    virtual int ScreenPixelsPerInch() const = 0;
    // A window whose border cannot be resized keeps its size.
    virtual bool ResizableBorder() const { return true; }
};

class FormStorage {
public:
    static constexpr int Version = 0;

    // The settings file must outlive the store.
    FormStorage(HostContext& context, SettingsFile& file, QString section, StoredWindow& window);

    const QString& Section() const { return section_; }
    std::vector<StoredProperty> StoredProps;
    // The window's restore and save handlers (may be empty). The save
    // handler stages its own files in the writer it is given; they replace
    // their old files right after settings.ini does, once all are written.
    std::function<void()> OnRestorePlacement;
    std::function<void(FileWriter&)> OnSavePlacement;

    // Placement and properties, then the restore handler. An error of one
    // property is skipped; any other error is shown in the general error box
    // and ends the reading. A file that cannot be taken restores nothing (the
    // settings file tells the person once). The handler runs in every case:
    // it finishes the window's start (the main window opens its presence
    // endpoint there).
    void RestoreWindowSettings();
    // The same in two halves, for a window that shows itself in between.
    void RestoreStoredValues();
    void RunRestoreHandler();

    // Only after a restore in this run. destroying is kept as "Visible".
    // settings.ini and the handler's files are all written before any of
    // them replaces its old file; a failure of either is shown, and the other
    // is still saved.
    void SaveWindowSettings(bool destroying);
    // Saves at destruction when nothing was saved since the last restore.
    void SaveIfUnsaved() {
        if (restored_ && !saved_)
            SaveWindowSettings(true);
    }

    bool Restored() const { return restored_; }
    bool Saved() const { return saved_; }

private:
    void RestorePlacement(const SettingsKey& key);
    void WritePlacement(SettingsKey& key, bool destroying);
    void StageValues(FileWriter& writer, bool destroying);

    HostContext& context_;
    SettingsFile& file_;
    QString section_;
    StoredWindow& window_;
    bool restored_ = false;
    bool saved_ = false;
};

} // namespace corvane
