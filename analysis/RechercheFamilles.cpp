#include "analysis/RechercheFamilles.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

namespace {

/// The values within one step of `i` on an axis of `n` values (i itself included), each once.
std::vector<int32_t> Voisins1D(int32_t i, int32_t n, bool boucle) {
    std::vector<int32_t> v;
    for (int32_t d = -1; d <= 1; ++d) {
        int32_t j = i + d;
        if (boucle) j = (j + n) % n;
        if (j < 0 || j >= n || std::find(v.begin(), v.end(), j) != v.end()) continue;
        v.push_back(j);
    }
    return v;
}

/// The grid neighbours of a point (itself excluded), each once.
std::vector<int64_t> Voisins(const TDimensionsRecherche& d, bool boucle, int64_t indice) {
    const auto i = d.Indices(indice);
    std::vector<int64_t> voisins;
    for (int32_t a : Voisins1D(i[0], d.NbAngles, boucle))
        for (int32_t e : Voisins1D(i[1], d.NbEffets, false))
            for (int32_t h : Voisins1D(i[2], d.NbHauteurs, false))
                for (int32_t v : Voisins1D(i[3], d.NbVitesses, false)) {
                    const int64_t j = d.Indice({a, e, h, v});
                    if (j != indice) voisins.push_back(j);
                }
    return voisins;
}

/// The scoring strokes in grid order and, for lookups, each one's rank in that list.
struct TReussis {
    std::vector<int64_t> Indices;
    int64_t Rang(int64_t indice) const {
        return std::lower_bound(Indices.begin(), Indices.end(), indice) - Indices.begin();
    }
};

/// One connected set of strokes of one sequence, before ranking.
struct TComposante {
    uint32_t Code = 0;
    std::vector<int64_t> Membres; ///< grid indices, the first one the lowest
};

std::vector<TComposante> Composantes(const TCoupsRecherche& coups, bool boucle,
                                     const TReussis& reussis) {
    const TDimensionsRecherche& d = coups.Dimensions;
    std::vector<bool> vu(reussis.Indices.size(), false);
    std::vector<TComposante> composantes;
    for (size_t depart = 0; depart < reussis.Indices.size(); ++depart) {
        if (vu[depart]) continue;
        TComposante c;
        c.Code = coups.Codes[static_cast<size_t>(reussis.Indices[depart])];
        c.Membres.push_back(reussis.Indices[depart]);
        vu[depart] = true;
        // Breadth first: Membres doubles as the queue.
        for (size_t k = 0; k < c.Membres.size(); ++k)
            for (int64_t j : Voisins(d, boucle, c.Membres[k])) {
                if (coups.Codes[static_cast<size_t>(j)] != c.Code) continue;
                const auto r = static_cast<size_t>(reussis.Rang(j));
                if (vu[r]) continue;
                vu[r] = true;
                c.Membres.push_back(j);
            }
        composantes.push_back(std::move(c));
    }
    return composantes;
}

/// The shortest arc of aim indices holding every member: after the widest run of aim values
/// that no member has (round the end of the axis when it wraps).
void PlageAngles(const TDimensionsRecherche& d, bool boucle, const TComposante& c, TFamille& f) {
    std::vector<int32_t> angles;
    for (int64_t j : c.Membres) angles.push_back(d.Indices(j)[0]);
    std::sort(angles.begin(), angles.end());
    angles.erase(std::unique(angles.begin(), angles.end()), angles.end());
    f.AngleDebut = angles.front();
    f.AngleFin = angles.back();
    if (!boucle) return;
    int32_t trou = d.NbAngles - angles.back() + angles.front(); // round the end of the axis
    for (size_t k = 1; k < angles.size(); ++k)
        if (angles[k] - angles[k - 1] > trou) {
            trou = angles[k] - angles[k - 1];
            f.AngleDebut = angles[k];
            f.AngleFin = angles[k - 1];
        }
}

/// The central stroke: most members among its neighbours, then nearest the mean (aim counted
/// from the start of the family's range, so that a range across the end of the axis has a
/// meaningful mean), then the lowest grid index.
int64_t Centre(const TDimensionsRecherche& d, bool boucle, const TComposante& c,
               const TFamille& f) {
    const auto coordonnees = [&](int64_t j) {
        auto i = d.Indices(j);
        std::array<double, 4> x{};
        x[0] = static_cast<double>((i[0] - f.AngleDebut + d.NbAngles) % d.NbAngles);
        for (int k = 1; k < 4; ++k) x[static_cast<size_t>(k)] = i[static_cast<size_t>(k)];
        return x;
    };
    std::array<double, 4> moyenne{};
    for (int64_t j : c.Membres) {
        const auto x = coordonnees(j);
        for (size_t k = 0; k < 4; ++k) moyenne[k] += x[k];
    }
    for (double& m : moyenne) m /= static_cast<double>(c.Membres.size());

    std::vector<int64_t> membres = c.Membres;
    std::sort(membres.begin(), membres.end());
    int64_t centre = membres.front();
    int64_t meilleurCompte = -1;
    double meilleureDistance = 0.0;
    for (int64_t j : membres) {
        int64_t compte = 0;
        for (int64_t v : Voisins(d, boucle, j))
            compte += std::binary_search(membres.begin(), membres.end(), v) ? 1 : 0;
        const auto x = coordonnees(j);
        double distance = 0.0;
        for (size_t k = 0; k < 4; ++k) distance += (x[k] - moyenne[k]) * (x[k] - moyenne[k]);
        if (compte > meilleurCompte || (compte == meilleurCompte && distance < meilleureDistance)) {
            centre = j;
            meilleurCompte = compte;
            meilleureDistance = distance;
        }
    }
    return centre;
}

/// A family before ranking, with its members.
struct TFamilleBrute {
    TFamille Famille;
    std::vector<int64_t> Membres;
};

/// A route before ranking.
struct TRouteBrute {
    std::string Sequence;
    int64_t Reussis = 0;
    std::vector<TFamilleBrute> Familles;
};

} // namespace

