#pragma once
// A route in a player's words. The engine numbers the balls from the cue ball (1) and names the
// cushions by compass letters; a player thinks in colours and in long and short cushions. Which
// colour "2" and "3" stand for depends on the cue ball: with the white one, 2 is the red and 3
// the yellow; with the yellow one, 2 is the white and 3 the red.

#include "engine/C8_BillardAlveran.h"

#include <string>

/// The colour of engine ball `numero` (1 to 3) for this cue ball ("blanche", "jaune", "rouge");
/// an unknown cue ball counts as the white one, the program's default.
std::string CouleurBilleMoteur(int numero, TBilleJoueur joueur);
/// "grande bande" for S and N (the table's long sides), "petite bande" for E and O; empty for
/// any other letter.
std::string NomBande(char lettre);
/// The route's letters spelled out, contacts separated by ", ": "2SEN3" with the white cue ball
/// gives "rouge, grande bande S, petite bande E, grande bande N, jaune". Unknown characters are
/// kept as they are, so nothing of the route is hidden.
std::string RouteEnMots(const std::string& sequence, TBilleJoueur joueur);
/// One line explaining every letter a route may hold, for legends.
std::string LegendeRoutes(TBilleJoueur joueur);
