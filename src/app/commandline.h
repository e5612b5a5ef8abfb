#pragma once
// The command line: --help (-h) and --version are answered on standard output
// before anything needs a display; --tray starts straight into the tray with
// the settings restored and the computer on the network; anything else is
// refused with the usage on standard error.
#include <cstdio>

namespace corvane {

struct StartOptions {
    // Restore the settings and open presence at once, without showing the
    // main window (a start at login).
    bool tray = false;
};

// Exit code of a refused command line.
inline constexpr int UsageExitCode = 2;

// The exit code when the command line was answered (help, version, a
// refusal), or -1 to go on starting with *options.
int AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                      StartOptions* options);

} // namespace corvane
