#pragma once
// The output files of the commands (draw --out, solve --map, fit --out-alv, bloc --out): every
// one is checked before the work starts and written whole or not at all (engine/EcritureFichier.h).

#include <span>
#include <string>
#include <string_view>

/// Thrown when the work was done and its result is worth printing, but an output file could not
/// be written: main prints `Sortie` on stdout, `Message` as the one line on stderr, exit 2.
struct TSortieIncomplete {
    std::string Sortie;
    std::string Message;
};

/// Refuses at once, as a TErreurCommande "OPTION : PATH : reason", a path that cannot receive an
/// output: a missing or read-only folder, a read-only file, a FIFO, a device, one of `entrees`.
void VerifieSortieCommande(std::string_view option, const std::string& chemin,
                           std::span<const std::string> entrees = {});

/// Writes `contenu` to `chemin` whole or not at all. Empty on success, otherwise the one line
/// that says which output failed and why ("PATH non écrit : reason").
std::string EcritSortieCommande(const std::string& chemin, std::string_view contenu);
