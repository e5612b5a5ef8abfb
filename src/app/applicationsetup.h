#pragma once

namespace corvane {

// What every window of the program shares, set once the application object
// exists: the program's icon on every window and message box, and a life in
// the tray after the last window closes. No display name is set, so a window
// is titled by its own title alone ("Incoming Message", not "Incoming
// Message — Corvane 3.0"). Every window, whatever it is built on, is a
// window to a screen reader, named by its title.
void SetUpApplication();

} // namespace corvane
