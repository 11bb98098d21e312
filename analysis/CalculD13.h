#pragma once
// Characteristics of a three-cushion attempt, read from the engine's records after a shot:
// ball 1's cushion count, whether a contre happened, and how closely the point was made or
// missed (D13, P13, d).

#include "engine/C8_BillardAlveran.h"

#include <cstdint>

/// Value of D13 and P13 when they could not be computed.
inline constexpr double CaracteristiqueNonCalculee = 1000000.0;

/// The last results of a characteristics computation, as a window keeps them between shots.
struct TCaracteristiques {
    double D13 = 0.0;    ///< smallest centre distance of ball 1 to the second object ball (cm)
    double P13 = 0.0;    ///< signed lateral distance of that ball from ball 1's line (cm)
    double d = 0.0;      ///< ball 1's run after that moment, negative when short (cm)
    bool Contre = false; ///< an unwanted ball–ball contact happened
    int32_t Bandes = 0;  ///< ball 1's cushion contacts in the analysed window
    bool Significatif = false; ///< D13, P13 and d were computed by the last call
};

/// Computes the characteristics of the engine's last shot. D13 and P13 are set to
/// CaracteristiqueNonCalculee first; `d` is written only when the result is true (significant).
bool CalculeCaracteristiques(const TBillardAlveran& Moteur, double& D13, double& P13, double& d,
                             bool& Contre, int32_t& Bandes);
/// Same, into a window's last results: `Resultats.d` keeps its value when not significant.
bool CalculeCaracteristiques(const TBillardAlveran& Moteur, TCaracteristiques& Resultats);

/// Closest approach of ball 1 to the second object ball from record k on (or at the point);
/// k becomes the record where it was taken. F is the first object ball's number.
double CalculeD13(const TBillardAlveran& Moteur, int32_t F, int32_t& k);
/// Signed lateral distance of the second object ball from ball 1's line of travel at record k;
/// k may become NbEnr when ball 1's final line passes closer.
double CalculeP13(const TBillardAlveran& Moteur, int32_t F, int32_t& k);
/// Ball 1's run after record k, or minus the distance by which it stopped short.
double CalculeD(const TBillardAlveran& Moteur, int32_t F, int32_t k);
