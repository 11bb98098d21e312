#pragma once
// A derivative-free local minimiser within bounds: NLopt behind a small interface, so that
// only this module knows the library.

#include <cstddef>
#include <functional>
#include <vector>

struct nlopt_opt_s;

/// NLopt's local methods that need no derivative and keep to bounds.
enum class TMethodeLocale { Subplex, NelderMead, Bobyqa };

class TOptimiseur {
  public:
    explicit TOptimiseur(std::size_t dimension, TMethodeLocale methode = TMethodeLocale::Subplex);
    ~TOptimiseur();
    TOptimiseur(const TOptimiseur&) = delete;
    TOptimiseur& operator=(const TOptimiseur&) = delete;

    void Bornes(const std::vector<double>& bas, const std::vector<double>& haut);
    /// The first steps, one per parameter (they also set each parameter's scale).
    void Pas(const std::vector<double>& pas);
    /// The search ends when a step changes every parameter by less than its tolerance.
    void ToleranceX(const std::vector<double>& tolerance);
    void EvaluationsMax(int nombre);

    /// Minimises `f` from `x` (within the bounds), which receives the best point found.
    /// `arret`, asked before every evaluation, ends the search when it answers true.
    /// Returns the best value found.
    double Minimise(std::vector<double>& x, const std::function<double(const double*)>& f,
                    const std::function<bool()>& arret = {});

  private:
    nlopt_opt_s* FOpt;
};
