#include "analysis/CoupLePlusSur.h"

#include "analysis/ComdbAlv.h"
#include "analysis/Optimiseur.h"
#include "analysis/RechercheSolutions.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <numbers>
#include <thread>

namespace {

constexpr double DegreEnRadians = std::numbers::pi / 180.0;

/// The refinement's unit on each parameter: the player's spread, or a small floor where the
/// player makes no error (the chance is then 0 or 1 and there is little to refine).
struct TEchelles {
    double Angle; ///< rad
    double Procede;
    double Vitesse; ///< fraction of the speed
    explicit TEchelles(const TJoueur& j)
        : Angle(std::max(j.EcartAngle, 0.05) * DegreEnRadians),
          Procede(std::max(j.EcartProcede, 0.02)), Vitesse(std::max(j.EcartVitesse, 1.0) / 100.0) {}
};

} // namespace

bool MarqueParSequence(TBillardAlveran& moteur, const TCinematique& depart, const TCoupQueue& coup,
                       const std::string& sequence) {
    if (CoupHorsBille(moteur, coup.Effet, coup.Hauteur)) return false;
    const bool avant = moteur.ArretIssueDecidee;
    moteur.ArretIssueDecidee = true;
    moteur.Coup = coup;
    moteur.Trajets[1][0] = depart;
    moteur.TireCoup();
    moteur.ArretIssueDecidee = avant;
    return moteur.PointReussi && SequencePoint(moteur) == sequence;
}

