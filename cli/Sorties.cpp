#include "cli/Sorties.h"

#include "cli/Options.h"
#include "engine/EcritureFichier.h"

void VerifieSortieCommande(std::string_view option, const std::string& chemin,
                           std::span<const std::string> entrees) {
    if (const std::string refus = VerifieCheminSortie(chemin, entrees); !refus.empty())
        throw TErreurCommande{std::string(option) + " : " + chemin + " : " + refus};
}

std::string EcritSortieCommande(const std::string& chemin, std::string_view contenu) {
    const std::string raison = EcritFichierEntier(chemin, contenu);
    return raison.empty() ? std::string() : chemin + " non écrit : " + raison;
}
