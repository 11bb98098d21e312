#pragma once
// The safest stroke of a family of scoring strokes: the one a player of given hands makes most
// often. Its members are screened on a few of the common draws, the best counted on all of
// them, and the best of those refined in continuous aim, effect, height and speed (NLopt,
// without derivatives: on common draws the chance is a step function of the stroke). Every
// stroke kept must score, fired without error, by the family's own contact sequence, so the
// stroke reported still belongs to its family.

#include "analysis/Chance.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct TOptionsPlusSur {
    int32_t NbCandidats = 12;   ///< members screened (sampled evenly, the central one always)
    int32_t EssaisTri = 200;    ///< draws of the screening (the first of the common draws)
    int32_t NbFinalistes = 2;   ///< best screened members counted on every draw
    int32_t EvaluationsMax = 12; ///< refinement budget, in counts on every draw
};

struct TCoupSur {
    TCoupQueue Coup;
    TChance Chance;
    TChance ChanceCentre; ///< the family's central stroke on the same draws
    int64_t Essais = 0;   ///< trials fired to find it
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
bool MarqueParSequence(TBillardAlveran& moteur, const TCinematique& depart,
                       const TCoupQueue& coup, const std::string& sequence);
