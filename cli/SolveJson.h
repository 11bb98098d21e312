#pragma once
// The JSON of alveran-cli solve: the result (grid, counts, routes and their families, scoring
// cells) and the partial result of one share, which carries everything a merge needs to
// rebuild the result of the whole grid: the grid, the engine's state and the scoring strokes.

#include "analysis/RechercheFamilles.h"
#include "analysis/RechercheSolutions.h"
#include "cli/Json.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

/// The members of a result: Grille, Tires, Reussis, Interrompu (only when true), Routes (each
/// family with its Chance once computed), with `plusSurs` ≥ 0 PlusSurs (the `plusSurs` safest
/// families) and, with `cellules`, Cellules. The caller opens and closes the object (and adds
/// Joueur, Secondes).
void EcritSolutions(TJson& json, const TGrilleRecherche& grille, const TCoupsRecherche& coups,
                    const TSolutions& solutions, bool cellules, int32_t plusSurs = -1);

/// The members of a chance: Probabilite, Intervalle and Coup {AngleOx (degrees), Effet,
/// Hauteur, Vq}.
void EcritChanceCoup(TJson& json, const TCoupSur& sur);

/// The partial result of share `partage` as one JSON object, with its newline.
std::string TextePartiel(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                         TPartageRecherche partage, const TCoupsRecherche& coups, double secondes);

/// The JSON object `objet` (ending with its closing brace) with the digest of everything before
/// it added as its last member, "Empreinte": a part changed after it was written is refused.
std::string AvecEmpreinte(std::string_view objet);

/// A partial result read back.
struct TPartielLu {
    TPartageRecherche Partage;
    TGrilleRecherche Grille;
    std::unique_ptr<TBillardAlveran> Moteur;
    TCoupsRecherche Coups;
    double Secondes = 0.0;
    /// The grid and the engine as written, to check that the shares come from one search.
    std::string Origine;
};

/// Reads a partial result; a missing file, one that is not a partial result of solve, or one
/// changed since it was written (its digest, its counts against its cells, its cells against
/// its share's blocks, its sequence table) is a TErreurCommande naming the file.
TPartielLu LitPartiel(const std::string& chemin);
/// The same from the text of a partial result; `nom` names it in the errors. A grid of more
/// than `nbPointsMax` points is refused before anything is allocated for it.
TPartielLu LitPartielTexte(const std::string& texte, const std::string& nom,
                           int64_t nbPointsMax = INT64_MAX);
