// alveran-cli tolerance FILE.alv [--mode …] [--set NAME=VALUE]... [--counts e,h,a,v,i,m]
//   [--increments de,dh,da,dv,di,dm] [--threads N] [--shard K/N] [--force]
//
// The tolerance window's count without the window: the stroke of the file is the centre of
// the grid (engine units), the increments are typed as in the window (aim and inclination in
// degrees), and the grid is evaluated on several threads, or only one share of it. A grid can
// hold decades of work: its cost is announced first, and above an hour it needs --force.

#include "analysis/ToleranceCalcul.h"
#include "cli/Commandes.h"
#include "cli/Cout.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "cli/Suivi.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string_view>
#include <thread>

namespace {

/// The text split at commas (empty pieces kept, so that "1,,2" has three).
std::vector<std::string_view> Morceaux(std::string_view texte) {
    std::vector<std::string_view> morceaux;
    for (;;) {
        const std::size_t virgule = texte.find(',');
        morceaux.push_back(texte.substr(0, virgule));
        if (virgule == std::string_view::npos) return morceaux;
        texte.remove_prefix(virgule + 1);
    }
}

std::array<int32_t, NbNiveauxTolerance> LitNombres(std::string_view texte) {
    const auto morceaux = Morceaux(texte);
    if (morceaux.size() != NbNiveauxTolerance)
        throw TErreurCommande{"--counts attend six nombres d'essais e,h,a,v,i,m : '" +
                              std::string(texte) + "'"};
    std::array<int32_t, NbNiveauxTolerance> nombres{};
    for (int k = 0; k < NbNiveauxTolerance; ++k) {
        int64_t n = 0;
        if (!LitEntier(morceaux[k], n) || n < 0 || n > NombreMaxTolerance)
            throw TErreurCommande{"--counts : nombre d'essais entre 0 et " +
                                  std::to_string(NombreMaxTolerance) + " attendu, pas '" +
                                  std::string(morceaux[k]) + "'"};
        nombres[k] = static_cast<int32_t>(n);
    }
    return nombres;
}

std::array<double, NbNiveauxTolerance> LitIncrements(std::string_view texte) {
    const auto morceaux = Morceaux(texte);
    if (morceaux.size() != NbNiveauxTolerance)
        throw TErreurCommande{"--increments attend six incréments de,dh,da,dv,di,dm : '" +
                              std::string(texte) + "'"};
    std::array<double, NbNiveauxTolerance> increments{};
    for (int k = 0; k < NbNiveauxTolerance; ++k)
        increments[k] = LitValeurCommande(morceaux[k], "--increments");
    return increments;
}

} // namespace

std::string CmdTolerance(const TArguments& arguments) {
    TOptionsMoteur options;
    std::string fichier;
    // The window's initial counts and increments.
    std::array<int32_t, NbNiveauxTolerance> nombres = NombresToleranceInitiaux;
    std::array<double, NbNiveauxTolerance> increments = IncrementsToleranceInitiaux;
    int threads = ThreadsParDefaut();
    TPartageTolerance partage;
    bool force = false;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        std::string valeur;
        if (LitOptionMoteur(arguments, i, options)) continue;
        if (ValeurOption(arguments, i, "--counts", valeur)) {
            nombres = LitNombres(valeur);
        } else if (ValeurOption(arguments, i, "--increments", valeur)) {
            increments = LitIncrements(valeur);
        } else if (ValeurOption(arguments, i, "--threads", valeur)) {
            threads = LitThreads(valeur);
        } else if (ValeurOption(arguments, i, "--shard", valeur)) {
            partage = LitPartage(valeur);
        } else if (a == "--force") {
            force = true;
        } else {
            ArgumentFichier(a, fichier);
        }
    }
    if (fichier.empty()) throw TErreurCommande{"fichier de position manquant"};
    // Only a stroke file has a centre to vary.
    if (!ExtensionAlv(fichier))
        throw TErreurCommande{"la tolérance demande un fichier de coup .alv : " + fichier};

    const auto moteur = std::make_unique<TBillardAlveran>();
    AppliqueOptions(options, *moteur);
    ChargeCoup(*moteur, fichier);

    const TGrilleTolerance grille = GrilleToleranceAutour(*moteur, nombres, increments);
    if (const std::string probleme = VerifieGrille(grille); !probleme.empty())
        throw TErreurCommande{probleme};
    if (partage.Nombre > 1 && !TirsIndependants(*moteur))
        std::fputs("alveran-cli: attention : la bille de queue n'est pas posée sur le tapis, "
                   "chaque essai dépend des précédents ; les parts ne reproduisent pas "
                   "exactement le compte de la grille entière\n",
                   stderr);

    const int64_t parCombinaison = 2 * static_cast<int64_t>(nombres[5]) + 1;
    TCout cout;
    cout.Nombre = NbCombinaisonsPartage(grille, partage) * parCombinaison;
    cout.Unite = "essais";
    cout.Threads = threads;
    cout.Paralleles = TirsIndependants(*moteur);
    cout.Force = force;
    AnnonceCout(*moteur, cout);

    const auto debut = std::chrono::steady_clock::now();
    TEvaluationParallele<TBillardAlveran> evaluation;
    evaluation.Demarre(*moteur, grille, threads, partage);
    // Ctrl+C stops the workers within one combination; the counts so far are printed.
    SuitTravail(
        "essais", [&] { return evaluation.Termine(); }, [&] { evaluation.Arrete(); },
        [&] {
            const TProgressionTolerance p = evaluation.Progression();
            return TAvancement{
                p.CombinaisonsFaites * parCombinaison, p.Combinaisons * parCombinaison, {}};
        });
    const TResultatTolerance resultat = evaluation.Attend();
    const std::chrono::duration<double> duree = std::chrono::steady_clock::now() - debut;

    TJson json;
    json.DebutObjet()
        .Membre("NbReussis", resultat.NbReussis)
        .Membre("NbEssaisTotal", resultat.NbEssaisTotal)
        .Membre("NbEssaisFaits", resultat.NbEssaisFaits)
        .Membre("Secondes", duree.count())
        .Membre("Threads", int64_t{evaluation.NbThreads()})
        .Membre("Interrompu", resultat.Interrompu)
        .FinObjet();
    if (resultat.Interrompu) throw TSortieInterrompue{json.Texte() + "\n"};
    return json.Texte() + "\n";
}
