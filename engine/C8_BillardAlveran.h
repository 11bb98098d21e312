#pragma once
// The shot engine: the cue strike, the trajectory computation, its records, the scoring of
// the point, and the position files and clipboard text of a shot.

#include "engine/C7_Mouvements.h"
#include "engine/CoupQueue.h"
#include "engine/ProfilIni.h"

#include <cstdint>
#include <limits>
#include <string>

class TBillardAlveran;

/// A notification with a sender: a plain function and its context (no allocation).
struct TNotification {
    void (*Proc)(void* contexte, TBillardAlveran& sender) = nullptr;
    void* Contexte = nullptr;
    explicit operator bool() const { return Proc != nullptr; }
};

/// Result of reading a shot from clipboard text.
struct TResultatCollage {
    std::string Manquants; ///< " Vq m …": each missing or empty key, preceded by a blank
    std::string Erreur;    ///< conversion error text; empty when the paste went through
    bool Arrete() const { return !Erreur.empty(); }
};

/// What reading a position file found, for the user to be told.
struct TRapportLecture {
    TLectureProfil Etat = lpLu; ///< lpAbsent: no file, read as an empty one
    std::string Erreur;         ///< why nothing was read (unreadable, too large); else empty
    int NbValeurs = 0;          ///< values of the expected keys taken from the file
};

/// Square of a speed (cm²/s²) below which a ball cannot shorten an analysis step of at most
/// dtAnal (s) under the rule "no ball travels more than D (cm) in a step"; 0 when no such
/// bound holds (dtAnal not a positive number, or a bound beyond the normal doubles).
double CarreVitesseLente(double D, double dtAnal);

/// Which table ball a position file says is engine ball 1. The physics does not depend on it
/// (ball 1 is always the cue ball); pictures colour the balls by it: white cue ball: white,
/// red, yellow; yellow cue ball: yellow, white, red.
enum TBilleJoueur : int8_t { bjInconnue, bjBlanche, bjJaune };

class TBillardAlveran : public TAlveranMouvements {
  public:
    static constexpr int NbEnrMax = 1200;    ///< last record index
    static constexpr int NbPasMax = 2000000; ///< analysis steps after which a shot is cut short

    TBillardAlveran();

    // Published properties.
    TModeDeJeu ModeDeJeu = j3Bandes;
    TNotification ApresQueueBille;    ///< raised at the end of the cue strike
    TNotification ApresCalculTrajets; ///< raised at the end of the trajectory computation

    // Results and records. Ball arrays are indexed 1..3 (index 0 unused) so that
    // Trajets[1][0] is the cue ball's initial state, as everywhere in the program.
    bool PointReussi = false;
    int32_t IndicePoint = 0;
    bool QueueInsoluble = false;
    TCinematique Trajets[4][NbEnrMax + 1] = {};
    TMouvement EtatsEnr[4][NbEnrMax + 1] = {};
    double Temps[NbEnrMax + 1] = {};
    double Adherences[NbEnrMax + 1] = {};
    TTypeChoc TypesChoc[NbEnrMax + 1] = {};
    int32_t Contres[NbEnrMax + 1] = {};

    TCoupQueue Coup; ///< the stroke the next TireCoup strikes

    int32_t NbEnr = 0;      ///< index of the last record written
    std::string NomFichier; ///< last position file read or written
    /// The cue ball's colour, written to position files when known and set by reading one
    /// (bjInconnue when the file does not say).
    TBilleJoueur BilleJoueur = bjInconnue;
    int64_t NbPas = 0; ///< analysis steps of the last computation (for measurements)
    /// Analysis steps after which this engine cuts a shot short: NbPasMax, or fewer where only
    /// the start of shots matters (fuzzing, which must try many inputs a second).
    int64_t NbPasLimite = NbPasMax;
    /// The computation stops at the end of the first step that ends past this time (s), with
    /// a record there. Infinite, the shot runs to its end; a fit of tracked positions sets it
    /// so as not to compute what it does not score.
    double TFinCalcul = std::numeric_limits<double>::infinity();
    /// True: the computation stops as soon as the point's outcome is decided (IssueDecidee),
    /// with a record there; PointReussi is then what the whole shot would give. Off, the shot
    /// runs to its end. The counts that only need the outcome (tolerance, search, chances)
    /// set it.
    bool ArretIssueDecidee = false;
    /// Share of M·g·HautBdes that the balls' whole kinetic energy (translation and rotation)
    /// must be under for a made point to count as decided (see IssueDecidee).
    static constexpr double PartEnergieDecidee = 0.25;

