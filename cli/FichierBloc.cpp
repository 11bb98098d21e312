#include "cli/FichierBloc.h"

#include "cli/Options.h"
#include "cli/Sorties.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

TCoupDb LitFichierBloc(const std::string& chemin) {
    std::error_code ec;
    const fs::file_status etat = fs::status(chemin, ec);
    // Opening a FIFO would wait for a writer that may never come.
    if (fs::exists(etat) && !fs::is_regular_file(etat))
        throw TErreurCommande{"--bloc n'est pas un fichier ordinaire : " + chemin};
    std::ifstream f(chemin, std::ios::binary);
    if (!f) throw TErreurCommande{"bloc introuvable ou illisible : " + chemin};
    // Read at most one byte more than a block: enough to tell a file that is too long.
    std::vector<char> octets(TailleCoupDb + 1);
    f.read(octets.data(), static_cast<std::streamsize>(octets.size()));
    if (f.bad()) throw TErreurCommande{"bloc illisible : " + chemin};
    const auto lus = static_cast<std::size_t>(f.gcount());
    if (lus != TailleCoupDb)
        throw TErreurCommande{
            "un bloc fait 296 octets, " + chemin +
            (lus > TailleCoupDb ? " en a davantage" : " en a " + std::to_string(lus))};
    TOctetsCoupDb tampon;
    for (std::size_t i = 0; i < TailleCoupDb; ++i) tampon[i] = static_cast<uint8_t>(octets[i]);
    return DecodeCoupDb(tampon);
}

void VerifieSortie(const std::string& sortie, const std::string& entree) {
    VerifieSortieCommande("--out", sortie, std::span(&entree, 1));
}

void EcritFichierBloc(const std::string& chemin, const TCoupDb& bloc) {
    const TOctetsCoupDb octets = EncodeCoupDb(bloc);
    if (const std::string echec = EcritSortieCommande(
            chemin, std::string_view(reinterpret_cast<const char*>(octets.data()), octets.size()));
        !echec.empty())
        throw TErreurCommande{echec};
}
