#pragma once
// Tolerance of a point: the shot is fired over a six-dimensional grid of small variations of
// the stroke and the trials whose point is made are counted.
//
// The six levels, outermost first: 1 Effet, 2 Hauteur, 3 AngleOx, 4 Vq, 5 AngleTapis, 6 m (cue
// mass). Each of levels 1 to 5 visits its central value, then central + 1, 2, … count
// increments, then central − 1, 2, … count increments, every value being reached by adding or
// subtracting the increment to or from the previous one. The results depend on those exact
// floating-point values, so the parallel evaluation rebuilds them by the same additions.
//
// The mass level is asymmetric: upward it tries central + j × increment for j = 0 … count and
// stops at the first miss (these trials are the ones counted in NbEssaisFaits); downward it
// tries every lower mass, reached step by step, without stopping and without counting them as
// trials made.
//
// The evaluators are templates over the engine type so that the enumeration can be checked
// with a light stand-in engine; the engine type needs the six stroke fields, `TireCoup()`,
// `PointReussi`, and (for the parallel evaluation) a copy constructor.

#include "analysis/TravailParallele.h"
#include "engine/C8_BillardAlveran.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

inline constexpr int NbNiveauxTolerance = 6;
/// Largest number of trials on each side of a central value (the window's up-downs stop there).
inline constexpr int32_t NombreMaxTolerance = 100;

/// The grid. Arrays are indexed by level − 1 (index 0 = level 1 = Effet … index 5 = mass).
struct TGrilleTolerance {
    /// Central values in engine units: cm, cm, rad, cm/s, rad, g.
    std::array<double, NbNiveauxTolerance> Centres{};
    /// Increments in engine units (same units as the centres).
    std::array<double, NbNiveauxTolerance> Increments{};
    /// Trials on each side of the central value, 0 to NombreMaxTolerance.
    std::array<int32_t, NbNiveauxTolerance> Nombres{};
};

/// Counters of one evaluation. 64-bit: the product of six (2 × count + 1) reaches 201^6.
struct TResultatTolerance {
    int64_t NbReussis = 0;     ///< trials whose point was made
    int64_t NbEssaisTotal = 0; ///< trials of the grid (of the share evaluated, for a shard)
    int64_t NbEssaisFaits = 0; ///< upward mass trials actually fired
    /// Upward mass trials fired before the last upward pass of level 5 (the last combination
    /// of levels 1 to 4): what a serial evaluation's progress reports last, so the final value
    /// of a progress bar. Meaningful for a whole grid that was not interrupted.
    int64_t NbEssaisAvantDernierePasse = 0;
    /// Combinations of levels 1 to 5 evaluated in full.
    int64_t CombinaisonsFaites = 0;
    bool Interrompu = false; ///< a stop request abandoned the evaluation
};

/// A share of the combinations of levels 1 to 5: those whose rank in the enumeration is
/// Indice modulo Nombre. Nombre runs with Indice = 0 … Nombre − 1 add up to the whole grid.
struct TPartageTolerance {
    int64_t Indice = 0;
    int64_t Nombre = 1;
};

/// Empty when the grid can be evaluated, otherwise the reason in a few words.
std::string VerifieGrille(const TGrilleTolerance& grille);
/// Product over the six levels of (2 × count + 1).
int64_t NbEssaisGrille(const TGrilleTolerance& grille);
/// Product over levels 1 to 5 of (2 × count + 1): the units of work of the enumeration.
int64_t NbCombinaisons(const TGrilleTolerance& grille);
/// Combinations of levels 1 to 5 that belong to a share.
int64_t NbCombinaisonsPartage(const TGrilleTolerance& grille, TPartageTolerance partage);
/// The values level `niveau` (1 to 5) visits, in visiting order, built by the same successive
/// additions and subtractions as the enumeration: 2 × count + 1 values.
std::vector<double> ValeursNiveau(const TGrilleTolerance& grille, int niveau);
/// The engine field of a level (1 Effet … 6 m).
template <class TMoteur> auto& ParametreNiveau(TMoteur& moteur, int niveau) {
    switch (niveau) {
    case 1:
        return moteur.Coup.Effet;
    case 2:
        return moteur.Coup.Hauteur;
    case 3:
        return moteur.Coup.AngleOx;
    case 4:
        return moteur.Coup.Vq;
    case 5:
        return moteur.Coup.AngleTapis;
    default:
        return moteur.Coup.m;
    }
}

/// Writes the six central values back into the engine's stroke.
template <class TMoteur> void RestaureCentres(TMoteur& moteur, const TGrilleTolerance& grille) {
    for (int k = 1; k <= NbNiveauxTolerance; ++k)
        ParametreNiveau(moteur, k) = grille.Centres[k - 1];
}

