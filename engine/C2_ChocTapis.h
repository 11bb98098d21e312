#pragma once
// First layer of the engine: owns the physical constants; the contact impulse rule applied
// to a ball striking the cloth.

#include "engine/C1_Types.h"

class TAlveranChocTapis {
  public:
    TPARAMPHYS Fisik; ///< physical constants, read at the moment of use

    /// The ball is at cloth level (z < R + 0.001) and moving down.
    bool ToucheTapis(const TEtatBille& bille) const;
    /// Cloth impact: puts the ball on the cloth and applies restitution and friction.
    /// `objet` is unused; it lets the operation stand as an impact response.
    void ChocTapis(TEtatBille& bille, const void* objet = nullptr);
};
