// Cost of one full redraw of the table in live mode ("Trace simultanée" redraws at every change
// of the stroke): a clean table, the default shot's three lines, their direction arrows and the
// cue ball's numbered cushion contacts, at 200 % (QT_SCALE_FACTOR=2 unless given, offscreen).

#include "bench/PositionDefaut.h"
#include "ui/CIbh3billes.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void RedessinTable(benchmark::State& state) {
    auto moteur = MoteurPositionDefaut();
    moteur->TireCoup();
    TCIBillardHor3B vue(nullptr, 310);
    vue.Moteur = moteur.get();
    vue.ApresChargement();
    const QColor couleurs[3] = {Qt::white, Qt::red, Qt::yellow};
    for (auto _ : state) {
        vue.Redessine();
        for (int n = 1; n <= 3; ++n) vue.DessineTrajet(n, couleurs[n - 1]);
        for (int n = 1; n <= 3; ++n) vue.DessineSensTrajet(n, couleurs[n - 1]);
        vue.DessineNumerosBandes();
        benchmark::DoNotOptimize(vue.Image().constBits());
    }
    state.counters["echelle"] = vue.Image().devicePixelRatio();
}
BENCHMARK(RedessinTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The environment chooses the scaling before the application exists; 200 % unless told.
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
