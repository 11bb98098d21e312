#include "engine/C4_ChocBande.h"

void TAlveranChocBande::ChocBande(TEtatBille& bille, const TBande& bande) {
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
    const double nu = Norme(u);
    if (nu <= 0.001)
        bille.Adherence = -1;
    else
        bille.Adherence = 1 - 7 * Fisik.FrotBiBde * J / (2 * nu);

    if (bille.Adherence < 0) {
        bille.Vitesse = Diff(Somme(V, Mult(n, J)), Mult(u, 2.0 / 7.0));
        bille.Rotation = Somme(W, Mult(ProdVect(n, u), 5 / (7 * R)));
    } else {
        const double mu = Fisik.FrotBiBde;
        const TVecteur uh = Mult(u, 1 / nu);
        bille.Vitesse = Somme(V, Mult(Diff(n, Mult(uh, mu)), J));
        bille.Rotation = Somme(W, Mult(ProdVect(n, uh), 5 * mu * J / Fisik.DiamBilles));
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
