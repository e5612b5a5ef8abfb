#pragma once
// "Always on Top" for every window that offers it: the main window (its
// Options page), the chat room (its menu). The window stays where it is and
// as it is, shown or hidden.
class QWidget;

namespace corvane {

// Does nothing when the window already is (or is not) on top.
void SetAlwaysOnTop(QWidget* window, bool onTop);

} // namespace corvane
