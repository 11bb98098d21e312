// alveran-cli fit SHOT.csv… [--mode …] [--set NAME=VALUE]... [--preset match|defaut]
//   [--cutoff S] [--constants NAME,NAME…] [--criterion median|mean] [--holdout F] [--seed N]
//   [--threads N] [--tracked-starts] [--out-alv DIR] [--dispersion]
//
// Tracked shots (t,bille,x,y): each one's stroke fitted to its samples and, with --constants,
// the named physical constants fitted over the whole set, optionally with shots held out to
// check that the new constants generalise.

#include "analysis/AjustementConstantes.h"
#include "analysis/Chance.h"
#include "analysis/TrajectoireMesuree.h"
#include "cli/Commandes.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "cli/Suivi.h"
#include "engine/ProfilIni.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <atomic>
#include <future>
#include <mutex>

namespace {

struct TOptionsFit {
    TOptionsMoteur Moteur;
    std::vector<std::string> Fichiers;
    double Coupure = 4.0;
    std::vector<int> Constantes;
    TCritere Critere = TCritere::Mediane;
    double HorsAjustement = 0.0;
    uint64_t Graine = 0;
    int Threads = ThreadsParDefaut();
    std::string DossierAlv;
    bool DepartsMesures = false; ///< the start places as tracked, not corrected by the fit
    bool Dispersion = false;     ///< --dispersion: the spread of the fitted strokes
};

std::vector<int> LitConstantes(std::string_view texte) {
    std::vector<int> indices;
    for (;;) {
        const std::size_t virgule = texte.find(',');
        const std::string nom(texte.substr(0, virgule));
        const int indice = TPARAMPHYS::IndiceParametre(nom.c_str());
        if (indice < 0)
            throw TErreurCommande{"--constants : constante physique inconnue : '" + nom + "'"};
        indices.push_back(indice);
        if (virgule == std::string_view::npos) return indices;
        texte.remove_prefix(virgule + 1);
    }
}

TOptionsFit LitOptions(const TArguments& arguments) {
    TOptionsFit o;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        std::string v;
        if (LitOptionMoteur(arguments, i, o.Moteur)) continue;
        if (ValeurOption(arguments, i, "--cutoff", v)) {
            o.Coupure = LitValeurCommande(v, "--cutoff");
            if (!(o.Coupure > 0))
                throw TErreurCommande{"--cutoff : durée positive attendue, pas '" + v + "'"};
        } else if (ValeurOption(arguments, i, "--constants", v)) {
            o.Constantes = LitConstantes(v);
        } else if (ValeurOption(arguments, i, "--criterion", v)) {
            if (v != "median" && v != "mean")
                throw TErreurCommande{"--criterion : median ou mean attendu, pas '" + v + "'"};
            o.Critere = v == "mean" ? TCritere::Moyenne : TCritere::Mediane;
        } else if (ValeurOption(arguments, i, "--holdout", v)) {
            o.HorsAjustement = LitValeurCommande(v, "--holdout");
            if (!(o.HorsAjustement > 0 && o.HorsAjustement < 1))
                throw TErreurCommande{"--holdout : fraction entre 0 et 1 attendue, pas '" + v +
                                      "'"};
        } else if (ValeurOption(arguments, i, "--seed", v)) {
            int64_t graine = 0;
            if (!LitEntier(v, graine) || graine < 0)
                throw TErreurCommande{"--seed : entier positif attendu, pas '" + v + "'"};
            o.Graine = static_cast<uint64_t>(graine);
        } else if (ValeurOption(arguments, i, "--threads", v)) {
            o.Threads = LitThreads(v);
        } else if (a == "--tracked-starts") {
            o.DepartsMesures = true;
        } else if (a == "--dispersion") {
            o.Dispersion = true;
        } else if (ValeurOption(arguments, i, "--out-alv", v)) {
            if (v.empty()) throw TErreurCommande{"--out-alv sans dossier"};
            o.DossierAlv = v;
        } else if (a.size() > 1 && a[0] == '-') {
            throw TErreurCommande{"option inconnue : " + a};
        } else {
            o.Fichiers.push_back(a);
        }
    }
    if (o.Fichiers.empty()) throw TErreurCommande{"fichier de trajectoire mesurée manquant"};
    if (o.HorsAjustement > 0 && o.Constantes.empty())
        throw TErreurCommande{"--holdout demande --constants : seul un ajustement des "
                              "constantes garde des coups à part"};
    if (o.HorsAjustement > 0 && o.Fichiers.size() < 2)
        throw TErreurCommande{"--holdout demande au moins deux coups"};
    if (o.Dispersion && o.Fichiers.size() < 2)
        throw TErreurCommande{"--dispersion demande au moins deux essais du même coup"};
    return o;
}

