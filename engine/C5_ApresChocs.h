#pragma once
// Settling of a ball into its next motion phase after an impact (or at the start).

#include "engine/C4_ChocBande.h"

class TAlveranApresChocs : public TAlveranChocBande {
  public:
    /// Chooses the ball's phase and computes its coefficients and absolute end times; T is
    /// the current shot time (s).
    void ApresChoc(TEtatBille& bille, double T);
};
