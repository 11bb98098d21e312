#pragma once
// Progress of a long command on stderr, only when stderr is a terminal (a script that keeps
// stderr sees only errors): one line rewritten in place, at most ten times a second.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

class TProgressionTerminal {
  public:
    TProgressionTerminal();
    /// Ends the line, if one was written.
    ~TProgressionTerminal();
    TProgressionTerminal(const TProgressionTerminal&) = delete;
    TProgressionTerminal& operator=(const TProgressionTerminal&) = delete;

    /// "etape : faits/total". A new step, or the last unit of one, is always shown.
    void Affiche(std::string_view etape, int64_t faits, int64_t total);

  private:
    bool FTerminal;
    bool FEcrit = false;
    std::string FEtape;
    std::chrono::steady_clock::time_point FDernier;
};
