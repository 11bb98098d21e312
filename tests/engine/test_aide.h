#pragma once
// Helpers shared by the engine tests: the default table position and stroke, and a ball
// state built by hand.

#include "engine/C8_BillardAlveran.h"

#include <numbers>

namespace test {

/// One diamond with the default table (cm).
inline constexpr double Diamant = 142.25 / 4;

/// The default position (white cue ball, red, yellow) and stroke of the main window.
inline void PositionDefaut(TBillardAlveran& e) {
    const double R = e.Fisik.RayonBilles();
    e.Trajets[1][0] = {Vecteur(0.514 * Diamant, -2 * Diamant, R), VecteurNul, VecteurNul};
    e.Trajets[2][0] = {Vecteur(0, 2 * Diamant, R), VecteurNul, VecteurNul};
    e.Trajets[3][0] = {Vecteur(0, -2 * Diamant, R), VecteurNul, VecteurNul};
    e.Effet = 0.621910112359551;
    e.Hauteur = 1.1747191011236;
    e.Vq = 430;
    e.AngleTapis = 0;
    e.m = 520;
    e.AngleOx = 98.64 * std::numbers::pi / 180;
}

/// A ball on the cloth rolling without sliding at velocity v (horizontal).
inline TCinematique Roulante(double x, double y, double vx, double vy, double R = 3.075) {
    return {Vecteur(x, y, R), Vecteur(vx, vy, 0), Vecteur(-vy / R, vx / R, 0)};
}

inline TCinematique Immobile(double x, double y, double R = 3.075) {
    return {Vecteur(x, y, R), VecteurNul, VecteurNul};
}

inline TEtatBille Bille(TCinematique c) {
    TEtatBille b{};
    b.SetCinematique(c);
    return b;
}

inline double Energie(const TEtatBille& b, double R, double M) {
    // Solid sphere: I = 2/5·M·R².
    return 0.5 * M * Norme2(b.Vitesse) + 0.5 * (0.4 * M * R * R) * Norme2(b.Rotation);
}

} // namespace test
