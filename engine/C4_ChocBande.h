#pragma once
// Ball–cushion impact.

#include "engine/C3_ChocBille.h"

class TAlveranChocBande : public TAlveranChocBille {
  public:
    /// Impact of `bille` with the cushion `bande`; counts the cushion.
    void ChocBande(TEtatBille& bille, const TBande& bande);

  protected:
    /// The contact rule with one friction along the cushion (direction t, horizontal) and
    /// another across it, each component of the sliding velocity u stopped or slowed on its
    /// own. A sphere's contact point answers a tangential impulse the same way in every
    /// tangential direction (7/2 per unit mass) and a normal one not at all, so each component
    /// is an impact of its own and neither can gain energy. Returns the adhesion of the
    /// component along the cushion.
    double ContactBandeAnisotrope(TVecteur n, TVecteur u, double J, TVecteur t, TVecteur& V,
                                  TVecteur& W) const;
};
