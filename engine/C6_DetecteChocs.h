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

class TAlveranDetecteChocs : public TAlveranApresChocs {
  public:
    static constexpr double DtJamais = 10000.0; ///< "never" as a detection time (s)

    static TRacines RacinesTrinome(double a, double b, double c);
    /// Earliest contact time of a trinomial, DtJamais when none.
    static double InstantContact(double a, double b, double c, double DtPrec);

    void DetecteChocBande(TEtatBille& bille, TChocPrevu& choc) const;
    void DetecteChocBille(TEtatBille& bille1, TEtatBille& bille2, TChocPrevu& choc) const;
    void DetecteChocTapis(TEtatBille& bille, TChocPrevu& choc) const;
};
