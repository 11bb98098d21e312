#include "analysis/DureeEssai.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

std::vector<TCoupQueue> EchantillonGrille(const TGrilleTolerance& grille) {
    TCoupQueue centre;
    centre.Effet = grille.Centres[0];
    centre.Hauteur = grille.Centres[1];
    centre.AngleOx = grille.Centres[2];
    centre.Vq = grille.Centres[3];
    centre.AngleTapis = grille.Centres[4];
    centre.m = grille.Centres[5];
    std::vector<TCoupQueue> coups{centre};
    double TCoupQueue::*champs[NbNiveauxTolerance] = {&TCoupQueue::Effet,      &TCoupQueue::Hauteur,
                                                      &TCoupQueue::AngleOx,    &TCoupQueue::Vq,
                                                      &TCoupQueue::AngleTapis, &TCoupQueue::m};
    for (std::size_t k = 0; k < NbNiveauxTolerance; ++k) {
        if (grille.Nombres[k] == 0) continue;
        for (const double signe : {-1.0, 1.0}) {
            TCoupQueue c = centre;
            c.*champs[k] += signe * grille.Nombres[k] * grille.Increments[k];
            coups.push_back(c);
        }
    }
    return coups;
}

std::vector<TCoupQueue> EchantillonRecherche(const TBillardAlveran& moteur,
                                             const TValeursRecherche& valeurs,
                                             const TDimensionsRecherche& dimensions, int nombre) {
    std::vector<TCoupQueue> coups;
    const int64_t points = dimensions.NbPoints();
    if (points <= 0 || nombre <= 0) return coups;
    const auto copie = std::make_unique<TBillardAlveran>(moteur);
    for (int k = 0; k < nombre; ++k) {
        // The middle of each of `nombre` equal slices of the grid's numbering.
        const int64_t indice = static_cast<int64_t>((static_cast<double>(k) + 0.5) *
                                                    static_cast<double>(points) / nombre);
        PlaceCoupRecherche(*copie, valeurs, dimensions, std::min(indice, points - 1));
        if (PointeHorsGrille(*copie, copie->Coup.Effet, copie->Coup.Hauteur)) continue;
        coups.push_back(copie->Coup);
    }
    return coups;
}

double MesureDureeTir(const TBillardAlveran& moteur, const std::vector<TCoupQueue>& echantillon,
                      double budgetMs, int maxTirs) {
    if (echantillon.empty()) return 0.0;
    using horloge = std::chrono::steady_clock;
    const auto copie = std::make_unique<TBillardAlveran>(moteur);
    const TCinematique depart[3] = {moteur.Trajets[1][0], moteur.Trajets[2][0],
                                    moteur.Trajets[3][0]};
    const auto debut = horloge::now();
    double ecoule = 0.0;
    int tirs = 0;
    do {
        copie->Coup = echantillon[static_cast<std::size_t>(tirs) % echantillon.size()];
        // Every shot from the same start, as the study fires them.
        for (int b = 1; b <= 3; ++b) copie->Trajets[b][0] = depart[b - 1];
        copie->TireCoup();
        ++tirs;
        ecoule = std::chrono::duration<double, std::milli>(horloge::now() - debut).count();
    } while (ecoule < budgetMs && tirs < maxTirs);
    return ecoule / tirs;
}

int64_t EstimationMs(int64_t nbTirs, double dureeTirMs, int nbFils) {
    const double ms = static_cast<double>(nbTirs) * dureeTirMs / std::max(1, nbFils);
    if (!(ms < 9.0e18)) return INT64_MAX;
    return static_cast<int64_t>(std::llround(ms));
}
