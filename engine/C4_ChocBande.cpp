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
    bille.Adherence = Contact(n, u, J, Fisik.FrotBiBde, false, bille.Vitesse, bille.Rotation);
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
