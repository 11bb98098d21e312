// The chance of the default shot for "Joueur de club" over 2 000 draws, on 1 thread and on
// every core, and the same trials fired to the shots' ends, which shows what the early stop
// saves. Wall-clock times, with the process CPU time beside them.

#include "analysis/Chance.h"
#include "bench/PositionDefaut.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <thread>

namespace {

void Compteurs(benchmark::State& state, double probabilite, std::clock_t cpu, int64_t essais) {
    const double iterations = static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = 1000.0 * static_cast<double>(cpu) / CLOCKS_PER_SEC / iterations;
    state.counters["cpu_us/essai"] =
        1e6 * static_cast<double>(cpu) / CLOCKS_PER_SEC / iterations / static_cast<double>(essais);
    state.counters["Probabilite"] = probabilite;
}

void Chance2000(benchmark::State& state) {
    auto moteur = MoteurPositionDefaut();
    const TTirages tirages(NbEssaisDefaut, GraineDefaut);
    const TJoueur club = *JoueurPredefini("club");
    const TCoupQueue coup = moteur->Coup;
    TChance c;
    const std::clock_t debut = std::clock();
    for (auto _ : state)
        c = ChanceCoup(*moteur, coup, club, tirages, static_cast<int>(state.range(0)));
    Compteurs(state, c.Probabilite, std::clock() - debut, tirages.Nombre());
}
BENCHMARK(Chance2000)
    ->Arg(1)
    ->Arg(static_cast<int>(std::max(2u, std::thread::hardware_concurrency())))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void Chance2000SansArret(benchmark::State& state) {
    auto moteur = MoteurPositionDefaut();
    const TTirages tirages(NbEssaisDefaut, GraineDefaut);
    const TJoueur club = *JoueurPredefini("club");
    const TCoupQueue coup = moteur->Coup;
    const TCinematique depart = moteur->Trajets[1][0];
    int64_t reussis = 0;
    const std::clock_t debut = std::clock();
    for (auto _ : state) {
        reussis = 0;
        for (int32_t i = 0; i < tirages.Nombre(); ++i) {
            moteur->Coup = CoupDuTirage(coup, club, tirages[i]);
            moteur->Trajets[1][0] = depart;
            moteur->TireCoup();
            reussis += moteur->PointReussi ? 1 : 0;
        }
    }
    Compteurs(state, static_cast<double>(reussis) / tirages.Nombre(), std::clock() - debut,
              tirages.Nombre());
}
BENCHMARK(Chance2000SansArret)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