std::vector<TCoupMesure> LitCoups(const TOptionsFit& o, const TPARAMPHYS& fisik) {
    std::vector<TCoupMesure> coups;
    for (const std::string& fichier : o.Fichiers) {
        std::string texte;
        if (!ChargeTexte(fichier, texte))
            throw TErreurCommande{"fichier introuvable ou illisible : " + fichier};
        const TLectureTrajectoire l = LitTrajectoireMesuree(texte, fisik);
        if (!l.Erreur.empty()) throw TErreurCommande{fichier + " : " + l.Erreur};
        coups.push_back(PrepareCoupMesure(l.Trajectoire, fisik, o.Coupure));
    }
    return coups;
}

template <class T>
std::vector<T> Choisis(const std::vector<T>& tout, const std::vector<std::size_t>& indices) {
    std::vector<T> choix;
    for (std::size_t i : indices) choix.push_back(tout[i]);
    return choix;
}

/// The shots of one part: their files, their fits before and after.
struct TPartie {
    std::vector<std::string> Fichiers;
    std::vector<TCoupMesure> Coups;
    std::vector<TResultatAjustement> Avant;
    std::vector<TResultatAjustement> Apres;
};

/// Without a constants fit, "before" is the first guess and "after" the fitted stroke.
std::vector<TResultatAjustement> PremieresEstimations(std::vector<TResultatAjustement> r) {
    for (auto& x : r) x.Rmse = x.RmseInitiale;
    return r;
}

void EcritCoups(TJson& json, const TPartie& p) {
    json.Cle("Coups").DebutTableau();
    for (std::size_t i = 0; i < p.Coups.size(); ++i) {
        const TResultatAjustement& r = p.Apres[i];
        const TCoupAjuste& c = r.Coup;
        json.DebutObjet().Membre("Fichier", p.Fichiers[i]);
        json.Cle("Queue")
            .DebutObjet()
            .Membre("Vq", c.Vq)
            .Membre("m", c.m)
            .Membre("AngleOx", c.AngleOx)
            .Membre("AngleTapis", c.AngleTapis)
            .Membre("Effet", c.Effet)
            .Membre("Hauteur", c.Hauteur)
            .FinObjet();
        const int64_t evaluations = r.Evaluations + p.Avant[i].Evaluations;
        // Where the fitted shot starts: the tracked places, as the fit corrected them.
        json.Cle("Positions").DebutTableau();
        for (int b = 1; b <= 3; ++b) {
            const TVecteur v = Somme(p.Coups[i].Depart[b], c.CorrectionDepart[b]);
            json.DebutTableau().Nombre(v.x).Nombre(v.y).Nombre(v.z).FinTableau();
        }
        json.FinTableau();
        json.Membre("DecalageFrappe", c.DecalageFrappe)
            .Membre("RmseAvant", p.Avant[i].Rmse)
            .Membre("RmseApres", r.Rmse)
            .Membre("Evaluations", evaluations)
            .Membre("OrdreRespecte", r.OrdreRespecte)
            .FinObjet();
    }
    json.FinTableau();
}

