#pragma once
// Ball–cushion impact.

#include "engine/C3_ChocBille.h"

class TAlveranChocBande : public TAlveranChocBille {
  public:
    /// Impact of `bille` with the cushion `bande`; counts the cushion.
    void ChocBande(TEtatBille& bille, const TBande& bande);
};
