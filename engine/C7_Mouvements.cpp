#include "engine/C7_Mouvements.h"

void TAlveranMouvements::Deplace(TEtatBille& bille, double t, double dt) const {
    Deplace(bille, t, dt, ConstantesPas());
}

void TAlveranMouvements::GlisseHorsLigne(TEtatBille& bille, double t, double dt) {
    Glisse(bille, t, dt);
}
