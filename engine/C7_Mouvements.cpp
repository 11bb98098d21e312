#include "engine/C7_Mouvements.h"

#include <cmath>

namespace {
/// Constant-acceleration move: P ← P + V·τ − D·τ², then V ← V − A·τ.
inline void Bouge(TEtatBille& b, double tau, TVecteur demiAcc, TVecteur acc) {
    b.Position = Diff(Somme(b.Position, Mult(b.Vitesse, tau)), Mult(demiAcc, tau * tau));
    b.Vitesse = Diff(b.Vitesse, Mult(acc, tau));
}
} // namespace

void TAlveranMouvements::Deplace(TEtatBille& bille, double t, double dt) const {
    Deplace(bille, t, dt, ConstantesPas());
}

void TAlveranMouvements::Deplace(TEtatBille& bille, double t, double dt,
                                 const TConstantesPas& k) const {
    if (bille.Etat == mVole) {
        const TVecteur P = bille.Position;
        if (std::fabs(P.x) > k.HorsX || std::fabs(P.y) > k.HorsY) {
            bille.Etat = mDehors;
            return;
        }
        Bouge(bille, dt, bille.DemiAccVol, bille.AccVol);
        return;
    }
    if (bille.Etat >= mArret) return;

    const double tEnd = t + dt;
    const double Wz = tEnd < bille.TFinPivot ? bille.Rotation.z - bille.DecelPivot * dt : 0.0;

    if (bille.Etat == mGlisse) {
        if (tEnd <= bille.TFinGlisse) {
            Bouge(bille, dt, bille.DemiAccGlisse, bille.AccGlisse);
            bille.Rotation = Somme(bille.Rotation, Mult(bille.AccRotGlisse, dt));
        } else {
            const double tau = bille.TFinGlisse - t;
            Bouge(bille, tau, bille.DemiAccGlisse, bille.AccGlisse);
            bille.Rotation = Somme(bille.Rotation, Mult(bille.AccRotGlisse, tau));
            bille.Etat = mRoule;
            t = bille.TFinGlisse;
            dt = tEnd - bille.TFinGlisse;
        }
    }
    if (bille.Etat == mRoule) {
        if (t + dt <= bille.TFinRoule) {
            Bouge(bille, dt, bille.DemiAccRoule, bille.AccRoule);
            bille.Rotation = ProdVect(bille.FacteurRoule, bille.Vitesse);
        } else {
            const double tau = bille.TFinRoule - t;
            bille.Position = Diff(Somme(bille.Position, Mult(bille.Vitesse, tau)),
                                  Mult(bille.DemiAccRoule, tau * tau));
            bille.Vitesse = VecteurNul;
            bille.Rotation = VecteurNul;
            bille.Etat = mPivotSeul;
        }
    }
    bille.Rotation.z = Wz;
    if (bille.Etat == mPivotSeul && Wz == 0) bille.Etat = mArret;
}
