#pragma once
// How long one shot of a study takes on this machine, measured rather than assumed: a few shots
// of the study itself are fired and timed. Long runs announce their time from it.

#include "analysis/RechercheSolutions.h"
#include "analysis/ToleranceCalcul.h"
#include "engine/C8_BillardAlveran.h"

#include <cstdint>
#include <vector>

/// The strokes of a short sample of a tolerance grid: the centre, then each level's two
/// outermost values, the other levels at their centre.
std::vector<TCoupQueue> EchantillonGrille(const TGrilleTolerance& grille);

/// The strokes of a short sample of a search grid: `nombre` grid points spread evenly over it
/// (every speed among them), those whose tip misses the ball left out.
std::vector<TCoupQueue> EchantillonRecherche(const TBillardAlveran& moteur,
                                             const TValeursRecherche& valeurs,
                                             const TDimensionsRecherche& dimensions,
                                             int nombre = 24);

/// Mean time of one shot (ms) over the strokes of `echantillon` fired in turn from the
/// engine's record 0, for about `budgetMs` (at least one shot, at most `maxTirs`). The
/// engine is not changed: the shots are fired on a copy.
double MesureDureeTir(const TBillardAlveran& moteur, const std::vector<TCoupQueue>& echantillon,
                      double budgetMs = 150.0, int maxTirs = 60);

/// Time (ms) of `nbTirs` shots of `dureeTirMs` each shared by `nbFils` threads.
int64_t EstimationMs(int64_t nbTirs, double dureeTirMs, int nbFils);
