#include "analysis/AjustementConstantes.h"

#include "analysis/Optimiseur.h"
#include "analysis/TravailParallele.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <numeric>
#include <random>
#include <string>

namespace {

/// Calls the caller's progress one at a time, whatever thread finishes a unit.
class TAvancement {
  public:
    TAvancement(const TSuiviAjustement& suivi, std::string_view etape, int64_t total)
        : FSuivi(suivi), FEtape(etape), FTotal(total) {
        Signale(0);
    }
    void UnDePlus() {
        std::lock_guard<std::mutex> verrou(FVerrou);
        Signale(++FFaits);
    }

  private:
    void Signale(int64_t faits) const {
        if (FSuivi.Progression) FSuivi.Progression(FEtape, faits, FTotal);
    }
    const TSuiviAjustement& FSuivi;
    std::string_view FEtape;
    int64_t FTotal;
    int64_t FFaits = 0;
    std::mutex FVerrou;
};

TOptionsAjustement AvecArret(TOptionsAjustement options, const TSuiviAjustement& suivi) {
    if (suivi.Arret != nullptr) options.Arret = suivi.Arret;
    return options;
}

/// Restitutions and the strike's energy loss are fractions: at most 1.
bool EstFraction(int indice) {
    const char* nom = TPARAMPHYS::NomParametre(indice);
    return std::strncmp(nom, "Elast", 5) == 0 || std::strcmp(nom, "PerteEcQB") == 0;
}

/// The bounds of constant k of `options`, when given.
TBornesConstante BornesDe(const TOptionsConstantes& options, std::size_t k) {
    return k < options.Bornes.size() ? options.Bornes[k] : TBornesConstante{};
}

/// The candidate search. The optimiser moves one number u per constant: without explicit
/// bounds the constant is u times its start value, u within half to one and a half; with
/// bounds it is Bas + u·(Haut − Bas), u within 0 and 1, so that a constant starting at 0 (an
/// option of the engine left off) can move too.
class TRechercheConstantes {
  public:
    TRechercheConstantes(const TBillardAlveran& modele, const std::vector<TCoupMesure>& coups,
                         const TOptionsAjustement& optionsCoup, const TOptionsConstantes& options,
                         int nbThreads, const TSuiviAjustement& suivi)
        : FModele(modele), FCoups(coups), FOptionsCoup(optionsCoup), FOptions(options),
          FNbThreads(nbThreads), FSuivi(suivi) {}

    /// Scores the start values from the full fits `avant`, then searches.
    std::vector<double> Cherche(const std::vector<TResultatAjustement>& avant) {
        const std::size_t n = FOptions.Indices.size();
        for (int indice : FOptions.Indices) FDepart.push_back(FModele.Fisik.Parametre(indice));
        FMeilleure = Critere(FOptions.Critere, avant);
        FMeilleurs.clear();
        for (const auto& r : avant) FMeilleurs.push_back(r.Coup);
        FMeilleur = FDepart;

        std::vector<double> u(n, 1.0), bas(n, 0.5), haut(n, 1.5), pas(n, 0.05),
            tolerance(n, FOptions.Tolerance);
        FOrigine.assign(n, 0.0);
        FEchelle = FDepart;
        for (std::size_t k = 0; k < n; ++k) {
            const TBornesConstante b = BornesDe(FOptions, k);
            if (b.Explicites()) {
                FOrigine[k] = b.Bas;
                FEchelle[k] = b.Haut - b.Bas;
                bas[k] = 0;
                haut[k] = 1;
                u[k] = std::clamp((FDepart[k] - b.Bas) / FEchelle[k], 0.0, 1.0);
                // A start outside the bounds asked for cannot be the answer: any candidate
                // within them replaces it.
                if (FDepart[k] < b.Bas || FDepart[k] > b.Haut)
                    FMeilleure = std::numeric_limits<double>::infinity();
            } else if (EstFraction(FOptions.Indices[k])) {
                haut[k] = std::max(1.0, 1.0 / FDepart[k]);
            }
        }
        TOptimiseur opt(n, TMethodeLocale::NelderMead);
        opt.Bornes(bas, haut);
        opt.Pas(pas);
        opt.ToleranceX(tolerance);
        opt.EvaluationsMax(FOptions.CandidatsMax);
        opt.Minimise(
            u, [this](const double* x) { return Evalue(x); }, [this] { return Arrete(); });
        return FMeilleur;
    }

