#include "cli/SuiviTerminal.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <utility>

namespace {

// A signal handler can only reach static storage: this flag is the one piece of process-wide
// state of the command line, written by the handler and read by the command's loop.
volatile std::sig_atomic_t SigintRecu = 0;

extern "C" void SurSigintSuivi(int) {
    SigintRecu = 1;
}

} // namespace

TSuiviTerminal::TSuiviTerminal(std::string libelle)
    : FLibelle(std::move(libelle)), FTerminal(::isatty(STDERR_FILENO) == 1) {
    SigintRecu = 0;
    struct sigaction action {};
    action.sa_handler = SurSigintSuivi;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &FAncienneAction);
}

TSuiviTerminal::~TSuiviTerminal() {
    FinLigne();
    sigaction(SIGINT, &FAncienneAction, nullptr);
}

bool TSuiviTerminal::Interrompu() const {
    return SigintRecu != 0;
}

void TSuiviTerminal::Affiche(int64_t faits, int64_t total) {
    if (!FTerminal || faits == FDerniers) return;
    FDerniers = faits;
    const long long pourCent = total > 0 ? 100 * faits / total : 100;
    std::fprintf(stderr, "\r%s : %lld %% (%lld / %lld)", FLibelle.c_str(), pourCent,
                 static_cast<long long>(faits), static_cast<long long>(total));
    std::fflush(stderr);
    FLigneOuverte = true;
}

void TSuiviTerminal::Etape(std::string libelle) {
    FinLigne();
    FLibelle = std::move(libelle);
    FDerniers = -1;
}

void TSuiviTerminal::FinLigne() {
    if (!FLigneOuverte) return;
    std::fputc('\n', stderr);
    FLigneOuverte = false;
}
