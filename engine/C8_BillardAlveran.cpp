#include "engine/C8_BillardAlveran.h"

#include <cmath>

TBillardAlveran::TBillardAlveran() = default;

void TBillardAlveran::TireCoup() {
    ChocQueueBille();
    CalculeTrajets();
}

void TBillardAlveran::ChocQueueBille() {
    PointReussi = false;
    const double R2 = Fisik.RayonBilles2;
    const double M = Fisik.MasseBilles;
    const double p = Fisik.PerteEcQB;
    const double E = Effet, H = Hauteur;
    const double ca = std::cos(AngleTapis), sa = std::sin(AngleTapis);
    const double ct = std::cos(AngleOx), st = std::sin(AngleOx);
    TCinematique& b1 = Trajets[1][0];

    // A tip beyond the ball's outline misses it: nothing to solve.
    const bool manque = E * E + H * H > R2;
    const TVecteur Pq = Vecteur(manque ? 0.0 : -std::sqrt(R2 - E * E - H * H), E, H);
    const TVecteur Dq = Vecteur(ca, 0, -sa);
    const double F = 1 + 2.5 * Norme2(ProdVect(Pq, Dq)) / R2;
    const TVecteur Vc = Mult(Vecteur(ca * ct, ca * st, -sa), Vq);
    const TVecteur Pt = Vecteur(Pq.x * ct + Pq.y * st, Pq.x * st - Pq.y * ct, Pq.z);
    const double delta = (1 - p) - p * F * m / M;

    if (manque || delta < 0) {
        QueueInsoluble = true;
        b1.Vitesse = VecteurNul;
        b1.Rotation = VecteurNul;
    } else {
        QueueInsoluble = false;
        const double k = (1 + std::sqrt(delta)) / (M / m + F);
        b1.Vitesse = Mult(Vc, k);
        b1.Rotation = Mult(ProdVect(Pt, b1.Vitesse), 5 / (2 * R2));
    }

    if (b1.Vitesse.z < -0.001) {
        // Driven into the cloth: the cloth answers before the ball sets off.
        TEtatBille scratch{};
        scratch.SetCinematique(b1);
        ChocTapis(scratch);
        b1 = scratch.Cinematique();
    } else if (b1.Vitesse.z < 0) {
        b1.Vitesse.z = 0;
    }

    if (ApresQueueBille) ApresQueueBille.Proc(ApresQueueBille.Contexte, *this);
}

void TBillardAlveran::Enregistre(const TEtatBille& B1, const TEtatBille& B2, const TEtatBille& B3,
                                 double t, TTypeChoc Kind) {
    if (NbEnr >= NbEnrMax) return;
    NbEnr = NbEnr + 1;
    const int i = NbEnr;
    Trajets[1][i] = B1.Cinematique();
    Trajets[2][i] = B2.Cinematique();
    Trajets[3][i] = B3.Cinematique();
    EtatsEnr[1][i] = B1.Etat;
    EtatsEnr[2][i] = B2.Etat;
    EtatsEnr[3][i] = B3.Etat;
    Temps[i] = t;
    TypesChoc[i] = Kind;
    Contres[i] = B1.Contre;
}

void TBillardAlveran::PointLibre(TEtatBille& bille) {
    PointReussi = true;
    IndicePoint = NbEnr + 1;
    bille.SurPoint = nullptr;
}

void TBillardAlveran::Point1Bande(TEtatBille& bille) {
    if (bille.NbBandes > 0) {
        PointReussi = true;
        IndicePoint = NbEnr + 1;
    }
    bille.SurPoint = nullptr;
}

void TBillardAlveran::Point3Bandes(TEtatBille& bille) {
    if (bille.NbBandes > 2) {
        PointReussi = true;
        IndicePoint = NbEnr + 1;
    }
    bille.SurPoint = nullptr;
}

double CarreVitesseLente(double D, double dtAnal) {
    // A ball at speed s shortens the step only when D/s < h ≤ dtAnal, so only when s exceeds
    // D/dtAnal. The margin of 2⁻²⁰ outweighs the few roundings between this square and the
    // exact test (each at most 2⁻⁵³ relative), so no ball below it could have passed that test.
    const double v = D / dtAnal;
    const double v2 = v * v * (1 - 0x1p-20);
    // Beyond normal doubles the bound loses its relative precision: test every ball then.
    return dtAnal > 0 && std::isnormal(v2) ? v2 : 0.0;
}

