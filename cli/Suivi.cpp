#include "cli/Suivi.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// A signal handler reaches nothing but static storage: this flag is the one piece of it,
// set by the handler and read through TInterruption.
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
std::atomic<bool> SigintRecu{false};
// How many TInterruption live; only the main thread touches it.
int NbInterruptions = 0;

extern "C" void SurSigint(int) {
    SigintRecu.store(true);
    // A second Ctrl+C is not caught: the user insists, the program ends at once.
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

TInterruption::TInterruption() : FPremiere(NbInterruptions++ == 0) {
    if (!FPremiere) return;
    SigintRecu.store(false);
    FAncien = std::signal(SIGINT, SurSigint);
    if (FAncien == SIG_IGN) std::signal(SIGINT, SIG_IGN);
}

TInterruption::~TInterruption() {
    --NbInterruptions;
    if (FPremiere) std::signal(SIGINT, FAncien == SIG_ERR ? SIG_DFL : FAncien);
}

bool TInterruption::Demandee() const {
    return SigintRecu.load();
}

TProgression::TProgression(std::string unite, std::FILE* flux, bool terminal,
                           std::chrono::steady_clock::duration delai)
    : FUnite(std::move(unite)), FFlux(flux), FTerminal(terminal), FDelai(delai),
      FDebut(std::chrono::steady_clock::now()), FDebutEtape(FDebut), FDernier(FDebut) {}

TProgression::TProgression(std::string unite)
    : TProgression(std::move(unite), stderr, isatty(STDERR_FILENO) == 1) {}

TProgression::~TProgression() {
    Efface();
}

void TProgression::Affiche(int64_t faits, int64_t total) {
    using namespace std::chrono;
    const auto maintenant = steady_clock::now();
    if (!FTerminal || maintenant - FDebut < FDelai) return;
    if (FAffichee && maintenant - FDernier < milliseconds(250)) return;
    FDernier = maintenant;
    const double secondes = duration<double>(maintenant - FDebutEtape).count();
    const double rythme = secondes > 0 ? static_cast<double>(faits) / secondes : 0;
    const double pourcent =
        total > 0 ? 100.0 * static_cast<double>(faits) / static_cast<double>(total) : 0;
    const std::string reste =
        rythme > 0 ? TexteDureeTravail(static_cast<double>(total - faits) / rythme) : "inconnu";
    std::string etape = FEtape;
    if (!etape.empty()) etape.append(" : ");
    // Back to the start of the line, and the end of a longer previous line cleared.
    std::fprintf(FFlux, "\r%s%lld/%lld %s (%.0f %%), %.0f %s/s, reste %s\033[K", etape.c_str(),
                 static_cast<long long>(faits), static_cast<long long>(total), FUnite.c_str(),
                 std::floor(pourcent), rythme, FUnite.c_str(), reste.c_str());
    std::fflush(FFlux);
    FAffichee = true;
}

void TProgression::Efface() {
    if (!FAffichee) return;
    std::fputs("\r\033[K", FFlux);
    std::fflush(FFlux);
    FAffichee = false;
}

void TProgression::Etape(std::string_view libelle) {
    if (libelle == FEtape) return;
    FEtape = libelle;
    FDebutEtape = std::chrono::steady_clock::now();
    // The last stage's line goes; the next call draws the new one at once.
    Efface();
}

bool SuitTravail(std::string_view unite, const std::function<bool()>& termine,
                 const std::function<void()>& arrete,
                 const std::function<TAvancement()>& avancement) {
    const TInterruption interruption;
    TProgression progression{std::string(unite)};
    bool arretee = false;
    while (!termine()) {
        if (!arretee && interruption.Demandee()) {
            arrete();
            arretee = true;
        }
        const TAvancement a = avancement();
        progression.Etape(a.Etape);
        progression.Affiche(a.Faits, a.Total);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return arretee;
}

std::string TexteDureeTravail(double secondes) {
    constexpr double Minute = 60, Heure = 3600, Jour = 86400, An = 365.25 * Jour;
    if (!(secondes >= 1)) return "moins d'une seconde";
    if (secondes < Minute) return std::to_string(std::lround(secondes)) + " s";
    if (secondes < Heure) return std::to_string(std::lround(secondes / Minute)) + " min";
    if (secondes < Jour) {
        const long minutes = std::lround(secondes / Minute);
        // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on chains of string +.
        std::string texte = std::to_string(minutes / 60);
        texte.append(" h");
        if (minutes % 60 != 0)
            texte.append(" ").append(std::to_string(minutes % 60)).append(" min");
        return texte;
    }
    if (secondes < An) {
        const long jours = std::lround(secondes / Jour);
        return std::to_string(jours) + (jours == 1 ? " jour" : " jours");
    }
    if (secondes >= 1E6 * An) return "plus d'un million d'années";
    const long ans = std::lround(secondes / An);
    return std::to_string(ans) + (ans == 1 ? " an" : " ans");
}