TSolutions RoutesEtFamilles(const TCoupsRecherche& coups, bool viseeBoucle, int32_t minFamille) {
    const TDimensionsRecherche& d = coups.Dimensions;
    TReussis reussis;
    for (size_t j = 0; j < coups.Codes.size(); ++j)
        if (coups.Codes[j] != 0) reussis.Indices.push_back(static_cast<int64_t>(j));

    // The families of each sequence, members kept for the numbering below.
    std::map<uint32_t, TRouteBrute> parCode;
    for (TComposante& c : Composantes(coups, viseeBoucle, reussis)) {
        TFamilleBrute f;
        f.Famille.Taille = static_cast<int64_t>(c.Membres.size());
        PlageAngles(d, viseeBoucle, c, f.Famille);
        f.Famille.Centre = Centre(d, viseeBoucle, c, f.Famille);
        f.Membres = std::move(c.Membres);
        TRouteBrute& route = parCode[c.Code];
        route.Sequence = coups.Sequences[c.Code - 1];
        route.Reussis += f.Famille.Taille;
        route.Familles.push_back(std::move(f));
    }
    std::vector<TRouteBrute> brutes;
    for (auto& [code, route] : parCode) {
        // Composantes come in grid order, so equal sizes keep their lowest-index order.
        std::stable_sort(route.Familles.begin(), route.Familles.end(),
                         [](const TFamilleBrute& a, const TFamilleBrute& b) {
                             return a.Famille.Taille > b.Famille.Taille;
                         });
        brutes.push_back(std::move(route));
    }
    std::sort(brutes.begin(), brutes.end(), [](const TRouteBrute& a, const TRouteBrute& b) {
        return a.Reussis != b.Reussis ? a.Reussis > b.Reussis : a.Sequence < b.Sequence;
    });

    TSolutions s;
    std::vector<int32_t> familleDuRang(reussis.Indices.size(), 0);
    for (TRouteBrute& brute : brutes) {
        TRoute route{brute.Sequence, brute.Reussis, 0, {}};
        for (TFamilleBrute& f : brute.Familles) {
            f.Famille.Numero = ++s.NbFamilles;
            for (int64_t j : f.Membres)
                familleDuRang[static_cast<size_t>(reussis.Rang(j))] = f.Famille.Numero;
            if (f.Famille.Taille >= minFamille)
                route.Familles.push_back(f.Famille);
            else
                route.Isoles += f.Famille.Taille;
        }
        s.Routes.push_back(std::move(route));
    }
    for (size_t r = 0; r < reussis.Indices.size(); ++r)
        s.Coups.push_back({reussis.Indices[r], familleDuRang[r]});
    return s;
}

