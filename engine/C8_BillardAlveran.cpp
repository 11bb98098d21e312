#include "engine/C8_BillardAlveran.h"

#include <algorithm>
#include <cassert>
#include <cmath>

TBillardAlveran::TBillardAlveran() {
    // Before any shot the balls stand on the cloth: record 0 says so (not the zero state,
    // which is a flight).
    for (auto& etats : EtatsEnr) etats[0] = mArret;
}

void TBillardAlveran::TireCoup() {
    ChocQueueBille();
    CalculeTrajets();
}

void TBillardAlveran::ChocQueueBille() {
    PointReussi = false;
    const double R2 = Fisik.RayonBilles2;
    const double M = Fisik.MasseBilles;
    const double p = Fisik.PerteEcQB;
    // With a tip efficiency below 1 the strike is solved as if the tip met the ball at that
    // share of its offsets: the ball takes less spin for the same offset.
    const double rendement = Fisik.RendementProcede;
    const double E = Coup.Effet * rendement, H = Coup.Hauteur * rendement;
    const double ca = std::cos(Coup.AngleTapis), sa = std::sin(Coup.AngleTapis);
    const double ct = std::cos(Coup.AngleOx), st = std::sin(Coup.AngleOx);
    TCinematique& b1 = Trajets[1][0];

    // A tip beyond the ball's outline misses it: nothing to solve.
    const bool manque =
        Coup.Effet * Coup.Effet + Coup.Hauteur * Coup.Hauteur > R2 || E * E + H * H > R2;
    const TVecteur Pq = Vecteur(manque ? 0.0 : -std::sqrt(R2 - E * E - H * H), E, H);
    const TVecteur Dq = Vecteur(ca, 0, -sa);
    const double F = 1 + 2.5 * Norme2(ProdVect(Pq, Dq)) / R2;
    const TVecteur Vc = Mult(Vecteur(ca * ct, ca * st, -sa), Coup.Vq);
    const TVecteur Pt = Vecteur(Pq.x * ct + Pq.y * st, Pq.x * st - Pq.y * ct, Pq.z);
    const double delta = (1 - p) - p * F * Coup.m / M;

    if (manque || delta < 0) {
        QueueInsoluble = true;
        b1.Vitesse = VecteurNul;
        b1.Rotation = VecteurNul;
    } else {
        QueueInsoluble = false;
        const double k = (1 + std::sqrt(delta)) / (M / Coup.m + F);
        b1.Vitesse = Mult(Vc, k);
        b1.Rotation = Mult(ProdVect(Pt, b1.Vitesse), 5 / (2 * R2));
        if (Fisik.MasseBoutQueue > 0 && Coup.Effet != 0) b1.Vitesse = Devie(b1.Vitesse);
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

double TBillardAlveran::AngleDeviation() const {
    // The cue's end mass Me moves with the tip during the contact; the ball (mass M) struck
    // at a side offset s (fraction of R) pushes it sideways and leaves at an angle θ from the
    // cue's line: tan θ = (5/2)·s·√(1 − s²) / (1 + M/Me + (5/2)·(1 − s²)).
    const double Me = Fisik.MasseBoutQueue;
    const double R = Fisik.RayonBilles();
    const double s = Coup.Effet / R;
    if (!(Me > 0) || s == 0 || !(s * s < 1)) return 0;
    const double c = 1 - s * s;
    return std::atan(2.5 * s * std::sqrt(c) / (1 + Fisik.MasseBilles / Me + 2.5 * c));
}

TVecteur TBillardAlveran::Devie(TVecteur v) const {
    // A tip right of the aim (Effet > 0) sends the ball to the left of it: a turn towards +y
    // from +x, that is a positive angle. Only the horizontal direction turns.
    const double theta = AngleDeviation();
    const double c = std::cos(theta), s = std::sin(theta);
    return Vecteur(v.x * c - v.y * s, v.x * s + v.y * c, v.z);
}

void TBillardAlveran::Enregistre(const TEtatBille& B1, const TEtatBille& B2, const TEtatBille& B3,
                                 double t, TTypeChoc Kind) {
    assert(NbEnr >= 0 && NbEnr <= NbEnrMax);
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

/// The working data of one trajectory computation.
struct TBillardAlveran::TBoucle {
    TEtatBille B[3]{}; ///< balls 1, 2, 3
    TChocPrevu S;      ///< the earliest impact of the current step
    double t = 0;      ///< shot time (s)
    double tEnr = 0;   ///< time of the next periodic record (s)
    double h = 0;      ///< length of the current step (s)

    // Per-shot values, the same doubles the constants give.
    TConstantesPas k;
    double L = 0;
    double D = 0;
    double dtAnal = 0;
    double dtEnr = 0;
    double v2Lente = 0;
    bool dtAnalValide = false;
};

namespace {
/// Shortens the step h for a ball too fast to cover it without travelling more than D.
inline void Raccourcit(const TEtatBille& b, double D, double v2Lente, double& h, bool& raccourci) {
    const double v2 = Norme2(b.Vitesse);
    if (v2 < v2Lente) return; // too slow to shorten the step: spare the root
    const double s = std::sqrt(v2);
    if (s > 0.001 && D / s < h) {
        h = D / s;
        raccourci = true;
    }
}

/// The ball slides or rolls: the states of most steps, that the runs of free steps take.
inline bool SurLeTapis(const TEtatBille& b) {
    return b.Etat == mGlisse || b.Etat == mRoule;
}
} // namespace

void TBillardAlveran::CalculeTrajets() {
    TBoucle c;
    TEtatBille& B1 = c.B[0];
    TEtatBille& B2 = c.B[1];
    TEtatBille& B3 = c.B[2];
    c.tEnr = Fisik.dtEnr;
    NbEnr = 0;
    NbPas = 0;
    PointReussi = false;
    IndicePoint = NbEnrMax;

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
    for (int b = 0; b < 3; ++b) EtatsEnr[b + 1][0] = c.B[b].Etat;
    c.S.DtPrec = 0;
    c.S.BilleA = nullptr;

    c.k = ConstantesPas();
    c.L = Fisik.largeurJeu();
    c.D = Fisik.DiamBilles;
    c.dtAnal = Fisik.dtAnal;
    c.dtEnr = Fisik.dtEnr;
    c.v2Lente = CarreVitesseLente(c.D, c.dtAnal);
    c.dtAnalValide = std::isfinite(c.dtAnal) && c.dtAnal > 0;

    while (NbEnr < NbEnrMax) {
        TSuitePas suite = Course(c);
        if (suite == TSuitePas::Aucune) suite = Detecte(c);
        if (suite == TSuitePas::Arret) break;
        if (suite == TSuitePas::Choc) PasChoc(c);
        if (suite == TSuitePas::Libre) PasLibre(c);

        if (B1.Etat >= mArret && B2.Etat >= mArret && B3.Etat >= mArret) {
            if (NbEnr < NbEnrMax) {
                Enregistre(B1, B2, B3, c.t, c.S.BilleA ? c.S.BilleA->TypeChoc : cAucun);
                Adherences[NbEnr] = 1000;
            }
            break;
        }
        if (c.t > TFinCalcul || (ArretIssueDecidee && IssueDecidee(c))) {
            if (NbEnr < NbEnrMax && Temps[NbEnr] != c.t) {
                Enregistre(B1, B2, B3, c.t, cAucun);
                Adherences[NbEnr] = 1000;
            }
            break;
        }
    }

    if (B1.Etat == mDehors || B2.Etat == mDehors || B3.Etat == mDehors) PointReussi = false;
    if (ApresCalculTrajets) ApresCalculTrajets.Proc(ApresCalculTrajets.Contexte, *this);
}

bool TBillardAlveran::IssueDecidee(const TBoucle& c) const {
    // A ball off the table stays off, and the shot then scores nothing.
    for (const TEtatBille& b : c.B)
        if (b.Etat == mDehors) return true;
    // The point callback is left in place until the point is made or made impossible.
    if (c.B[0].SurPoint != nullptr) return SansAutreChoc(c);
    if (!PointReussi) return true;
    double energie = 0.0; // per unit mass
    for (const TEtatBille& b : c.B) {
        if (b.Etat == mVole) return false;
        energie += 0.5 * Norme2(b.Vitesse) + 0.2 * Fisik.RayonBilles2 * Norme2(b.Rotation);
    }
    return energie < PartEnergieDecidee * Fisik.G * Fisik.HautBdes();
}

namespace {
/// Box of the centre's path over the rest of a ball's motion if nothing strikes it.
struct TBoite {
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    void Ajoute(const TVecteur& p) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
};

/// False when the ball's motion is not one this bound knows (flying, off the table) or not a
/// finite one. The slide is a parabola P + V·s − A·s²/2, inside the hull of P, P + V·τ/2 and its
/// end (a quadratic Bézier curve); the roll a straight run along its starting velocity that
/// stops within that velocity times its duration.
bool BoiteTrajet(const TEtatBille& b, double t, TBoite& boite, bool& bouge) {
    const TVecteur P = b.Position;
    boite = {P.x, P.x, P.y, P.y};
    bouge = false;
    if (b.Etat == mArret || b.Etat == mPivotSeul) return std::isfinite(P.x) && std::isfinite(P.y);
    if (b.Etat != mGlisse && b.Etat != mRoule) return false;
    bouge = true;
    TVecteur fin = P, V = b.Vitesse;
    double debutRoule = t;
    if (b.Etat == mGlisse) {
        const double tau = std::max(0.0, b.TFinGlisse - t);
        boite.Ajoute(Somme(P, Mult(V, tau / 2)));
        fin = Diff(Somme(P, Mult(V, tau)), Mult(b.DemiAccGlisse, tau * tau));
        V = Diff(V, Mult(b.AccGlisse, tau));
        boite.Ajoute(fin);
        debutRoule = std::max(t, b.TFinGlisse);
    }
    const double duree = std::max(0.0, b.TFinRoule - debutRoule);
    boite.Ajoute(Somme(fin, Mult(V, duree)));
    return std::isfinite(boite.x0) && std::isfinite(boite.x1) && std::isfinite(boite.y0) &&
           std::isfinite(boite.y1);
}
} // namespace

bool TBillardAlveran::SansAutreChoc(const TBoucle& c) const {
    // Rounding between this closed form and the steps that follow it is far below this.
    constexpr double marge = 0.01; // cm
    TBoite boites[3];
    for (int i = 0; i < 3; ++i) {
        bool bouge = false;
        if (!BoiteTrajet(c.B[i], c.t, boites[i], bouge)) return false;
        // A moving ball kept out of every cushion's reach meets none.
        const TBoite& b = boites[i];
        if (bouge && !(b.x0 >= -c.k.PorteeX + marge && b.x1 <= c.k.PorteeX - marge &&
                       b.y0 >= -c.k.PorteeY + marge && b.y1 <= c.k.PorteeY - marge))
            return false;
    }
    // Two balls whose centres' boxes stay a diameter apart along x or y never touch.
    const double ecart = c.D + marge;
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) {
            const TBoite& a = boites[i];
            const TBoite& b = boites[j];
            const bool separees = a.x1 + ecart <= b.x0 || b.x1 + ecart <= a.x0 ||
                                  a.y1 + ecart <= b.y0 || b.y1 + ecart <= a.y0;
            if (!separees) return false;
        }
    return true;
}

TBillardAlveran::TSuitePas TBillardAlveran::Detecte(TBoucle& c) {
    TEtatBille& B1 = c.B[0];
    TEtatBille& B2 = c.B[1];
    TEtatBille& B3 = c.B[2];
    B1.Contre = 0;
    c.S.Dt = DtJamais;
    c.S.Traitement = tAucun;

    // No ball travels more than one diameter in a step.
    c.h = c.dtAnal;
    bool raccourci = false;
    for (const TEtatBille& b : c.B)
        // No speed at rest (an off-table ball may still have one).
        if (b.Etat != mArret) Raccourcit(b, c.D, c.v2Lente, c.h, raccourci);
    // A step that cannot advance the clock (infinite speeds, absurd constants) would
    // never end the shot; so would an endless series of steps.
    const bool pasValide = raccourci ? std::isfinite(c.h) && c.h > 0 : c.dtAnalValide;
    if (!pasValide || NbPas >= NbPasLimite) return TSuitePas::Arret;
    ++NbPas;

    DetecteChocBande(B1, c.S, c.k);
    DetecteChocBande(B2, c.S, c.k);
    DetecteChocBande(B3, c.S, c.k);
    DetecteChocBille(B1, B2, c.S, c.k);
    DetecteChocBille(B1, B3, c.S, c.k);
    DetecteChocBille(B2, B3, c.S, c.k);
    DetecteChocTapis(B1, c.S, c.k);
    DetecteChocTapis(B2, c.S, c.k);
    DetecteChocTapis(B3, c.S, c.k);
    return c.S.Traitement == tAucun || c.S.Dt > c.h ? TSuitePas::Libre : TSuitePas::Choc;
}

void TBillardAlveran::PasLibre(TBoucle& c) {
    for (TEtatBille& b : c.B) Deplace(b, c.t, c.h, c.k);
    Avance(c);
}

void TBillardAlveran::Avance(TBoucle& c) {
    c.t = c.t + c.h;
    c.S.DtPrec = c.h;
    if (c.t > c.tEnr) {
        Enregistre(c.B[0], c.B[1], c.B[2], c.t, cAucun);
        Adherences[NbEnr] = 1000;
        c.tEnr = c.tEnr + c.dtEnr;
    }
}

void TBillardAlveran::PasChoc(TBoucle& c) {
    TChocPrevu& S = c.S;
    for (TEtatBille& b : c.B) Deplace(b, c.t, S.Dt, c.k);
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
    c.t = c.t + S.Dt;
    S.DtPrec = 0;
    ApresChoc(A, c.t);
    if (S.Traitement == tChocBille) ApresChoc(*S.ObjetBille, c.t);
    // A ball landing beyond a cushion line has left the table.
    if (S.Traitement == tChocTapis &&
        (std::fabs(A.Position.x) > c.L / 2 || std::fabs(A.Position.y) > c.L))
        A.Etat = mDehors;
    Enregistre(c.B[0], c.B[1], c.B[2], c.t, A.TypeChoc);
    Adherences[NbEnr] = A.Adherence;
}

TBillardAlveran::TSuitePas TBillardAlveran::Course(TBoucle& c) {
    // 1: on the cloth, 0: at rest, −1: any other state.
    const auto classe = [](const TEtatBille& b) {
        return SurLeTapis(b) ? 1 : b.Etat == mArret ? 0 : -1;
    };
    const int t1 = classe(c.B[0]), t2 = classe(c.B[1]), t3 = classe(c.B[2]);
    if (t1 < 0 || t2 < 0 || t3 < 0) return TSuitePas::Aucune;
    switch (t1 + 2 * t2 + 4 * t3) {
    case 1:
        return Course<true, false, false>(c);
    case 2:
        return Course<false, true, false>(c);
    case 3:
        return Course<true, true, false>(c);
    case 4:
        return Course<false, false, true>(c);
    case 5:
        return Course<true, false, true>(c);
    case 6:
        return Course<false, true, true>(c);
    case 7:
        return Course<true, true, true>(c);
    default: // every ball at rest: the computation is over
        return TSuitePas::Aucune;
    }
}

template <bool T1, bool T2, bool T3>
TBillardAlveran::TSuitePas TBillardAlveran::Course(TBoucle& c) {
    TEtatBille& B1 = c.B[0];
    TEtatBille& B2 = c.B[1];
    TEtatBille& B3 = c.B[2];
    TChocPrevu& S = c.S;
    // The clock and the counters stay in registers for the run.
    double t = c.t;
    double tEnr = c.tEnr;
    int64_t pas = NbPas;
    TSuitePas suite = TSuitePas::Fait;
    // The rotation of a rolling ball follows from its velocity: it is set when read, at a
    // record and on leaving the run, once the balls have moved.
    bool rotationsDifferees = false;
    const auto rotations = [&] {
        if (!rotationsDifferees) return;
        if (T1 && B1.Etat == mRoule) RotationRoulement(B1);
        if (T2 && B2.Etat == mRoule) RotationRoulement(B2);
        if (T3 && B3.Etat == mRoule) RotationRoulement(B3);
        rotationsDifferees = false;
    };
    // Only an impact names a ball struck; none happens in a run.
    B1.Contre = 0;
    for (;;) {
        S.Dt = DtJamais;
        S.Traitement = tAucun;

        // The general step, without what the states of resting balls turn away: they
        // neither shorten the step nor move, and are detected only in pairs with a moving
        // ball; the balls on the cloth cannot land on it.
        double h = c.dtAnal;
        bool raccourci = false;
        if constexpr (T1) Raccourcit(B1, c.D, c.v2Lente, h, raccourci);
        if constexpr (T2) Raccourcit(B2, c.D, c.v2Lente, h, raccourci);
        if constexpr (T3) Raccourcit(B3, c.D, c.v2Lente, h, raccourci);
        const bool pasValide = raccourci ? std::isfinite(h) && h > 0 : c.dtAnalValide;
        if (!pasValide || pas >= NbPasLimite) {
            suite = TSuitePas::Arret;
            break;
        }
        ++pas;

        if constexpr (T1) ProposeBandes(B1, S, c.k);
        if constexpr (T2) ProposeBandes(B2, S, c.k);
        if constexpr (T3) ProposeBandes(B3, S, c.k);
        if constexpr (T1 || T2) ProposePaire(B1, B2, S, c.k);
        if constexpr (T1 || T3) ProposePaire(B1, B3, S, c.k);
        if constexpr (T2 || T3) ProposePaire(B2, B3, S, c.k);
        if (!(S.Traitement == tAucun || S.Dt > h)) {
            suite = TSuitePas::Choc;
            break;
        }

        bool surLeTapis = true;
        if constexpr (T1) surLeTapis = DeplaceSurLeTapis(B1, t, h) && surLeTapis;
        if constexpr (T2) surLeTapis = DeplaceSurLeTapis(B2, t, h) && surLeTapis;
        if constexpr (T3) surLeTapis = DeplaceSurLeTapis(B3, t, h) && surLeTapis;
        rotationsDifferees = true;
        t = t + h;
        S.DtPrec = h;
        if (t > tEnr) {
            rotations();
            Enregistre(B1, B2, B3, t, cAucun);
            Adherences[NbEnr] = 1000;
            tEnr = tEnr + c.dtEnr;
            if (NbEnr >= NbEnrMax) break;
            // The loop looks at each record whether the rest of the shot can still change the
            // point (leaving the run and coming back to it computes the same steps).
            if (ArretIssueDecidee) break;
        }
        // A ball that stops may be the last one moving; a shot cut at TFinCalcul ends with
        // the first step past it.
        if (!surLeTapis || t > TFinCalcul) break;
    }
    rotations();
    c.t = t;
    c.tEnr = tEnr;
    NbPas = pas;
    return suite;
}
