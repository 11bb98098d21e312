// The solution search from the default shot's position: the default grid (298 080 strokes
// fired) on 1 thread and on every core, and a grid of half the aims, which should take half
// the time (the cost is linear in the strokes fired). Wall-clock times, with the process CPU
// time beside them: on a loaded machine their ratio still shows how many cores were kept busy.

#include "analysis/RechercheSolutions.h"
#include "bench/PositionDefaut.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <thread>

namespace {

void Compteurs(benchmark::State& state, const TCoupsRecherche& r, std::clock_t cpu) {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["cpu_s"] = static_cast<double>(cpu) / CLOCKS_PER_SEC / iterations;
    state.counters["Tires"] = static_cast<double>(r.Tires);
    state.counters["Reussis"] = static_cast<double>(r.Reussis);
    state.counters["coups/s"] =
        benchmark::Counter(static_cast<double>(r.Tires) * iterations, benchmark::Counter::kIsRate);
}

void Recherche(benchmark::State& state, const TGrilleRecherche& grille) {
    auto moteur = MoteurPositionDefaut();
    TCoupsRecherche r;
    const std::clock_t debut = std::clock();
    for (auto _ : state) r = ChercheSolutions(*moteur, grille, static_cast<int>(state.range(0)));
    Compteurs(state, r, std::clock() - debut);
}

void GrilleDefaut(benchmark::State& state) {
    Recherche(state, GrilleRechercheDefaut(3.075));
}

void DemiGrille(benchmark::State& state) {
    TGrilleRecherche g = GrilleRechercheDefaut(3.075);
    g.AngleOx.Pas = 1;
    Recherche(state, g);
}

const int64_t NbCoeurs = std::max(1u, std::thread::hardware_concurrency());

} // namespace

BENCHMARK(GrilleDefaut)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(NbCoeurs)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(DemiGrille)
    ->ArgName("threads")
    ->Arg(NbCoeurs)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

BENCHMARK_MAIN();
