#pragma once
// The player options of the commands that compute chances (chance, solve --chance): a preset
// player, spreads given one by one, the number of trials and the seed of their draws.

#include "analysis/Chance.h"
#include "cli/Json.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct TOptionsJoueur {
    std::optional<TJoueur> Preset;                 ///< --player
    std::optional<double> Angle, Procede, Vitesse; ///< --sigma-aim, --sigma-tip, --sigma-speed
    int32_t Essais = NbEssaisDefaut;               ///< --samples
    uint64_t Graine = GraineDefaut;                ///< --seed
    bool Donnee = false;                           ///< any of these options given

    /// The player: the preset's spreads ("Joueur de club" without --player) with the spreads
    /// given one by one in their place; named "personnalise" as soon as one is given.
    TJoueur Joueur() const;
};

/// Takes arguments[i] when it is one of the player options (with its value, advancing `i`).
bool LitOptionJoueur(const std::vector<std::string>& arguments, std::size_t& i,
                     TOptionsJoueur& options);

/// "Joueur": {"Nom", "EcartAngle", "EcartProcede", "EcartVitesse"}.
void EcritJoueur(TJson& json, const TJoueur& joueur);
/// "Probabilite", "Intervalle": [low, high].
void EcritProbabilite(TJson& json, const TChance& chance);
