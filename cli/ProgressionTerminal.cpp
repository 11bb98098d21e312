#include "cli/ProgressionTerminal.h"

#include <cstdio>
#include <unistd.h>

TProgressionTerminal::TProgressionTerminal() : FTerminal(::isatty(STDERR_FILENO) == 1) {}

TProgressionTerminal::~TProgressionTerminal() {
    if (FEcrit) std::fputs("\n", stderr);
}

void TProgressionTerminal::Affiche(std::string_view etape, int64_t faits, int64_t total) {
    if (!FTerminal) return;
    const auto maintenant = std::chrono::steady_clock::now();
    const bool nouvelle = etape != FEtape;
    if (!nouvelle && faits != total && maintenant - FDernier < std::chrono::milliseconds(100))
        return;
    FDernier = maintenant;
    if (nouvelle && FEcrit) std::fputs("\n", stderr);
    FEtape = etape;
    std::fprintf(stderr, "\r%.*s : %lld/%lld   ", static_cast<int>(etape.size()), etape.data(),
                 static_cast<long long>(faits), static_cast<long long>(total));
    std::fflush(stderr);
    FEcrit = true;
}
