#pragma once
// The chance that a player makes a stroke. A player's hands are modelled as independent
// Gaussian errors on the aim (degrees), on the tip's position (cm, the same spread for effect
// and height) and on the cue speed (percent of the stroke's speed). The chance of a stroke is
// the share of N trials, each the stroke with one draw of those errors, that make the point; a
// drawn tip beyond the ball's outline is a miscue: a miss, counted apart and not fired.
//
// Every trial uses a standard normal draw that depends only on the seed and the trial's number
// (a counter-based generator), so the same draws serve every stroke compared in one run
// (common random numbers: two strokes are compared on the same hands, and their ranking is not
// noise), and the counts do not depend on how the trials are spread over threads or shares.

#include "analysis/TravailParallele.h"
#include "engine/C8_BillardAlveran.h"
#include "engine/CoupQueue.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// A player's spread of errors (standard deviations; 0: no error on that parameter).
struct TJoueur {
    std::string Nom;
    double EcartAngle = 0.0;   ///< aim (degrees)
    double EcartProcede = 0.0; ///< tip position, effect and height alike (cm)
    double EcartVitesse = 0.0; ///< cue speed (percent of the stroke's speed)
};

/// A preset player, by the key the command line takes.
struct TJoueurPredefini {
    const char* Cle;
    TJoueur Joueur;
};
/// "Maître", "Confirmé", "Joueur de club", "Débutant".
const std::array<TJoueurPredefini, 4>& JoueursPredefinis();
/// The preset of that key (maitre, confirme, club, debutant), or none.
std::optional<TJoueur> JoueurPredefini(std::string_view cle);
/// A player measured from several attempts at one stroke (at least two): the sample standard
/// deviations of their aims (degrees, around their mean direction), of their tips (cm, effect
/// and height pooled) and of their cue speeds (percent of the mean speed).
TJoueur DispersionCoups(const std::vector<TCoupQueue>& coups);
/// The name of the player measured from the user's own attempts.
inline constexpr const char* NomJoueurMesure = "Mon jeu";

/// The name of a player whose spreads were all given one by one.
inline constexpr const char* NomJoueurPersonnalise = "personnalise";

inline constexpr int32_t NbEssaisDefaut = 2000;
inline constexpr uint64_t GraineDefaut = 1;

/// The standard normal draws of a run: four per trial (aim, effect, height, speed).
class TTirages {
  public:
    TTirages(int32_t nombre, uint64_t graine);
    int32_t Nombre() const { return static_cast<int32_t>(FZ.size()); }
    uint64_t Graine() const { return FGraine; }
    const std::array<double, 4>& operator[](int32_t i) const { return FZ[static_cast<size_t>(i)]; }

  private:
    std::vector<std::array<double, 4>> FZ;
    uint64_t FGraine;
};

/// Trials made, points made, miscues among the misses.
struct TComptesChance {
    int64_t Essais = 0;
    int64_t Reussis = 0;
    int64_t FaussesQueues = 0;
    TComptesChance& operator+=(const TComptesChance& c) {
        Essais += c.Essais;
        Reussis += c.Reussis;
        FaussesQueues += c.FaussesQueues;
        return *this;
    }
};

/// The 95 % Wilson score interval of a share of `reussis` in `essais` ([0, 1] when none).
std::pair<double, double> IntervalleWilson(int64_t reussis, int64_t essais);

/// A chance with its interval, from counts.
struct TChance {
    TComptesChance Comptes;
    double Probabilite = 0.0;
    double Bas = 0.0;
    double Haut = 1.0;
};
TChance Chance(const TComptesChance& comptes);

/// The safest stroke found for a family, with its chance and, on the same draws, the chance of
/// the family's central stroke.
struct TCoupSur {
    TCoupQueue Coup;
    TChance Chance;
    TChance ChanceCentre;
    int64_t Essais = 0; ///< trials fired to find it
};

/// The stroke as the player's hands play it in trial `z`.
TCoupQueue CoupDuTirage(const TCoupQueue& coup, const TJoueur& joueur,
                        const std::array<double, 4>& z);

/// Trials `debut` to `fin` − 1 of `coup` on the caller's engine (its position, constants and
/// mode; its stroke is overwritten), each from the cue ball's state `depart`. Every trial
/// stops once its outcome is decided.
TComptesChance CompteEssais(TBillardAlveran& moteur, const TCinematique& depart,
                            const TCoupQueue& coup, const TJoueur& joueur, const TTirages& tirages,
                            int32_t debut, int32_t fin);

/// The chance of `coup` from the engine's position over every draw, on `nbThreads` threads
/// (the same counts for any number). `arret` stops it early (the counts then cover the trials
/// done).
TChance ChanceCoup(const TBillardAlveran& moteur, const TCoupQueue& coup, const TJoueur& joueur,
                   const TTirages& tirages, int nbThreads,
                   const std::atomic<bool>* arret = nullptr);
