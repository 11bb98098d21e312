// Tracked-shot text (t,bille,x,y): read as the fit reads it and, when accepted, prepared,
// guessed and briefly refitted. Checks that nothing crashes, that an accepted text holds what
// the reader promises, and that the objective stays a finite, non-negative number.

#include "analysis/AjustementCoup.h"
#include "analysis/TrajectoireMesuree.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, std::size_t taille) {
    const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
    const TPARAMPHYS fisik;
    const TLectureTrajectoire l = LitTrajectoireMesuree(texte, fisik);
    if (!l.Erreur.empty()) return 0;

    const auto& billes = l.Trajectoire.Billes;
    if (billes[1].size() < static_cast<std::size_t>(NbRelevesQueueMin)) __builtin_trap();
    for (int b = 1; b <= 3; ++b) {
        if (billes[b].empty()) __builtin_trap();
        for (std::size_t i = 0; i < billes[b].size(); ++i) {
            const TReleve& r = billes[b][i];
            if (std::fabs(r.x) > fisik.largeurJeu() / 2 || std::fabs(r.y) > fisik.largeurJeu())
                __builtin_trap();
            if (i > 0 && r.t < billes[b][i - 1].t) __builtin_trap();
        }
    }

    const auto moteur = std::make_unique<TBillardAlveran>();
    const TCoupMesure m = PrepareCoupMesure(l.Trajectoire, fisik, 4.0);
    // Scored samples lie between the cue ball's first sample and the cutoff from the strike.
    for (const auto& echantillons : m.Echantillons)
        for (const auto& e : echantillons)
            if (!(e.t >= 0 && e.t <= m.Coupure) || !(e.Poids > 0)) __builtin_trap();
    if (VerifieCoupMesure(m).empty() !=
        (m.Echantillons[1].size() >= static_cast<std::size_t>(NbEchantillonsQueueMin)))
        __builtin_trap();
    const TCoupAjuste estimation = PremiereEstimation(*moteur, m);
    const double rmse = RmseCoup(*moteur, m, estimation);
    if (!(rmse >= 0) || !std::isfinite(rmse)) __builtin_trap();
    const TResultatAjustement r = RaffineCoup(*moteur, m, estimation, {}, 20);
    if (!(r.Rmse <= rmse)) __builtin_trap();
    return 0;
}
