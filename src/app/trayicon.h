#pragma once
// The main window's tray icon, and what the program says about it at start.
//
// A click on the icon restores the window, a single click as well as a
// double click (many trays never send double clicks); other buttons do
// nothing, and the icon has no menu.
//
// At start the program says where it went: a line on standard error every
// time (run.sh shows it on the terminal), and at the first start (no settings
// stored yet) a notification from the icon, a moment after the tray has
// taken it.
#include "settings/stringtable.h"

#include <QString>
#include <cstdio>
#include <functional>

class QObject;
class QSystemTrayIcon;

namespace corvane {

QSystemTrayIcon* MakeTrayIcon(QObject* parent, const QString& tip,
                              const std::function<void()>& restore);

void TellWhereTheProgramWent(QSystemTrayIcon* icon, bool firstStart, Language language,
                             std::FILE* err);

} // namespace corvane
