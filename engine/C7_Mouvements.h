#pragma once
// Closed-form motion of a ball between impacts.

#include "engine/C6_DetecteChocs.h"

class TAlveranMouvements : public TAlveranDetecteChocs {
  public:
    /// Advances `bille` from absolute time t to t + dt (dt may be slightly negative).
    void Deplace(TEtatBille& bille, double t, double dt) const;
    /// The same, with the step constants computed once for the shot.
    static void Deplace(TEtatBille& bille, double t, double dt, const TConstantesPas& k);

  protected:
    /// Deplace for a sliding or rolling ball; says whether it still slides or rolls. A ball
    /// that rolls on is left without its rotation about x and y: that rotation follows from
    /// its velocity (RotationRoulement), and the trajectory loop sets it when it reads it.
    static bool DeplaceSurLeTapis(TEtatBille& bille, double t, double dt);
    /// The rotation about x and y of a rolling ball, from its velocity (the z is the spin).
    static void RotationRoulement(TEtatBille& bille);
    // Deplace for each state (mVole, mGlisse, mRoule, mPivotSeul).
    static void Vole(TEtatBille& bille, double dt, const TConstantesPas& k);
    static void Glisse(TEtatBille& bille, double t, double dt);
    static void Roule(TEtatBille& bille, double t, double dt);
    static void Pivote(TEtatBille& bille, double t, double dt);
    /// Glisse, compiled out of line: inlined beside the rolling move of DeplaceSurLeTapis, its
    /// stores were merged with that move's into narrower ones, which the next step's wider
    /// loads of the same fields then had to wait for.
    static void GlisseHorsLigne(TEtatBille& bille, double t, double dt);

    /// Constant-acceleration move: P ← P + V·τ − D·τ², then V ← V − A·τ.
    static void Bouge(TEtatBille& b, double tau, TVecteur demiAcc, TVecteur acc);
    /// The rolling part of a move from t to t + dt: rolls, or stops rolling at TFinRoule.
    static void RouleJusqua(TEtatBille& bille, double t, double dt);
    /// The end of a roll within the move from t: the ball stops at TFinRoule, but for its spin.
    static void FinRoulement(TEtatBille& bille, double t);
    /// The spin about z at t + dt: it runs down on its own clock, whatever the rest of the
    /// motion does.
    static double VitessePivot(const TEtatBille& bille, double t, double dt);
    /// Sets the spin; a ball left spinning in place stops with it.
    static void FinPas(TEtatBille& bille, double Wz);
};

// The motion runs at every analysis step: its bodies live here so that the trajectory loop
// compiles them in place.

inline void TAlveranMouvements::Bouge(TEtatBille& b, double tau, TVecteur demiAcc, TVecteur acc) {
    b.Position = Diff(Somme(b.Position, Mult(b.Vitesse, tau)), Mult(demiAcc, tau * tau));
    b.Vitesse = Diff(b.Vitesse, Mult(acc, tau));
}

inline double TAlveranMouvements::VitessePivot(const TEtatBille& bille, double t, double dt) {
    return t + dt < bille.TFinPivot ? bille.Rotation.z - bille.DecelPivot * dt : 0.0;
}

inline void TAlveranMouvements::FinPas(TEtatBille& bille, double Wz) {
    bille.Rotation.z = Wz;
    if (bille.Etat == mPivotSeul && Wz == 0) bille.Etat = mArret;
}

inline void TAlveranMouvements::RotationRoulement(TEtatBille& bille) {
    // Rotation = FacteurRoule × Vitesse but for its z.
    const TVecteur F = bille.FacteurRoule, V = bille.Vitesse;
    bille.Rotation.x = F.y * V.z - F.z * V.y;
    bille.Rotation.y = F.z * V.x - F.x * V.z;
}

inline void TAlveranMouvements::FinRoulement(TEtatBille& bille, double t) {
    const double tau = bille.TFinRoule - t;
    bille.Position =
        Diff(Somme(bille.Position, Mult(bille.Vitesse, tau)), Mult(bille.DemiAccRoule, tau * tau));
    bille.Vitesse = VecteurNul;
    bille.Rotation = VecteurNul;
    bille.Etat = mPivotSeul;
}

inline void TAlveranMouvements::RouleJusqua(TEtatBille& bille, double t, double dt) {
    if (t + dt <= bille.TFinRoule) {
        Bouge(bille, dt, bille.DemiAccRoule, bille.AccRoule);
        RotationRoulement(bille);
    } else {
        FinRoulement(bille, t);
    }
}

inline void TAlveranMouvements::Vole(TEtatBille& bille, double dt, const TConstantesPas& k) {
    const TVecteur P = bille.Position;
    if (std::fabs(P.x) > k.HorsX || std::fabs(P.y) > k.HorsY) {
        bille.Etat = mDehors;
        return;
    }
    Bouge(bille, dt, bille.DemiAccVol, bille.AccVol);
}

inline void TAlveranMouvements::Glisse(TEtatBille& bille, double t, double dt) {
    const double Wz = VitessePivot(bille, t, dt);
    const double tEnd = t + dt;
    if (tEnd <= bille.TFinGlisse) {
        Bouge(bille, dt, bille.DemiAccGlisse, bille.AccGlisse);
        // Its z is the spin.
        bille.Rotation.x = bille.Rotation.x + dt * bille.AccRotGlisse.x;
        bille.Rotation.y = bille.Rotation.y + dt * bille.AccRotGlisse.y;
        bille.Rotation.z = Wz;
        return;
    }
    const double tau = bille.TFinGlisse - t;
    Bouge(bille, tau, bille.DemiAccGlisse, bille.AccGlisse);
    bille.Rotation = Somme(bille.Rotation, Mult(bille.AccRotGlisse, tau));
    bille.Etat = mRoule;
    RouleJusqua(bille, bille.TFinGlisse, tEnd - bille.TFinGlisse);
    FinPas(bille, Wz);
}

inline void TAlveranMouvements::Roule(TEtatBille& bille, double t, double dt) {
    const double Wz = VitessePivot(bille, t, dt);
    RouleJusqua(bille, t, dt);
    FinPas(bille, Wz);
}

inline void TAlveranMouvements::Pivote(TEtatBille& bille, double t, double dt) {
    FinPas(bille, VitessePivot(bille, t, dt));
}

inline void TAlveranMouvements::Deplace(TEtatBille& bille, double t, double dt,
                                        const TConstantesPas& k) {
    switch (bille.Etat) {
    case mVole:
        Vole(bille, dt, k);
        break;
    case mGlisse:
        Glisse(bille, t, dt);
        break;
    case mRoule:
        Roule(bille, t, dt);
        break;
    case mPivotSeul:
        Pivote(bille, t, dt);
        break;
    default:
        break;
    }
}

inline bool TAlveranMouvements::DeplaceSurLeTapis(TEtatBille& bille, double t, double dt) {
    if (bille.Etat == mGlisse) {
        GlisseHorsLigne(bille, t, dt);
        return bille.Etat == mGlisse || bille.Etat == mRoule;
    }
    // Roule, but for the rotation of a ball that rolls on.
    const double Wz = VitessePivot(bille, t, dt);
    if (t + dt <= bille.TFinRoule) {
        Bouge(bille, dt, bille.DemiAccRoule, bille.AccRoule);
        bille.Rotation.z = Wz;
        return true;
    }
    FinRoulement(bille, t);
    FinPas(bille, Wz);
    return false;
}
