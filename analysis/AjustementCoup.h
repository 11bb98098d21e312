#pragma once
// The stroke of a tracked shot: the aim, cue speed, side effect, height and the strike's time
// whose simulated trajectories come closest to the tracked ones.
//
// Objective: the weighted RMSE over every tracked sample up to a cutoff,
//
//   RMSE = √( Σ wᵢ·|p_sim(tᵢ − d) − pᵢ|² / Σ wᵢ ),
//   wᵢ = (1.5 for the cue ball, 1 otherwise) / (1 + tᵢ)
//
// tᵢ counted from the cue ball's first sample, d the strike's time on that clock, p_sim the
// simulated centre (x, y) interpolated between the engine's records (each ball at its start
// place before the strike). Early samples weigh more: an error of aim grows along the path,
// and what the first second shows decides the rest.
//
// Robust starts: a local search started from the direction of the cue ball's first samples
// often settles on a stroke that sends the cue ball beside the ball the tracking shows moving
// first. So the fit also aims at where the cue ball must have met that ball (the object ball's
// start place less two radii along its first motion), tries both sides of side effect and of
// height from each aim, and keeps the best. Each start is first searched on a short horizon
// (the meeting with the first object ball and a little more), where a wrong start still shows
// as a small error rather than as another shot; the best few are then searched on the whole
// cutoff, where the start places of the cue ball and of the first object ball may also move
// by a few millimetres (see CorrigeDeparts).

#include "analysis/Optimiseur.h"
#include "analysis/TrajectoireMesuree.h"
#include "engine/C8_BillardAlveran.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

/// The stroke in the engine's units, and when it happened.
struct TCoupAjuste {
    double Vq = 0.0;             ///< cue speed (cm/s)
    double m = 520.0;            ///< cue mass (g)
    double AngleOx = 0.0;        ///< aim, from +x towards +y (rad)
    double AngleTapis = 0.0;     ///< cue inclination (rad)
    double Effet = 0.0;          ///< side offset of the tip (cm)
    double Hauteur = 0.0;        ///< height of the tip above the centre (cm)
    double DecalageFrappe = 0.0; ///< strike time after the cue ball's first sample (s)
    /// What the fit added to each ball's tracked start place (cm), indexed 1 to 3.
    std::array<TVecteur, 4> CorrectionDepart{};
};

struct TOptionsAjustement {
    double Coupure = 4.0;           ///< samples later than this (s after the first) are not scored
    bool AjusteInclinaison = false; ///< fit AngleTapis too (otherwise kept at its value)
    bool AjusteMasse = false;       ///< fit the cue mass too (otherwise kept at its value)
    const std::atomic<bool>* Arret = nullptr; ///< when set, the fit returns its best so far
    /// The local method, and the simulations of each start's search on the first horizon,
    /// of the searches from the best starts on the whole cutoff, and how many are pursued.
    TMethodeLocale Methode = TMethodeLocale::NelderMead;
    int EvaluationsDepart = 120;
    int EvaluationsFinales = 1000;
    int DepartsPoursuivis = 3;
    /// On the whole cutoff, also correct the start places of the cue ball and of the first
    /// object ball (by at most 8 mm): the tracker's few millimetres of noise on where a ball
    /// stands grow along a shot into centimetres, which no stroke can make up for.
    bool CorrigeDeparts = true;
};

/// A tracked shot made ready for fitting.
struct TCoupMesure {
    /// One scored sample; t from the cue ball's first sample (s). Samples before it (an object
    /// ball tracked earlier, a stray time stamp) are not scored.
    struct TEchantillon {
        double t = 0.0;
        double x = 0.0;
        double y = 0.0;
        double Poids = 0.0;
    };
    static constexpr double Jamais = std::numeric_limits<double>::infinity();

