#include "analysis/CalculD13.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t DernierIndice = TBillardAlveran::NbEnrMax;

/// A record index read from the engine, kept inside the record arrays whatever it holds.
int32_t DansLesEnregistrements(int32_t i) {
    return std::clamp(i, int32_t{0}, DernierIndice);
}

int32_t DernierEnregistrement(const TBillardAlveran& Moteur) {
    return DansLesEnregistrements(Moteur.NbEnr);
}

/// The object ball that ball 1 did not hit first.
int32_t SecondeBille(int32_t F) {
    return F == 2 ? 3 : 2;
}

const TCinematique& Bille(const TBillardAlveran& Moteur, int32_t b, int32_t i) {
    return Moteur.Trajets[b][i];
}

bool BougeAPlat(const TVecteur& v) {
    return v.x != 0.0 || v.y != 0.0;
}

/// Ball 1's last record at or below `depart` with a horizontal velocity; record 0 when the
/// search finds none (ball 1 then was never struck, and its direction is null).
int32_t DernierMouvement(const TBillardAlveran& Moteur, int32_t depart) {
    for (int32_t i = depart; i >= 0; --i)
        if (BougeAPlat(Bille(Moteur, 1, i).Vitesse)) return i;
    return 0;
}

/// |w| signed by the z component of w: positive when the second object ball lies on the
/// left of ball 1's direction seen from above.
double DistanceSignee(const TVecteur& w) {
    return w.z >= 0.0 ? Norme(w) : -Norme(w);
}

} // namespace

bool CalculeCaracteristiques(const TBillardAlveran& Moteur, double& D13, double& P13, double& d,
                             bool& Contre, int32_t& Bandes) {
    D13 = CaracteristiqueNonCalculee;
    P13 = CaracteristiqueNonCalculee;
    Bandes = 0;
    Contre = false;
    int32_t T = 0; // record of ball 1's third cushion contact
    int32_t F = 0; // first object ball

    const int32_t N = DernierEnregistrement(Moteur);
    // After a point, what happens next does not count.
    const int32_t W = std::max(int32_t{0}, std::min(N, Moteur.IndicePoint));

    for (int32_t i = 1; i <= W; ++i) {
        if (Moteur.Contres[i] != 0 && Moteur.TypesChoc[i] == cBilleBande) ++Bandes;
        if (Bandes == 3 && T < 3) T = i;
    }

    for (int32_t i = 1; i <= W; ++i) {
        if (Moteur.TypesChoc[i] != cBilleBille) continue;
        const int32_t c = Moteur.Contres[i];
        if (c == 0)
            Contre = true; // the two object balls met
        else if (F == 0)
            F = c;
        else if (c == F || T > i)
            Contre = true; // first ball hit again, or second ball reached too early
    }

    if (Bandes <= 2 || !(Norme2(Bille(Moteur, 1, T).Vitesse) > 0.0) || F <= 1) return false;

    int32_t iD = T;
    D13 = CalculeD13(Moteur, F, iD);
    int32_t iP = iD;
    P13 = CalculeP13(Moteur, F, iP);
    d = CalculeD(Moteur, F, std::max(iP, iD));
    return true;
}

bool CalculeCaracteristiques(const TBillardAlveran& Moteur, TCaracteristiques& Resultats) {
    Resultats.Significatif = CalculeCaracteristiques(
        Moteur, Resultats.D13, Resultats.P13, Resultats.d, Resultats.Contre, Resultats.Bandes);
    return Resultats.Significatif;
}

double CalculeD13(const TBillardAlveran& Moteur, int32_t F, int32_t& k) {
    const int32_t Po = SecondeBille(F);
    const int32_t N = DernierEnregistrement(Moteur);
    if (Moteur.PointReussi) {
        k = DansLesEnregistrements(Moteur.IndicePoint);
        return Norme(Diff(Bille(Moteur, Po, k).Position, Bille(Moteur, 1, k).Position));
    }
    k = DansLesEnregistrements(k);
    double m = Norme2(Diff(Bille(Moteur, Po, k).Position, Bille(Moteur, 1, k).Position));
    for (int32_t i = k + 1; i <= N; ++i) {
        const double m2 = Norme2(Diff(Bille(Moteur, Po, i).Position, Bille(Moteur, 1, i).Position));
        if (m2 < m) { // of equal minima the earlier record stays
            m = m2;
            k = i;
        }
    }
    return std::sqrt(m);
}

double CalculeP13(const TBillardAlveran& Moteur, int32_t F, int32_t& k) {
    const int32_t Po = SecondeBille(F);
    const int32_t N = DernierEnregistrement(Moteur);
    k = DansLesEnregistrements(k);

    const int32_t j = DernierMouvement(Moteur, k - 1);
    const TVecteur Delta = Diff(Bille(Moteur, Po, k).Position, Bille(Moteur, 1, k).Position);
    const TVecteur u = Unitaire(Bille(Moteur, 1, j).Vitesse);
    double P13 = DistanceSignee(ProdVect(u, Delta));
    if (Moteur.PointReussi || k == N) return P13;

    // Ball 1 went on past record k: its final line of travel may pass closer.
    const int32_t e = DernierMouvement(Moteur, N);
    const TVecteur u2 = Unitaire(Bille(Moteur, 1, e).Vitesse);
    const TVecteur Delta2 = Diff(Bille(Moteur, Po, k).Position, Bille(Moteur, 1, e).Position);
    if (ProdScal(u2, Delta2) <= 0.0) return P13; // the ball is not ahead of ball 1's final run

    const double p2 = DistanceSignee(ProdVect(u2, Delta2));
    if (std::abs(p2) < std::abs(P13)) {
        P13 = p2;
        k = N;
    }
    return P13;
}

double CalculeD(const TBillardAlveran& Moteur, int32_t F, int32_t k) {
    const int32_t Po = SecondeBille(F);
    const int32_t N = DernierEnregistrement(Moteur);
    k = DansLesEnregistrements(k);

    if (!Moteur.PointReussi && k == N) {
        // Ball 1 stopped without a closer approach: how far short, along its last direction.
        const int32_t j = DernierMouvement(Moteur, k - 1);
        const TVecteur u = Unitaire(Bille(Moteur, 1, j).Vitesse);
        const TVecteur Delta = Diff(Bille(Moteur, Po, k).Position, Bille(Moteur, 1, k).Position);
        return -std::abs(ProdScal(u, Delta));
    }

    // Ball 1's run after record k, as straight segments between its impacts.
    double d = 0.0;
    TVecteur Q = Bille(Moteur, 1, k).Position;
    for (int32_t i = k + 1; i <= N; ++i) {
        if (Moteur.Contres[i] == 0) continue;
        const TVecteur P = Bille(Moteur, 1, i).Position;
        d += Norme(Diff(P, Q));
        Q = P;
    }
    return d + Norme(Diff(Bille(Moteur, 1, N).Position, Q));
}
