#include "app/commandline.h"

#include <cstring>

namespace corvane {

namespace {
constexpr const char* Version = "Corvane 3.0\n";
constexpr const char* Usage =
    "Usage: corvane [--help | --version]\n"
    "\n"
    "Corvane 3.0, a messenger for the local network that needs no server.\n"
    "It starts in the notification area; a second start shows the running\n"
    "copy's main window. It reads no other arguments.\n"
    "\n"
    "  -h, --help     print this text and end\n"
    "      --version  print the version and end\n";
} // namespace

int AnswerCommandLine(int argc, const char* const* argv, std::FILE* out) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, out);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(Version, out);
            return 0;
        }
    }
    return -1;
}

} // namespace corvane
