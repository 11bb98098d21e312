#pragma once
// Routes and families of a solution search. A route is a contact sequence ("3NOS2": ball 3,
// three cushions, ball 2); its scoring strokes, counted, tell how much of the stroke space
// makes the point that way. A family is a set of strokes of one route connected through grid
// neighbours: two strokes are neighbours when each of their four grid indices differs by at
// most one step, diagonals included (a route's scoring region is a thin ribbon running
// diagonally through aim × effect × speed, which neighbours along one axis only would cut into
// pieces), the aim wrapping round when it covers the whole circle.

#include "analysis/CalculD13.h"
#include "analysis/Chance.h"
#include "analysis/RechercheSolutions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

/// Families smaller than this are counted as isolated strokes of their route, not listed.
inline constexpr int32_t MinFamilleDefaut = 3;

struct TFamille {
    int64_t Taille = 0;     ///< number of strokes
    int32_t AngleDebut = 0; ///< aim index where the family's aim range starts
    /// Aim index where it ends: below AngleDebut when the range wraps round through the end of
    /// the aim axis. The range is the shortest arc that holds every member's aim.
    int32_t AngleFin = 0;
    /// Grid index of the central stroke: the member with the most members among its
    /// neighbours; on a tie, the one nearest the family's mean in grid steps, then the lowest.
    int64_t Centre = 0;
    int32_t Numero = 0; ///< among every family of the search, listed or not, from 1, in rank order
    double D13 = CaracteristiqueNonCalculee; ///< of the central stroke (cm), once characterised
    int64_t Tolerance = -1;      ///< tolerance count of the central stroke; −1 when not computed
    int64_t ToleranceEssais = 0; ///< strokes fired for that count, once computed
    /// The family's safest stroke for a player, once computed.
    std::optional<TCoupSur> Chance;
};

struct TRoute {
    std::string Sequence;
    int64_t Reussis = 0; ///< scoring strokes of the route
    int64_t Isoles = 0;  ///< those in families below the minimum size
    /// Families of at least the minimum size, largest first (then by lowest grid index).
    std::vector<TFamille> Familles;
};

/// A scoring stroke and the number of its family.
struct TCoupReussi {
    int64_t Indice = 0;
    int32_t Famille = 0;
};

/// A family in a ranking by chance.
struct TFamilleClassee {
    size_t Route = 0;   ///< index in TSolutions::Routes
    size_t Famille = 0; ///< index in that route's Familles
};

struct TSolutions {
    /// Most scoring strokes first, then by sequence text.
    std::vector<TRoute> Routes;
    /// The families whose chance was computed, safest first (ties: lower family number).
    std::vector<TFamilleClassee> PlusSurs;
    /// Every scoring stroke, in grid order.
    std::vector<TCoupReussi> Coups;
    int32_t NbFamilles = 0; ///< listed or not
};

/// Groups the scoring strokes into routes and families. `viseeBoucle`: the aim axis covers the
/// whole circle (ViseeFaitLeTour), so its last and first values are neighbours.
TSolutions RoutesEtFamilles(const TCoupsRecherche& coups, bool viseeBoucle, int32_t minFamille);

/// What the caller of CaracteriseFamilles may observe and request, from its own thread.
struct TSuiviFamilles {
    /// Polled while the tolerance counts run: true abandons them.
    std::function<bool()> Arret;
    /// Called while they run with the trials made so far and the total of every count.
    std::function<void(int64_t faits, int64_t total)> Progression;
};

/// Fires each listed family's central stroke from the engine's position for its D13 and, for
/// the `nbTolerance` largest listed families (ties in rank order), counts the central stroke's
/// tolerance on `nbThreads` threads over the tolerance window's initial increments, with
/// `nombresTolerance` trials each side (the window's initial counts unless given). Returns
/// false when a stop request abandoned the counts (the families not counted keep −1).
bool CaracteriseFamilles(
    const TBillardAlveran& moteur, const TGrilleRecherche& grille, TSolutions& solutions,
    int32_t nbTolerance, int nbThreads, const TSuiviFamilles& suivi = {},
    const std::array<int32_t, NbNiveauxTolerance>& nombresTolerance = NombresToleranceInitiaux);
/// The same with the grid's value tables already built.
bool CaracteriseFamilles(
    const TBillardAlveran& moteur, const TValeursRecherche& valeurs,
    const TDimensionsRecherche& dimensions, TSolutions& solutions, int32_t nbTolerance,
    int nbThreads, const TSuiviFamilles& suivi = {},
    const std::array<int32_t, NbNiveauxTolerance>& nombresTolerance = NombresToleranceInitiaux);
