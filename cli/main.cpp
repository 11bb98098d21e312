// alveran-cli: the engine without windows, for scripts, batch studies and outside checks.

#include "cli/Commandes.h"
#include "cli/Options.h"

#include <cstdio>
#include <exception>
#include <string_view>

namespace {

struct TSousCommande {
    std::string_view Nom;
    std::string (*Execute)(const TArguments&);
    std::string_view Usage;
};

constexpr TSousCommande SousCommandes[] = {
#define SOUS_COMMANDE(nom, fonction, usage) {nom, &fonction, usage},
#include "cli/Commandes.def"
#undef SOUS_COMMANDE
};

std::string Usage() {
    std::string texte = "usage :";
    for (const TSousCommande& c : SousCommandes) {
        texte += "\n  alveran-cli ";
        texte += c.Usage;
    }
    return texte + "\n";
}

int Erreur(std::string_view message) {
    std::fprintf(stderr, "alveran-cli: %.*s\n", static_cast<int>(message.size()), message.data());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(Usage().c_str(), stderr);
        return 2;
    }
    const std::string_view nom = argv[1];
    if (nom == "--help" || nom == "-h") {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    for (const TSousCommande& c : SousCommandes) {
        if (c.Nom != nom) continue;
        try {
            const std::string sortie = c.Execute(TArguments(argv + 2, argv + argc));
            std::fwrite(sortie.data(), 1, sortie.size(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        } catch (const TErreurCommande& e) {
            return Erreur(e.Message);
        } catch (const std::exception& e) {
            return Erreur(e.what());
        }
    }
    return Erreur("sous-commande inconnue : " + std::string(nom));
}
