// alveran-cli fit SHOT.csv… [--mode …] [--set NAME=VALUE]... [--preset match|defaut]
//   [--cutoff S] [--constants NAME[=LOW:HIGH],…] [--criterion median|mean] [--holdout F] [--seed N]
//   [--threads N] [--tracked-starts] [--out-alv DIR] [--dispersion]
//
// Tracked shots (t,bille,x,y): each one's stroke fitted to its samples and, with --constants,
// the named physical constants fitted over the whole set, optionally with shots held out to
// check that the new constants generalise.

#include "analysis/AjustementConstantes.h"
#include "analysis/LectureBornee.h"
#include "analysis/Chance.h"
#include "analysis/TrajectoireMesuree.h"
#include "cli/Commandes.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "cli/Sorties.h"
#include "cli/Suivi.h"
#include "engine/EcritureFichier.h"
#include "engine/ProfilIni.h"

#include <chrono>
#include <cstdio>
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
    std::vector<TBornesConstante> Bornes; ///< one per constant, NaN without NAME=LOW:HIGH
    TCritere Critere = TCritere::Mediane;
    double HorsAjustement = 0.0;
    uint64_t Graine = 0;
    int Threads = ThreadsParDefaut();
    std::string DossierAlv;
    bool DepartsMesures = false; ///< the start places as tracked, not corrected by the fit
    bool Dispersion = false;     ///< --dispersion: the spread of the fitted strokes
};