    const std::vector<TCoupAjuste>& MeilleursCoups() const { return FMeilleurs; }
    int Candidats() const { return FCandidats; }
    bool Arrete() const {
        return FSuivi.Arret != nullptr && FSuivi.Arret->load(std::memory_order_relaxed);
    }

  private:
    double Evalue(const double* u) {
        const std::size_t n = FOptions.Indices.size();
        std::vector<double> valeurs(n);
        for (std::size_t k = 0; k < n; ++k) valeurs[k] = FOrigine[k] + u[k] * FEchelle[k];
        auto candidat = CopieMoteur(FModele);
        AppliqueConstantes(candidat->Fisik, FOptions.Indices, valeurs);
        ++FCandidats;
        if (FSuivi.Progression) FSuivi.Progression("constantes", FCandidats, FOptions.CandidatsMax);
        const auto resultats =
            RaffineCoups(*candidat, FCoups, FMeilleurs, AvecArret(FOptionsCoup, FSuivi),
                         FOptions.EvaluationsRaffinage, FNbThreads);
        if (Arrete()) return std::numeric_limits<double>::max();
        const double valeur = Critere(FOptions.Critere, resultats);
        if (valeur < FMeilleure) {
            FMeilleure = valeur;
            FMeilleur = valeurs;
            for (std::size_t i = 0; i < resultats.size(); ++i) FMeilleurs[i] = resultats[i].Coup;
        }
        return valeur;
    }

    const TBillardAlveran& FModele;
    const std::vector<TCoupMesure>& FCoups;
    const TOptionsAjustement& FOptionsCoup;
    const TOptionsConstantes& FOptions;
    int FNbThreads;
    const TSuiviAjustement& FSuivi;
    std::vector<double> FDepart;
    std::vector<double> FOrigine, FEchelle; ///< each constant is FOrigine + u·FEchelle
    std::vector<double> FMeilleur;
    double FMeilleure = 0.0;
    std::vector<TCoupAjuste> FMeilleurs;
    int FCandidats = 0;
};

/// For each shot the better of two results.
std::vector<TResultatAjustement> Meilleurs(std::vector<TResultatAjustement> a,
                                           const std::vector<TResultatAjustement>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        // A shot that a stop request left unfitted holds no RMSE: it never wins.
        if (b[i].Ajuste && (!a[i].Ajuste || b[i].Rmse < a[i].Rmse)) {
            const int64_t evaluations = a[i].Evaluations + b[i].Evaluations;
            a[i] = b[i];
            a[i].Evaluations = evaluations;
        } else {
            a[i].Evaluations += b[i].Evaluations;
        }
    return a;
}

/// The order check of every shot that a refit left without it.
void VerifieOrdres(const TBillardAlveran& modele, const std::vector<TCoupMesure>& coups,
                   std::vector<TResultatAjustement>& resultats, int nbThreads) {
    PartageTravail(modele, nbThreads, static_cast<int64_t>(coups.size()),
                   [&](TBillardAlveran& moteur, int64_t i) {
                       const auto k = static_cast<std::size_t>(i);
                       resultats[k].OrdreRespecte =
                           OrdreRespecte(moteur, coups[k], resultats[k].Coup);
                   });
}

} // namespace