/// True when every trial starts from the same state whatever the trials before it. The engine
/// carries one thing from shot to shot: a strike driven into the cloth puts the cue ball's
/// record-0 height at the ball radius, so a cue ball placed at any other height makes each
/// trial depend on the earlier ones. A stand-in engine without records carries nothing.
template <class TMoteur> bool TirsIndependants(const TMoteur&) {
    return true;
}
inline bool TirsIndependants(const TBillardAlveran& moteur) {
    return moteur.Trajets[1][0].Position.z == moteur.Fisik.RayonBilles();
}

/// The tolerance window's initial counts, levels 1 to 6.
inline constexpr std::array<int32_t, NbNiveauxTolerance> NombresToleranceInitiaux = {5, 5, 5,
                                                                                     2, 2, 0};
/// The tolerance window's initial increments as typed there: cm, cm, °, cm/s, °, g.
inline constexpr std::array<double, NbNiveauxTolerance> IncrementsToleranceInitiaux = {
    0.1, 0.1, 0.1, 10, 2, 10};

/// The grid centred on the engine's stroke, with increments typed as in the tolerance window
/// (aim and inclination in degrees).
template <class TMoteur>
TGrilleTolerance GrilleToleranceAutour(
    const TMoteur& moteur,
    const std::array<int32_t, NbNiveauxTolerance>& nombres = NombresToleranceInitiaux,
    const std::array<double, NbNiveauxTolerance>& increments = IncrementsToleranceInitiaux) {
    TGrilleTolerance grille;
    for (int k = 1; k <= NbNiveauxTolerance; ++k)
        grille.Centres[k - 1] = ParametreNiveau(moteur, k);
    grille.Increments = increments;
    grille.Increments[2] = Radians(increments[2]);
    grille.Increments[4] = Radians(increments[4]);
    grille.Nombres = nombres;
    return grille;
}

/// What the caller of the serial evaluation may observe and request.
struct TSuiviTolerance {
    /// Called at the start of every upward pass of level 5 (once per combination of levels 1 to
    /// 4) with the trials made so far and the grid's total; a window refreshes its progress bar
    /// and lets its pending events through here.
    std::function<void(int64_t faits, int64_t total)> Progression;
    /// Read at the start of every upward pass of the mass level; true abandons the evaluation.
    const std::atomic<bool>* Arret = nullptr;
};

namespace tolerance_detail {

/// The mass level of one combination of levels 1 to 5: upward from the centre until the first
/// miss, then every lower mass. Returns false when a stop request abandons it before any trial.
template <class TMoteur>
bool PasseMasse(TMoteur& moteur, const TGrilleTolerance& grille, const std::atomic<bool>* arret,
                int64_t& reussis, int64_t& faits) {
    if (arret != nullptr && arret->load(std::memory_order_relaxed)) return false;
    // Only the outcome counts: each trial stops once it is decided (the engine's own flag is
    // given back afterwards).
    struct TArretDecide {
        TMoteur& Moteur;
        bool Avant = false;
        explicit TArretDecide(TMoteur& m) : Moteur(m) {
            if constexpr (requires { m.ArretIssueDecidee; }) {
                Avant = m.ArretIssueDecidee;
                m.ArretIssueDecidee = true;
            }
        }
        ~TArretDecide() {
            if constexpr (requires { Moteur.ArretIssueDecidee; }) Moteur.ArretIssueDecidee = Avant;
        }
    } arretDecide(moteur);
    const double centre = grille.Centres[5];
    const double increment = grille.Increments[5];
    const int32_t nombre = grille.Nombres[5];
    for (int32_t j = 0; j <= nombre; ++j) {
        ++faits;
        moteur.Coup.m = centre + static_cast<double>(j) * increment;
        moteur.TireCoup();
        if (!moteur.PointReussi) break;
        ++reussis;
    }
    moteur.Coup.m = centre;
    for (int32_t j = 0; j < nombre; ++j) {
        moteur.Coup.m -= increment;
        moteur.TireCoup();
        if (moteur.PointReussi) ++reussis;
    }
    return true;
}

/// The serial enumeration, pass by pass, on the caller's engine.
template <class TMoteur> class TEnumeration {
  public:
    TEnumeration(TMoteur& moteur, const TGrilleTolerance& grille, const TSuiviTolerance& suivi)
        : FMoteur(moteur), FGrille(grille), FSuivi(suivi) {}

    TResultatTolerance Execute() {
        FResultat = {};
        FResultat.NbEssaisTotal = NbEssaisGrille(FGrille);
        Monte(1);
        if (!FResultat.Interrompu) Descend(1);
        return FResultat;
    }

  private:
    void Suivants(int k) {
        if (k == NbNiveauxTolerance) {
            if (PasseMasse(FMoteur, FGrille, FSuivi.Arret, FResultat.NbReussis,
                           FResultat.NbEssaisFaits))
                ++FResultat.CombinaisonsFaites;
            else
                FResultat.Interrompu = true;
            return;
        }
        Monte(k);
        if (!FResultat.Interrompu) Descend(k);
    }

    // Levels 6's downward pass is part of PasseMasse; Monte and Descend serve levels 1 to 5.
    void Monte(int k) {
        if (k == 5) {
            FResultat.NbEssaisAvantDernierePasse = FResultat.NbEssaisFaits;
            if (FSuivi.Progression)
                FSuivi.Progression(FResultat.NbEssaisFaits, FResultat.NbEssaisTotal);
        }
        double& valeur = ParametreNiveau(FMoteur, k);
        valeur = FGrille.Centres[k - 1];
        Suivants(k + 1);
        for (int32_t i = 0; i < FGrille.Nombres[k - 1] && !FResultat.Interrompu; ++i) {
            valeur += FGrille.Increments[k - 1];
            Suivants(k + 1);
        }
    }

    void Descend(int k) {
        double& valeur = ParametreNiveau(FMoteur, k);
        valeur = FGrille.Centres[k - 1];
        for (int32_t i = 0; i < FGrille.Nombres[k - 1] && !FResultat.Interrompu; ++i) {
            valeur -= FGrille.Increments[k - 1];
            Suivants(k + 1);
        }
    }

    TMoteur& FMoteur;
    const TGrilleTolerance& FGrille;
    const TSuiviTolerance& FSuivi;
    TResultatTolerance FResultat;
};

/// Puts the central stroke back into the engine however the evaluation ends.
template <class TMoteur> struct TRestaurationCentres {
    TMoteur& Moteur;
    const TGrilleTolerance& Grille;
    ~TRestaurationCentres() { RestaureCentres(Moteur, Grille); }
};

} // namespace tolerance_detail