/// "Dispersion": the player's spreads measured from the fitted strokes, as a "Joueur".
void EcritDispersion(TJson& json, const std::vector<TResultatAjustement>& r) {
    std::vector<TCoupQueue> coups;
    for (const TResultatAjustement& x : r)
        coups.push_back(
            {x.Coup.AngleOx, x.Coup.Effet, x.Coup.Hauteur, x.Coup.Vq, x.Coup.AngleTapis, x.Coup.m});
    const TJoueur j = DispersionCoups(coups);
    json.Cle("Dispersion")
        .DebutObjet()
        .Membre("Essais", static_cast<int64_t>(coups.size()))
        .Membre("EcartAngle", j.EcartAngle)
        .Membre("EcartProcede", j.EcartProcede)
        .Membre("EcartVitesse", j.EcartVitesse)
        .FinObjet();
}

int64_t HorsOrdre(const std::vector<TResultatAjustement>& r) {
    int64_t n = 0;
    for (const auto& x : r) n += !x.OrdreRespecte;
    return n;
}

/// Each shot's fitted stroke and start positions as a stroke file in `dossier`, named after
/// the tracked file (a suffix when two tracked files share a name).
void EcritAlv(const std::string& dossier, const TBillardAlveran& modele, const TPartie& p,
              std::set<std::string>& pris) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(dossier, ec);
    if (ec) throw TErreurCommande{"--out-alv : dossier impossible à créer : " + dossier};
    auto moteur = std::make_unique<TBillardAlveran>(modele);
    for (std::size_t i = 0; i < p.Coups.size(); ++i) {
        const std::string base = fs::path(p.Fichiers[i]).stem().string();
        std::string nom = base;
        for (int k = 2; !pris.insert(nom).second; ++k) nom = base + "-" + std::to_string(k);
        PlaceCoup(*moteur, p.Coups[i], p.Apres[i].Coup);
        std::string erreur;
        const std::string chemin = (fs::path(dossier) / (nom + ".alv")).string();
        if (moteur->EcritPositionQueue(chemin, erreur) == 0)
            throw TErreurCommande{"--out-alv : " + chemin + " : " + erreur};
    }
}

} // namespace

