#include "cli/FichierBloc.h"

#include "cli/Options.h"

#include <fstream>
#include <iterator>
#include <vector>

TCoupDb LitFichierBloc(const std::string& chemin) {
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

void EcritFichierBloc(const std::string& chemin, const TCoupDb& bloc) {
    const TOctetsCoupDb octets = EncodeCoupDb(bloc);
    std::ofstream f(chemin, std::ios::binary | std::ios::trunc);
    if (f)
        f.write(reinterpret_cast<const char*>(octets.data()),
                static_cast<std::streamsize>(octets.size()));
    f.close();
    if (!f) throw TErreurCommande{"impossible d'écrire le bloc : " + chemin};
}
