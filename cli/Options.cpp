#include "cli/Options.h"

#include "analysis/TableDeMatch.h"
#include "engine/Nombres.h"

#include <cctype>
#include <cstdio>

TModeDeJeu LitMode(std::string_view texte) {
    if (texte == "libre") return jLibre;
    if (texte == "1bande") return j1Bande;
    if (texte == "3bandes") return j3Bandes;
    throw TErreurCommande{"mode inconnu : '" + std::string(texte) + "' (libre, 1bande ou 3bandes)"};
}

std::vector<std::pair<int, double>> LitPreset(std::string_view texte) {
    if (texte == "match") return ValeursTableDeMatch();
    if (texte == "defaut") {
        std::vector<std::pair<int, double>> valeurs;
        for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
            valeurs.emplace_back(i, TPARAMPHYS::Defaut(i));
        return valeurs;
    }
    throw TErreurCommande{"préréglage inconnu : '" + std::string(texte) + "' (match ou defaut)"};
}

double LitValeurCommande(std::string_view texte, std::string_view quoi) {
    double valeur = 0.0;
    if (!LitNombre(texte, valeur))
        throw TErreurCommande{"valeur incorrecte pour " + std::string(quoi) + " : '" +
                              std::string(texte) + "'"};
    return valeur;
}

std::pair<int, double> LitConstante(std::string_view texte) {
    const std::size_t egal = texte.find('=');
    if (egal == std::string_view::npos)
        throw TErreurCommande{"--set attend NOM=VALEUR : '" + std::string(texte) + "'"};
    const std::string nom(texte.substr(0, egal));
    const int indice = TPARAMPHYS::IndiceParametre(nom.c_str());
    if (indice < 0) throw TErreurCommande{"constante physique inconnue : '" + nom + "'"};
    return {indice, LitValeurCommande(texte.substr(egal + 1), nom)};
}

bool ValeurOption(const std::vector<std::string>& arguments, std::size_t& i,
                  std::string_view option, std::string& valeur) {
    const std::string_view argument = arguments[i];
    if (argument == option) {
        if (i + 1 >= arguments.size())
            throw TErreurCommande{"valeur manquante après " + std::string(option)};
        valeur = arguments[++i];
        return true;
    }
    if (argument.size() > option.size() && argument.substr(0, option.size()) == option &&
        argument[option.size()] == '=') {
        valeur = std::string(argument.substr(option.size() + 1));
        return true;
    }
    return false;
}

bool LitOptionMoteur(const std::vector<std::string>& arguments, std::size_t& i,
                     TOptionsMoteur& options) {
    std::string valeur;
    if (ValeurOption(arguments, i, "--mode", valeur)) {
        options.Mode = LitMode(valeur);
        return true;
    }
    if (ValeurOption(arguments, i, "--set", valeur)) {
        options.Constantes.push_back(LitConstante(valeur));
        return true;
    }
    if (ValeurOption(arguments, i, "--preset", valeur)) {
        // Every constant, in the command line's order: a --set after it still wins.
        const auto preset = LitPreset(valeur);
        options.Constantes.insert(options.Constantes.end(), preset.begin(), preset.end());
        return true;
    }
    return false;
}

void AppliqueOptions(const TOptionsMoteur& options, TBillardAlveran& moteur) {
    moteur.ModeDeJeu = options.Mode;
    for (const auto& [indice, valeur] : options.Constantes)
        moteur.Fisik.SetParametre(indice, valeur);
}

int ChargeCoup(TBillardAlveran& moteur, const std::string& fichier) {
    const std::size_t point = fichier.rfind('.');
    std::string extension = point == std::string::npos ? "" : fichier.substr(point);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".alv" && extension != ".alv2")
        throw TErreurCommande{"extension inconnue (.alv ou .alv2 attendu) : " + fichier};
    TRapportLecture rapport;
    const int variante = moteur.LitPosition(fichier, rapport);
    switch (rapport.Etat) {
    case lpLu:
        break;
    case lpAbsent:
        // The engine reads a missing file as an empty one; here that is surely a mistake.
        throw TErreurCommande{"fichier introuvable : " + fichier};
    case lpIllisible:
        throw TErreurCommande{"fichier illisible (pas un fichier ordinaire, ou droits) : " +
                              fichier};
    case lpTropGros:
        throw TErreurCommande{"fichier trop gros pour une position (plus de 16 Mio) : " + fichier};
    }
    // The shot still runs, from the defaults, as the file format wants; but the user is told.
    if (rapport.NbValeurs == 0)
        std::fprintf(stderr,
                     "alveran-cli: attention : %s ne contient aucune valeur des clés attendues "
                     "(%s) ; le coup part des valeurs par défaut\n",
                     fichier.c_str(),
                     variante == 1 ? "[Queue] et [Positions]"
                                   : "[Positions], [Vitesses] et [Rotations]");
    return variante;
}

void TireCoupCharge(TBillardAlveran& moteur, int variante) {
    if (variante == 1)
        moteur.TireCoup();
    else
        moteur.CalculeTrajets();
}

void ArgumentFichier(const std::string& argument, std::string& fichier) {
    if (argument.size() > 1 && argument[0] == '-')
        throw TErreurCommande{"option inconnue : " + argument};
    if (!fichier.empty()) throw TErreurCommande{"un seul fichier attendu, en trop : " + argument};
    fichier = argument;
}