/// "NAME[=LOW:HIGH],…": the constants to fit, each with explicit bounds or not.
void LitConstantes(std::string_view texte, TOptionsFit& o) {
    for (;;) {
        const std::size_t virgule = texte.find(',');
        const std::string_view element = texte.substr(0, virgule);
        const std::size_t egal = element.find('=');
        const std::string nom(element.substr(0, egal));
        const int indice = TPARAMPHYS::IndiceParametre(nom.c_str());
        if (indice < 0)
            throw TErreurCommande{"--constants : constante physique inconnue : '" + nom + "'"};
        TBornesConstante bornes;
        if (egal != std::string_view::npos) {
            const std::string_view intervalle = element.substr(egal + 1);
            const std::size_t deuxPoints = intervalle.find(':');
            if (deuxPoints == std::string_view::npos)
                throw TErreurCommande{"--constants : NOM=BAS:HAUT attendu, pas '" +
                                      std::string(element) + "'"};
            bornes.Bas = LitValeurCommande(intervalle.substr(0, deuxPoints), nom);
            bornes.Haut = LitValeurCommande(intervalle.substr(deuxPoints + 1), nom);
        }
        o.Constantes.push_back(indice);
        o.Bornes.push_back(bornes);
        if (virgule == std::string_view::npos) return;
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
            o.Constantes.clear();
            o.Bornes.clear();
            LitConstantes(v, o);
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
    // Many large files take a while: Ctrl+C stops the reading too, before any fit.
    const TInterruption interruption;
    for (const std::string& fichier : o.Fichiers) {
        std::string texte;
        switch (const TLectureBornee lecture =
                    LitFichierBorne(fichier, TailleMaxTrajectoire, texte,
                                    [&interruption] { return interruption.Demandee(); })) {
        case TLectureBornee::Lu:
            break;
        case TLectureBornee::Absent:
        case TLectureBornee::Illisible:
            throw TErreurCommande{"fichier introuvable ou illisible : " + fichier};
        case TLectureBornee::Interrompu:
            throw TSortieInterrompue{""};
        case TLectureBornee::TropGros:
            throw TErreurCommande{TexteLectureBornee(lecture, fichier, TailleMaxTrajectoire)};
        }
        const TLectureTrajectoire l = LitTrajectoireMesuree(texte, fisik);
        if (!l.Erreur.empty()) throw TErreurCommande{fichier + " : " + l.Erreur};
        coups.push_back(PrepareCoupMesure(l.Trajectoire, fisik, o.Coupure));
        if (const std::string peu = VerifieCoupMesure(coups.back()); !peu.empty())
            throw TErreurCommande{fichier + " : " + peu};
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
    /// Per shot: why its fitted stroke is refused, empty when it is not.
    std::vector<std::string> Refus;
    /// Per shot: the stroke file written with --out-alv.
    std::vector<std::string> Alv;
};

/// Refuses the fitted strokes that the controls could not set, and takes them (and the
/// strokes before) out of the statistics.
void Refuse(TPartie& p, const TPARAMPHYS& fisik) {
    p.Refus.assign(p.Coups.size(), {});
    for (std::size_t i = 0; i < p.Apres.size() && i < p.Coups.size(); ++i) {
        if (!p.Apres[i].Ajuste) continue;
        p.Refus[i] = VerifieCoupAjuste(p.Apres[i].Coup, fisik);
        if (p.Refus[i].empty()) continue;
        std::fprintf(stderr, "alveran-cli: attention : %s : %s\n", p.Fichiers[i].c_str(),
                     p.Refus[i].c_str());
        p.Apres[i].Ajuste = false;
        if (i < p.Avant.size()) p.Avant[i].Ajuste = false;
    }
}

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
        // A shot that Ctrl+C left unfitted, or whose fit no stroke of the controls could
        // make, has no stroke and no RMSE: null, and out of every statistic.
        if (!r.Ajuste || !p.Refus[i].empty()) {
            if (!p.Refus[i].empty()) json.Membre("Refus", p.Refus[i]);
            for (const char* cle : {"Queue", "Positions", "DecalageFrappe", "RmseAvant",
                                    "RmseApres", "OrdreRespecte"})
                json.Cle(cle).Nul();
            json.Membre("Evaluations", r.Evaluations + p.Avant[i].Evaluations).FinObjet();
            continue;
        }
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

/// The stroke file of each shot in `dossier`, named after its tracked file (a suffix when two
/// tracked files share a name).
void NommeAlv(const std::string& dossier, TPartie& p, std::set<std::string>& pris) {
    namespace fs = std::filesystem;
    for (const std::string& fichier : p.Fichiers) {
        const std::string base = fs::path(fichier).stem().string();
        std::string nom = base;
        for (int k = 2; !pris.insert(nom).second; ++k) nom = base + "-" + std::to_string(k);
        p.Alv.push_back((fs::path(dossier) / (nom + ".alv")).string());
    }
}

/// Before the fit: the folder made, every stroke file's path able to receive it and none of
/// them a tracked file (through a link either).
void VerifieAlv(const TOptionsFit& o, const TPartie& a, const TPartie& b) {
    std::error_code ec;
    std::filesystem::create_directories(o.DossierAlv, ec);
    if (ec)
        throw TErreurCommande{"--out-alv : dossier impossible à créer : " + o.DossierAlv + " : " +
                              TexteErreurSysteme(ec.value())};
    for (const TPartie* p : {&a, &b})
        for (const std::string& chemin : p->Alv) VerifieSortieCommande("--out-alv", chemin, o.Fichiers);
}

/// Writes each fitted shot's stroke and start positions; the first failure, empty if none.
std::string EcritAlv(const TBillardAlveran& modele, const TPartie& p) {
    auto moteur = std::make_unique<TBillardAlveran>(modele);
    std::string echec;
    int echecs = 0;
    for (std::size_t i = 0; i < p.Coups.size(); ++i) {
        if (!p.Apres[i].Ajuste) continue;
        PlaceCoup(*moteur, p.Coups[i], p.Apres[i].Coup);
        std::string erreur;
        if (moteur->EcritPositionQueue(p.Alv[i], erreur) == 0 && echecs++ == 0)
            echec = "--out-alv : " + erreur;
    }
    if (echecs > 1) echec += " (et " + std::to_string(echecs - 1) + " autre(s) fichier(s))";
    return echec;
}

} // namespace

std::string CmdFit(const TArguments& arguments) {
    const TOptionsFit o = LitOptions(arguments);
    const auto modele = std::make_unique<TBillardAlveran>();
    AppliqueOptions(o.Moteur, *modele);
    if (!o.Constantes.empty())
        if (const std::string probleme = VerifieConstantes(o.Constantes, modele->Fisik, o.Bornes);
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
    TPartie ajustes{Choisis(o.Fichiers, dedans), Choisis(coups, dedans), {}, {}, {}, {}};
    TPartie horsAjustement{Choisis(o.Fichiers, dehors), Choisis(coups, dehors), {}, {}, {}, {}};
    // The stroke files' paths are checked before the fit, never once its hours are spent.
    if (!o.DossierAlv.empty()) {
        std::set<std::string> pris;
        NommeAlv(o.DossierAlv, ajustes, pris);
        NommeAlv(o.DossierAlv, horsAjustement, pris);
        VerifieAlv(o, ajustes, horsAjustement);
    }
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
        oc.Bornes = o.Bornes;
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

    Refuse(ajustes, modele->Fisik);
    Refuse(horsAjustement, modele->Fisik);
    // Stopped, some strokes are no fit at all: no stroke file is written from them. A file
    // that cannot be written does not cost the result: it is printed all the same.
    std::string echecAlv;
    if (!o.DossierAlv.empty() && !interrompu) {
        echecAlv = EcritAlv(*apres, ajustes);
        if (echecAlv.empty()) echecAlv = EcritAlv(*apres, horsAjustement);
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
            json.Membre(TPARAMPHYS::NomParametre(o.Constantes[k]), valeurs[k]);
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
    if (!echecAlv.empty()) throw TSortieIncomplete{json.Texte() + "\n", echecAlv};
    if (interrompu) throw TSortieInterrompue{json.Texte() + "\n"};
    return json.Texte() + "\n";
}
