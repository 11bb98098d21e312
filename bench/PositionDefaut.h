#pragma once
// The default shot of the table, built in code so that the benchmarks need no file: white cue
// ball at (0.514, −2) diamonds, red at (0, 2), yellow at (0, −2), the main window's stroke.

#include "engine/C8_BillardAlveran.h"

#include <memory>
#include <numbers>

inline std::unique_ptr<TBillardAlveran> MoteurPositionDefaut() {
    constexpr double Diamant = 35.5625; // largeurJeu / 4 with the default constants (cm)
    auto moteur = std::make_unique<TBillardAlveran>();
    const double R = moteur->Fisik.RayonBilles();
    moteur->Trajets[1][0].Position = Vecteur(0.514 * Diamant, -2 * Diamant, R);
    moteur->Trajets[2][0].Position = Vecteur(0, 2 * Diamant, R);
    moteur->Trajets[3][0].Position = Vecteur(0, -2 * Diamant, R);
    moteur->Effet = 0.621910112359551;
    moteur->Hauteur = 1.1747191011236;
    moteur->Vq = 430;
    moteur->AngleTapis = 0;
    moteur->m = 520;
    moteur->AngleOx = 98.64 * std::numbers::pi / 180;
    return moteur;
}
