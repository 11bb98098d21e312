#pragma once
// A set of tracked shots: every stroke fitted on every core, and chosen physical constants
// fitted over the whole set together with each shot's stroke.
//
// The constants fit minimises the median (or the mean) of the shots' RMSE. Each candidate set
// of constants is scored by refitting every stroke briefly from the strokes of the best
// candidate so far (a small change of the constants moves each stroke a little), the shots
// shared out to engine copies that carry the candidate's constants. A held-out check keeps some
// shots out of the fit and scores them, with freshly fitted strokes, under the old and the new
// constants: a gain much larger in-sample than held out means the fit chases noise.

#include "analysis/AjustementCoup.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

/// What the caller of a long fit may observe and request.
struct TSuiviAjustement {
    /// Called as the work advances, from any thread but one call at a time: the step in French
    /// ("ajustement des coups", "constantes", …), the units done and the units of that step.
    std::function<void(std::string_view etape, int64_t faits, int64_t total)> Progression;
    /// When set, the fits return as soon as they can with what they have.
    const std::atomic<bool>* Arret = nullptr;
};

/// Fits every shot's stroke with `modele`'s constants, on `nbThreads` copies of it.
std::vector<TResultatAjustement> AjusteCoups(const TBillardAlveran& modele,
                                             const std::vector<TCoupMesure>& coups,
                                             const TOptionsAjustement& options, int nbThreads,
                                             const TSuiviAjustement& suivi = {});

/// Refits every shot from `departs[i]`, at most `evaluations` simulations each.
std::vector<TResultatAjustement> RaffineCoups(const TBillardAlveran& modele,
                                              const std::vector<TCoupMesure>& coups,
                                              const std::vector<TCoupAjuste>& departs,
                                              const TOptionsAjustement& options, int evaluations,
                                              int nbThreads, const TSuiviAjustement& suivi = {});

/// What the constants fit minimises over the shots' RMSE.
enum class TCritere { Mediane, Moyenne };

double Mediane(std::vector<double> valeurs);
double Moyenne(const std::vector<double>& valeurs);
/// The RMSE of each fitted result (those a stop request left unfitted are not counted).
std::vector<double> Rmses(const std::vector<TResultatAjustement>& resultats);
/// The criterion over the fitted results; NaN when none was fitted.
double Critere(TCritere critere, const std::vector<TResultatAjustement>& resultats);

/// Explicit search bounds of one constant; NaN: the default rule (half to one and a half times
/// its start value).
struct TBornesConstante {
    double Bas = std::numeric_limits<double>::quiet_NaN();
    double Haut = std::numeric_limits<double>::quiet_NaN();
    bool Explicites() const { return Bas == Bas && Haut == Haut; }
};

struct TOptionsConstantes {
    std::vector<int> Indices; ///< indices of the constants to fit (TPARAMPHYS::NomParametre)
    /// Bounds of each constant, in the order of Indices; missing or NaN: the default rule.
    std::vector<TBornesConstante> Bornes;
    TCritere Critere = TCritere::Mediane;
    int EvaluationsRaffinage = 150; ///< simulations of each shot's refit per candidate
    int CandidatsMax = 120;         ///< candidate sets of constants tried at most
    /// The search ends when a step changes every constant by less than this fraction of its
    /// start value.
    double Tolerance = 0.002;
};

struct TResultatConstantes {
    std::vector<double> Depart;             ///< start values, in the order of Indices
    std::vector<double> Valeurs;            ///< fitted values, in the same order
    std::vector<TResultatAjustement> Avant; ///< each shot fitted under the start values
    std::vector<TResultatAjustement> Apres; ///< each shot fitted under the fitted values
    int Candidats = 0;                      ///< candidate sets scored
    bool Interrompu = false;
};

/// Empty when `indices` can be fitted from `fisik`'s values within `bornes` (in the order of
/// `indices`; missing or NaN: the default rule), otherwise why not (in French).
std::string VerifieConstantes(const std::vector<int>& indices, const TPARAMPHYS& fisik,
                              const std::vector<TBornesConstante>& bornes = {});

/// Fits the constants of `options.Indices` from `modele`'s values, over `coups`.
TResultatConstantes AjusteConstantes(const TBillardAlveran& modele,
                                     const std::vector<TCoupMesure>& coups,
                                     const TOptionsAjustement& optionsCoup,
                                     const TOptionsConstantes& options, int nbThreads,
                                     const TSuiviAjustement& suivi = {});

/// Writes `valeurs` into the constants of `indices`.
void AppliqueConstantes(TPARAMPHYS& fisik, const std::vector<int>& indices,
                        const std::vector<double>& valeurs);

/// Held-out shots scored under the start constants (`avant`) and the fitted ones (`apres`):
/// under each, a fresh fit; under the fitted ones also a short refit from the old stroke, the
/// better of the two kept.
struct THorsAjustement {
    std::vector<TResultatAjustement> Avant;
    std::vector<TResultatAjustement> Apres;
};
THorsAjustement EvalueHorsAjustement(const TBillardAlveran& avant, const TBillardAlveran& apres,
                                     const std::vector<TCoupMesure>& coups,
                                     const TOptionsAjustement& options, int nbThreads,
                                     const TSuiviAjustement& suivi = {});

/// The shots kept out of the fit: round(fraction × n) of n (at least one, and at least one
/// left in), drawn by a shuffle seeded with `graine` (std::mt19937_64, the same draw on every
/// machine). Sorted. Empty when n < 2.
std::vector<std::size_t> TirageHorsAjustement(std::size_t n, double fraction, uint64_t graine);