    /// Cue strike, then trajectories.
    void TireCoup();
    /// Cue strike alone: ball 1's velocity and rotation in record 0.
    void ChocQueueBille();
    /// The squirt of the current stroke: the angle (rad) by which the cue ball leaves the
    /// cue's line, positive towards the left of the aim (away from a positive Effet); 0 without
    /// an end mass (MasseBoutQueue) or without side.
    double AngleDeviation() const;
    /// Trajectory computation from record 0.
    void CalculeTrajets();
    /// Appends one record (does nothing once the records are full).
    void Enregistre(const TEtatBille& B1, const TEtatBille& B2, const TEtatBille& B3, double t,
                    TTypeChoc Kind);

    // The three point callbacks (one is installed on the cue ball by the game mode).
    void PointLibre(TEtatBille& bille);
    void Point1Bande(TEtatBille& bille);
    void Point3Bandes(TEtatBille& bille);

    // Position files. Numbers use "." whatever the user's settings.
    /// Writes the stroke and the three positions (".alv"). Returns 1, or 0 with `erreur` set.
    int EcritPositionQueue(const std::string& nom, std::string& erreur);
    /// Writes positions, velocities and rotations (".alv2"). Returns 2, or 0 with `erreur` set.
    int EcritPositionVitesses(const std::string& nom, std::string& erreur);
    /// Reads a file by its extension: 1 (".alv"), 2 (".alv2"), 0 (other: nothing read).
    int LitPosition(const std::string& nom);
    /// The same, saying what was found: an error when nothing could be read (the engine is
    /// then unchanged), and how many values the file gave (0: every one is a default).
    int LitPosition(const std::string& nom, TRapportLecture& rapport);

    // Clipboard text of a shot (the clipboard itself is reached by the main window).
    /// The 17 lines of the stroke and positions, CR LF separated, none after the last.
    std::string TextePressePapiers() const;
    /// Takes the keys found in `texte` into the engine.
    TResultatCollage CollePressePapiersTexte(const std::string& texte);

  private:
    /// `v` turned horizontally by AngleDeviation().
    TVecteur Devie(TVecteur v) const;
    // The steps of CalculeTrajets.
    struct TBoucle;
    /// The point's outcome can no longer change: a ball has left the table (the shot scores
    /// nothing), the cue ball met the second object ball without making the point (its point
    /// callback is gone and no point), or the point is made and nothing can take it back: no
    /// ball flies and the balls' kinetic energy is under PartEnergieDecidee × M·g·HautBdes.
    /// A made point is taken back only by a ball leaving the table afterwards, which needs a
    /// ball in the air; shots that lose their point that way carry, at every moment of the
    /// ground between the point and the ball's flight, at least 1.2 × M·g·HautBdes of kinetic
    /// energy in the random strokes and constants measured, hence the margin of four.
    bool IssueDecidee(const TBoucle& c) const;
    /// No ball flies, and none can strike a cushion or another ball again: the paths that the
    /// balls' present slides and rolls would sweep stay out of every cushion's reach and a
    /// diameter apart. Nothing then changes the balls' motions, so a point not yet made is
    /// missed. Sound whatever the constants: it reads the motions the engine itself will run.
    bool SansAutreChoc(const TBoucle& c) const;
    /// Where a step of the trajectory loop stands.
    enum class TSuitePas {
        Aucune, ///< nothing done: the balls' states leave the step to the general path
        Arret,  ///< the step cannot be made: end of the computation
        Libre,  ///< no impact within the step: a free step to make
        Choc,   ///< an impact within the step, to answer
        Fait,   ///< free steps made
    };
    /// The general step's length and detection.
    TSuitePas Detecte(TBoucle& c);
    /// The general free step.
    void PasLibre(TBoucle& c);
    /// The clock and the periodic record at the end of a free step.
    void Avance(TBoucle& c);
    /// Moves the balls to the impact found, answers it and records it.
    void PasChoc(TBoucle& c);
    /// Runs free steps while every ball slides, rolls or rests, through Course<T1, T2, T3>;
    /// Aucune for any other state.
    TSuitePas Course(TBoucle& c);
    /// Free steps for the given set of balls on the cloth (the others rest), the purpose-built
    /// path of most steps, until an impact is found within the step, a ball stops sliding or
    /// rolling, or the records are full.
    template <bool T1, bool T2, bool T3> TSuitePas Course(TBoucle& c);
};
