#pragma once
// Ball–ball impact.

#include "engine/C2_ChocTapis.h"

class TAlveranChocBille : public TAlveranChocTapis {
  public:
    /// Impact between bille1 (the impact record's BilleA) and bille2; both change in place.
    void ChocBille(TEtatBille& bille1, TEtatBille& bille2);
};
