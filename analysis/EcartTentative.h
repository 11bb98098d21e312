#pragma once
// An attempt against the stroke meant: the tracked cue ball's cushion hits set beside the
// simulated ones, in order, with the distance between each pair — where a coach shows a
// student how far the ball went off the line at each cushion.

#include <vector>

class TBillardAlveran;

/// A place on the table (cm, engine frame: x across, y along).
struct TPointPlan {
    double x = 0.0;
    double y = 0.0;
};

/// One cushion hit of the cue ball, at its centre.
struct TContactBande {
    TPointPlan Centre;
    bool Longue = true; ///< a long cushion (x = ±largeurJeu/2); else a short one (y = ±largeurJeu)
};

/// The k-th cushion of the stroke meant and of the attempt.
struct TEcartBande {
    TContactBande Ideal;
    TContactBande Tentative;
    double Distance = 0.0; ///< between the two centres (cm)
};

struct TComparaisonTentative {
    std::vector<TEcartBande> Ecarts; ///< the cushions both reached, in order
    int NbBandesIdeal = 0;
    int NbBandesTentative = 0;
};

/// How near its cushion's contact line a tracked centre must come for a hit (cm): a few mm of
/// tracking noise and the ball's flattening against the rubber.
inline constexpr double MargeContactMesure = 3.0;
/// How far the ball must come in and go out again for a hit (cm): a ball rolling along a
/// cushion, or noise at rest against it, is not one.
inline constexpr double AllerRetourMin = 0.5;

/// The cushion hits of a tracked cue ball, in time order. `demiLargeur` is largeurJeu/2 (the
/// long cushions' nose lines), `longueur` largeurJeu (the short ones'), `rayon` the ball's: a
/// centre touches a cushion at its nose line less the radius. A hit is where the centre comes
/// within MargeContactMesure of that line and turns back from it.
std::vector<TContactBande> ContactsBandesMesures(const std::vector<TPointPlan>& releves,
                                                 double demiLargeur, double longueur, double rayon);

/// The cue ball's cushion hits in the shot the engine last fired, in order (the records that
/// count a cue-ball cushion).
std::vector<TContactBande> ContactsBandesCoup(const TBillardAlveran& moteur);

/// The cue ball's samples of the shot the engine last fired, every `pas` seconds or so (the
/// records nearest to it): what a tracker filming that shot would give.
std::vector<TPointPlan> EchantillonneQueue(const TBillardAlveran& moteur, double pas);

/// Sets the stroke meant's cushion hits (`ideal`) beside the attempt's, pairing them in order.
TComparaisonTentative CompareTentative(const std::vector<TContactBande>& ideal,
                                       const std::vector<TContactBande>& tentative);
