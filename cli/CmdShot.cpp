// alveran-cli shot FILE|--bloc PATH [--mode libre|1bande|3bandes] [--set NAME=VALUE]... [--records]

#include "cli/CmdShot.h"
#include "analysis/CalculD13.h"
#include "analysis/ComdbAlv.h"
#include "cli/Commandes.h"
#include "cli/FichierBloc.h"
#include "cli/Options.h"

#include <memory>

namespace {

void EcritVecteur(TJson& json, std::string_view nom, const TVecteur& v) {
    json.Cle(nom).DebutTableau().Nombre(v.x).Nombre(v.y).Nombre(v.z).FinTableau();
}

void EcritEnregistrement(TJson& json, const TBillardAlveran& moteur, int i) {
    json.DebutObjet()
        .Membre("i", int64_t{i})
        .Membre("Temps", moteur.Temps[i])
        .Membre("TypeChoc", int64_t{moteur.TypesChoc[i]})
        .Membre("Contre", int64_t{moteur.Contres[i]})
        .Membre("Adherence", moteur.Adherences[i]);
    json.Cle("Billes").DebutTableau();
    for (int b = 1; b <= 3; ++b) {
        const TCinematique& k = moteur.Trajets[b][i];
        json.DebutObjet().Membre("Etat", int64_t{moteur.EtatsEnr[b][i]});
        EcritVecteur(json, "Position", k.Position);
        EcritVecteur(json, "Vitesse", k.Vitesse);
        EcritVecteur(json, "Rotation", k.Rotation);
        json.FinObjet();
    }
    json.FinTableau().FinObjet();
}

/// The whole contact sequence and the characteristics; d is 0 when not significant.
void EcritAnalyseCoup(TJson& json, const TBillardAlveran& moteur) {
    json.Membre("Sequence", SequenceContacts(moteur));
    TCaracteristiques c;
    CalculeCaracteristiques(moteur, c);
    json.Cle("Caracteristiques")
        .DebutObjet()
        .Membre("Significatif", c.Significatif)
        .Membre("D13", c.D13)
        .Membre("P13", c.P13)
        .Membre("d", c.d)
        .Membre("Contre", c.Contre)
        .Membre("Bandes", c.Bandes)
        .FinObjet();
}

} // namespace

void EcritResultatCoup(TJson& json, const TBillardAlveran& moteur, bool enregistrements) {
    json.Membre("PointReussi", moteur.PointReussi)
        .Membre("IndicePoint", int64_t{moteur.IndicePoint})
        .Membre("QueueInsoluble", moteur.QueueInsoluble)
        .Membre("NbEnr", int64_t{moteur.NbEnr})
        .Membre("Duree", moteur.Temps[moteur.NbEnr]);
    EcritAnalyseCoup(json, moteur);
    if (!enregistrements) return;
    json.Cle("Enregistrements").DebutTableau();
    for (int i = 0; i <= moteur.NbEnr; ++i) EcritEnregistrement(json, moteur, i);
    json.FinTableau();
}

std::string CmdShot(const TArguments& arguments) {
    TOptionsMoteur options;
    std::string fichier, bloc;
    bool enregistrements = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (LitOptionMoteur(arguments, i, options)) continue;
        if (ValeurOption(arguments, i, "--bloc", bloc)) {
            if (bloc.empty()) throw TErreurCommande{"--bloc sans chemin"};
        } else if (a == "--records") {
            enregistrements = true;
        } else {
            ArgumentFichier(a, fichier);
        }
    }
    if (!fichier.empty() && !bloc.empty())
        throw TErreurCommande{"un fichier de position ou --bloc, pas les deux"};
    if (fichier.empty() && bloc.empty()) throw TErreurCommande{"fichier de position manquant"};

    // The engine holds its records in fixed arrays (several hundred kB): not on the stack.
    const auto moteur = std::make_unique<TBillardAlveran>();
    AppliqueOptions(options, *moteur);
    if (bloc.empty()) {
        const int variante = ChargeCoup(*moteur, fichier);
        TireCoupCharge(*moteur, variante);
    } else {
        // As the main window does with a block sent back by the database application: a
        // stroke is fired, a ball state is computed on without a cue strike. The block's
        // constants replace those of --set that it carries.
        if (RecoitCoupDb(*moteur, LitFichierBloc(bloc)) == tcQueue)
            moteur->TireCoup();
        else
            moteur->CalculeTrajets();
    }

    TJson json;
    json.DebutObjet();
    EcritResultatCoup(json, *moteur, enregistrements);
    json.FinObjet();
    return json.Texte() + "\n";
}
