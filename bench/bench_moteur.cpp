// Cost of one shot: the default shot alone, and a sweep of 1000 shots over the whole circle of
// aim (short shots, long shots, jumps off the table) from the default position. "temps/pas" is
// the cost of one analysis step (a shot costs its number of steps times that).

#include "bench/PositionDefaut.h"

#include <benchmark/benchmark.h>

#include <numbers>

namespace {

/// Seconds per analysis step, shown in ns ("18.5n").
benchmark::Counter TempsParPas(int64_t pas) {
    return benchmark::Counter(static_cast<double>(pas),
                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void CoupDefaut(benchmark::State& state) {
    auto moteur = MoteurPositionDefaut();
    int64_t pas = 0;
    for (auto _ : state) {
        moteur->TireCoup();
        pas += moteur->NbPas;
        benchmark::DoNotOptimize(moteur->PointReussi);
    }
    state.counters["NbPas/coup"] =
        benchmark::Counter(static_cast<double>(pas), benchmark::Counter::kAvgIterations);
    state.counters["pas/s"] =
        benchmark::Counter(static_cast<double>(pas), benchmark::Counter::kIsRate);
    state.counters["temps/pas"] = TempsParPas(pas);
    state.counters["coups/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(CoupDefaut)->Unit(benchmark::kMicrosecond);

void BalayageVisee(benchmark::State& state) {
    constexpr int NbCoups = 1000;
    auto moteur = MoteurPositionDefaut();
    int64_t pas = 0;
    int64_t points = 0;
    for (auto _ : state) {
        for (int i = 0; i < NbCoups; ++i) {
            moteur->AngleOx = 2 * std::numbers::pi * i / NbCoups;
            moteur->TireCoup();
            pas += moteur->NbPas;
            points += moteur->PointReussi;
        }
    }
    const auto coups = static_cast<double>(state.iterations()) * NbCoups;
    state.counters["temps/coup"] =
        benchmark::Counter(coups, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["NbPas/coup"] = static_cast<double>(pas) / coups;
    state.counters["pas/s"] =
        benchmark::Counter(static_cast<double>(pas), benchmark::Counter::kIsRate);
    state.counters["temps/pas"] = TempsParPas(pas);
    state.counters["points"] =
        static_cast<double>(points) / static_cast<double>(state.iterations());
}
BENCHMARK(BalayageVisee)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