bool CaracteriseFamilles(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                         TSolutions& solutions, int32_t nbTolerance, int nbThreads,
                         const TSuiviFamilles& suivi,
                         const std::array<int32_t, NbNiveauxTolerance>& nombresTolerance) {
    return CaracteriseFamilles(moteur, ValeursRecherche(grille), DimensionsRecherche(grille),
                               solutions, nbTolerance, nbThreads, suivi, nombresTolerance);
}

bool CaracteriseFamilles(const TBillardAlveran& moteur, const TValeursRecherche& valeurs,
                         const TDimensionsRecherche& dimensions, TSolutions& solutions,
                         int32_t nbTolerance, int nbThreads, const TSuiviFamilles& suivi,
                         const std::array<int32_t, NbNiveauxTolerance>& nombresTolerance) {
    // The engine holds its records in fixed arrays (several hundred kB): not on the stack.
    const auto copie = std::make_unique<TBillardAlveran>(moteur);
    copie->ApresQueueBille = {};
    copie->ApresCalculTrajets = {};
    const auto placeCentre = [&](const TFamille& f) {
        copie->Trajets[1][0] = moteur.Trajets[1][0];
        PlaceCoupRecherche(*copie, valeurs, dimensions, f.Centre);
    };
    std::vector<TFamille*> familles;
    for (TRoute& route : solutions.Routes)
        for (TFamille& f : route.Familles) {
            placeCentre(f);
            copie->TireCoup();
            TCaracteristiques c;
            CalculeCaracteristiques(*copie, c);
            f.D13 = c.D13;
            familles.push_back(&f);
        }

    std::stable_sort(familles.begin(), familles.end(),
                     [](const TFamille* a, const TFamille* b) { return a->Taille > b->Taille; });
    if (nbTolerance < static_cast<int32_t>(familles.size()))
        familles.resize(static_cast<size_t>(std::max(nbTolerance, 0)));
    // Every count has the same grid shape, centred on its own stroke.
    const int64_t parFamille = NbEssaisGrille(GrilleToleranceAutour(*copie, nombresTolerance));
    const int64_t parCombinaison =
        parFamille / NbCombinaisons(GrilleToleranceAutour(*copie, nombresTolerance));
    const int64_t total = parFamille * static_cast<int64_t>(familles.size());
    int64_t faits = 0;
    TEvaluationParallele<TBillardAlveran> evaluation;
    for (TFamille* f : familles) {
        placeCentre(*f);
        evaluation.Demarre(*copie, GrilleToleranceAutour(*copie, nombresTolerance), nbThreads);
        while (!evaluation.Termine()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (suivi.Arret && suivi.Arret()) evaluation.Arrete();
            if (suivi.Progression)
                suivi.Progression(
                    faits + evaluation.Progression().CombinaisonsFaites * parCombinaison, total);
        }
        const TResultatTolerance r = evaluation.Attend();
        if (r.Interrompu) return false;
        f->Tolerance = r.NbReussis;
        f->ToleranceEssais = parFamille;
        faits += parFamille;
    }
    return true;
}
