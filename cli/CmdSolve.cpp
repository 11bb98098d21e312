// alveran-cli solve FILE.alv [--mode …] [--set NAME=VALUE]... [--aim FROM:TO:STEP]
//   [--effect FROM:TO:N] [--height FROM:TO:N] [--speed FROM:TO:N] [--threads N] [--shard K/N]
//   [--min-family N] [--tolerance K] [--cells] [--map PATH.png [--map-speed V --map-height H]]
//   [--chance [--player …] [--sigma-aim DEG] [--sigma-tip CM] [--sigma-speed PCT] [--samples N]
//   [--seed N] [--best K] [--chance-families N]]
// alveran-cli solve --merge PART.json... [--threads N] [--min-family N] [--tolerance K]
//   [--cells] [--map …] [--chance …]
//
// Which strokes make the point from the file's position: every stroke of the grid is fired
// with the file's position, inclination and cue mass, and the scoring ones are grouped into
// routes and families. A share (--shard) writes a partial result; --merge turns the partial
// results of every share into the result of the whole grid.

#include "analysis/CoupLePlusSur.h"
#include "analysis/PipelineRecherche.h"
#include "analysis/RechercheFamilles.h"
#include "analysis/RechercheSolutions.h"
#include "cli/Commandes.h"
#include "cli/Cout.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "cli/OptionsJoueur.h"
#include "cli/SolveJson.h"
#include "cli/Sorties.h"
#include "cli/Suivi.h"

#ifdef ALVERAN_AVEC_DESSIN
#include "dessin/EcritCarte.h"
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <thread>

