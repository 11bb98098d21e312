#include "analysis/Optimiseur.h"

#include <nlopt.h>

#include <limits>

namespace {

nlopt_algorithm Algorithme(TMethodeLocale methode) {
    switch (methode) {
    case TMethodeLocale::NelderMead:
        return NLOPT_LN_NELDERMEAD;
    case TMethodeLocale::Bobyqa:
        return NLOPT_LN_BOBYQA;
    case TMethodeLocale::Subplex:
        break;
    }
    return NLOPT_LN_SBPLX;
}

struct TContexte {
    const std::function<double(const double*)>& Objectif;
    const std::function<bool()>& Arret;
    nlopt_opt Opt;
};

double Objectif(unsigned, const double* x, double*, void* donnees) {
    auto& c = *static_cast<TContexte*>(donnees);
    if (c.Arret && c.Arret()) {
        nlopt_force_stop(c.Opt);
        return std::numeric_limits<double>::max();
    }
    return c.Objectif(x);
}

} // namespace

TOptimiseur::TOptimiseur(std::size_t dimension, TMethodeLocale methode)
    : FOpt(nlopt_create(Algorithme(methode), static_cast<unsigned>(dimension))) {}

TOptimiseur::~TOptimiseur() {
    nlopt_destroy(FOpt);
}

void TOptimiseur::Bornes(const std::vector<double>& bas, const std::vector<double>& haut) {
    nlopt_set_lower_bounds(FOpt, bas.data());
    nlopt_set_upper_bounds(FOpt, haut.data());
}

void TOptimiseur::Pas(const std::vector<double>& pas) {
    nlopt_set_initial_step(FOpt, pas.data());
}

void TOptimiseur::ToleranceX(const std::vector<double>& tolerance) {
    nlopt_set_xtol_abs(FOpt, tolerance.data());
}

void TOptimiseur::EvaluationsMax(int nombre) {
    nlopt_set_maxeval(FOpt, nombre);
}

double TOptimiseur::Minimise(std::vector<double>& x, const std::function<double(const double*)>& f,
                             const std::function<bool()>& arret) {
    TContexte contexte{f, arret, FOpt};
    nlopt_set_min_objective(FOpt, &Objectif, &contexte);
    double meilleure = std::numeric_limits<double>::infinity();
    // Whatever the ending (tolerance, budget, stop request, round-off), x holds the best point.
    nlopt_optimize(FOpt, x.data(), &meilleure);
    return meilleure;
}
