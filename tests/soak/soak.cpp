// Soak: random but physical shots through the engine (positions on the cloth, strokes within
// the controls' ranges, constants within ±50 % of their defaults). Every shot must end,
// every recorded number must stay finite, and no record may go back in time by more than
// one analysis step.
//
//   soak [COUNT] [SEED]      default 10000 shots, seed 1

#include "engine/C8_BillardAlveran.h"
#include "support/AideMoteur.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <random>

namespace {

bool Fini(TVecteur v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

struct Tirage {
    std::mt19937_64 gen;
    double Uniforme(double a, double b) {
        return std::uniform_real_distribution<double>(a, b)(gen);
    }
};

void Prepare(TBillardAlveran& e, Tirage& t) {
    e.Fisik = TPARAMPHYS();
    for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
        e.Fisik.SetParametre(i, TPARAMPHYS::Defaut(i) * t.Uniforme(0.5, 1.5));
    e.ModeDeJeu = static_cast<TModeDeJeu>(static_cast<int>(t.Uniforme(0, 3)));
    test::PlaceBillesAuHasard(e, [&t](double a, double b) { return t.Uniforme(a, b); });
    const double R = e.Fisik.RayonBilles();
    const double rayon = R * std::sqrt(t.Uniforme(0, 1));
    const double angle = t.Uniforme(0, 2 * std::numbers::pi);
    e.Coup.Effet = rayon * std::cos(angle);
    e.Coup.Hauteur = rayon * std::sin(angle);
    e.Coup.Vq = t.Uniforme(0, 1200);
    e.Coup.AngleTapis = t.Uniforme(0, 90) * std::numbers::pi / 180;
    e.Coup.AngleOx = t.Uniforme(-std::numbers::pi, std::numbers::pi);
    e.Coup.m = t.Uniforme(400, 650);
}

/// Empty when the shot is sound, otherwise what went wrong.
const char* Verifie(const TBillardAlveran& e) {
    if (e.NbEnr < 1 || e.NbEnr > TBillardAlveran::NbEnrMax) return "record count out of range";
    if (e.NbPas > TBillardAlveran::NbPasMax) return "too many analysis steps";
    for (int i = 0; i <= e.NbEnr; ++i) {
        for (int b = 1; b <= 3; ++b) {
            const TCinematique& c = e.Trajets[b][i];
            if (!Fini(c.Position) || !Fini(c.Vitesse) || !Fini(c.Rotation))
                return "non-finite state";
        }
        if (!std::isfinite(e.Temps[i])) return "non-finite time";
        if (i > 0 && e.Temps[i] < e.Temps[i - 1] - e.Fisik.dtAnal) return "time went back";
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const long nombre = argc > 1 ? std::atol(argv[1]) : 10000;
    const unsigned long long graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    Tirage t{std::mt19937_64(graine)};
    auto e = std::make_unique<TBillardAlveran>();
    long echecs = 0, insolubles = 0;
    long long pas = 0;
    for (long i = 0; i < nombre; ++i) {
        Prepare(*e, t);
        e->TireCoup();
        insolubles += e->QueueInsoluble;
        pas += e->NbPas;
        if (const char* defaut = Verifie(*e)) {
            ++echecs;
            if (echecs <= 10) std::printf("shot %ld (seed %llu): %s\n", i, graine, defaut);
        }
    }
    std::printf("%ld insoluble strikes, %.0f analysis steps per shot\n", insolubles,
                nombre ? static_cast<double>(pas) / static_cast<double>(nombre) : 0.0);
    std::printf("soak: %ld passed, %ld failed\n", nombre - echecs, echecs);
    return echecs == 0 ? 0 : 1;
}