    /// Where the balls stand before the strike (ball 1: its first sample; balls 2 and 3: the
    /// mean of their samples before they move), z = R. Indexed 1 to 3.
    std::array<TVecteur, 4> Depart{};
    /// The samples up to the cutoff, per ball, in time order.
    std::array<std::vector<TEchantillon>, 4> Echantillons;
    double SommePoids = 0.0;
    /// When each object ball starts to move (s, from the first sample), or Jamais.
    std::array<double, 4> DebutMouvement{Jamais, Jamais, Jamais, Jamais};
    /// Unit direction of each object ball's first motion (zero if it never moves).
    std::array<TVecteur, 4> DirectionMouvement{};
    /// The object balls (2, 3) in the order they start to move; those that never move are left
    /// out.
    std::vector<int> Ordre;
    /// Samples later than this are not scored (s from the cue ball's first sample): the
    /// cutoff asked for, counted from the strike.
    double Coupure = 4.0;
    /// Where the cutoff counts from: the cue ball's last sample at rest when the tracking
    /// started well before the strike, otherwise 0 (s from its first sample).
    double Frappe = 0.0;
    double Origine = 0.0; ///< file time of the cue ball's first sample (s)
};

/// Prepares `mesure` for fitting with the ball radius of `fisik`; `coupure` as in the options.
TCoupMesure PrepareCoupMesure(const TTrajectoireMesuree& mesure, const TPARAMPHYS& fisik,
                              double coupure);

/// Places the start positions (with the stroke's corrections) and the stroke in the engine (the
/// rest of every ball's record-0 state cleared), as a fit fires them.
void PlaceCoup(TBillardAlveran& moteur, const TCoupMesure& mesure, const TCoupAjuste& coup);

/// The objective above for `coup`, fired on `moteur` with its constants (cm). The engine's
/// records, stroke and TFinCalcul are overwritten.
double RmseCoup(TBillardAlveran& moteur, const TCoupMesure& mesure, const TCoupAjuste& coup);

/// The first guess: aim and speed of the cue ball's first samples, centre strike, and the
/// strike time where their line leaves the start place.
TCoupAjuste PremiereEstimation(TBillardAlveran& moteur, const TCoupMesure& mesure);

/// Whether the whole shot fired with `coup` sets the object balls moving in the tracked order
/// (the tracked order must begin the simulated one).
bool OrdreRespecte(TBillardAlveran& moteur, const TCoupMesure& mesure, const TCoupAjuste& coup);

struct TResultatAjustement {
    TCoupAjuste Coup;
    double RmseInitiale = 0.0; ///< of the first guess (cm)
    double Rmse = 0.0;         ///< of the fitted stroke (cm)
    int64_t Evaluations = 0;   ///< simulations fired
    bool OrdreRespecte = false;
    /// False for a shot that a stop request reached before its fit began: nothing above holds.
    bool Ajuste = false;
};

/// Fewest samples of the cue ball within the cutoff that a fit is scored on.
inline constexpr int NbEchantillonsQueueMin = 5;

/// Empty when the prepared shot has enough samples within its cutoff to be fitted; otherwise
/// why not, in French.
std::string VerifieCoupMesure(const TCoupMesure& mesure);

/// Fastest cue that the stroke controls offer (cm/s): a fit beyond it is no real stroke.
inline constexpr double VqMaxCommandes = 1200.0;

/// Empty when a fitted stroke is one the controls could set (finite, cue speed within
/// 0–VqMaxCommandes, the tip on the ball); otherwise why not, in French.
std::string VerifieCoupAjuste(const TCoupAjuste& coup, const TPARAMPHYS& fisik);

/// The whole fit of one shot on `moteur` (its constants, its mode ignored), the `AngleTapis`
/// and `m` not fitted being taken from `moteur`'s stroke.
TResultatAjustement AjusteCoup(TBillardAlveran& moteur, const TCoupMesure& mesure,
                               const TOptionsAjustement& options);

/// A short local fit from `depart` (a stroke fitted under nearby constants), at most
/// `evaluationsMax` simulations. RmseInitiale is that of `depart`; OrdreRespecte is not
/// computed (false).
TResultatAjustement RaffineCoup(TBillardAlveran& moteur, const TCoupMesure& mesure,
                                const TCoupAjuste& depart, const TOptionsAjustement& options,
                                int evaluationsMax);
