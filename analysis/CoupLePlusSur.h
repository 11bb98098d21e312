#pragma once
// The safest stroke of a family of scoring strokes: the one a player of given hands makes most
// often. Its members are screened on a few of the common draws, the best counted on all of
// them, and the best of those refined in continuous aim, effect, height and speed (NLopt,
// without derivatives: on common draws the chance is a step function of the stroke). Every
// stroke kept must score, fired without error, by the family's own contact sequence, so the
// stroke reported still belongs to its family.

#include "analysis/Chance.h"
#include "analysis/PipelineRecherche.h"

#include <atomic>
#include <functional>
#include <cstdint>
#include <string>
#include <vector>

struct TOptionsPlusSur {
    int32_t NbCandidats = 12;    ///< members screened (sampled evenly, the central one always)
    int32_t EssaisTri = 200;     ///< draws of the screening (the first of the common draws)
    int32_t NbFinalistes = 2;    ///< best screened members counted on every draw
    int32_t EvaluationsMax = 12; ///< refinement budget, in counts on every draw
};

/// The safest stroke among and around `membres` (membres[0]: the central stroke, every one
/// scoring by `sequence`), on the caller's engine (its position and constants; its stroke is
/// overwritten), each trial from the cue ball's state `depart`. A stop request ends the
/// refinement early; what was found stays valid.
TCoupSur CoupLePlusSur(TBillardAlveran& moteur, const TCinematique& depart,
                       const std::vector<TCoupQueue>& membres, const std::string& sequence,
                       const TJoueur& joueur, const TTirages& tirages,
                       const TOptionsPlusSur& options = {},
                       const std::atomic<bool>* arret = nullptr);

/// True when `coup`, fired without error, scores with the contact sequence `sequence`.
bool MarqueParSequence(TBillardAlveran& moteur, const TCinematique& depart, const TCoupQueue& coup,
                       const std::string& sequence);

/// The safest stroke of the `nbFamilles` first listed families of a search (routes in rank
/// order, families by size within a route; 0: every one), written into each family's Chance,
/// and the families ranked by it into `r.Solutions.PlusSurs`. The families are shared among
/// `nbThreads` workers, each family found on one of them, so the result does not depend on
/// their number.
/// Returns false when `arret` stopped it (the families done keep their chance).
bool ChancesDesFamilles(const TBillardAlveran& moteur, TResultatRecherche& r, const TJoueur& joueur,
                        const TTirages& tirages, int32_t nbFamilles, int nbThreads,
                        const std::atomic<bool>& arret,
                        const std::function<void(int64_t faits, int64_t total)>& progression,
                        const TOptionsPlusSur& options = {});
