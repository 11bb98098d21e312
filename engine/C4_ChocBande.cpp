#include "engine/C4_ChocBande.h"

#include <cassert>
#include <cmath>

void TAlveranChocBande::ChocBande(TEtatBille& bille, const TBande& bande) {
    // The flight test below compares the velocity with the normal as a direction.
    assert(std::fabs(Norme2(bande.Normale) - 1.0) < 1e-12);
    const double R = Fisik.RayonBilles();
    const TVecteur P = bille.Position, V = bille.Vitesse, W = bille.Rotation;

    // Foot of the perpendicular from the centre to the nose line.
    TVecteur Q = bande.Point;
    if (bande.Point.x == 0)
        Q.x = P.x;
    else
        Q.y = P.y;
    const TVecteur d = Diff(P, Q);
    const TVecteur n = Mult(d, 1 / Norme(d));
    const TVecteur u = Somme(Diff(V, Mult(n, ProdScal(V, n))), Mult(ProdVect(n, W), R));
    const double J = -(1 + Fisik.ElastBiBde) * ProdScal(V, n);
    if (Fisik.RapportFrotBdeLong == 1.0)
        bille.Adherence = Contact(n, u, J, Fisik.FrotBiBde, false, bille.Vitesse, bille.Rotation);
    else
        bille.Adherence =
            ContactBandeAnisotrope(n, u, J, bande.Tangente, bille.Vitesse, bille.Rotation);
    if (Fisik.PerteRotationBande != 0.0) {
        // The cushion's push is inclined down (its nose is above the centre): the cloth,
        // pressed harder for the impact's duration, brakes the ball's rolling spin.
        const double garde = 1 - Fisik.PerteRotationBande;
        bille.Rotation.x = bille.Rotation.x * garde;
        bille.Rotation.y = bille.Rotation.y * garde;
    }
    bille.NbBandes = bille.NbBandes + 1;

    if (ProdScal(bande.Normale, bille.Vitesse) < 0) {
        // Still heading out: the ball goes over the cushion and flies off the table.
        bille.Position.z = bille.Position.z + 1000;
    } else if (ToucheTapis(bille)) {
        ChocTapis(bille);
    }
    bille.TypeChoc = cBilleBande;
    bille.Contre = bande.Numero;
}

double TAlveranChocBande::ContactBandeAnisotrope(TVecteur n, TVecteur u, double J, TVecteur t,
                                                 TVecteur& V, TVecteur& W) const {
    const double R = Fisik.RayonBilles();
    const TVecteur axes[2] = {t, ProdVect(n, t)};
    const double mus[2] = {Fisik.RapportFrotBdeLong * Fisik.FrotBiBde, Fisik.FrotBiBde};
    V = Somme(V, Mult(n, J));
    double adherenceLong = -1;
    for (int k = 0; k < 2; ++k) {
        const double s = ProdScal(u, axes[k]);
        const double mu = mus[k];
        const double adherence = std::fabs(s) <= 0.001 ? -1 : 1 - 7 * mu * J / (2 * std::fabs(s));
        if (adherence < 0) {
            // Stopped within the impact: that component ends in grip.
            const TVecteur uk = Mult(axes[k], s);
            V = Diff(V, Mult(uk, 2.0 / 7.0));
            W = Somme(W, Mult(ProdVect(n, uk), 5 / (7 * R)));
        } else {
            const TVecteur uh = Mult(axes[k], s > 0 ? 1.0 : -1.0);
            V = Diff(V, Mult(uh, mu * J));
            W = Somme(W, Mult(ProdVect(n, uh), 5 * mu * J / Fisik.DiamBilles));
        }
        if (k == 0) adherenceLong = adherence;
    }
    return adherenceLong;
}
