#include "engine/C5_ApresChocs.h"

#include <cmath>

void TAlveranApresChocs::ApresChoc(TEtatBille& bille, double T) {
    const double R = Fisik.RayonBilles();
    const double D = Fisik.DiamBilles;
    const double G = Fisik.G;
    const TVecteur P = bille.Position, V = bille.Vitesse, W = bille.Rotation;

    if (P.z > R || V.z > 0) {
        bille.Etat = mVole;
        bille.AccVol = Vecteur(0, 0, G);
        bille.DemiAccVol = Vecteur(0, 0, G / 2);
        return;
    }

    bool pivote = false;
    if (std::fabs(W.z) > 0.001) {
        pivote = true;
        bille.DecelPivot = 5 * Fisik.FrotBiTapPivot * G / (2 * Fisik.RayonBilles2);
        bille.TFinPivot = std::fabs(W.z / bille.DecelPivot);
        if (W.z < 0) bille.DecelPivot = -bille.DecelPivot;
    } else {
        bille.Rotation.z = 0;
        bille.TFinPivot = 0;
    }

    // Velocity once the contact point stops sliding under constant friction.
    const TVecteur Vroll = Mult(Diff(V, Mult(ProdVect(Uz, W), D / 5)), 5.0 / 7.0);
    const TVecteur dVs = Diff(V, Vroll);
    const double Tg = Norme(dVs) / (G * Fisik.FrotBiTapGlisse);
    bille.TFinGlisse = Tg;
    if (Tg > 0) {
        bille.Etat = mGlisse;
        bille.AccGlisse = Mult(dVs, 1 / Tg);
        bille.DemiAccGlisse = Mult(bille.AccGlisse, 1.0 / 2.0);
        bille.AccRotGlisse = Mult(ProdVect(Uz, dVs), 5 / (D * Tg));
    } else {
        bille.Etat = mRoule;
    }

    const double nVroll = Norme(Vroll);
    if (nVroll > 0.001) {
        const double k = Fisik.FrotBiTapRoule * G / nVroll;
        bille.TFinRoule = (k * Tg + 1) / k;
        bille.AccRoule = Mult(Vroll, k);
        bille.DemiAccRoule = Mult(bille.AccRoule, 1.0 / 2.0);
        bille.FacteurRoule = Mult(Uz, 1 / R);
    } else {
        if (bille.Etat == mRoule && !pivote) bille.Etat = mArret;
        bille.TFinRoule = Tg;
    }

    bille.TFinGlisse = bille.TFinGlisse + T;
    bille.TFinRoule = bille.TFinRoule + T;
    bille.TFinPivot = bille.TFinPivot + T;
}
