#pragma once
// Random strokes and constants fired twice, to the shot's end and stopped once the outcome is
// decided: the two must agree on the point, where it was made and the contacts up to it. The
// core tests run a modest number; the heavy tests the full hundreds of thousands.

#include "analysis/ComdbAlv.h"
#include "support/AideMoteur.h"
#include "engine/C8_BillardAlveran.h"

#include <cstdint>
#include <memory>
#include <numbers>
#include <random>
#include <string>

namespace issues_comparees {

/// What differs, empty when nothing does.
struct TBilan {
    int64_t Coups = 0;
    int64_t Points = 0;
    int64_t PasComplets = 0; ///< analysis steps of the whole shots
    int64_t PasArretes = 0;  ///< those of the stopped ones
    std::string PremiereDifference;
};

/// `nb` shots from seed `graine`: positions anywhere on the cloth, tips within 0.9 R, speeds
/// up to 1200 cm/s, the cue mostly level and sometimes steep (jumps, balls off the table), the
/// three game modes, and every other shot with all constants drawn within ±50 % of their
/// defaults.
inline TBilan Compare(int64_t nb, uint64_t graine) {
    std::mt19937_64 gen(graine);
    const auto unite = [&gen] { return static_cast<double>(gen() >> 11) * 0x1p-53; };
    const auto entre = [&](double a, double b) { return a + (b - a) * unite(); };
    auto complet = std::make_unique<TBillardAlveran>();
    auto arrete = std::make_unique<TBillardAlveran>();
    TBilan bilan;
    for (int64_t i = 0; i < nb; ++i) {
        TBillardAlveran& e = *complet;
        e.Fisik = TPARAMPHYS();
        if (i % 2 == 1)
            for (int k = 0; k < TPARAMPHYS::NbParametres; ++k)
                e.Fisik.SetParametre(k, TPARAMPHYS::Defaut(k) * entre(0.5, 1.5));
        test::PlaceBillesAuHasard(e, entre);
        const double R = e.Fisik.RayonBilles();
        e.ModeDeJeu = static_cast<TModeDeJeu>(gen() % 3);
        const double pointe = 0.9 * R;
        do {
            e.Coup.Effet = entre(-pointe, pointe);
            e.Coup.Hauteur = entre(-pointe, pointe);
        } while (e.Coup.Effet * e.Coup.Effet + e.Coup.Hauteur * e.Coup.Hauteur > pointe * pointe);
        e.Coup.Vq = entre(20, 1200);
        e.Coup.AngleTapis = entre(0, gen() % 4 == 0 ? std::numbers::pi / 3 : std::numbers::pi / 12);
        e.Coup.AngleOx = entre(-std::numbers::pi, std::numbers::pi);
        e.Coup.m = entre(400, 650);
        // The same shot, without copying the records.
        arrete->Fisik = e.Fisik;
        arrete->ModeDeJeu = e.ModeDeJeu;
        for (int b = 1; b <= 3; ++b) arrete->Trajets[b][0] = e.Trajets[b][0];
        arrete->Coup = e.Coup;
        arrete->ArretIssueDecidee = true;
        e.TireCoup();
        arrete->TireCoup();
        ++bilan.Coups;
        bilan.Points += e.PointReussi ? 1 : 0;
        bilan.PasComplets += e.NbPas;
        bilan.PasArretes += arrete->NbPas;
        if (!bilan.PremiereDifference.empty()) continue;
        const bool memes = e.PointReussi == arrete->PointReussi &&
                           (!e.PointReussi || (e.IndicePoint == arrete->IndicePoint &&
                                               SequencePoint(e) == SequencePoint(*arrete)));
        if (!memes)
            bilan.PremiereDifference =
                "coup " + std::to_string(i) + " (graine " + std::to_string(graine) + ") : point " +
                std::to_string(e.PointReussi) + " / " + std::to_string(arrete->PointReussi) +
                ", indice " + std::to_string(e.IndicePoint) + " / " +
                std::to_string(arrete->IndicePoint);
    }
    return bilan;
}

} // namespace issues_comparees
