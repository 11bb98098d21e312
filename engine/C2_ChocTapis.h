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

  protected:
    /// The contact rule every impact shares: restitution along the normal n (from the
    /// obstacle into the ball) with the normal impulse J per unit mass, and a friction impulse
    /// (coefficient mu) that either slides throughout or ends in grip, cancelling the sliding
    /// velocity u of the contact point. `deuxBilles`: the obstacle is another ball, which moves
    /// too (a unit tangential impulse changes the sliding velocity by 7 instead of 7/2).
    /// Updates V and W in place and returns the adhesion coefficient (negative: grip).
    double Contact(TVecteur n, TVecteur u, double J, double mu, bool deuxBilles, TVecteur& V,
                   TVecteur& W) const;
};
