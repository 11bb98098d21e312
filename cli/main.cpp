// alveran-cli: the engine without windows, for scripts, batch studies and outside checks.

#include "cli/Commandes.h"
#include "cli/Options.h"
#include "cli/Sorties.h"
#include "cli/Suivi.h"
#include "engine/EcritureFichier.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>
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

/// The reason of a failed write, as the user would say it; empty when errno tells nothing.
std::string RaisonEchec(int erreur) {
    return erreur == 0 ? std::string() : " : " + TexteErreurSysteme(erreur);
}

/// Writes all of `texte` on stdout and flushes it. A large text bypasses the stdio buffer, so
/// both the write and the flush are checked: a result that did not reach its reader is a
/// failure, not a success.
int EcritSortie(std::string_view texte) {
    errno = 0;
    if (std::fwrite(texte.data(), 1, texte.size(), stdout) == texte.size() &&
        std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    return Erreur("impossible d'écrire la sortie" + RaisonEchec(errno));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(Usage().c_str(), stderr);
        return 2;
    }
    const std::string_view nom = argv[1];
    if (nom == "--help" || nom == "-h") {
        return EcritSortie(Usage());
    }
    for (const TSousCommande& c : SousCommandes) {
        if (c.Nom != nom) continue;
        try {
            return EcritSortie(c.Execute(TArguments(argv + 2, argv + argc)));
        } catch (const TSortieInterrompue& e) {
            const int statut = EcritSortie(e.Sortie);
            return statut != 0 ? statut : StatutInterrompu;
        } catch (const TSortieIncomplete& e) {
            // The result is printed all the same: only the named output file is missing.
            EcritSortie(e.Sortie);
            return Erreur(e.Message);
        } catch (const TErreurCommande& e) {
            return Erreur(e.Message);
        } catch (const std::exception& e) {
            return Erreur(e.what());
        }
    }
    return Erreur("sous-commande inconnue : " + std::string(nom));
}
