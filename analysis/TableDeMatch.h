#pragma once
// The constants of a measured match table: a joint fit of 182 public tracked three-cushion
// shots on a 2.84 m × 1.42 m match table. Both halves of a held-out split chose nearly the
// same values; on the held-out half the median RMSE fell from 3.5 cm with the defaults to
// 2.8 cm. Only these five moved; every other constant keeps its default.

#include "engine/C1_Types.h"

#include <utility>
#include <vector>

/// Name shown beside "Defaut" in the constants dialog.
inline constexpr const char* NomTableDeMatch = "Table de match (mesurée)";

/// The five measured constants by published name.
inline constexpr std::pair<const char*, double> ConstantesTableDeMatch[] = {
    {"ElastBiBde", 0.85},      {"FrotBiBde", 0.285}, {"FrotBiTapRoule", 0.0063},
    {"FrotBiTapGlisse", 0.18}, {"ElastBiBi", 0.885},
};

/// Every published constant with its value on the measured match table (published index and
/// value, in published order): the defaults, but for the five measured ones.
std::vector<std::pair<int, double>> ValeursTableDeMatch();

/// Writes the measured match table's values into every published constant.
void AppliqueTableDeMatch(TPARAMPHYS& fisik);
