#include "analysis/ToleranceCalcul.h"

#include <cmath>

namespace {

int64_t Produit(const TGrilleTolerance& grille, int niveaux) {
    int64_t produit = 1;
    for (int k = 0; k < niveaux; ++k) produit *= 2 * static_cast<int64_t>(grille.Nombres[k]) + 1;
    return produit;
}

} // namespace

std::string VerifieGrille(const TGrilleTolerance& grille) {
    for (int k = 0; k < NbNiveauxTolerance; ++k) {
        if (grille.Nombres[k] < 0 || grille.Nombres[k] > NombreMaxTolerance)
            return "nombre d'essais hors de 0.." + std::to_string(NombreMaxTolerance) +
                   " au niveau " + std::to_string(k + 1);
        if (!std::isfinite(grille.Centres[k]))
            return "valeur centrale non finie au niveau " + std::to_string(k + 1);
        if (!std::isfinite(grille.Increments[k]))
            return "incrément non fini au niveau " + std::to_string(k + 1);
    }
    return {};
}

int64_t NbEssaisGrille(const TGrilleTolerance& grille) {
    return Produit(grille, NbNiveauxTolerance);
}

int64_t NbCombinaisons(const TGrilleTolerance& grille) {
    return Produit(grille, 5);
}

int64_t NbCombinaisonsPartage(const TGrilleTolerance& grille, TPartageTolerance partage) {
    const int64_t total = NbCombinaisons(grille);
    if (partage.Nombre < 1 || partage.Indice < 0 || partage.Indice >= partage.Nombre) return 0;
    if (partage.Indice >= total) return 0;
    return (total - 1 - partage.Indice) / partage.Nombre + 1;
}

std::vector<double> ValeursNiveau(const TGrilleTolerance& grille, int niveau) {
    const double centre = grille.Centres[niveau - 1];
    const double increment = grille.Increments[niveau - 1];
    const int32_t nombre = grille.Nombres[niveau - 1];
    std::vector<double> valeurs;
    valeurs.reserve(2 * static_cast<size_t>(nombre) + 1);
    valeurs.push_back(centre);
    double v = centre;
    for (int32_t i = 0; i < nombre; ++i) valeurs.push_back(v += increment);
    v = centre;
    for (int32_t i = 0; i < nombre; ++i) valeurs.push_back(v -= increment);
    return valeurs;
}

template TResultatTolerance
EvalueTolerance<TBillardAlveran>(TBillardAlveran&, const TGrilleTolerance&, const TSuiviTolerance&);
template class TEvaluationParallele<TBillardAlveran>;
