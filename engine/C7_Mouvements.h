#pragma once
// Closed-form motion of a ball between impacts.

#include "engine/C6_DetecteChocs.h"

class TAlveranMouvements : public TAlveranDetecteChocs {
  public:
    /// Advances `bille` from absolute time t to t + dt (dt may be slightly negative).
    void Deplace(TEtatBille& bille, double t, double dt) const;
    /// The same, with the step constants computed once for the shot.
    void Deplace(TEtatBille& bille, double t, double dt, const TConstantesPas& k) const;
};
