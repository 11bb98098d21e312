#pragma once
// Writing the solution-search map to a PNG file, for callers without Qt in their headers (the
// command line). It paints with Qt's raster engine and needs no display: when the program has
// no application object yet, one is made on the off-screen platform for the painting.

#include "analysis/RechercheFamilles.h"
#include "analysis/RechercheSolutions.h"

#include <cstdint>
#include <string>

/// Which strokes a map shows: one speed and height (indices in the grid), or all of them.
struct TCoupeCarte {
    bool Toutes = true;
    int32_t Vitesse = 0;
    int32_t Hauteur = 0;
};

/// Paints the map and saves it as PNG. Returns an empty text, or the problem in French.
std::string EnregistreCarte(const std::string& chemin, const TGrilleRecherche& grille,
                            const TSolutions& solutions, const TCoupeCarte& coupe);
