#include "settings/widgetformstorage.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QWidget>
#include <cmath>

namespace corvane {
namespace {

// The value of a property of a control that the store knows by its type; a
// control of another kind answers through the Qt property of that name.
struct ControlAccess {
    std::function<QVariant()> get;
    std::function<void(const QVariant&)> set;
};

QStringList TextLines(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

ControlAccess AccessFor(QObject* control, const QString& property) {
    if (property == QLatin1String("Checked") || property == QLatin1String("Down")) {
        // A check box that changes runs its handler; a toolbar button that is
        // down only changes its look.
        const bool quiet = property == QLatin1String("Down");
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return {[button] { return QVariant(button->isChecked()); },
                    [button, quiet](const QVariant& v) {
                        const QSignalBlocker blocker(quiet ? button : nullptr);
                        button->setChecked(v.toBool());
                        if (quiet)
                            button->update();
                    }};
        if (auto* action = qobject_cast<QAction*>(control))
            return {[action] { return QVariant(action->isChecked()); },
                    [action](const QVariant& v) { action->setChecked(v.toBool()); }};
    }
    if (property == QLatin1String("Text")) {
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            return {[edit] { return QVariant(edit->text()); },
                    [edit](const QVariant& v) { edit->setText(v.toString()); }};
        if (auto* box = qobject_cast<QComboBox*>(control))
            return {[box] { return QVariant(box->currentText()); },
                    [box](const QVariant& v) {
                        const QSignalBlocker blocker(box); // the size box only shows it
                        box->setCurrentText(v.toString());
                        if (box->isEditable())
                            box->setEditText(v.toString());
                    }};
    }
    if (property == QLatin1String("Lines")) {
        if (auto* edit = qobject_cast<QTextEdit*>(control))
            return {[edit] { return QVariant(TextLines(edit->toPlainText())); },
                    [edit](const QVariant& v) {
                        edit->setPlainText(v.toStringList().join(QLatin1Char('\n')));
                    }};
        if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
            return {[edit] { return QVariant(TextLines(edit->toPlainText())); },
                    [edit](const QVariant& v) {
                        edit->setPlainText(v.toStringList().join(QLatin1Char('\n')));
                    }};
    }
    const QByteArray name = property.toLatin1();
    if (!control->property(name.constData()).isValid())
        return {};
    QPointer<QObject> guarded(control);
    return {[guarded, name] { return guarded ? guarded->property(name.constData()) : QVariant(); },
            [guarded, name](const QVariant& v) {
                if (guarded)
                    guarded->setProperty(name.constData(), v);
            }};
}

} // namespace

WidgetFormStorage::WidgetFormStorage(QWidget* window, HostContext& context, SettingsFile& file,
                                     const QString& section, QObject* parent)
    : QObject(parent), window_(window), store_(context, file, section, *this) {}

WidgetFormStorage& WidgetFormStorage::Of(QWidget* window, HostContext& context, SettingsFile& file,
                                         const std::function<void(WidgetFormStorage&)>& setup) {
    const QString name = QStringLiteral("FormStorage1");
    if (auto* existing = window->findChild<WidgetFormStorage*>(name, Qt::FindDirectChildrenOnly))
        return *existing;
    auto* storage = new WidgetFormStorage(window, context, file, window->objectName(), window);
    storage->setObjectName(name);
    if (setup)
        setup(*storage);
    return *storage;
}

StoredProperty WidgetFormStorage::BoundProperty(const QString& entry,
                                                StoredProperty::Type type) const {
    const QString control = entry.section(QLatin1Char('.'), 0, 0);
    const QString property = entry.section(QLatin1Char('.'), 1);
    QWidget* window = window_;
    // The control is looked up at each use, so controls built after the store
    // are found, and a control that is gone is skipped.
    auto access = [window, control, property]() -> ControlAccess {
        QObject* found = window->findChild<QObject*>(control);
        return found ? AccessFor(found, property) : ControlAccess{};
    };
    auto get = [access] {
        const ControlAccess a = access();
        return a.get ? a.get() : QVariant();
    };
    auto set = [access](const QVariant& v) {
        if (const ControlAccess a = access(); a.set)
            a.set(v);
    };
    StoredProperty p = [&] {
        switch (type) {
        case StoredProperty::Type::Truth:
            return StoredProperty::Truth(
                entry, [get] { return get().toBool(); }, [set](bool v) { set(v); });
        case StoredProperty::Type::Number:
            return StoredProperty::Number(
                entry, [get] { return get().toInt(); }, [set](int v) { set(v); });
        case StoredProperty::Type::Lines:
            return StoredProperty::Lines(
                entry, [get] { return get().toStringList(); },
                [set](const QStringList& v) { set(v); });
        case StoredProperty::Type::Reference:
            return StoredProperty::Reference(entry, control + QLatin1Char('.'));
        case StoredProperty::Type::Choice:
        case StoredProperty::Type::Text:
            break;
        }
        return StoredProperty::Text(
            entry, [get] { return get().toString(); }, [set](const QString& v) { set(v); });
    }();
    if (type != StoredProperty::Type::Reference)
        p.available = [access] { return bool(access().get); };
    return p;
}

std::vector<WidgetFormStorage::Entry> WidgetFormStorage::MainFormEntries() {
    using Type = StoredProperty::Type;
    return {{"MainMenu1.Items", Type::Reference}, {"IsPopupMenu.Checked", Type::Truth},
            {"CheckBox1.Checked", Type::Truth},   {"CheckBox3.Checked", Type::Truth},
            {"CheckBox4.Checked", Type::Truth},   {"CheckBox5.Checked", Type::Truth},
            {"CheckBox8.Checked", Type::Truth},   {"ColorComboBox1.ColorValue", Type::Number},
            {"ComboBox1.Text", Type::Text},       {"FontComboBox1.FontName", Type::Text},
            {"DualLang1.Language", Type::Choice}, {"BoldBtn.Down", Type::Truth},
            {"ItalBtn.Down", Type::Truth},        {"UnderLineBtn.Down", Type::Truth},
            {"LeftAlign.Down", Type::Truth},      {"CenterAlign.Down", Type::Truth},
            {"RightAlign.Down", Type::Truth},     {"Toggle1.State", Type::Truth},
            {"AliasEdit.Text", Type::Text},       {"CheckBox6.Checked", Type::Truth},
            {"RichEdit1.Lines", Type::Lines}};
}

void WidgetFormStorage::AddEntries(const std::vector<Entry>& entries) {
    for (const Entry& e : entries)
        store_.StoredProps.push_back(BoundProperty(QLatin1String(e.entry), e.type));
}

void WidgetFormStorage::Bind(StoredProperty property) {
    for (StoredProperty& p : store_.StoredProps)
        if (p.Entry() == property.Entry()) {
            p = std::move(property);
            return;
        }
    store_.StoredProps.push_back(std::move(property));
}

void WidgetFormStorage::SetMinimumTrackSize(QWidget* window, QSize size) {
    if (size.width() > 0)
        window->setMinimumWidth(size.width());
    if (size.height() > 0)
        window->setMinimumHeight(size.height());
}

WindowPlacement WidgetFormStorage::CurrentPlacement() const {
    WindowPlacement p;
    const bool minimized = window_->isMinimized() || (hiddenIsMinimized && !window_->isVisible());
    const bool maximized = window_->isMaximized();
    p.show = minimized   ? ShowState::Minimized
             : maximized ? ShowState::Maximized
                         : ShowState::Normal;
    p.flags = minimized && maximized ? WindowPlacement::RestoreToMaximized : 0;
    // pos() is the frame's corner, size() the inside: the pair that move()
    // and resize() take back.
    p.normalRect = QRect(window_->pos(), window_->size());
    if ((minimized || maximized) && window_->normalGeometry().isValid()) {
        const QPoint frameOffset = window_->pos() - window_->geometry().topLeft();
        p.normalRect = window_->normalGeometry().translated(frameOffset);
    }
    return p;
}

void WidgetFormStorage::ApplyPlacement(const WindowPlacement& placement) {
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens.append(primary->availableGeometry());
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            screens.append(screen->availableGeometry());
    const QRect rect = FitOntoScreens(placement.normalRect, screens);
    window_->resize(rect.size());
    window_->move(rect.topLeft());
}

void WidgetFormStorage::ApplyShowState(ShowState state) {
    if (showStateHandler)
        return showStateHandler(state);
    Qt::WindowStates states = window_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == ShowState::Minimized)
        states |= Qt::WindowMinimized;
    else if (state == ShowState::Maximized)
        states |= Qt::WindowMaximized;
    window_->setWindowState(states);
}

int WidgetFormStorage::ScreenPixelsPerInch() const {
    QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->logicalDotsPerInch())) : 96;
}

bool WidgetFormStorage::ResizableBorder() const {
    return window_->minimumSize() != window_->maximumSize();
}

} // namespace corvane
