#pragma once
// The settings store of one window (its FormStorage1): the placement through
// Qt's geometry and window state, and each stored property through the
// control that carries the entry's control name as its objectName. A control
// that does not exist (yet) is skipped both ways.
#include "settings/formstorage.h"

#include <QObject>
#include <QSize>
#include <functional>
#include <vector>

class QWidget;

namespace corvane {

class WidgetFormStorage : public QObject, public StoredWindow {
    Q_OBJECT
public:
    struct Entry {
        const char* entry; // "CheckBox1.Checked"
        StoredProperty::Type type;
    };

    WidgetFormStorage(QWidget* window, HostContext& context, SettingsFile& file,
                      const QString& section, QObject* parent = nullptr);

    FormStorage& Store() { return store_; }
    // The store of a window, named "FormStorage1" and kept in the window's
    // class section (its objectName); made at the first call, when setup runs.
    static WidgetFormStorage& Of(QWidget* window, HostContext& context, SettingsFile& file,
                                 const std::function<void(WidgetFormStorage&)>& setup = {});
    // Adds entries bound to the controls of the window by their names.
    void AddEntries(const std::vector<Entry>& entries);
    // The main window's entries, in their order.
    static std::vector<Entry> MainFormEntries();
    // Binds an entry to something other than a control property; replaces
    // the entry of that name when there is one, else adds it.
    void Bind(StoredProperty property);

    // A hidden window counts as minimized: a window that lives in the tray.
    bool hiddenIsMinimized = false;
    // Takes the stored show state instead of the window's state (the main
    // window goes to the tray instead of minimizing).
    std::function<void(ShowState)> showStateHandler;

    // The user cannot make the window smaller; a zero leaves that dimension free.
    static void SetMinimumTrackSize(QWidget* window, QSize size);

    // StoredWindow
    WindowPlacement CurrentPlacement() const override;
    void ApplyPlacement(const WindowPlacement& placement) override;
    void ApplyShowState(ShowState state) override;
    int ScreenPixelsPerInch() const override;
    bool ResizableBorder() const override;

private:
    StoredProperty BoundProperty(const QString& entry, StoredProperty::Type type) const;

    QWidget* window_;
    FormStorage store_;
};

} // namespace corvane