std::string CmdFit(const TArguments& arguments) {
    const TOptionsFit o = LitOptions(arguments);
    const auto modele = std::make_unique<TBillardAlveran>();
    AppliqueOptions(o.Moteur, *modele);
    if (!o.Constantes.empty())
        if (const std::string probleme = VerifieConstantes(o.Constantes, modele->Fisik);
            !probleme.empty())
            throw TErreurCommande{"--constants : " + probleme};
    const std::vector<TCoupMesure> coups = LitCoups(o, modele->Fisik);

    // The fits run on a thread of their own while this one shows their progress and turns
    // Ctrl+C into a stop request, after which they return with what they have.
    std::atomic<bool> arret{false};
    std::mutex verrou;
    TAvancement avancement;
    TSuiviAjustement suivi;
    suivi.Arret = &arret;
    suivi.Progression = [&](std::string_view etape, int64_t faits, int64_t total) {
        const std::lock_guard garde(verrou);
        avancement = {faits, total, std::string(etape)};
    };
    TOptionsAjustement optionsCoup;
    optionsCoup.Coupure = o.Coupure;
    optionsCoup.CorrigeDeparts = !o.DepartsMesures;

    const auto debut = std::chrono::steady_clock::now();
    std::vector<std::size_t> dedans(coups.size()), dehors;
    for (std::size_t i = 0; i < coups.size(); ++i) dedans[i] = i;
    if (o.HorsAjustement > 0) {
        dehors = TirageHorsAjustement(coups.size(), o.HorsAjustement, o.Graine);
        std::erase_if(dedans, [&](std::size_t i) {
            return std::binary_search(dehors.begin(), dehors.end(), i);
        });
    }
    TPartie ajustes{Choisis(o.Fichiers, dedans), Choisis(coups, dedans), {}, {}};
    TPartie horsAjustement{Choisis(o.Fichiers, dehors), Choisis(coups, dehors), {}, {}};
    std::vector<double> valeurs;
    auto apres = std::make_unique<TBillardAlveran>(*modele);
    std::future<void> travail = std::async(std::launch::async, [&] {
        if (o.Constantes.empty()) {
            ajustes.Apres = AjusteCoups(*modele, ajustes.Coups, optionsCoup, o.Threads, suivi);
            ajustes.Avant = PremieresEstimations(ajustes.Apres);
            for (auto& r : ajustes.Avant) r.Evaluations = 0;
            return;
        }
        TOptionsConstantes oc;
        oc.Indices = o.Constantes;
        oc.Critere = o.Critere;
        TResultatConstantes r =
            AjusteConstantes(*modele, ajustes.Coups, optionsCoup, oc, o.Threads, suivi);
        ajustes.Avant = std::move(r.Avant);
        ajustes.Apres = std::move(r.Apres);
        valeurs = r.Valeurs;
        AppliqueConstantes(apres->Fisik, o.Constantes, valeurs);
        // Stopped, the held-out check is not begun.
        if (!dehors.empty() && !arret.load()) {
            THorsAjustement h = EvalueHorsAjustement(*modele, *apres, horsAjustement.Coups,
                                                     optionsCoup, o.Threads, suivi);
            horsAjustement.Avant = std::move(h.Avant);
            horsAjustement.Apres = std::move(h.Apres);
        }
    });
    const bool interrompu = SuitTravail(
        "unités",
        [&] { return travail.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        [&] { arret.store(true); },
        [&] {
            const std::lock_guard garde(verrou);
            return avancement;
        });
    travail.get();
    const std::chrono::duration<double> duree = std::chrono::steady_clock::now() - debut;

    // Stopped, some strokes are no fit at all: no stroke file is written from them.
    if (!o.DossierAlv.empty() && !interrompu) {
        std::set<std::string> pris;
        EcritAlv(o.DossierAlv, *apres, ajustes, pris);
        EcritAlv(o.DossierAlv, *apres, horsAjustement, pris);
    }

    TJson json;
    json.DebutObjet();
    EcritCoups(json, ajustes);
    json.Membre("RmseMedianeAvant", Critere(TCritere::Mediane, ajustes.Avant))
        .Membre("RmseMedianeApres", Critere(TCritere::Mediane, ajustes.Apres))
        .Membre("NbOrdreNonRespecte", HorsOrdre(ajustes.Apres));
    if (!o.Constantes.empty()) {
        json.Cle("Constantes").DebutObjet();
        for (std::size_t k = 0; k < o.Constantes.size(); ++k)
            json.Membre(TPARAMPHYS::Noms[o.Constantes[k]], valeurs[k]);
        json.FinObjet()
            .Membre("RmseMoyenneAvant", Critere(TCritere::Moyenne, ajustes.Avant))
            .Membre("RmseMoyenneApres", Critere(TCritere::Moyenne, ajustes.Apres));
    }
    if (!dehors.empty() && !horsAjustement.Apres.empty()) {
        json.Cle("HorsAjustement").DebutObjet();
        EcritCoups(json, horsAjustement);
        json.Membre("RmseMedianeAvant", Critere(TCritere::Mediane, horsAjustement.Avant))
            .Membre("RmseMedianeApres", Critere(TCritere::Mediane, horsAjustement.Apres))
            .Membre("NbOrdreNonRespecte", HorsOrdre(horsAjustement.Apres))
            .FinObjet();
    }
    if (o.Dispersion) EcritDispersion(json, ajustes.Apres);
    if (interrompu) json.Membre("Interrompu", true);
    json.Membre("Secondes", duree.count()).FinObjet();
    if (interrompu) throw TSortieInterrompue{json.Texte() + "\n"};
    return json.Texte() + "\n";
}
