#include "engine/C7_Mouvements.h"

void TAlveranMouvements::Deplace(TEtatBille& bille, double t, double dt) const {
    Deplace(bille, t, dt, ConstantesPas());
}
