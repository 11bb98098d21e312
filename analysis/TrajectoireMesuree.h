#pragma once
// A tracked shot: the balls' positions as a camera tracker measured them, read from a CSV text
//
//   t,bille,x,y
//   0,1,18.3,-71.1
//   …
//
// t in s, bille 1 to 3 (1 is the cue ball), x and y in cm in the engine's table frame. Each
// ball has its own irregular sample times; a ball that never moves may have only two samples;
// a time stamp may repeat. The reader refuses what cannot be a tracked shot (unknown ball,
// text that is not a number, a ball's time going backwards, too few cue-ball samples, a centre
// beyond a cushion's nose line, a cue ball that never moves, a time stamp far from all the
// others), naming the line and quoting at most a few dozen characters of it.

#include "engine/C1_Types.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

/// One tracked position.
struct TReleve {
    double t = 0.0; ///< time on the file's clock (s)
    double x = 0.0; ///< across the table (cm)
    double y = 0.0; ///< along the table (cm)
};

/// The samples of the three balls, each in its file order (times never decreasing).
struct TTrajectoireMesuree {
    /// Indexed by ball number 1 to 3 (index 0 unused), as the engine's records.
    std::array<std::vector<TReleve>, 4> Billes;
};

/// The result of reading: the samples, or the reason for refusing them.
struct TLectureTrajectoire {
    TTrajectoireMesuree Trajectoire;
    std::string Erreur; ///< "ligne 12 : …" in French; empty when the text was accepted
};

/// Largest gap (s) between a sample's time, at or before the cue ball's first one, and the
/// nearest other time stamp of the file: a tracker films at tens of frames a second, so a lone
/// time further than this from all others is a stray sample or a clock gone wrong.
inline constexpr double EcartTempsMax = 2.0;

/// Fewest samples of the cue ball that a fit can work from.
inline constexpr int NbRelevesQueueMin = 5;

/// Reads the CSV text of a tracked shot. `fisik` gives the table (nose lines at ±largeurJeu/2
/// and ±largeurJeu) and the ball radius (a cue ball that stays within one diameter of its first
/// place never moved).
TLectureTrajectoire LitTrajectoireMesuree(std::string_view texte, const TPARAMPHYS& fisik);
