#pragma once
// The cue stroke as one value.

/// A cue stroke: where and how the cue strikes the cue ball.
struct TCoupQueue {
    double AngleOx = 0.0;    ///< aim, from +x towards +y (rad)
    double Effet = 0.0;      ///< side offset of the cue tip (cm)
    double Hauteur = 0.0;    ///< height of the cue tip above the centre (cm)
    double Vq = 0.0;         ///< cue speed (cm/s)
    double AngleTapis = 0.0; ///< cue inclination below the horizontal (rad)
    double m = 520.0;        ///< cue mass (g)
    bool operator==(const TCoupQueue&) const = default;
};
