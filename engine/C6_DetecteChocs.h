#pragma once
// Detection of the earliest impact of an analysis step.

#include "engine/C5_ApresChocs.h"

#include <cmath>

/// The impact response an impact record asks for.
enum TTraitement : uint8_t { tAucun = 0, tChocBille, tChocBande, tChocTapis };

/// The earliest impact found in an analysis step.
struct TChocPrevu {
    TEtatBille* BilleA = nullptr;       ///< the ball that undergoes the impact
    TEtatBille* ObjetBille = nullptr;   ///< the other ball (ball–ball)
    const TBande* ObjetBande = nullptr; ///< the cushion (ball–cushion)
    double Dt = 10000.0;                ///< time to the impact (s); 10000 = none
    double DtPrec = 0.0;                ///< length of the previous free step (s)
    TTraitement Traitement = tAucun;    ///< response to run
};

/// Roots of a·t² + b·t + c = 0.
struct TRacines {
    int Nb = 0;
    double r1 = 0.0;
    double r2 = 0.0;
};

/// The constants every analysis step reads, computed once per shot by the very expressions
/// the steps would evaluate, so that they are the same doubles.
struct TConstantesPas {
    double R = 0.0;         ///< ball radius (cm)
    double R2 = 0.0;        ///< R² (cm²)
    double D2 = 0.0;        ///< D², D the ball diameter (cm²)
    double DeuxD = 0.0;     ///< 2·D: balls closer than this along x or y are tested (cm)
    double Approche1 = 0.0; ///< L/2 − 1.5·D: heading +x beyond it, cushion 1 is in reach (cm)
    double Approche3 = 0.0; ///< −L/2 + 1.5·D: heading −x below it, cushion 3 (cm)
    double Approche2 = 0.0; ///< L − 1.5·D: heading +y beyond it, cushion 2 (cm)
    double Approche4 = 0.0; ///< −L + 1.5·D: heading −y below it, cushion 4 (cm)
    double PorteeX = 0.0;   ///< |x| at or below which neither cushion 1 nor 3 is in reach (cm)
    double PorteeY = 0.0;   ///< |y| at or below which neither cushion 2 nor 4 is in reach (cm)
    double HorsX = 0.0;     ///< L/2 + R: a flying ball beyond it in |x| is off the table (cm)
    double HorsY = 0.0;     ///< L + R: the same in |y| (cm)
};

class TAlveranDetecteChocs : public TAlveranApresChocs {
  public:
    static constexpr double DtJamais = 10000.0; ///< "never" as a detection time (s)

    static TRacines RacinesTrinome(double a, double b, double c);
    /// Earliest contact time of a trinomial, DtJamais when none.
    static double InstantContact(double a, double b, double c, double DtPrec);

    /// The step constants of the current Fisik.
    TConstantesPas ConstantesPas() const;

    void DetecteChocBande(TEtatBille& bille, TChocPrevu& choc) const;
    void DetecteChocBille(TEtatBille& bille1, TEtatBille& bille2, TChocPrevu& choc) const;
    void DetecteChocTapis(TEtatBille& bille, TChocPrevu& choc) const;
    // The same, with the step constants computed once for the shot.
    void DetecteChocBande(TEtatBille& bille, TChocPrevu& choc, const TConstantesPas& k) const;
    void DetecteChocBille(TEtatBille& bille1, TEtatBille& bille2, TChocPrevu& choc,
                          const TConstantesPas& k) const;
    void DetecteChocTapis(TEtatBille& bille, TChocPrevu& choc, const TConstantesPas& k) const;

  protected:
    // DetecteChocBande and DetecteChocBille for balls whose states are known to call for
    // the tests: a ball that flies, slides or rolls; a pair of which one at least does.
    void ProposeBandes(TEtatBille& bille, TChocPrevu& choc, const TConstantesPas& k) const;
    static void ProposePaire(TEtatBille& bille1, TEtatBille& bille2, TChocPrevu& choc,
                             const TConstantesPas& k);
    /// Replaces the record's content with a strictly earlier candidate.
    static void Propose(TChocPrevu& choc, double t, TEtatBille& bille, TEtatBille* objetBille,
                        const TBande* objetBande, TTraitement traitement);
    /// Offers the impact of a ball with one cushion's nose line. `v` and `dp` are the ball's
    /// velocity and its offset from the line's point along the axis across the cushion; only
    /// that axis and z count.
    static void ProposeBande(TChocPrevu& choc, TEtatBille& bille, const TBande& bande, double v,
                             double dp, double R2);
};

// The detection runs at every analysis step: its bodies live here so that the trajectory
// loop compiles them in place.

inline TRacines TAlveranDetecteChocs::RacinesTrinome(double a, double b, double c) {
    TRacines r;
    if (a == 0) {
        if (b == 0) return r;
        r.Nb = 1;
        r.r1 = r.r2 = -c / b;
        return r;
    }
    const double delta = b * b - 4 * a * c;
    if (delta < 0) return r;
    if (delta > 0) {
        const double s = std::sqrt(delta);
        r.Nb = 2;
        r.r1 = (-b + s) / (2 * a);
        r.r2 = (-b - s) / (2 * a);
        return r;
    }
    r.Nb = 1;
    r.r1 = r.r2 = -b / (2 * a);
    return r;
}

