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
    bille.Adherence = Contact(Uz, u, J, Fisik.FrotBiTapChoc, false, bille.Vitesse, bille.Rotation);
    // A tiny rebound would only make the ball chatter on the cloth.
    if (bille.Vitesse.z < Fisik.VzRebondNul) bille.Vitesse.z = 0;

    bille.TypeChoc = cBilleTapis;
    bille.Contre = 1;
}

double TAlveranChocTapis::Contact(TVecteur n, TVecteur u, double J, double mu, bool deuxBilles,
                                  TVecteur& V, TVecteur& W) const {
    const double R = Fisik.RayonBilles();
    const double nu = Norme(u);
    double adherence;
    if (nu <= 0.001)
        adherence = -1;
    else if (deuxBilles)
        adherence = 1 - 7 * mu * J / nu;
    else
        adherence = 1 - 7 * mu * J / (2 * nu);

    if (adherence < 0) {
        // Friction stops the sliding within the impact: the contact ends in grip.
        V = Diff(Somme(V, Mult(n, J)), Mult(u, deuxBilles ? 1.0 / 7.0 : 2.0 / 7.0));
        W = Somme(W, Mult(ProdVect(n, u), deuxBilles ? 5 / (14 * R) : 5 / (7 * R)));
    } else {
        const TVecteur uh = Mult(u, 1 / nu);
        V = Somme(V, Mult(Diff(n, Mult(uh, mu)), J));
        W = Somme(W, Mult(ProdVect(n, uh), 5 * mu * J / Fisik.DiamBilles));
    }
    return adherence;
}
