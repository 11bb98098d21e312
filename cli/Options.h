#pragma once
// What the subcommands that run the engine share: the game mode, the physical constants
// set by name, and reading a shot file into an engine.

#include "analysis/ToleranceCalcul.h"
#include "engine/C8_BillardAlveran.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// A problem with the command line or its inputs: one line on stderr, exit status 2.
struct TErreurCommande {
    std::string Message;
};

/// --mode, --set and --preset, as given on the command line.
struct TOptionsMoteur {
    TModeDeJeu Mode = j3Bandes;
    /// Published index and value of each --set, in the order given (a later one wins).
    std::vector<std::pair<int, double>> Constantes;
};

/// "libre", "1bande" or "3bandes".
TModeDeJeu LitMode(std::string_view texte);
/// "NAME=VALUE" with NAME one of the 19 published constants (exact case).
std::pair<int, double> LitConstante(std::string_view texte);
/// The constants of a named set: "match" (the measured match table) or "defaut", every one
/// of the 19 with its published index.
std::vector<std::pair<int, double>> LitPreset(std::string_view texte);
/// A finite decimal number with "."; `quoi` names it in the error.
double LitValeurCommande(std::string_view texte, std::string_view quoi);

/// The value of an option: "--opt VALUE" (advancing `i`) or "--opt=VALUE". Nothing when
/// arguments[i] is not that option.
bool ValeurOption(const std::vector<std::string>& arguments, std::size_t& i,
                  std::string_view option, std::string& valeur);

/// Any argument that no option took: an unknown option is an error, the first other one is
/// the file, and a second one is an error.
void ArgumentFichier(const std::string& argument, std::string& fichier);

/// Takes arguments[i] when it is --mode, --set or --preset (with its value, advancing `i`).
bool LitOptionMoteur(const std::vector<std::string>& arguments, std::size_t& i,
                     TOptionsMoteur& options);

/// Sets the game mode and the constants (dimensions through their clamping setter).
void AppliqueOptions(const TOptionsMoteur& options, TBillardAlveran& moteur);

/// Reads a ".alv" or ".alv2" file (any letter case) into the engine: returns 1 or 2.
/// A missing, unreadable or too large file or another extension is a TErreurCommande; a
/// file that gave none of the expected values is read (defaults) with a warning on stderr.
int ChargeCoup(TBillardAlveran& moteur, const std::string& fichier);

/// Fires what the file held: the cue strike and trajectories for variant 1, the
/// trajectories alone from the stored velocities and rotations for variant 2.
void TireCoupCharge(TBillardAlveran& moteur, int variante);

/// A whole decimal integer, nothing before or after it.
bool LitEntier(std::string_view texte, int64_t& valeur);
/// Most threads a command runs per core.
inline constexpr int ThreadsParCoeurMax = 4;
/// --threads: an integer from 1 to 1024, brought down (and said so on stderr) to
/// ThreadsParCoeurMax per core of the machine.
int LitThreads(std::string_view texte);
/// One worker per core.
int ThreadsParDefaut();
/// --shard: "K/N" with 0 ≤ K < N.
TPartageTolerance LitPartage(std::string_view texte);
/// True for a name ending in ".alv", any letter case: a stroke file.
bool ExtensionAlv(std::string_view fichier);
