#include "messaging/newestpopupkey.h"

#include "messaging/popupform.h"

#include <QApplication>
#include <QKeyEvent>

namespace corvane {

NewestPopupKey::NewestPopupKey(std::function<bool()> reach, QObject* parent)
    : QObject(parent), reach_(std::move(reach)) {
    qApp->installEventFilter(this);
}

NewestPopupKey::~NewestPopupKey() {
    qApp->removeEventFilter(this);
}

bool NewestPopupKey::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !watched->isWidgetType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != TPopupForm::ReachKey || key->modifiers() != Qt::NoModifier)
        return false;
    if (type == QEvent::ShortcutOverride) {
        event->accept(); // the key comes as a press, handled below
        return true;
    }
    return key->isAutoRepeat() || reach_();
}

} // namespace corvane
