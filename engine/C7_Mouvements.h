#pragma once
// Closed-form motion of a ball between impacts.

#include "engine/C6_DetecteChocs.h"

class TAlveranMouvements : public TAlveranDetecteChocs {
  public:
    /// Advances `bille` from absolute time t to t + dt (dt may be slightly negative).
    void Deplace(TEtatBille& bille, double t, double dt) const;
    /// The same, with the step constants computed once for the shot.
    void Deplace(TEtatBille& bille, double t, double dt, const TConstantesPas& k) const;

    /// Deplace for a rolling ball; says whether it still rolls.
    static bool DeplaceRoulante(TEtatBille& bille, double t, double dt);

  protected:
    /// Constant-acceleration move: P ← P + V·τ − D·τ², then V ← V − A·τ.
    static void Bouge(TEtatBille& b, double tau, TVecteur demiAcc, TVecteur acc);
    /// The rolling part of a move from t to t + dt: rolls, or stops rolling at TFinRoule.
    static void Roule(TEtatBille& bille, double t, double dt);
};

// The motion runs at every analysis step: its bodies live here so that the trajectory loop
// compiles them in place.

inline void TAlveranMouvements::Bouge(TEtatBille& b, double tau, TVecteur demiAcc, TVecteur acc) {
    b.Position = Diff(Somme(b.Position, Mult(b.Vitesse, tau)), Mult(demiAcc, tau * tau));
    b.Vitesse = Diff(b.Vitesse, Mult(acc, tau));
}

[[gnu::always_inline]] inline void TAlveranMouvements::Roule(TEtatBille& bille, double t, double dt) {
    if (t + dt <= bille.TFinRoule) {
        Bouge(bille, dt, bille.DemiAccRoule, bille.AccRoule);
        // Rotation = FacteurRoule × Vitesse; its z is the spin, set by the caller.
        const TVecteur F = bille.FacteurRoule, V = bille.Vitesse;
        bille.Rotation.x = F.y * V.z - F.z * V.y;
        bille.Rotation.y = F.z * V.x - F.x * V.z;
    } else {
        const double tau = bille.TFinRoule - t;
        bille.Position = Diff(Somme(bille.Position, Mult(bille.Vitesse, tau)),
                              Mult(bille.DemiAccRoule, tau * tau));
        bille.Vitesse = VecteurNul;
        bille.Rotation = VecteurNul;
        bille.Etat = mPivotSeul;
    }
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

    // The spin about z runs down on its own clock, whatever the rest of the motion does.
    const double tEnd = t + dt;
    const double Wz = tEnd < bille.TFinPivot ? bille.Rotation.z - bille.DecelPivot * dt : 0.0;

    switch (bille.Etat) {
    case mGlisse:
        if (tEnd <= bille.TFinGlisse) {
            Bouge(bille, dt, bille.DemiAccGlisse, bille.AccGlisse);
            bille.Rotation.x = bille.Rotation.x + dt * bille.AccRotGlisse.x;
            bille.Rotation.y = bille.Rotation.y + dt * bille.AccRotGlisse.y;
            bille.Rotation.z = Wz;
            return;
        } else {
            const double tau = bille.TFinGlisse - t;
            Bouge(bille, tau, bille.DemiAccGlisse, bille.AccGlisse);
            bille.Rotation = Somme(bille.Rotation, Mult(bille.AccRotGlisse, tau));
            bille.Etat = mRoule;
            Roule(bille, bille.TFinGlisse, tEnd - bille.TFinGlisse);
        }
        break;
    case mRoule:
        Roule(bille, t, dt);
        break;
    default:
        break;
    }
    bille.Rotation.z = Wz;
    if (bille.Etat == mPivotSeul && Wz == 0) bille.Etat = mArret;
}

inline bool TAlveranMouvements::DeplaceRoulante(TEtatBille& bille, double t, double dt) {
    const double tEnd = t + dt;
    const double Wz = tEnd < bille.TFinPivot ? bille.Rotation.z - bille.DecelPivot * dt : 0.0;
    Roule(bille, t, dt);
    bille.Rotation.z = Wz;
    if (bille.Etat == mRoule) return true;
    if (Wz == 0) bille.Etat = mArret;
    return false;
}