inline double TAlveranDetecteChocs::InstantContact(double a, double b, double c, double DtPrec) {
    TRacines r = RacinesTrinome(a, b, c);
    if (r.Nb == 0) return DtJamais;
    // A contact before the start of the previous free step is answered at once.
    if (r.r1 + DtPrec < 0) r.r1 = 0;
    if (r.r2 + DtPrec < 0) r.r2 = 0;
    return r.r1 < r.r2 ? r.r1 : r.r2;
}

inline void TAlveranDetecteChocs::Propose(TChocPrevu& choc, double t, TEtatBille& bille,
                                          TEtatBille* objetBille, const TBande* objetBande,
                                          TTraitement traitement) {
    if (t < choc.Dt) {
        choc.Dt = t;
        choc.BilleA = &bille;
        choc.ObjetBille = objetBille;
        choc.ObjetBande = objetBande;
        choc.Traitement = traitement;
    }
}

inline void TAlveranDetecteChocs::ProposeBande(TChocPrevu& choc, TEtatBille& bille,
                                               const TBande& bande, double v, double dp,
                                               double R2) {
    const double Vz = bille.Vitesse.z;
    const double dz = bille.Position.z - bande.Point.z;
    const double a = v * v + Vz * Vz;
    const double b = 2 * (v * dp + Vz * dz);
    const double c = dp * dp + dz * dz - R2;
    // A ball not closing on the nose line cannot strike it (a rising or sinking ball would
    // otherwise get an impact with a negative impulse).
    if (b < 0)
        Propose(choc, InstantContact(a, b, c, choc.DtPrec), bille, nullptr, &bande, tChocBande);
}

inline void TAlveranDetecteChocs::DetecteChocBande(TEtatBille& bille, TChocPrevu& choc,
                                                   const TConstantesPas& k) const {
    if (bille.Etat > mRoule) return;
    ProposeBandes(bille, choc, k);
}

inline void TAlveranDetecteChocs::ProposeBandes(TEtatBille& bille, TChocPrevu& choc,
                                                const TConstantesPas& k) const {
    const TVecteur P = bille.Position, V = bille.Vitesse;
    // Most of the time the ball is away from every cushion: two tests say so.
    if (!(std::fabs(P.x) > k.PorteeX) && !(std::fabs(P.y) > k.PorteeY)) return;

    // Only the cushion ahead on each axis, and only when the ball is within reach of it.
    const TBande* bande = nullptr;
    if (V.x > 0 && P.x > k.Approche1)
        bande = &Fisik.Bandes[0];
    else if (V.x <= 0 && P.x < k.Approche3)
        bande = &Fisik.Bandes[1];
    if (bande) ProposeBande(choc, bille, *bande, V.x, P.x - bande->Point.x, k.R2);

    bande = nullptr;
    if (V.y > 0 && P.y > k.Approche2)
        bande = &Fisik.Bandes[2];
    else if (V.y <= 0 && P.y < k.Approche4)
        bande = &Fisik.Bandes[3];
    if (bande) ProposeBande(choc, bille, *bande, V.y, P.y - bande->Point.y, k.R2);
}

inline void TAlveranDetecteChocs::DetecteChocBille(TEtatBille& bille1, TEtatBille& bille2,
                                                   TChocPrevu& choc,
                                                   const TConstantesPas& k) const {
    if (bille1.Etat > mRoule && bille2.Etat > mRoule) return;
    ProposePaire(bille1, bille2, choc, k);
}

inline void TAlveranDetecteChocs::ProposePaire(TEtatBille& bille1, TEtatBille& bille2,
                                               TChocPrevu& choc, const TConstantesPas& k) {
    const TVecteur dP = Diff(bille2.Position, bille1.Position);
    if (!(std::fabs(dP.x) < k.DeuxD || std::fabs(dP.y) < k.DeuxD)) return;
    const TVecteur dV = Diff(bille2.Vitesse, bille1.Vitesse);
    const double b = 2 * ProdScal(dP, dV);
    if (b >= 0) return; // not approaching
    const double a = Norme2(dV);
    const double c = Norme2(dP) - k.D2;
    Propose(choc, InstantContact(a, b, c, choc.DtPrec), bille1, &bille2, nullptr, tChocBille);
}

inline void TAlveranDetecteChocs::DetecteChocTapis(TEtatBille& bille, TChocPrevu& choc,
                                                   const TConstantesPas& k) const {
    if (bille.Etat != mVole) return;
    const double a = -bille.DemiAccVol.z;
    const double b = bille.Vitesse.z;
    const double c = bille.Position.z - k.R;
    TRacines r = RacinesTrinome(a, b, c);
    if (r.Nb == 0) return;
    // Only a root at which the ball is coming down is a landing.
    if (!(r.r1 * bille.AccVol.z > bille.Vitesse.z)) r.r1 = DtJamais;
    if (!(r.r2 * bille.AccVol.z > bille.Vitesse.z)) r.r2 = DtJamais;
    Propose(choc, r.r1 < r.r2 ? r.r1 : r.r2, bille, nullptr, nullptr, tChocTapis);
}
