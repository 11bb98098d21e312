#pragma once
// Progress and interruption of a long command: while a TSuiviTerminal lives, Ctrl+C (SIGINT)
// asks the command to stop instead of killing the program, so that it can report what it has
// done; the progress is shown on stderr when stderr is a terminal (never in a pipe or a file,
// where it would only clutter logs).

#include <csignal>
#include <cstdint>
#include <string>

class TSuiviTerminal {
  public:
    /// Installs the SIGINT handler; `libelle` begins each progress line.
    explicit TSuiviTerminal(std::string libelle);
    /// Ends the progress line and gives SIGINT back to its earlier handler.
    ~TSuiviTerminal();
    TSuiviTerminal(const TSuiviTerminal&) = delete;
    TSuiviTerminal& operator=(const TSuiviTerminal&) = delete;

    /// True once SIGINT was received.
    bool Interrompu() const;
    /// Rewrites the progress line: the percentage and faits / total.
    void Affiche(int64_t faits, int64_t total);
    /// A new label for the next progress lines (a new stage of the command).
    void Etape(std::string libelle);

  private:
    void FinLigne();

    std::string FLibelle;
    bool FTerminal = false;
    bool FLigneOuverte = false;
    int64_t FDerniers = -1;
    struct sigaction FAncienneAction {};
};
