#include "engine/C2_ChocTapis.h"

bool TAlveranChocTapis::ToucheTapis(const TEtatBille& bille) const {
    return bille.Position.z < Fisik.RayonBilles() + 0.001 && bille.Vitesse.z < 0;
}

void TAlveranChocTapis::ChocTapis(TEtatBille& bille, const void* /*objet*/) {
    const double R = Fisik.RayonBilles();
    const TVecteur V = bille.Vitesse;
    const TVecteur W = bille.Rotation;
    const double Vz = V.z;

    bille.Position.z = R;
    // Sliding velocity of the contact point over the cloth.
    const TVecteur u = Somme(Diff(V, Mult(Uz, Vz)), Mult(ProdVect(Uz, W), R));
    const double J = -(1 + Fisik.ElastBiTap) * Vz;
    const double nu = Norme(u);
    if (nu <= 0.001)
        bille.Adherence = -1;
    else
        bille.Adherence = 1 - 7 * Fisik.FrotBiTapChoc * J / (2 * nu);

    if (bille.Adherence < 0) {
        // Friction stops the sliding within the impact: the contact ends in grip.
        bille.Vitesse = Diff(Somme(V, Mult(Uz, J)), Mult(u, 2.0 / 7.0));
        bille.Rotation = Somme(W, Mult(ProdVect(Uz, u), 5 / (7 * R)));
    } else {
        const double mu = Fisik.FrotBiTapChoc;
        const TVecteur uh = Mult(u, 1 / nu);
        bille.Vitesse = Somme(V, Mult(Diff(Uz, Mult(uh, mu)), J));
        bille.Rotation = Somme(W, Mult(ProdVect(Uz, uh), 5 * mu * J / Fisik.DiamBilles));
    }
    // A tiny rebound would only make the ball chatter on the cloth.
    if (bille.Vitesse.z < Fisik.VzRebondNul) bille.Vitesse.z = 0;

    bille.TypeChoc = cBilleTapis;
    bille.Contre = 1;
}
