#pragma once
// Helpers shared by the engine tests: the default table position and stroke, and a ball
// state built by hand, balls placed at random.

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

/// Three balls anywhere on the cloth, inside the cushions and not overlapping, ball 1 first;
/// `entre(a, b)` draws a number in [a, b) (x, then y, for each try).
template <class FEntre> void PlaceBillesAuHasard(TBillardAlveran& e, FEntre&& entre) {
    const double R = e.Fisik.RayonBilles();
    const double L = e.Fisik.largeurJeu();
    for (int b = 1; b <= 3; ++b) {
        TVecteur p;
        bool libre = false;
        while (!libre) {
            p = Vecteur(entre(-L / 2 + R, L / 2 - R), entre(-L + R, L - R), R);
            libre = true;
            for (int a = 1; a < b; ++a)
                libre = libre && Norme(Diff(p, e.Trajets[a][0].Position)) > e.Fisik.DiamBilles;
        }
        e.Trajets[b][0] = {p, VecteurNul, VecteurNul};
    }
}

inline double Energie(const TEtatBille& b, double R, double M) {
    // Solid sphere: I = 2/5·M·R².
    return 0.5 * M * Norme2(b.Vitesse) + 0.5 * (0.4 * M * R * R) * Norme2(b.Rotation);
}

} // namespace test
