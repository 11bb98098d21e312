// Cost of fitting tracked shots (synthetic, 3 mm of noise, see tests/support): one shot's
// stroke fit; 200 shots' stroke fits on every core; one evaluation of a candidate set of
// constants over 200 shots, each stroke refitted from a nearby one. Wall-clock times.

#include "analysis/AjustementConstantes.h"
#include "tests/support/CoupsSynthetiques.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <thread>

namespace {

struct TLot {
    std::vector<TCoupMesure> Coups;
    std::vector<TCoupAjuste> Vrais;
};

TLot Lot(int nombre, uint64_t graine) {
    TLot lot;
    synthetique::TAlea alea(graine);
    const TPARAMPHYS fisik;
    for (int i = 0; i < nombre; ++i) {
        const auto s = synthetique::Genere(alea, fisik);
        lot.Coups.push_back(PrepareCoupMesure(s.Mesure, fisik, 4.0));
        lot.Vrais.push_back(s.Coup);
    }
    return lot;
}

int Coeurs() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

/// CPU time of every thread per iteration, beside the wall time: on a loaded machine their
/// ratio still shows how many cores the work kept busy.
void TempsCpu(benchmark::State& state, std::clock_t debut) {
    state.counters["cpu_s"] = static_cast<double>(std::clock() - debut) / CLOCKS_PER_SEC /
                              static_cast<double>(state.iterations());
}

void AjustementUnCoup(benchmark::State& state) {
    const TLot lot = Lot(20, 1);
    auto moteur = std::make_unique<TBillardAlveran>();
    std::size_t i = 0;
    int64_t evaluations = 0;
    const std::clock_t debut = std::clock();
    for (auto _ : state) {
        const auto r = AjusteCoup(*moteur, lot.Coups[i++ % lot.Coups.size()], {});
        evaluations += r.Evaluations;
        benchmark::DoNotOptimize(r.Rmse);
    }
    const double cpu = static_cast<double>(std::clock() - debut) / CLOCKS_PER_SEC;
    state.counters["evaluations"] =
        static_cast<double>(evaluations) / static_cast<double>(state.iterations());
    state.counters["us_cpu/evaluation"] = 1e6 * cpu / static_cast<double>(evaluations);
}
BENCHMARK(AjustementUnCoup)->Unit(benchmark::kMillisecond)->Iterations(40);

void AjustementDeuxCentsCoups(benchmark::State& state) {
    const TLot lot = Lot(200, 2);
    const TBillardAlveran modele;
    const std::clock_t debut = std::clock();
    for (auto _ : state) {
        const auto r = AjusteCoups(modele, lot.Coups, {}, Coeurs());
        state.counters["RmseMediane"] = Critere(TCritere::Mediane, r);
    }
    TempsCpu(state, debut);
}
BENCHMARK(AjustementDeuxCentsCoups)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void CandidatConstantes(benchmark::State& state) {
    const TLot lot = Lot(200, 3);
    // A candidate 2 % off the defaults; each stroke refitted from the one that fired the shot,
    // as the constants fit refits from the best candidate's strokes.
    TBillardAlveran candidat;
    candidat.Fisik.ElastBiBde *= 1.02;
    candidat.Fisik.FrotBiBde *= 0.98;
    const TOptionsConstantes options;
    const std::clock_t debut = std::clock();
    for (auto _ : state) {
        const auto r = RaffineCoups(candidat, lot.Coups, lot.Vrais, {},
                                    options.EvaluationsRaffinage, Coeurs());
        state.counters["RmseMediane"] = Critere(TCritere::Mediane, r);
    }
    TempsCpu(state, debut);
}
BENCHMARK(CandidatConstantes)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