std::vector<TResultatAjustement> AjusteCoups(const TBillardAlveran& modele,
                                             const std::vector<TCoupMesure>& coups,
                                             const TOptionsAjustement& options, int nbThreads,
                                             const TSuiviAjustement& suivi) {
    std::vector<TResultatAjustement> resultats(coups.size());
    TAvancement avancement(suivi, "ajustement des coups", static_cast<int64_t>(coups.size()));
    const TOptionsAjustement o = AvecArret(options, suivi);
    PartageTravail(
        modele, nbThreads, static_cast<int64_t>(coups.size()),
        [&](TBillardAlveran& moteur, int64_t i) {
            const auto k = static_cast<std::size_t>(i);
            resultats[k] = AjusteCoup(moteur, coups[k], o);
            avancement.UnDePlus();
        },
        suivi.Arret);
    return resultats;
}

std::vector<TResultatAjustement> RaffineCoups(const TBillardAlveran& modele,
                                              const std::vector<TCoupMesure>& coups,
                                              const std::vector<TCoupAjuste>& departs,
                                              const TOptionsAjustement& options, int evaluations,
                                              int nbThreads, const TSuiviAjustement& suivi) {
    std::vector<TResultatAjustement> resultats(coups.size());
    const TOptionsAjustement o = AvecArret(options, suivi);
    PartageTravail(
        modele, nbThreads, static_cast<int64_t>(coups.size()),
        [&](TBillardAlveran& moteur, int64_t i) {
            const auto k = static_cast<std::size_t>(i);
            resultats[k] = RaffineCoup(moteur, coups[k], departs[k], o, evaluations);
        },
        o.Arret);
    return resultats;
}

double Mediane(std::vector<double> valeurs) {
    if (valeurs.empty()) return 0.0;
    const std::size_t milieu = valeurs.size() / 2;
    std::nth_element(valeurs.begin(), valeurs.begin() + static_cast<std::ptrdiff_t>(milieu),
                     valeurs.end());
    const double haut = valeurs[milieu];
    if (valeurs.size() % 2 == 1) return haut;
    const double bas =
        *std::max_element(valeurs.begin(), valeurs.begin() + static_cast<std::ptrdiff_t>(milieu));
    return (bas + haut) / 2;
}

double Moyenne(const std::vector<double>& valeurs) {
    if (valeurs.empty()) return 0.0;
    return std::accumulate(valeurs.begin(), valeurs.end(), 0.0) /
           static_cast<double>(valeurs.size());
}

std::vector<double> Rmses(const std::vector<TResultatAjustement>& resultats) {
    std::vector<double> r;
    for (const auto& x : resultats)
        if (x.Ajuste) r.push_back(x.Rmse);
    return r;
}

double Critere(TCritere critere, const std::vector<TResultatAjustement>& resultats) {
    // No fitted shot has no statistic: not a perfect one.
    if (Rmses(resultats).empty()) return std::numeric_limits<double>::quiet_NaN();
    return critere == TCritere::Moyenne ? Moyenne(Rmses(resultats)) : Mediane(Rmses(resultats));
}

std::string VerifieConstantes(const std::vector<int>& indices, const TPARAMPHYS& fisik,
                              const std::vector<TBornesConstante>& bornes) {
    if (indices.empty()) return "aucune constante à ajuster";
    for (std::size_t k = 0; k < indices.size(); ++k) {
        const int i = indices[k];
        if (i < 0 || i >= TPARAMPHYS::NbParametresModele) return "constante physique inconnue";
        const std::string nom = TPARAMPHYS::NomParametre(i);
        if (std::find(indices.begin(), indices.begin() + static_cast<std::ptrdiff_t>(k), i) !=
            indices.begin() + static_cast<std::ptrdiff_t>(k))
            return nom + " demandée deux fois";
        const TBornesConstante b = k < bornes.size() ? bornes[k] : TBornesConstante{};
        if (b.Explicites()) {
            if (!(std::isfinite(b.Bas) && std::isfinite(b.Haut) && b.Bas < b.Haut))
                return nom + " : bornes BAS:HAUT finies avec BAS < HAUT attendues";
            continue;
        }
        // Without bounds each constant moves as a multiple of its start value.
        if (!(fisik.Parametre(i) > 0))
            return nom + " doit être positive pour être ajustée (elle varie entre la moitié et une "
                         "fois et demie sa valeur de départ ; donnez-lui des bornes NOM=BAS:HAUT)";
    }
    return {};
}

