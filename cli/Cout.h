#pragma once
// The cost of a long command, said before it starts: how many shots, how long they should take
// on this machine, and above an hour a refusal unless --force is given (a grid of decades is a
// typing mistake far more often than a wish).

#include "engine/C8_BillardAlveran.h"

#include <cstdint>
#include <string>
#include <string_view>

/// Longest run started without --force (s).
inline constexpr double DureeSansForce = 3600;

/// Seconds one shot of this engine's stroke takes: fired on a copy of the engine (later shots
/// must not start from these) until about 20 ms have passed.
double DureeTir(const TBillardAlveran& moteur);

/// What AnnonceCout says and decides.
struct TCout {
    int64_t Nombre = 0;        ///< shots to fire
    std::string_view Unite;    ///< "essais", "coups"
    int Threads = 1;           ///< threads that will run
    bool Paralleles = true;    ///< the shots are independent (else one worker does them all)
    int64_t OctetsMemoire = 0; ///< memory the run holds besides the engines, said when > 0
    bool Force = false;        ///< --force given
    /// Runs estimated shorter than this are not announced (s); 0: always announced.
    double SeuilAnnonce = 0;
};

/// Announces `cout` on stderr ("N essais, durée estimée : … sur T fils (C cœurs)"), or throws
/// the announcement as a TErreurCommande when it lasts more than an hour without --force.
void AnnonceCout(const TBillardAlveran& moteur, const TCout& cout);
