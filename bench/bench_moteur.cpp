// Cost of one shot: the default shot alone, and a sweep of 1000 shots over the whole circle of
// aim (short shots, long shots, jumps off the table) from the default position; and the floor
// of the default shot's per-step work. "temps/pas" is the cost of one analysis step (a shot costs
// its number of steps times that).

#include "bench/PositionDefaut.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
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
            moteur->Coup.AngleOx = 2 * std::numbers::pi * i / NbCoups;
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

// The floor: only the work that every analysis step of the default shot needs, with the
// engine's operations and none of its bookkeeping: the step length, the cushion reach tests,
// the three pair tests, the closed-form rolling move and a record every five steps. The default
// shot has 306 steps with one moving ball, 353 with two and 532 with three; so has this "shot".
namespace plancher {

struct TBille {
    TVecteur P, V, R;  // cm, cm/s, rad/s
    TVecteur DemiA, A; // rolling deceleration and its half (cm/s²)
    TVecteur F;        // Uz/R (1/cm)
    double DecelPivot; // rad/s²
};

struct TTable {
    TBille B[3];
    TCinematique Trajets[3][TBillardAlveran::NbEnrMax + 1];
    int NbEnr = 0;
    int NbCandidats = 0; // pairs and cushions worth a quadratic: none here, but computed
    double t = 0;
    TConstantesPas k;
    double D = 0, v2Lente = 0, dtAnal = 0;
};

TBille Roulante(TVecteur P, TVecteur V, double R) {
    const double decel = 0.006 * 981 / Norme(V);
    return {P,
            V,
            Vecteur(-V.y / R, V.x / R, 5),
            Mult(V, decel / 2),
            Mult(V, decel),
            Vecteur(0, 0, 1 / R),
            20};
}

TTable Depart() {
    TBillardAlveran e;
    PlaceCoupDefaut(e);
    const double R = e.Fisik.RayonBilles();
    TTable T;
    T.B[0] = Roulante(e.Trajets[1][0].Position, Vecteur(-20, 150, 0), R);
    T.B[1] = Roulante(e.Trajets[2][0].Position, Vecteur(30, -100, 0), R);
    T.B[2] = Roulante(e.Trajets[3][0].Position, Vecteur(-40, 60, 0), R);
    T.k = e.ConstantesPas();
    T.D = e.Fisik.DiamBilles;
    T.dtAnal = e.Fisik.dtAnal;
    T.v2Lente = CarreVitesseLente(T.D, T.dtAnal);
    return T;
}

/// One free step with the first K balls rolling and the others at rest.
template <int K> void Pas(TTable& T, int n) {
    double h = T.dtAnal;
    for (int i = 0; i < K; ++i) {
        const double v2 = Norme2(T.B[i].V);
        if (v2 < T.v2Lente) continue;
        const double s = std::sqrt(v2);
        if (s > 0.001 && T.D / s < h) h = T.D / s;
    }
    for (int i = 0; i < K; ++i) {
        const TVecteur P = T.B[i].P, V = T.B[i].V;
        if (!(std::fabs(P.x) > T.k.PorteeX) && !(std::fabs(P.y) > T.k.PorteeY)) continue;
        T.NbCandidats += (V.x > 0 && P.x > T.k.Approche1) || (V.x <= 0 && P.x < T.k.Approche3) ||
                         (V.y > 0 && P.y > T.k.Approche2) || (V.y <= 0 && P.y < T.k.Approche4);
    }
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) {
            if (i >= K && j >= K) continue;
            const TVecteur dP = Diff(T.B[j].P, T.B[i].P);
            if (!(std::fabs(dP.x) < T.k.DeuxD || std::fabs(dP.y) < T.k.DeuxD)) continue;
            T.NbCandidats += 2 * ProdScal(dP, Diff(T.B[j].V, T.B[i].V)) < 0;
        }
    for (int i = 0; i < K; ++i) {
        TBille& b = T.B[i];
        const double Wz = b.R.z - b.DecelPivot * h;
        b.P = Diff(Somme(b.P, Mult(b.V, h)), Mult(b.DemiA, h * h));
        b.V = Diff(b.V, Mult(b.A, h));
        b.R = Vecteur(b.F.y * b.V.z - b.F.z * b.V.y, b.F.z * b.V.x - b.F.x * b.V.z, Wz);
    }
    T.t = T.t + h;
    if (n % 5 == 4) {
        T.NbEnr = T.NbEnr < TBillardAlveran::NbEnrMax ? T.NbEnr + 1 : 1;
        for (int i = 0; i < 3; ++i) T.Trajets[i][T.NbEnr] = {T.B[i].P, T.B[i].V, T.B[i].R};
    }
}

void PlancherCoupDefaut(benchmark::State& state) {
    auto depart = std::make_unique<TTable>(Depart());
    auto T = std::make_unique<TTable>(*depart);
    int64_t pas = 0;
    for (auto _ : state) {
        // The balls start again every hundred steps, so that they stay on the table.
        int n = 0;
        const auto pas100 = [&](auto pasK, int nombre) {
            for (int i = 0; i < nombre; ++i, ++n) {
                if (n % 100 == 0) std::copy(depart->B, depart->B + 3, T->B);
                pasK(*T, n);
            }
        };
        pas100(Pas<1>, 306);
        pas100(Pas<2>, 353);
        pas100(Pas<3>, 532);
        pas += n;
        benchmark::DoNotOptimize(T->NbCandidats);
    }
    state.counters["temps/pas"] = TempsParPas(pas);
}
BENCHMARK(PlancherCoupDefaut)->Unit(benchmark::kMicrosecond);

} // namespace plancher

} // namespace

BENCHMARK_MAIN();