void AppliqueConstantes(TPARAMPHYS& fisik, const std::vector<int>& indices,
                        const std::vector<double>& valeurs) {
    for (std::size_t k = 0; k < indices.size() && k < valeurs.size(); ++k)
        fisik.SetParametre(indices[k], valeurs[k]);
}

TResultatConstantes AjusteConstantes(const TBillardAlveran& modele,
                                     const std::vector<TCoupMesure>& coups,
                                     const TOptionsAjustement& optionsCoup,
                                     const TOptionsConstantes& options, int nbThreads,
                                     const TSuiviAjustement& suivi) {
    TResultatConstantes resultat;
    for (int indice : options.Indices) resultat.Depart.push_back(modele.Fisik.Parametre(indice));
    resultat.Valeurs = resultat.Depart;
    resultat.Avant = AjusteCoups(modele, coups, optionsCoup, nbThreads, suivi);
    TRechercheConstantes recherche(modele, coups, optionsCoup, options, nbThreads, suivi);
    if (!recherche.Arrete()) resultat.Valeurs = recherche.Cherche(resultat.Avant);
    resultat.Candidats = recherche.Candidats();

    // Under the fitted constants, the better of a longer refit from the best candidate's
    // strokes and a fresh fit.
    auto ajuste = CopieMoteur(modele);
    AppliqueConstantes(ajuste->Fisik, options.Indices, resultat.Valeurs);
    auto apres = RaffineCoups(*ajuste, coups, recherche.MeilleursCoups(), optionsCoup,
                              4 * options.EvaluationsRaffinage, nbThreads, suivi);
    resultat.Apres = Meilleurs(AjusteCoups(*ajuste, coups, optionsCoup, nbThreads, suivi), apres);
    VerifieOrdres(*ajuste, coups, resultat.Apres, nbThreads);
    resultat.Interrompu = recherche.Arrete();
    return resultat;
}

THorsAjustement EvalueHorsAjustement(const TBillardAlveran& avant, const TBillardAlveran& apres,
                                     const std::vector<TCoupMesure>& coups,
                                     const TOptionsAjustement& options, int nbThreads,
                                     const TSuiviAjustement& suivi) {
    THorsAjustement h;
    h.Avant = AjusteCoups(avant, coups, options, nbThreads, suivi);
    std::vector<TCoupAjuste> departs;
    for (const auto& r : h.Avant) departs.push_back(r.Coup);
    const auto raffines = RaffineCoups(apres, coups, departs, options, 600, nbThreads, suivi);
    h.Apres = Meilleurs(AjusteCoups(apres, coups, options, nbThreads, suivi), raffines);
    VerifieOrdres(apres, coups, h.Apres, nbThreads);
    return h;
}

std::vector<std::size_t> TirageHorsAjustement(std::size_t n, double fraction, uint64_t graine) {
    if (n < 2) return {};
    const auto nombre = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::llround(fraction * static_cast<double>(n))), 1, n - 1);
    std::vector<std::size_t> ordre(n);
    std::iota(ordre.begin(), ordre.end(), std::size_t{0});
    // Fisher–Yates on the generator's raw output, which the standard fixes for a seed.
    std::mt19937_64 generateur(graine);
    for (std::size_t i = n - 1; i > 0; --i)
        std::swap(ordre[i], ordre[static_cast<std::size_t>(generateur() % (i + 1))]);
    ordre.resize(nombre);
    std::sort(ordre.begin(), ordre.end());
    return ordre;
}
