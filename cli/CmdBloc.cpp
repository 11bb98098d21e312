// alveran-cli bloc FILE [--type 1|2] [--mode libre|1bande|3bandes] [--set NAME=VALUE]... --out PATH

#include "analysis/ComdbAlv.h"
#include "cli/CmdShot.h"
#include "cli/Commandes.h"
#include "cli/FichierBloc.h"
#include "cli/Options.h"

#include <memory>

std::string CmdBloc(const TArguments& arguments) {
    TOptionsMoteur options;
    std::string fichier, sortie, valeur;
    bool queue = true; // the stroke, as the export sends at start
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (LitOptionMoteur(arguments, i, options)) continue;
        if (ValeurOption(arguments, i, "--type", valeur)) {
            if (valeur != "1" && valeur != "2")
                throw TErreurCommande{"type de bloc inconnu (1 ou 2 attendu) : " + valeur};
            queue = valeur == "1";
        } else if (ValeurOption(arguments, i, "--out", valeur)) {
            sortie = valeur;
        } else {
            ArgumentFichier(a, fichier);
        }
    }
    if (fichier.empty()) throw TErreurCommande{"fichier de position manquant"};
    if (sortie.empty()) throw TErreurCommande{"--out manquant : où écrire le bloc"};
    VerifieSortie(sortie, fichier);

    const auto moteur = std::make_unique<TBillardAlveran>();
    AppliqueOptions(options, *moteur);
    TireCoupCharge(*moteur, ChargeCoup(*moteur, fichier));

    // A program that has just started holds zero as its last characteristics.
    TCaracteristiques derniers;
    CalculeCaracteristiques(*moteur, derniers);
    EcritFichierBloc(sortie, PrepareCoupDb(*moteur, derniers, queue));

    TJson json;
    json.DebutObjet();
    EcritResultatCoup(json, *moteur, false);
    json.FinObjet();
    return json.Texte() + "\n";
}
