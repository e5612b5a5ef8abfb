#pragma once
// The program reads no arguments, except that it answers --help (-h) and
// --version on standard output and ends, before anything needs a display.
#include <cstdio>

namespace corvane {

// The exit code when an argument was answered, or -1 to go on starting.
int AnswerCommandLine(int argc, const char* const* argv, std::FILE* out);

} // namespace corvane
