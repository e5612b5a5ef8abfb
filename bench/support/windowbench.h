#pragma once
// The main of a benchmark that builds windows: offscreen unless a platform is
// chosen, one application object, then every benchmark of the program.
#include <QApplication>
#include <benchmark/benchmark.h>

namespace corvane::bench {

inline int RunWindowBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace corvane::bench
