#pragma once
// Without a display Qt ends the process with its own abort text. While the
// application object is being built, this guard turns that into one line,
// "corvane: no display (set DISPLAY or WAYLAND_DISPLAY)", and exit code 1.
// Qt's messages of that moment are held back and written out once the
// application object stands.
//
// Qt's message handler is one per process: only main builds a guard.
namespace corvane {

inline constexpr int NoDisplayExitCode = 1;

class NoDisplayGuard {
public:
    NoDisplayGuard();
    ~NoDisplayGuard();
    NoDisplayGuard(const NoDisplayGuard&) = delete;
    NoDisplayGuard& operator=(const NoDisplayGuard&) = delete;
};

} // namespace corvane
