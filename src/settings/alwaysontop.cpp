#include "settings/alwaysontop.h"

#include <QWidget>
#include <QWindow>

namespace corvane {

void SetAlwaysOnTop(QWidget* window, bool onTop) {
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (QWindow* native = window->windowHandle()) {
        // QWidget::setWindowFlags would recreate the window: hidden, and
        // placed again by Qt's idea of its frame, which the window manager
        // may not share (the window then moves by the title bar's height).
        // The window system is told the new flag on the window as it is.
        window->overrideWindowFlags(flags);
        native->setFlags(flags);
        return;
    }
    window->setWindowFlags(flags); // nothing on the screen yet
}

} // namespace corvane
