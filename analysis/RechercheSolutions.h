#pragma once
// Solution search: which strokes make the point from this position. Every stroke of a 4-D grid
// — aim, side effect, height, cue speed — is fired with the position, inclination and cue mass
// of the current shot; for each, only whether it scores and the cue ball's contact sequence up
// to the point are kept (a 32-bit code per grid point, no records). The scoring strokes are
// then grouped by sequence into routes, and within a route into families of neighbouring
// strokes (RechercheFamilles.h).
//
// Grid points are numbered with the aim fastest, then effect, height and speed. Every stroke
// starts from the engine's initial state as it was handed to the search (the cue ball's
// record-0 state is put back before each strike), so the outcome of a stroke does not depend
// on which worker fires it, nor after which other strokes: threads and shares give the same
// codes.

#include "analysis/TravailParallele.h"
#include "analysis/ToleranceCalcul.h"
#include "engine/C8_BillardAlveran.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

/// An axis of N evenly spaced values from De to A inclusive (N = 1: De alone).
struct TAxeRecherche {
    double De = 0.0;
    double A = 0.0;
    int32_t N = 1;
};

/// The aim axis in degrees, as the main window shows the aim: De, De + Pas, … strictly below A.
struct TAxeVisee {
    double De = -180.0;
    double A = 180.0;
    double Pas = 0.5;
};

/// The grid of strokes; effect and height in cm, speed in cm/s.
struct TGrilleRecherche {
    TAxeVisee AngleOx;
    TAxeRecherche Effet;
    TAxeRecherche Hauteur;
    TAxeRecherche Vq;
};

/// The whole circle of aim in 0.5° steps; effect and height in 9 values over ±0.8 R; speed from
/// 150 to 650 cm/s in 6 values.
TGrilleRecherche GrilleRechercheDefaut(double rayon);
/// Empty when the grid can be searched, otherwise the reason in a few words.
std::string VerifieGrilleRecherche(const TGrilleRecherche& grille);

/// The aim values in degrees: De + k × Pas, k = 0, 1, … while below A.
std::vector<double> ValeursVisee(const TAxeVisee& axe);
/// The N values of an axis (exactly De and A at the ends).
std::vector<double> ValeursAxe(const TAxeRecherche& axe);
/// True when the aim values go once round the circle, so that the last is a neighbour of the
/// first.
bool ViseeFaitLeTour(const TAxeVisee& axe);

/// The grid's shape. Index of a point: ((speed × NbHauteurs + height) × NbEffets + effect) ×
/// NbAngles + aim.
struct TDimensionsRecherche {
    int32_t NbAngles = 0;
    int32_t NbEffets = 0;
    int32_t NbHauteurs = 0;
    int32_t NbVitesses = 0;

    int64_t NbPoints() const { return int64_t{NbAngles} * NbEffets * NbHauteurs * NbVitesses; }
    /// Indices in the order aim, effect, height, speed.
    int64_t Indice(const std::array<int32_t, 4>& i) const {
        return ((int64_t{i[3]} * NbHauteurs + i[2]) * NbEffets + i[1]) * NbAngles + i[0];
    }
    std::array<int32_t, 4> Indices(int64_t indice) const {
        std::array<int32_t, 4> i{};
        i[0] = static_cast<int32_t>(indice % NbAngles);
        indice /= NbAngles;
        i[1] = static_cast<int32_t>(indice % NbEffets);
        indice /= NbEffets;
        i[2] = static_cast<int32_t>(indice % NbHauteurs);
        i[3] = static_cast<int32_t>(indice / NbHauteurs);
        return i;
    }
    bool operator==(const TDimensionsRecherche&) const = default;
};

TDimensionsRecherche DimensionsRecherche(const TGrilleRecherche& grille);

/// The grid's values in engine units, ready for firing.
struct TValeursRecherche {
    std::vector<double> AnglesDegres; ///< as the window shows them
    std::vector<double> Angles;       ///< rad
    std::vector<double> Effets;       ///< cm
    std::vector<double> Hauteurs;     ///< cm
    std::vector<double> Vitesses;     ///< cm/s
};
TValeursRecherche ValeursRecherche(const TGrilleRecherche& grille);

/// Writes the stroke of grid point `indice` into the engine (aim, effect, height, speed; the
/// inclination and cue mass stay the engine's).
void PlaceCoupRecherche(TBillardAlveran& moteur, const TValeursRecherche& valeurs,
                        const TDimensionsRecherche& dimensions, int64_t indice);
/// True when the tip misses the ball (E² + H² > R²): the strike cannot be solved.
bool CoupHorsBille(const TBillardAlveran& moteur, double effet, double hauteur);
/// The grid points a search does not fire: the tip off the ball or on its very outline
/// (E² + H² ≥ R², to within rounding).
bool PointeHorsGrille(const TBillardAlveran& moteur, double effet, double hauteur);