namespace {

constexpr int64_t NbValeursMax = 1'000'000;
/// --chance: the families whose safest stroke is sought, and the safest listed.
constexpr int32_t FamillesChanceDefaut = 20;
constexpr int32_t MeilleursDefaut = 10;

struct TOptionsSolve {
    TOptionsMoteur Moteur;
    bool MoteurDonne = false; ///< --mode or --set given
    std::string Fichier;
    std::vector<std::string> Parts; ///< --merge
    bool Fusion = false;
    std::optional<TAxeVisee> Visee;
    std::optional<TAxeRecherche> Effet, Hauteur, Vitesse;
    int Threads = ThreadsParDefaut();
    std::optional<TPartageRecherche> Partage;
    std::optional<int32_t> MinFamille;
    std::optional<int32_t> Tolerance;
    bool Cellules = false;
    bool Force = false;                    ///< --force: a search of more than an hour
    bool Chance = false;                   ///< --chance
    TOptionsJoueur Joueur;                 ///< the player of --chance
    std::optional<int32_t> Meilleurs;      ///< --best
    std::optional<int32_t> FamillesChance; ///< --chance-families
    std::string Carte;
    std::optional<double> CarteVitesse, CarteHauteur;
};

/// "FROM:TO:X", split at the colons.
std::array<std::string_view, 3> TroisMorceaux(std::string_view texte, std::string_view option,
                                              std::string_view forme) {
    std::array<std::string_view, 3> m;
    for (size_t k = 0; k < 3; ++k) {
        const size_t deuxPoints = texte.find(':');
        if ((k < 2) == (deuxPoints == std::string_view::npos))
            throw TErreurCommande{std::string(option) + " attend " + std::string(forme) + " : '" +
                                  std::string(texte) + "'"};
        m[k] = texte.substr(0, deuxPoints);
        if (k < 2) texte.remove_prefix(deuxPoints + 1);
    }
    return m;
}

TAxeVisee LitVisee(std::string_view texte) {
    const auto m = TroisMorceaux(texte, "--aim", "DE:A:PAS (degrés)");
    return {LitValeurCommande(m[0], "--aim"), LitValeurCommande(m[1], "--aim"),
            LitValeurCommande(m[2], "--aim")};
}

TAxeRecherche LitAxe(std::string_view texte, std::string_view option) {
    const auto m = TroisMorceaux(texte, option, "DE:A:N");
    int64_t n = 0;
    if (!LitEntier(m[2], n) || n < 1 || n > NbValeursMax)
        throw TErreurCommande{std::string(option) + " : nombre de valeurs entre 1 et " +
                              std::to_string(NbValeursMax) + " attendu, pas '" + std::string(m[2]) +
                              "'"};
    return {LitValeurCommande(m[0], option), LitValeurCommande(m[1], option),
            static_cast<int32_t>(n)};
}

int32_t LitCompte(std::string_view texte, std::string_view option, int64_t min) {
    int64_t n = 0;
    if (!LitEntier(texte, n) || n < min || n > NbValeursMax)
        throw TErreurCommande{std::string(option) + " : entier entre " + std::to_string(min) +
                              " et " + std::to_string(NbValeursMax) + " attendu, pas '" +
                              std::string(texte) + "'"};
    return static_cast<int32_t>(n);
}

bool ExtensionPng(std::string_view chemin) {
    if (chemin.size() < 4) return false;
    std::string extension(chemin.substr(chemin.size() - 4));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".png";
}

void VerifieOptions(const TOptionsSolve& o) {
    if (o.Fusion) {
        if (o.Parts.empty()) throw TErreurCommande{"--merge attend les résultats partiels"};
        if (o.MoteurDonne || o.Visee || o.Effet || o.Hauteur || o.Vitesse || o.Partage)
            throw TErreurCommande{"--merge reprend la position et la grille des parts : "
                                  "--mode, --set, --aim, --effect, --height, --speed et "
                                  "--shard ne s'y donnent pas"};
    } else {
        if (o.Fichier.empty()) throw TErreurCommande{"fichier de position manquant"};
        // Only a stroke file has a stroke whose inclination and cue mass the search keeps.
        if (!ExtensionAlv(o.Fichier))
            throw TErreurCommande{"la recherche demande un fichier de coup .alv : " + o.Fichier};
    }
    if (o.Partage && (o.MinFamille || o.Tolerance || o.Cellules || !o.Carte.empty() || o.Chance))
        throw TErreurCommande{"--min-family, --tolerance, --cells, --map et --chance portent sur "
                              "le résultat entier : à donner avec --merge, pas avec --shard"};
    if (!o.Chance && (o.Joueur.Donnee || o.Meilleurs || o.FamillesChance))
        throw TErreurCommande{"--player, --sigma-*, --samples, --seed, --best et "
                              "--chance-families demandent --chance"};
    if (o.CarteVitesse.has_value() != o.CarteHauteur.has_value())
        throw TErreurCommande{"--map-speed et --map-height se donnent ensemble"};
    if (o.CarteVitesse && o.Carte.empty())
        throw TErreurCommande{"--map-speed et --map-height demandent --map"};
    if (!o.Carte.empty()) {
#ifndef ALVERAN_AVEC_DESSIN
        throw TErreurCommande{"--map : cet alveran-cli est construit sans le dessin des cartes "
                              "(interface Qt désactivée)"};
#endif
        if (!ExtensionPng(o.Carte))
            throw TErreurCommande{"--map attend un chemin en .png : " + o.Carte};
    }
}

TOptionsSolve LitOptions(const TArguments& arguments) {
    TOptionsSolve o;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        std::string v;
        if (LitOptionMoteur(arguments, i, o.Moteur)) {
            o.MoteurDonne = true;
        } else if (ValeurOption(arguments, i, "--aim", v)) {
            o.Visee = LitVisee(v);
        } else if (ValeurOption(arguments, i, "--effect", v)) {
            o.Effet = LitAxe(v, "--effect");
        } else if (ValeurOption(arguments, i, "--height", v)) {
            o.Hauteur = LitAxe(v, "--height");
        } else if (ValeurOption(arguments, i, "--speed", v)) {
            o.Vitesse = LitAxe(v, "--speed");
        } else if (ValeurOption(arguments, i, "--threads", v)) {
            o.Threads = LitThreads(v);
        } else if (ValeurOption(arguments, i, "--shard", v)) {
            o.Partage = LitPartage(v);
        } else if (ValeurOption(arguments, i, "--min-family", v)) {
            o.MinFamille = LitCompte(v, "--min-family", 1);
        } else if (ValeurOption(arguments, i, "--tolerance", v)) {
            o.Tolerance = LitCompte(v, "--tolerance", 0);
        } else if (ValeurOption(arguments, i, "--map-speed", v)) {
            o.CarteVitesse = LitValeurCommande(v, "--map-speed");
        } else if (ValeurOption(arguments, i, "--map-height", v)) {
            o.CarteHauteur = LitValeurCommande(v, "--map-height");
        } else if (ValeurOption(arguments, i, "--map", v)) {
            if (v.empty()) throw TErreurCommande{"--map sans chemin"};
            o.Carte = v;
        } else if (LitOptionJoueur(arguments, i, o.Joueur)) {
        } else if (ValeurOption(arguments, i, "--best", v)) {
            o.Meilleurs = LitCompte(v, "--best", 1);
        } else if (ValeurOption(arguments, i, "--chance-families", v)) {
            o.FamillesChance = LitCompte(v, "--chance-families", 0);
        } else if (a == "--chance") {
            o.Chance = true;
        } else if (a == "--cells") {
            o.Cellules = true;
        } else if (a == "--force") {
            o.Force = true;
        } else if (a == "--merge") {
            o.Fusion = true;
        } else if (o.Fusion && !(a.size() > 1 && a[0] == '-')) {
            o.Parts.push_back(a);
        } else {
            ArgumentFichier(a, o.Fichier);
        }
    }
    // Parts named before --merge were taken for the position file.
    if (o.Fusion && !o.Fichier.empty()) {
        o.Parts.insert(o.Parts.begin(), o.Fichier);
        o.Fichier.clear();
    }
    VerifieOptions(o);
    // The map's path is checked before the search, never once its hours are spent.
    if (!o.Carte.empty()) {
        if (o.Fusion)
            VerifieSortieCommande("--map", o.Carte, o.Parts);
        else
            VerifieSortieCommande("--map", o.Carte, std::span(&o.Fichier, 1));
    }
    return o;
}

