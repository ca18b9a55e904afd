#pragma once
// The common start of every benchmark program: a Qt application object (the
// core reads its resources through it), Google Benchmark's command line, the
// program's own fixture, then the registered benchmarks.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

// Returns false when the command line was not understood.
template <typename Setup> bool RunBenchmarks(int argc, char** argv, Setup setup) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    setup();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}
