#pragma once
// The table's default shot, as the main window opens: white cue ball at (0.514, −2)
// diamonds, red at (0, 2), yellow at (0, −2) (engine balls 1, 2, 3), aim 98.64°, and the
// default stroke. One diamond is largeurJeu/4.

#include "engine/C8_BillardAlveran.h"

#include <numbers>

inline void PlaceCoupDefaut(TBillardAlveran& e) {
    const double diamant = e.Fisik.largeurJeu() / 4;
    const double R = e.Fisik.RayonBilles();
    e.Trajets[1][0] = {Vecteur(0.514 * diamant, -2 * diamant, R), VecteurNul, VecteurNul};
    e.Trajets[2][0] = {Vecteur(0, 2 * diamant, R), VecteurNul, VecteurNul};
    e.Trajets[3][0] = {Vecteur(0, -2 * diamant, R), VecteurNul, VecteurNul};
    e.Coup.Effet = 0.621910112359551;
    e.Coup.Hauteur = 1.1747191011236;
    e.Coup.Vq = 430;
    e.Coup.AngleTapis = 0;
    e.Coup.m = 520;
    e.Coup.AngleOx = Radians(98.64);
}
