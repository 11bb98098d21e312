#pragma once
// What the long commands of alveran-cli share: Ctrl+C (SIGINT) stops them and they still
// print what they had done, a progress line on stderr when it is a terminal, and durations
// written for a person.
//
// A command that computes on worker threads waits with SuitTravail; one that computes in its
// own thread keeps a TInterruption and a TProgression and asks them between two pieces of
// work. Either way, an interrupted command throws TSortieInterrompue with its partial result.

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

/// Thrown by a command that SIGINT stopped: main prints `Sortie` (the partial result) on
/// stdout and exits with StatutInterrompu.
struct TSortieInterrompue {
    std::string Sortie;
};

/// Exit status of a command stopped by SIGINT, as a shell reports a program killed by it.
inline constexpr int StatutInterrompu = 130;

/// Catches SIGINT while it lives: the first one only sets Demandee(), so that the command
/// stops cleanly; a second one ends the program at once, as if nothing caught it. A program
/// started with SIGINT ignored (a background job) keeps ignoring it. One made while another
/// lives shares it: a command that holds one for its whole run keeps a SIGINT received by an
/// inner one (SuitTravail's), and SIGINT is never left uncaught between two stages. Made and
/// destroyed on the main thread only.
class TInterruption {
  public:
    TInterruption();
    ~TInterruption();
    TInterruption(const TInterruption&) = delete;
    TInterruption& operator=(const TInterruption&) = delete;

    /// True once SIGINT has arrived.
    bool Demandee() const;

  private:
    bool FPremiere = false; ///< the outermost one, which installed the handler
    void (*FAncien)(int) = SIG_DFL;
};

/// A progress line on a stream (stderr): "done/total unit (p %), rate unit/s, time left",
/// after "step : " once a step is named. Drawn only on a terminal and once the work has lasted
/// `delai`, redrawn at most four times a second, erased by Efface or at the end.
class TProgression {
  public:
    /// `terminal`: whether the stream is a terminal (false: nothing is ever drawn).
    TProgression(std::string unite, std::FILE* flux, bool terminal,
                 std::chrono::steady_clock::duration delai = std::chrono::seconds(1));
    /// On stderr, drawn when stderr is a terminal.
    explicit TProgression(std::string unite);
    ~TProgression();
    TProgression(const TProgression&) = delete;
    TProgression& operator=(const TProgression&) = delete;

    /// `faits` units of `total` are done.
    void Affiche(int64_t faits, int64_t total);
    /// Erases the line if one was drawn.
    void Efface();
    /// A new stage of the work: its name begins the next lines, and its rate and time left are
    /// measured from now. The same name again changes nothing.
    void Etape(std::string_view libelle);

  private:
    std::string FUnite;
    std::string FEtape;
    std::FILE* FFlux;
    bool FTerminal;
    std::chrono::steady_clock::duration FDelai;
    std::chrono::steady_clock::time_point FDebut;      ///< of the work, for `delai`
    std::chrono::steady_clock::time_point FDebutEtape; ///< of the stage, for the rate
    std::chrono::steady_clock::time_point FDernier;
    bool FAffichee = false;
};

/// Units of work done and to do, of the stage `Etape` when it is named.
struct TAvancement {
    int64_t Faits = 0;
    int64_t Total = 0;
    std::string Etape;
};

/// Waits for work running on other threads until `termine()`, showing `avancement()` as a
/// progress line of `unite` and calling `arrete()` once if SIGINT arrives. True when SIGINT
/// stopped it.
bool SuitTravail(std::string_view unite, const std::function<bool()>& termine,
                 const std::function<void()>& arrete,
                 const std::function<TAvancement()>& avancement);

/// A duration for a person, in French: "moins d'une seconde", "42 s", "12 min",
/// "3 h 20 min", "5 jours", "31 ans".
std::string TexteDureeTravail(double secondes);
