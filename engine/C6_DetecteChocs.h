#pragma once
// Detection of the earliest impact of an analysis step.

#include "engine/C5_ApresChocs.h"

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
};