TGrilleRecherche Grille(const TOptionsSolve& o, const TBillardAlveran& moteur) {
    TGrilleRecherche g = GrilleRechercheDefaut(moteur.Fisik.RayonBilles());
    if (o.Visee) g.AngleOx = *o.Visee;
    if (o.Effet) g.Effet = *o.Effet;
    if (o.Hauteur) g.Hauteur = *o.Hauteur;
    if (o.Vitesse) g.Vq = *o.Vitesse;
    if (const std::string probleme = VerifieGrilleRecherche(g); !probleme.empty())
        throw TErreurCommande{probleme};
    return g;
}

/// A search of more than a minute is announced (strokes, duration, memory); one of more than an
/// hour needs --force.
void AnnonceRecherche(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                      const TOptionsSolve& o) {
    TCout cout;
    cout.Nombre = NbCoupsATirer(moteur, grille, o.Partage.value_or(TPartageRecherche{}));
    cout.Unite = "coups";
    cout.Threads = o.Threads;
    // A 32-bit code per grid point.
    cout.OctetsMemoire = DimensionsRecherche(grille).NbPoints() * int64_t{sizeof(uint32_t)};
    cout.Force = o.Force;
    cout.SeuilAnnonce = 60;
    AnnonceCout(moteur, cout);
}

double Secondes(std::chrono::steady_clock::time_point debut) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
}

