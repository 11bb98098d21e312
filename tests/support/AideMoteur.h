#pragma once
// Helpers shared by the engine tests: the default table position and stroke, and a ball
// state built by hand.

#include "engine/CoupDefaut.h"

#include <numbers>

namespace test {

/// One diamond with the default table (cm).
inline constexpr double Diamant = 142.25 / 4;

/// The default position (white cue ball, red, yellow) and stroke of the main window.
inline void PositionDefaut(TBillardAlveran& e) {
    PlaceCoupDefaut(e);
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