/// Serial evaluation on the caller's engine, in the caller's thread. The engine's six stroke
/// values hold the central values again when it returns, also after an interruption. The grid
/// must satisfy VerifieGrille.
template <class TMoteur>
TResultatTolerance EvalueTolerance(TMoteur& moteur, const TGrilleTolerance& grille,
                                   const TSuiviTolerance& suivi = {}) {
    tolerance_detail::TRestaurationCentres<TMoteur> restauration{moteur, grille};
    return tolerance_detail::TEnumeration<TMoteur>(moteur, grille, suivi).Execute();
}

/// Progress of a parallel evaluation, as read by `TEvaluationParallele::Progression`.
struct TProgressionTolerance {
    int64_t CombinaisonsFaites = 0; ///< combinations of levels 1 to 5 finished
    int64_t Combinaisons = 0;       ///< combinations of levels 1 to 5 to evaluate
    int64_t NbEssaisFaits = 0;      ///< upward mass trials fired so far
    int64_t NbReussis = 0;          ///< successes so far
};

/// Parallel evaluation: the same counts as EvalueTolerance, on several threads.
///
/// The workers are a team of engine copies (TEquipeMoteurs). The units of work are the
/// combinations of levels 1 to 5, handed out one by one in enumeration order; a worker sets the
/// five stroke values of its combination from tables built by the enumeration's own additions,
/// then runs the mass level exactly as the serial evaluation does. A stop request is seen by
/// every worker before its next mass pass, so within one combination.
///
/// Progress is polled: Progression() may be called from any thread at any time (a window reads
/// it from a timer). No callback runs on the worker threads.
template <class TMoteur> class TEvaluationParallele {
  public:
    TEvaluationParallele() = default;
    TEvaluationParallele(const TEvaluationParallele&) = delete;
    TEvaluationParallele& operator=(const TEvaluationParallele&) = delete;
    ~TEvaluationParallele() {
        FEquipe.Arrete();
        FEquipe.Rejoint();
    }

    /// Starts the workers (at least 1, at most one per combination; exactly 1 when the trials
    /// are not independent, so that the one worker fires the serial sequence of shots on one
    /// engine copy — a share other than the whole grid then cannot reproduce the serial
    /// history, see TirsIndependants). `moteur` must outlive the
    /// evaluation: Attend writes the central stroke back into it. The grid must satisfy
    /// VerifieGrille and the share 0 ≤ Indice < Nombre.
    void Demarre(TMoteur& moteur, const TGrilleTolerance& grille, int nbThreads,
                 TPartageTolerance partage = {}) {
        FEquipe.Arrete();
        FEquipe.Rejoint();
        FMoteur = &moteur;
        FGrille = grille;
        FPartage = partage;
        FCombinaisons = NbCombinaisonsPartage(grille, partage);
        // The last upward pass of level 5 and the downward one after it: the last 2 × count + 1
        // combinations of levels 1 to 5 in the enumeration.
        FDebutDernierePasse =
            NbCombinaisons(grille) - (2 * static_cast<int64_t>(grille.Nombres[4]) + 1);
        for (int k = 1; k <= 5; ++k) FValeurs[k - 1] = ValeursNiveau(grille, k);
        FEssaisFaits.store(0);
        FEssaisDernierePasse.store(0);
        FReussis.store(0);
        const int64_t nb =
            TirsIndependants(moteur)
                ? std::clamp<int64_t>(nbThreads, 1, std::max<int64_t>(FCombinaisons, 1))
                : 1;
        FEquipe.Demarre(moteur, static_cast<int>(nb), FCombinaisons,
                        [this](TMoteur& copie, int64_t rang) { return Combinaison(copie, rang); });
    }

    /// Asks every worker to stop before its next combination. Any thread may call it.
    void Arrete() { FEquipe.Arrete(); }

    /// True once every worker has finished (Attend then returns at once).
    bool Termine() const { return FEquipe.Termine(); }

    TProgressionTolerance Progression() const {
        return {FEquipe.UnitesFaites(), FCombinaisons, FEssaisFaits.load(std::memory_order_relaxed),
                FReussis.load(std::memory_order_relaxed)};
    }

    /// Number of workers started by the last Demarre.
    int NbThreads() const { return FEquipe.NbThreads(); }

    /// Waits for the workers, writes the central stroke back into the engine and returns the
    /// counts (Interrompu when a stop request cut the enumeration short).
    TResultatTolerance Attend() {
        FEquipe.Rejoint();
        TResultatTolerance resultat;
        resultat.NbReussis = FReussis.load();
        resultat.NbEssaisFaits = FEssaisFaits.load();
        resultat.NbEssaisTotal = FCombinaisons * (2 * static_cast<int64_t>(FGrille.Nombres[5]) + 1);
        resultat.NbEssaisAvantDernierePasse = resultat.NbEssaisFaits - FEssaisDernierePasse.load();
        resultat.CombinaisonsFaites = FEquipe.UnitesFaites();
        resultat.Interrompu = resultat.CombinaisonsFaites < FCombinaisons;
        if (FMoteur != nullptr) RestaureCentres(*FMoteur, FGrille);
        return resultat;
    }

  private:
    /// One unit of work: the mass level of the combination of that rank within the share.
    bool Combinaison(TMoteur& moteur, int64_t rang) {
        const int64_t rangGrille = FPartage.Indice + rang * FPartage.Nombre;
        PlaceCombinaison(moteur, rangGrille);
        int64_t r = 0;
        int64_t f = 0;
        if (!tolerance_detail::PasseMasse(moteur, FGrille, &FEquipe.Arret(), r, f)) return false;
        FReussis.fetch_add(r, std::memory_order_relaxed);
        FEssaisFaits.fetch_add(f, std::memory_order_relaxed);
        if (rangGrille >= FDebutDernierePasse)
            FEssaisDernierePasse.fetch_add(f, std::memory_order_relaxed);
        return true;
    }

    /// Sets levels 1 to 5 to the values of the combination of that rank (level 1 most
    /// significant, each level's index counted in its visiting order).
    void PlaceCombinaison(TMoteur& moteur, int64_t rang) const {
        for (int k = 5; k >= 1; --k) {
            const auto& valeurs = FValeurs[k - 1];
            const auto n = static_cast<int64_t>(valeurs.size());
            ParametreNiveau(moteur, k) = valeurs[static_cast<size_t>(rang % n)];
            rang /= n;
        }
    }

    TMoteur* FMoteur = nullptr;
    TGrilleTolerance FGrille;
    TPartageTolerance FPartage;
    int64_t FCombinaisons = 0;
    int64_t FDebutDernierePasse = 0; ///< grid rank of the first combination of the last pass
    std::array<std::vector<double>, 5> FValeurs;
    std::atomic<int64_t> FEssaisFaits{0};
    std::atomic<int64_t> FEssaisDernierePasse{0};
    std::atomic<int64_t> FReussis{0};
    TEquipeMoteurs<TMoteur> FEquipe; ///< last member: its workers stop before the rest goes
};

/// Blocking parallel evaluation (the command line's): Demarre, then Attend.
template <class TMoteur>
TResultatTolerance EvalueToleranceParallele(TMoteur& moteur, const TGrilleTolerance& grille,
                                            int nbThreads, TPartageTolerance partage = {}) {
    TEvaluationParallele<TMoteur> evaluation;
    evaluation.Demarre(moteur, grille, nbThreads, partage);
    return evaluation.Attend();
}

extern template TResultatTolerance
EvalueTolerance<TBillardAlveran>(TBillardAlveran&, const TGrilleTolerance&, const TSuiviTolerance&);
extern template class TEvaluationParallele<TBillardAlveran>;
