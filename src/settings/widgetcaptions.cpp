#include "settings/widgetcaptions.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <functional>

namespace corvane {
namespace {

// The tab widget that shows page as one of its tabs, with the page's index.
QTabWidget* TabOf(const QObject* page, int* index) {
    auto* widget = qobject_cast<const QWidget*>(page);
    if (!widget)
        return nullptr;
    auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    if (!tabs)
        return nullptr;
    *index = tabs->indexOf(const_cast<QWidget*>(widget));
    return *index >= 0 ? tabs : nullptr;
}

bool OwnWindow(const QObject* child) {
    auto* widget = qobject_cast<const QWidget*>(child);
    if (widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget))
        return true;
    return child->findChild<TDualLang*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
}

// Visits the window's objects breadth first, without entering other windows;
// stops when visit returns true.
void Walk(QObject* window, const std::function<bool(QObject*)>& visit) {
    QObjectList queue = window->children();
    for (qsizetype i = 0; i < queue.size(); ++i) {
        QObject* o = queue[i];
        if (OwnWindow(o))
            continue;
        if (visit(o))
            return;
        queue.append(o->children());
    }
}

QString WithoutAccelerators(QString text) {
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

// A widget whose accessible name was the text it had before follows the text.
void FollowAccessibleName(QObject* control, const QString& before, const QString& after) {
    auto* widget = qobject_cast<QWidget*>(control);
    if (!widget || before.isEmpty() || after.isEmpty())
        return;
    if (widget->accessibleName() == WithoutAccelerators(before))
        widget->setAccessibleName(WithoutAccelerators(after));
}

// A button bound to an action takes the action's hint whenever the action
// changes. A hint given to the button itself stays its own, as the button's
// row of the table says, even when its action later gets another one.
void PinHint(QToolButton* button, const QString& text) {
    static const char* const pinned = "corvanePinnedHint";
    const bool connected = button->property(pinned).isValid();
    button->setProperty(pinned, text);
    if (connected)
        return;
    QObject::connect(button->defaultAction(), &QAction::changed, button, [button] {
        const QString hint = button->property(pinned).toString();
        if (button->toolTip() != hint)
            button->setToolTip(hint);
    });
}

} // namespace

QObject* WidgetCaptions::Find(const QString& name) const {
    QObject* found = nullptr;
    Walk(window_, [&](QObject* o) {
        if (o->objectName() != name)
            return false;
        found = o;
        return true;
    });
    return found;
}

int WidgetCaptions::CountOf(const QString& name) const {
    int n = 0;
    Walk(window_, [&](QObject* o) {
        n += o->objectName() == name;
        return false;
    });
    return n;
}

bool WidgetCaptions::HasCaption(const QObject* control) {
    int index = 0;
    return qobject_cast<const QAction*>(control) || qobject_cast<const QMenu*>(control) ||
           qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QLabel*>(control) ||
           qobject_cast<const QGroupBox*>(control) || TabOf(control, &index);
}

QString WidgetCaptions::CaptionOf(const QObject* control) {
    int index = 0;
    if (auto* a = qobject_cast<const QAction*>(control))
        return a->text();
    if (auto* m = qobject_cast<const QMenu*>(control))
        return m->title();
    if (auto* b = qobject_cast<const QAbstractButton*>(control))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(control))
        return l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(control))
        return g->title();
    if (QTabWidget* tabs = TabOf(control, &index))
        return tabs->tabText(index);
    return {};
}

QString WidgetCaptions::HintOf(const QObject* control) {
    if (auto* a = qobject_cast<const QAction*>(control))
        return a->toolTip();
    if (auto* w = qobject_cast<const QWidget*>(control))
        return w->toolTip();
    return {};
}

bool WidgetCaptions::SetCaption(const QString& name, const QString& text) {
    QObject* control = Find(name);
    if (!control)
        return false;
    const QString before = CaptionOf(control);
    int index = 0;
    if (auto* a = qobject_cast<QAction*>(control); a && text == QLatin1String("-")) {
        a->setSeparator(true);
        a->setText(QString());
    } else if (a) {
        a->setText(text);
    } else if (auto* m = qobject_cast<QMenu*>(control))
        m->setTitle(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(control))
        b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(control))
        l->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(control))
        g->setTitle(text);
    else if (QTabWidget* tabs = TabOf(control, &index))
        tabs->setTabText(index, text);
    else
        return true; // no caption
    FollowAccessibleName(control, before, text);
    return true;
}

bool WidgetCaptions::SetHint(const QString& name, const QString& text) {
    QObject* control = Find(name);
    if (!control)
        return false;
    if (auto* a = qobject_cast<QAction*>(control)) {
        a->setToolTip(text);
    } else if (auto* w = qobject_cast<QWidget*>(control)) {
        // A control that shows no text of its own is named by its hint.
        if (w->accessibleName().isEmpty() && CaptionOf(w).isEmpty() && !text.isEmpty())
            w->setAccessibleName(text);
        FollowAccessibleName(w, w->toolTip(), text);
        w->setToolTip(text);
        auto* button = qobject_cast<QToolButton*>(w);
        if (button && button->defaultAction())
            PinHint(button, text);
    }
    return true;
}

void ApplySpokenTexts(QObject* window, const std::vector<SpokenRow>& rows, Language language) {
    const WidgetCaptions captions(window);
    for (const SpokenRow& row : rows) {
        auto* widget = qobject_cast<QWidget*>(captions.Find(row.control));
        const QStringList& texts = row.In(language);
        if (!widget || texts.isEmpty())
            continue;
        auto* box = qobject_cast<QComboBox*>(widget);
        switch (row.kind) {
        case SpokenRow::Kind::Name:
            widget->setAccessibleName(texts[0]);
            if (box && box->lineEdit())
                box->lineEdit()->setAccessibleName(texts[0]);
            break;
        case SpokenRow::Kind::Description:
            widget->setAccessibleDescription(texts[0]);
            break;
        case SpokenRow::Kind::Hint:
            widget->setToolTip(texts[0]);
            break;
        case SpokenRow::Kind::ItemNames:
            for (int i = 0; box && i < box->count() && i < texts.size(); ++i) {
                box->setItemData(i, texts[i], Qt::AccessibleTextRole);
                box->setItemData(i, texts[i], Qt::ToolTipRole);
            }
            break;
        }
    }
}

TDualLang* AttachDualLang(QObject* window, const CaptionTable& table) {
    return new TDualLang(window, table, std::make_unique<WidgetCaptions>(window));
}

} // namespace corvane
