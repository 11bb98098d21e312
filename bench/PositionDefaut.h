#pragma once
// The default shot of the table, built in code so that the benchmarks need no file: white cue
// ball at (0.514, −2) diamonds, red at (0, 2), yellow at (0, −2), the main window's stroke.

#include "engine/CoupDefaut.h"

#include <memory>

inline std::unique_ptr<TBillardAlveran> MoteurPositionDefaut() {
    auto moteur = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*moteur);
    return moteur;
}
