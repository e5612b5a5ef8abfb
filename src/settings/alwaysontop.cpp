#include "settings/alwaysontop.h"

#include <QWidget>

namespace corvane {

void SetAlwaysOnTop(QWidget* window, bool onTop) {
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool shown = window->isVisible();
    const QPoint position = window->pos();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // A hidden window keeps what it had; one never shown is placed by the
    // desktop when it first appears.
    if (shown) {
        window->move(position);
        window->show();
    }
}

} // namespace corvane