/// Follows the pipeline to its end: its progress on stderr (strokes while firing, trials
/// while counting) and Ctrl+C turned into a stop request.
TResultatRecherche Suit(TPipelineRecherche& pipeline, const TInterruption& interruption) {
    TProgression tirs("coups");
    TProgression essais("essais");
    bool arretee = false;
    while (!pipeline.Termine()) {
        if (!arretee && interruption.Demandee()) {
            pipeline.Arrete();
            arretee = true;
        }
        const TAvancementRecherche a = pipeline.Avancement();
        if (a.Etape == TEtapeRecherche::Tirs) {
            tirs.Etape("Recherche");
            tirs.Affiche(a.Faits, a.Total);
        } else if (a.Total > 0) {
            tirs.Efface();
            essais.Etape(a.Etape == TEtapeRecherche::Tolerance ? "Tolérance des familles"
                                                               : "Chances des familles");
            essais.Affiche(a.Faits, a.Total);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    tirs.Efface();
    essais.Efface();
    TResultatRecherche r = pipeline.Attend();
    if (r.TirsInterrompus)
        std::fprintf(stderr, "alveran-cli: interrompu après %lld coups tirés\n",
                     static_cast<long long>(r.Coups.Tires));
    else if (r.SuiteInterrompue)
        std::fputs("alveran-cli: interrompu pendant les tolérances ou les chances des familles\n",
                   stderr);
    return r;
}

TOptionsPipeline OptionsPipeline(const TOptionsSolve& o) {
    TOptionsPipeline p;
    p.NbThreads = o.Threads;
    p.Partage = o.Partage.value_or(TPartageRecherche{});
    p.Regroupe = !o.Partage.has_value();
    p.MinFamille = o.MinFamille.value_or(MinFamilleDefaut);
    p.NbTolerance = o.Tolerance.value_or(0);
    if (o.Chance) {
        p.EtapeFinale = [&o](const TBillardAlveran& moteur, TResultatRecherche& r,
                             const std::atomic<bool>& arret,
                             const std::function<void(int64_t, int64_t)>& progression) {
            const TTirages tirages(o.Joueur.Essais, o.Joueur.Graine);
            return ChancesDesFamilles(moteur, r, o.Joueur.Joueur(), tirages,
                                      o.FamillesChance.value_or(FamillesChanceDefaut), o.Threads,
                                      arret, progression);
        };
    }
    return p;
}

#ifdef ALVERAN_AVEC_DESSIN
/// The index of the grid value nearest `valeur`.
int32_t PlusProche(const std::vector<double>& valeurs, double valeur) {
    size_t meilleur = 0;
    for (size_t k = 1; k < valeurs.size(); ++k)
        if (std::fabs(valeurs[k] - valeur) < std::fabs(valeurs[meilleur] - valeur)) meilleur = k;
    return static_cast<int32_t>(meilleur);
}
#endif

/// Paints and writes the map; empty when written, otherwise which output failed and why.
std::string DessineCarte(const TOptionsSolve& o, const TGrilleRecherche& grille,
                         const TSolutions& solutions) {
#ifdef ALVERAN_AVEC_DESSIN
    TCoupeCarte coupe;
    if (o.CarteVitesse) {
        const TValeursRecherche v = ValeursRecherche(grille);
        coupe.Toutes = false;
        coupe.Vitesse = PlusProche(v.Vitesses, *o.CarteVitesse);
        coupe.Hauteur = PlusProche(v.Hauteurs, *o.CarteHauteur);
    }
    return EnregistreCarte(o.Carte, grille, solutions, coupe);
#else
    (void)o, (void)grille, (void)solutions;
    return {};
#endif
}

/// The map and the JSON of the whole grid.
std::string Resultat(TResultatRecherche& r, const TOptionsSolve& o, double secondesAvant,
                     std::chrono::steady_clock::time_point debut) {
    // A map that cannot be written does not cost the result: it is printed all the same.
    const std::string echecCarte =
        o.Carte.empty() ? std::string() : DessineCarte(o, r.Grille, r.Solutions);
    r.Coups.Interrompu = r.Interrompu();
    TJson json;
    json.DebutObjet();
    EcritSolutions(json, r.Grille, r.Coups, r.Solutions, o.Cellules,
                   o.Chance ? o.Meilleurs.value_or(MeilleursDefaut) : -1);
    if (o.Chance) EcritJoueur(json, o.Joueur.Joueur());
    json.Membre("Secondes", secondesAvant + Secondes(debut)).FinObjet();
    if (!echecCarte.empty()) throw TSortieIncomplete{json.Texte() + "\n", echecCarte};
    if (r.Interrompu()) throw TSortieInterrompue{json.Texte() + "\n"};
    return json.Texte() + "\n";
}

std::string Fusionne(const TOptionsSolve& o, std::chrono::steady_clock::time_point debut) {
    // The parts are read and folded in one at a time: each holds a code per grid point, and a
    // large search split in many parts would not fit in memory all at once.
    TPartielLu premiere;
    TCoupsRecherche tout;
    std::set<int64_t> indices;
    double secondes = 0.0;
    for (size_t k = 0; k < o.Parts.size(); ++k) {
        TPartielLu p = LitPartiel(o.Parts[k]);
        const int64_t nombre = k == 0 ? p.Partage.Nombre : premiere.Partage.Nombre;
        if (p.Partage.Nombre != nombre)
            throw TErreurCommande{o.Parts[k] + " : part d'un découpage en " +
                                  std::to_string(p.Partage.Nombre) + ", pas en " +
                                  std::to_string(nombre)};
        if (k > 0 && p.Origine != premiere.Origine)
            throw TErreurCommande{o.Parts[k] + " : autre position ou autre grille que " +
                                  o.Parts.front()};
        if (p.Coups.Interrompu)
            throw TErreurCommande{o.Parts[k] + " : part interrompue, à relancer"};
        if (!indices.insert(p.Partage.Indice).second)
            throw TErreurCommande{o.Parts[k] + " : part " + std::to_string(p.Partage.Indice) +
                                  " donnée deux fois"};
        secondes += p.Secondes;
        if (k == 0) {
            tout = std::move(p.Coups);
            premiere = std::move(p);
        } else {
            std::vector<TCoupsRecherche> deux;
            deux.push_back(std::move(tout));
            deux.push_back(std::move(p.Coups));
            tout = FusionneCoups(deux);
        }
    }
    if (static_cast<int64_t>(indices.size()) != premiere.Partage.Nombre)
        throw TErreurCommande{"parts manquantes : " + std::to_string(indices.size()) + " sur " +
                              std::to_string(premiere.Partage.Nombre)};
    const TInterruption interruption;
    TPipelineRecherche pipeline;
    pipeline.DemarreDepuis(*premiere.Moteur, premiere.Grille, std::move(tout), OptionsPipeline(o));
    TResultatRecherche r = Suit(pipeline, interruption);
    return Resultat(r, o, secondes, debut);
}

} // namespace

std::string CmdSolve(const TArguments& arguments) {
    const auto debut = std::chrono::steady_clock::now();
    const TOptionsSolve o = LitOptions(arguments);
    if (o.Fusion) return Fusionne(o, debut);

    // The engine holds its records in fixed arrays (several hundred kB): not on the stack.
    const auto moteur = std::make_unique<TBillardAlveran>();
    AppliqueOptions(o.Moteur, *moteur);
    ChargeCoup(*moteur, o.Fichier);
    const TGrilleRecherche grille = Grille(o, *moteur);
    AnnonceRecherche(*moteur, grille, o);

    // Held from the search to the end, so that Ctrl+C between two stages is not lost.
    const TInterruption interruption;
    TPipelineRecherche pipeline;
    pipeline.Demarre(*moteur, grille, OptionsPipeline(o));
    TResultatRecherche r = Suit(pipeline, interruption);
    if (o.Partage) {
        std::string partiel = TextePartiel(*moteur, grille, *o.Partage, r.Coups, Secondes(debut));
        if (r.Coups.Interrompu) throw TSortieInterrompue{std::move(partiel)};
        return partiel;
    }
    return Resultat(r, o, 0.0, debut);
}
