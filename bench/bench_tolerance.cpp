// The tolerance window's initial grid (counts 5, 5, 5, 2, 2, 0; increments 0.1 cm, 0.1 cm,
// 0.1°, 10 cm/s, 2°, 10 g: 33 275 trials) around the default shot: the serial enumeration, and
// the parallel evaluation on 1 thread and on every core. Wall-clock times.

#include "analysis/ToleranceCalcul.h"
#include "bench/PositionDefaut.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <thread>

namespace {

TGrilleTolerance GrilleDefaut(const TBillardAlveran& moteur) {
    TGrilleTolerance g;
    g.Centres = {moteur.Coup.Effet, moteur.Coup.Hauteur,    moteur.Coup.AngleOx,
                 moteur.Coup.Vq,    moteur.Coup.AngleTapis, moteur.Coup.m};
    g.Increments = {0.1, 0.1, Radians(0.1), 10, Radians(2), 10};
    g.Nombres = {5, 5, 5, 2, 2, 0};
    return g;
}

/// Process CPU time (every thread) per evaluation, beside the wall time: on a loaded machine
/// their ratio still shows how many cores the evaluation kept busy.
void Compteurs(benchmark::State& state, const TResultatTolerance& r, std::clock_t cpu) {
    state.counters["cpu_ms"] = 1000.0 * static_cast<double>(cpu) / CLOCKS_PER_SEC /
                               static_cast<double>(state.iterations());
    state.counters["NbReussis"] = static_cast<double>(r.NbReussis);
    state.counters["essais/s"] = benchmark::Counter(static_cast<double>(r.NbEssaisTotal) *
                                                        static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

void GrilleSerie(benchmark::State& state) {
    auto moteur = MoteurPositionDefaut();
    const auto g = GrilleDefaut(*moteur);
    TResultatTolerance r;
    const std::clock_t debut = std::clock();
    for (auto _ : state) r = EvalueTolerance(*moteur, g);
    Compteurs(state, r, std::clock() - debut);
}
BENCHMARK(GrilleSerie)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void GrilleParallele(benchmark::State& state) {
    auto moteur = MoteurPositionDefaut();
    const auto g = GrilleDefaut(*moteur);
    TResultatTolerance r;
    const std::clock_t debut = std::clock();
    for (auto _ : state) r = EvalueToleranceParallele(*moteur, g, static_cast<int>(state.range(0)));
    Compteurs(state, r, std::clock() - debut);
}
BENCHMARK(GrilleParallele)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(static_cast<int64_t>(std::max(1u, std::thread::hardware_concurrency())))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

} // namespace

BENCHMARK_MAIN();
