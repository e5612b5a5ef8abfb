#pragma once
// "Always on Top" for every window that offers it: the main window (its
// Options page), the chat room (its menu). Qt recreates a window whose flags
// change, and the recreated window is hidden and may be placed anew; this
// keeps its place and whether it was shown.
class QWidget;

namespace corvane {

// Does nothing when the window already is (or is not) on top.
void SetAlwaysOnTop(QWidget* window, bool onTop);

} // namespace corvane
