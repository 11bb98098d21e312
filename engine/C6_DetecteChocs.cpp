#include "engine/C6_DetecteChocs.h"

#include <algorithm>

TConstantesPas TAlveranDetecteChocs::ConstantesPas() const {
    const double L = Fisik.largeurJeu();
    const double R = Fisik.RayonBilles();
    const double D = Fisik.DiamBilles;
    TConstantesPas k;
    k.R = R;
    k.R2 = Fisik.RayonBilles2;
    k.D2 = Fisik.DiamBilles2;
    k.DeuxD = 2 * D;
    k.Approche1 = L / 2 - 1.5 * D;
    k.Approche3 = -L / 2 + 1.5 * D;
    k.Approche2 = L - 1.5 * D;
    k.Approche4 = -L + 1.5 * D;
    k.PorteeX = std::min(k.Approche1, -k.Approche3);
    k.PorteeY = std::min(k.Approche2, -k.Approche4);
    k.HorsX = L / 2 + R;
    k.HorsY = L + R;
    return k;
}

void TAlveranDetecteChocs::DetecteChocBande(TEtatBille& bille, TChocPrevu& choc) const {
    DetecteChocBande(bille, choc, ConstantesPas());
}

void TAlveranDetecteChocs::DetecteChocBille(TEtatBille& bille1, TEtatBille& bille2,
                                            TChocPrevu& choc) const {
    DetecteChocBille(bille1, bille2, choc, ConstantesPas());
}

void TAlveranDetecteChocs::DetecteChocTapis(TEtatBille& bille, TChocPrevu& choc) const {
    DetecteChocTapis(bille, choc, ConstantesPas());
}
