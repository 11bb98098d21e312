#pragma once
// Closed-form motion of a ball between impacts.

#include "engine/C6_DetecteChocs.h"

class TAlveranMouvements : public TAlveranDetecteChocs {
  public:
    /// Advances `bille` from absolute time t to t + dt (dt may be slightly negative).
    void Deplace(TEtatBille& bille, double t, double dt) const;
    /// The same, with the step constants computed once for the shot.
    void Deplace(TEtatBille& bille, double t, double dt, const TConstantesPas& k) const;

  protected:
    /// Constant-acceleration move: P ← P + V·τ − D·τ², then V ← V − A·τ.
    static void Bouge(TEtatBille& b, double tau, TVecteur demiAcc, TVecteur acc);
};

// The motion runs at every analysis step: its bodies live here so that the trajectory loop
// compiles them in place.

inline void TAlveranMouvements::Bouge(TEtatBille& b, double tau, TVecteur demiAcc, TVecteur acc) {
    b.Position = Diff(Somme(b.Position, Mult(b.Vitesse, tau)), Mult(demiAcc, tau * tau));
    b.Vitesse = Diff(b.Vitesse, Mult(acc, tau));
}

inline void TAlveranMouvements::Deplace(TEtatBille& bille, double t, double dt,
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
