#include "engine/C3_ChocBille.h"

#include <cassert>

void TAlveranChocBille::ChocBille(TEtatBille& bille1, TEtatBille& bille2) {
    // The struck ball's number becomes the recorded contre, read back as a ball of the shot.
    assert(bille2.Numero >= 1 && bille2.Numero <= 3);
    const double R = Fisik.RayonBilles();
    const TVecteur P1 = bille1.Position, V1 = bille1.Vitesse, W1 = bille1.Rotation;
    const TVecteur P2 = bille2.Position, V2 = bille2.Vitesse, W2 = bille2.Rotation;

    const TVecteur d = Diff(P1, P2);
    const TVecteur n = Mult(d, 1 / Norme(d));
    const TVecteur dV = Diff(V1, V2);
    const TVecteur u =
        Somme(Diff(dV, Mult(n, ProdScal(dV, n))), Mult(ProdVect(n, Somme(W1, W2)), R));
    const double J = -((1 + Fisik.ElastBiBi) / 2) * ProdScal(dV, n);
    TVecteur V1p = V1, W1p = W1;
    bille1.Adherence = Contact(n, u, J, Fisik.FrotBiBi, true, V1p, W1p);
    // Equal and opposite impulse on the other ball; the opposite tangential impulse at the
    // opposite contact point turns it the same way.
    const TVecteur V2p = Diff(Somme(V1, V2), V1p);
    const TVecteur W2p = Somme(W2, Diff(W1p, W1));
    bille1.Vitesse = V1p;
    bille1.Rotation = W1p;
    bille2.Vitesse = V2p;
    bille2.Rotation = W2p;

    if (ToucheTapis(bille1)) ChocTapis(bille1);
    if (ToucheTapis(bille2)) ChocTapis(bille2);

    bille1.TypeChoc = cBilleBille;
    bille1.Contre = bille2.Numero;

    if (bille1.SurPoint) {
        if (bille1.PremiereBille == nullptr)
            bille1.PremiereBille = &bille2;
        else if (bille1.PremiereBille != &bille2)
            (this->*bille1.SurPoint)(bille1);
    }
}
