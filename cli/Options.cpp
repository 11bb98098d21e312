#include "cli/Options.h"

#include "analysis/TableDeMatch.h"
#include "engine/Nombres.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <thread>

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
        // The model options too: the published defaults are the engine without them.
        for (int i = 0; i < TPARAMPHYS::NbParametresModele; ++i)
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

namespace {
constexpr int NbThreadsMax = 1024;
} // namespace

bool LitEntier(std::string_view texte, int64_t& valeur) {
    const char* fin = texte.data() + texte.size();
    const auto r = std::from_chars(texte.data(), fin, valeur);
    return !texte.empty() && r.ec == std::errc() && r.ptr == fin;
}

int LitThreads(std::string_view texte) {
    int64_t n = 0;
    if (!LitEntier(texte, n) || n < 1 || n > NbThreadsMax)
        throw TErreurCommande{"--threads : entier entre 1 et " + std::to_string(NbThreadsMax) +
                              " attendu, pas '" + std::string(texte) + "'"};
    // Threads beyond a few per core only cost memory (an engine copy each) and switching.
    const int64_t coeurs = std::max(1u, std::thread::hardware_concurrency());
    if (n > ThreadsParCoeurMax * coeurs) {
        std::fprintf(stderr, "alveran-cli: --threads %lld ramené à %lld (%d par cœur, %lld %s)\n",
                     static_cast<long long>(n), static_cast<long long>(ThreadsParCoeurMax * coeurs),
                     ThreadsParCoeurMax, static_cast<long long>(coeurs),
                     coeurs > 1 ? "cœurs" : "cœur");
        n = ThreadsParCoeurMax * coeurs;
    }
    return static_cast<int>(n);
}

int ThreadsParDefaut() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

TPartageTolerance LitPartage(std::string_view texte) {
    const std::size_t barre = texte.find('/');
    TPartageTolerance partage;
    if (barre == std::string_view::npos || !LitEntier(texte.substr(0, barre), partage.Indice) ||
        !LitEntier(texte.substr(barre + 1), partage.Nombre) || partage.Nombre < 1 ||
        partage.Indice < 0 || partage.Indice >= partage.Nombre)
        throw TErreurCommande{"--shard attend K/N avec 0 <= K < N : '" + std::string(texte) + "'"};
    return partage;
}

bool ExtensionAlv(std::string_view fichier) {
    if (fichier.size() < 4) return false;
    std::string extension(fichier.substr(fichier.size() - 4));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".alv";
}