void TBillardAlveran::CalculeTrajets() {
    double t = 0;
    double tEnr = Fisik.dtEnr;
    NbEnr = 0;
    NbPas = 0;
    PointReussi = false;
    IndicePoint = NbEnrMax;

    TEtatBille B[3]{};
    TEtatBille& B1 = B[0];
    TEtatBille& B2 = B[1];
    TEtatBille& B3 = B[2];
    TChocPrevu S;

    B1.SetCinematique(Trajets[1][0]);
    ApresChoc(B1, 0);
    B1.NbBandes = 0;
    B1.PremiereBille = nullptr;
    switch (ModeDeJeu) {
    case j3Bandes:
        B1.SurPoint = static_cast<TProcPoint>(&TBillardAlveran::Point3Bandes);
        break;
    case j1Bande:
        B1.SurPoint = static_cast<TProcPoint>(&TBillardAlveran::Point1Bande);
        break;
    default:
        B1.SurPoint = static_cast<TProcPoint>(&TBillardAlveran::PointLibre);
        break;
    }
    B2.SetCinematique(Trajets[2][0]);
    ApresChoc(B2, 0);
    B2.SurPoint = nullptr;
    B3.SetCinematique(Trajets[3][0]);
    ApresChoc(B3, 0);
    B3.SurPoint = nullptr;
    B1.Numero = 1;
    B2.Numero = 2;
    B3.Numero = 3;
    for (int b = 0; b < 3; ++b) EtatsEnr[b + 1][0] = B[b].Etat;
    S.DtPrec = 0;
    S.BilleA = nullptr;

    const double L = Fisik.largeurJeu();
    const double D = Fisik.DiamBilles;
    const double dtAnal = Fisik.dtAnal;
    const double dtEnr = Fisik.dtEnr;
    const TConstantesPas k = ConstantesPas();
    const double v2Lente = CarreVitesseLente(D, dtAnal);
    const bool dtAnalValide = std::isfinite(dtAnal) && dtAnal > 0;
    while (NbEnr < NbEnrMax) {
        B1.Contre = 0;
        S.Dt = DtJamais;
        S.Traitement = tAucun;

        // No ball travels more than one diameter in a step.
        double h = dtAnal;
        bool raccourci = false;
        for (const TEtatBille& b : B) {
            if (b.Etat == mArret) continue; // no speed (an off-table ball may still have one)
            const double v2 = Norme2(b.Vitesse);
            if (v2 < v2Lente) continue; // too slow to shorten the step: spare the root
            const double s = std::sqrt(v2);
            if (s > 0.001 && D / s < h) {
                h = D / s;
                raccourci = true;
            }
        }
        // A step that cannot advance the clock (infinite speeds, absurd constants) would
        // never end the shot; so would an endless series of steps.
        const bool pasValide = raccourci ? std::isfinite(h) && h > 0 : dtAnalValide;
        if (!pasValide || NbPas >= NbPasMax) break;
        ++NbPas;

        DetecteChocBande(B1, S, k);
        DetecteChocBande(B2, S, k);
        DetecteChocBande(B3, S, k);
        DetecteChocBille(B1, B2, S, k);
        DetecteChocBille(B1, B3, S, k);
        DetecteChocBille(B2, B3, S, k);
        DetecteChocTapis(B1, S, k);
        DetecteChocTapis(B2, S, k);
        DetecteChocTapis(B3, S, k);

        if (S.Traitement == tAucun || S.Dt > h) {
            Deplace(B1, t, h, k);
            Deplace(B2, t, h, k);
            Deplace(B3, t, h, k);
            t = t + h;
            S.DtPrec = h;
            if (t > tEnr) {
                Enregistre(B1, B2, B3, t, cAucun);
                Adherences[NbEnr] = 1000;
                tEnr = tEnr + dtEnr;
            }
        } else {
            Deplace(B1, t, S.Dt, k);
            Deplace(B2, t, S.Dt, k);
            Deplace(B3, t, S.Dt, k);
            TEtatBille& A = *S.BilleA;
            switch (S.Traitement) {
            case tChocBille:
                ChocBille(A, *S.ObjetBille);
                break;
            case tChocBande:
                ChocBande(A, *S.ObjetBande);
                break;
            case tChocTapis:
                ChocTapis(A);
                break;
            case tAucun:
                break;
            }
            t = t + S.Dt;
            S.DtPrec = 0;
            ApresChoc(A, t);
            if (S.Traitement == tChocBille) ApresChoc(*S.ObjetBille, t);
            // A ball landing beyond a cushion line has left the table.
            if (S.Traitement == tChocTapis &&
                (std::fabs(A.Position.x) > L / 2 || std::fabs(A.Position.y) > L))
                A.Etat = mDehors;
            Enregistre(B1, B2, B3, t, A.TypeChoc);
            Adherences[NbEnr] = A.Adherence;
        }

        if (B1.Etat >= mArret && B2.Etat >= mArret && B3.Etat >= mArret) {
            if (NbEnr < NbEnrMax) {
                Enregistre(B1, B2, B3, t, S.BilleA ? S.BilleA->TypeChoc : cAucun);
                Adherences[NbEnr] = 1000;
            }
            break;
        }
    }

    if (B1.Etat == mDehors || B2.Etat == mDehors || B3.Etat == mDehors) PointReussi = false;
    if (ApresCalculTrajets) ApresCalculTrajets.Proc(ApresCalculTrajets.Contexte, *this);
}
