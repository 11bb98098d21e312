// alveran-cli chance FILE.alv [--mode …] [--set NAME=VALUE]... [--preset match|defaut]
//   [--player maitre|confirme|club|debutant] [--sigma-aim DEG] [--sigma-tip CM]
//   [--sigma-speed PCT] [--samples N] [--seed N] [--threads N]
//
// The chance that a player makes the file's stroke: the share of trials with the player's
// errors that make the point, with its 95 % interval.

#include "analysis/Chance.h"
#include "cli/Commandes.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "cli/OptionsJoueur.h"
#include "cli/Suivi.h"

#include <chrono>
#include <memory>

std::string CmdChance(const TArguments& arguments) {
    const auto debut = std::chrono::steady_clock::now();
    TOptionsMoteur options;
    TOptionsJoueur joueur;
    std::string fichier;
    int threads = ThreadsParDefaut();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string v;
        if (LitOptionMoteur(arguments, i, options) || LitOptionJoueur(arguments, i, joueur))
            continue;
        if (ValeurOption(arguments, i, "--threads", v))
            threads = LitThreads(v);
        else
            ArgumentFichier(arguments[i], fichier);
    }
    if (fichier.empty()) throw TErreurCommande{"fichier de position manquant"};
    if (!ExtensionAlv(fichier))
        throw TErreurCommande{"la chance d'un coup demande un fichier de coup .alv : " + fichier};

    // The engine holds its records in fixed arrays (several hundred kB): not on the stack.
    const auto moteur = std::make_unique<TBillardAlveran>();
    AppliqueOptions(options, *moteur);
    ChargeCoup(*moteur, fichier);
    const TJoueur j = joueur.Joueur();
    const TTirages tirages(joueur.Essais, joueur.Graine);

    // Short work (milliseconds for the default count): Ctrl+C ends the program as usual.
    const TChance c = ChanceCoup(*moteur, moteur->Coup, j, tirages, threads);

    TJson json;
    json.DebutObjet();
    EcritProbabilite(json, c);
    json.Membre("Essais", c.Comptes.Essais)
        .Membre("Reussis", c.Comptes.Reussis)
        .Membre("FaussesQueues", c.Comptes.FaussesQueues);
    EcritJoueur(json, j);
    json.Membre("Secondes",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count())
        .FinObjet();
    return json.Texte() + "\n";
}
