#pragma once
// The common start of every benchmark program: a Qt application object (the
// core reads its resources through it), Google Benchmark's command line, the
// program's own fixture, then the registered benchmarks.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>

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

// splitmix64: the same data on every run and every machine.
struct Rng {
    uint64_t s;
    uint64_t next() {
        uint64_t z = (s += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return static_cast<size_t>(next() % n); }
};

// Times each iteration of `work` (it returns the rows it handled) by hand,
// for benchmarks registered with UseManualTime; `rows` sees each count.
// Returns the mean seconds of one iteration.
template <typename Work, typename Rows> double TimeIterations(benchmark::State& state, Work work, Rows rows) {
    double total = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const size_t n = work();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        total += s;
        state.counters["rows"] = static_cast<double>(n);
        rows(n);
    }
    return total / static_cast<double>(state.iterations());
}
