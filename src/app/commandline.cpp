#include "app/commandline.h"

#include <cstring>

namespace corvane {

namespace {
constexpr const char* Version = "Corvane 3.0\n";
constexpr const char* Usage =
    "Usage: corvane [--tray | --help | --version]\n"
    "\n"
    "Corvane 3.0, a messenger for the local network that needs no server.\n"
    "It starts in the notification area (tray): click its icon to open the\n"
    "window. A second start shows the running copy's main window.\n"
    "\n"
    "      --tray     start in the tray with the settings restored and the\n"
    "                 computer visible to colleagues at once, without showing\n"
    "                 the window (for a start at login; a copy that runs\n"
    "                 already stays in the tray)\n"
    "  -h, --help     print this text and end\n"
    "      --version  print the version and end\n";

bool Is(const char* arg, const char* name) {
    return std::strcmp(arg, name) == 0;
}
} // namespace

int AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                      StartOptions* options) {
    StartOptions read;
    for (int i = 1; i < argc; ++i) {
        if (Is(argv[i], "--help") || Is(argv[i], "-h")) {
            std::fputs(Usage, out);
            return 0;
        }
        if (Is(argv[i], "--version")) {
            std::fputs(Version, out);
            return 0;
        }
        if (Is(argv[i], "--tray")) {
            read.tray = true;
            continue;
        }
        std::fprintf(err, "corvane: unknown option '%s'\n\n%s", argv[i], Usage);
        return UsageExitCode;
    }
    if (options)
        *options = read;
    return -1;
}

} // namespace corvane