/// A share of the strokes: the blocks of TailleBlocRecherche consecutive grid points whose rank
/// is Indice modulo Nombre.
using TPartageRecherche = TPartageTolerance;
inline constexpr int64_t TailleBlocRecherche = 16;

/// The order in which a search fires its blocks: the k-th block fired is block
/// BlocDuRang(k, nbBlocs, PasOrdreTirs(nbBlocs)) of its share. The step is coprime with the
/// count, so every block is fired exactly once, and near its golden section, so that any
/// first part of the order is spread over the whole grid.
int64_t PasOrdreTirs(int64_t nbBlocs);
int64_t BlocDuRang(int64_t rang, int64_t nbBlocs, int64_t pas);

/// Outcome of the strokes of a search.
struct TCoupsRecherche {
    TDimensionsRecherche Dimensions;
    /// Per grid point: 0 when it did not score (or was not fired), otherwise 1 + the index of
    /// its sequence in Sequences.
    std::vector<uint32_t> Codes;
    /// The distinct sequences of the scoring strokes, in increasing text order.
    std::vector<std::string> Sequences;
    int64_t Tires = 0;       ///< strokes fired
    int64_t Reussis = 0;     ///< strokes that scored
    bool Interrompu = false; ///< a stop request left strokes of the share unfired
};

/// Progress of a search, as read by TRechercheSolutions::Progression.
struct TProgressionRecherche {
    int64_t Tires = 0;   ///< strokes fired so far
    int64_t ATirer = 0;  ///< strokes of the share that the search fires
    int64_t Reussis = 0; ///< scoring strokes so far
};

/// The search on several threads, polled while it runs (a window reads it from a timer, the
/// command line from its loop). The engine is copied at Demarre and is free during the run.
class TRechercheSolutions {
  public:
    TRechercheSolutions() = default;
    TRechercheSolutions(const TRechercheSolutions&) = delete;
    TRechercheSolutions& operator=(const TRechercheSolutions&) = delete;
    ~TRechercheSolutions();

    /// Starts the search of a valid grid (VerifieGrilleRecherche) and a share 0 ≤ Indice <
    /// Nombre with at least 1 worker.
    void Demarre(const TBillardAlveran& moteur, const TGrilleRecherche& grille, int nbThreads,
                 TPartageRecherche partage = {});
    /// The same with the grid's value tables already built.
    void Demarre(const TBillardAlveran& moteur, const TValeursRecherche& valeurs,
                 const TDimensionsRecherche& dimensions, int nbThreads,
                 TPartageRecherche partage = {});
    /// Asks the workers to stop after their current block of strokes. Any thread may call it.
    void Arrete();
    bool Termine() const;
    TProgressionRecherche Progression() const;
    int NbThreads() const;
    /// Waits for the workers and returns the outcome (Interrompu after a stop request).
    TCoupsRecherche Attend();

  private:
    bool Bloc(TBillardAlveran& moteur, int64_t ordre);
    uint32_t CodeSequence(const std::string& sequence);

    TValeursRecherche FValeurs;
    TDimensionsRecherche FDimensions;
    TPartageRecherche FPartage;
    int64_t FNbBlocs = 0; ///< blocks of the share
    int64_t FPas = 1;     ///< step of the firing order (PasOrdreTirs)
    TCinematique FDepart; ///< the cue ball's record-0 state, put back before every strike
    int64_t FATirer = 0;
    std::vector<uint32_t> FCodes;
    std::mutex FVerrou; ///< guards FSequences, reached only by scoring strokes
    std::map<std::string, uint32_t> FSequences;
    std::atomic<int64_t> FTires{0};
    std::atomic<int64_t> FReussis{0};
    TEquipeMoteurs<TBillardAlveran> FEquipe; ///< last member: its workers stop first
};

/// Blocking search (the command line's and the tests'): Demarre, then Attend.
TCoupsRecherche ChercheSolutions(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                                 int nbThreads, TPartageRecherche partage = {});

/// The strokes of a share that the search fires (tip on the ball).
int64_t NbCoupsATirer(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                      TPartageRecherche partage = {});
int64_t NbCoupsATirer(const TBillardAlveran& moteur, const TValeursRecherche& valeurs,
                      const TDimensionsRecherche& dimensions, TPartageRecherche partage = {});

/// Merges the outcomes of shares of one grid: the strokes, the sequences renumbered, the
/// counts added. The shares must have the same dimensions and not overlap.
TCoupsRecherche FusionneCoups(const std::vector<TCoupsRecherche>& parts);
