#pragma once
// The cue stroke as one value: what the player chooses before a shot. Every source of a
// stroke (the cue controls, position files, the clipboard, the database link, the fit, the
// solution search) hands the engine this value whole, so the stroke fired is the stroke given.

#include <numbers>

/// The cue stroke, in the engine's units.
struct TCoupQueue {
    double AngleOx = 0.0;    ///< aim, from +x towards +y (rad)
    double Effet = 0.0;      ///< side offset of the cue tip, positive to the right (cm)
    double Hauteur = 0.0;    ///< height of the cue tip above the ball's centre (cm)
    double Vq = 0.0;         ///< cue speed (cm/s)
    double AngleTapis = 0.0; ///< cue inclination below the horizontal (rad)
    double m = 520.0;        ///< cue mass (g)

    bool operator==(const TCoupQueue&) const = default;
};

/// Degrees to radians, as every part of the program converts (d·π / 180, in that order, so
/// that an angle typed in degrees gives the same radians wherever it is converted).
constexpr double Radians(double degres) {
    return degres * std::numbers::pi / 180.0;
}

/// Radians to degrees (r·180 / π).
constexpr double Degres(double radians) {
    return radians * 180.0 / std::numbers::pi;
}