TCoupSur CoupLePlusSur(TBillardAlveran& moteur, const TCinematique& depart,
                       const std::vector<TCoupQueue>& membres, const std::string& sequence,
                       const TJoueur& joueur, const TTirages& tirages,
                       const TOptionsPlusSur& options, const std::atomic<bool>* arret) {
    TCoupSur r;
    if (membres.empty()) return r;
    const int32_t n = tirages.Nombre();
    const auto compte = [&](const TCoupQueue& coup, int32_t fin) {
        const TComptesChance c = CompteEssais(moteur, depart, coup, joueur, tirages, 0, fin);
        r.Essais += c.Essais;
        return c;
    };

    // Screening: members evenly spread through the family, the central one first.
    std::vector<size_t> candidats{0};
    const auto nbCandidats = static_cast<size_t>(std::max(options.NbCandidats, 1));
    for (size_t k = 1; k < nbCandidats && k < membres.size(); ++k) {
        const size_t j = k * membres.size() / nbCandidats;
        if (j != 0 && std::find(candidats.begin(), candidats.end(), j) == candidats.end())
            candidats.push_back(j);
    }
    const int32_t essaisTri = std::min(options.EssaisTri, n);
    std::vector<std::pair<int64_t, size_t>> tri; // screened points (negated for sorting), index
    for (size_t j : candidats) tri.emplace_back(-compte(membres[j], essaisTri).Reussis, j);
    std::stable_sort(tri.begin(), tri.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    // Finalists on every draw; the central stroke always, for the comparison.
    r.Coup = membres[0];
    r.ChanceCentre = Chance(compte(membres[0], n));
    r.Chance = r.ChanceCentre;
    for (size_t k = 0; k < tri.size() && k < static_cast<size_t>(options.NbFinalistes); ++k) {
        if (tri[k].second == 0) continue;
        const TComptesChance c = compte(membres[tri[k].second], n);
        if (c.Reussis > r.Chance.Comptes.Reussis) {
            r.Coup = membres[tri[k].second];
            r.Chance = Chance(c);
        }
    }

    // Refinement around the best, in units of the player's spreads.
    if (options.EvaluationsMax <= 0 || (arret != nullptr && arret->load())) return r;
    const TEchelles e(joueur);
    const TCoupQueue origine = r.Coup;
    const auto coupEn = [&](const double* x) {
        TCoupQueue c = origine;
        c.AngleOx += x[0] * e.Angle;
        c.Effet += x[1] * e.Procede;
        c.Hauteur += x[2] * e.Procede;
        c.Vq *= 1.0 + x[3] * e.Vitesse;
        return c;
    };
    TOptimiseur optimiseur(4, TMethodeLocale::NelderMead);
    optimiseur.Bornes({-4, -4, -4, -4}, {4, 4, 4, 4});
    optimiseur.Pas({1, 1, 1, 1});
    optimiseur.ToleranceX({0.05, 0.05, 0.05, 0.05});
    optimiseur.EvaluationsMax(options.EvaluationsMax);
    std::vector<double> x(4, 0.0);
    optimiseur.Minimise(
        x,
        [&](const double* p) {
            const TCoupQueue c = coupEn(p);
            // A stroke that leaves its family, or misses, is no candidate.
            if (!MarqueParSequence(moteur, depart, c, sequence)) return 1.0;
            const TComptesChance comptes = compte(c, n);
            if (comptes.Reussis > r.Chance.Comptes.Reussis) {
                r.Coup = c;
                r.Chance = Chance(comptes);
            }
            return -static_cast<double>(comptes.Reussis);
        },
        [arret] { return arret != nullptr && arret->load(std::memory_order_relaxed); });
    return r;
}

bool ChancesDesFamilles(const TBillardAlveran& moteur, TResultatRecherche& r, const TJoueur& joueur,
                        const TTirages& tirages, int32_t nbFamilles, int nbThreads,
                        const std::atomic<bool>& arret,
                        const std::function<void(int64_t faits, int64_t total)>& progression,
                        const TOptionsPlusSur& options) {
    TSolutions& s = r.Solutions;
    s.PlusSurs.clear();
    for (size_t i = 0; i < s.Routes.size(); ++i)
        for (size_t j = 0; j < s.Routes[i].Familles.size(); ++j)
            if (nbFamilles <= 0 || static_cast<int32_t>(s.PlusSurs.size()) < nbFamilles)
                s.PlusSurs.push_back({i, j});

    // Each family's members as strokes, its central one first.
    std::vector<std::vector<TCoupQueue>> membres(s.PlusSurs.size());
    std::vector<int32_t> rangDuNumero(static_cast<size_t>(s.NbFamilles) + 1, -1);
    for (size_t k = 0; k < s.PlusSurs.size(); ++k)
        rangDuNumero[static_cast<size_t>(
            s.Routes[s.PlusSurs[k].Route].Familles[s.PlusSurs[k].Famille].Numero)] =
            static_cast<int32_t>(k);
    const TCoupQueue base = moteur.Coup;
    const auto coupDe = [&](int64_t indice) {
        const auto i = r.Dimensions.Indices(indice);
        TCoupQueue c = base;
        c.AngleOx = r.Valeurs.Angles[static_cast<size_t>(i[0])];
        c.Effet = r.Valeurs.Effets[static_cast<size_t>(i[1])];
        c.Hauteur = r.Valeurs.Hauteurs[static_cast<size_t>(i[2])];
        c.Vq = r.Valeurs.Vitesses[static_cast<size_t>(i[3])];
        return c;
    };
    for (size_t k = 0; k < s.PlusSurs.size(); ++k)
        membres[k].push_back(
            coupDe(s.Routes[s.PlusSurs[k].Route].Familles[s.PlusSurs[k].Famille].Centre));
    for (const TCoupReussi& c : s.Coups) {
        const int32_t k = rangDuNumero[static_cast<size_t>(c.Famille)];
        if (k < 0) continue;
        const TFamille& f = s.Routes[s.PlusSurs[static_cast<size_t>(k)].Route]
                                .Familles[s.PlusSurs[static_cast<size_t>(k)].Famille];
        if (c.Indice != f.Centre) membres[static_cast<size_t>(k)].push_back(coupDe(c.Indice));
    }

    std::vector<std::optional<TCoupSur>> trouves(s.PlusSurs.size());
    const TCinematique depart = moteur.Trajets[1][0];
    TEquipeMoteurs<TBillardAlveran> equipe;
    equipe.Demarre(
        moteur, nbThreads, static_cast<int64_t>(s.PlusSurs.size()),
        [&](TBillardAlveran& copie, int64_t k) {
            const TFamilleClassee& fc = s.PlusSurs[static_cast<size_t>(k)];
            TCoupSur sur =
                CoupLePlusSur(copie, depart, membres[static_cast<size_t>(k)],
                              s.Routes[fc.Route].Sequence, joueur, tirages, options, &arret);
            // A family cut short by a stop request is left without a chance.
            if (arret.load()) return false;
            trouves[static_cast<size_t>(k)] = sur;
            return true;
        },
        &arret);
    while (!equipe.Termine()) {
        if (progression) progression(equipe.UnitesFaites(), equipe.NbUnites());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    equipe.Rejoint();
    const bool complet = equipe.UnitesFaites() == equipe.NbUnites() && !arret.load();

    std::vector<TFamilleClassee> classees;
    for (size_t k = 0; k < s.PlusSurs.size(); ++k) {
        if (!trouves[k]) continue;
        s.Routes[s.PlusSurs[k].Route].Familles[s.PlusSurs[k].Famille].Chance = trouves[k];
        classees.push_back(s.PlusSurs[k]);
    }
    const auto famille = [&s](const TFamilleClassee& c) -> const TFamille& {
        return s.Routes[c.Route].Familles[c.Famille];
    };
    std::stable_sort(classees.begin(), classees.end(),
                     [&](const TFamilleClassee& a, const TFamilleClassee& b) {
                         const int64_t ra = famille(a).Chance->Chance.Comptes.Reussis;
                         const int64_t rb = famille(b).Chance->Chance.Comptes.Reussis;
                         return ra != rb ? ra > rb : famille(a).Numero < famille(b).Numero;
                     });
    s.PlusSurs = std::move(classees);
    return complet;
}
