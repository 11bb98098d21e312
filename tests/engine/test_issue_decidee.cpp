// A shot stopped as soon as its outcome is decided scores exactly as the whole shot: the point,
// where it was made and the cue ball's contacts up to it. The counts that only need the outcome
// (tolerance, solution search, chances) rely on it.

#include "support/IssuesComparees.h"

#include "engine/CoupDefaut.h"

#include <gtest/gtest.h>

TEST(IssueDecidee, DesCoupsEtDesConstantesAleatoiresMarquentCommeLeCoupEntier) {
    // The heavy tests run 200 000 of them; here enough for the sanitizer builds.
    const issues_comparees::TBilan b = issues_comparees::Compare(6000, 31);
    EXPECT_TRUE(b.PremiereDifference.empty()) << b.PremiereDifference;
    // The sample must hold both outcomes; most random strokes meet neither ball, so the
    // saving is small here (the benchmarks measure it on played strokes).
    EXPECT_GT(b.Points, 30);
    EXPECT_LT(b.PasArretes, b.PasComplets);
}

TEST(IssueDecidee, InactiveParDefautEtArreteLeCoupParDefautApresSonPoint) {
    auto e = std::make_unique<TBillardAlveran>();
    EXPECT_FALSE(e->ArretIssueDecidee);
    PlaceCoupDefaut(*e);
    e->TireCoup();
    ASSERT_TRUE(e->PointReussi);
    const int32_t enrComplets = e->NbEnr;
    const double finComplete = e->Temps[e->NbEnr];
    e->ArretIssueDecidee = true;
    e->TireCoup();
    EXPECT_TRUE(e->PointReussi);
    EXPECT_LT(e->NbEnr, enrComplets);
    EXPECT_LT(e->Temps[e->NbEnr], finComplete);
    // The last record is where it stopped: the balls' states there are readable.
    EXPECT_GE(e->NbEnr, e->IndicePoint);
}

TEST(IssueDecidee, LaSecondeBilleAvantLaTroisiemeBandeFinitLeCoupManque) {
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    e->ModeDeJeu = j3Bandes;
    // Straight at ball 2 then ball 3 cannot be a three-cushion point: found by sweeping aims.
    int arretes = 0;
    for (int k = 0; k < 360; ++k) {
        e->Coup.AngleOx = k * std::numbers::pi / 180;
        e->ArretIssueDecidee = false;
        e->TireCoup();
        const bool point = e->PointReussi;
        const double fin = e->Temps[e->NbEnr];
        e->ArretIssueDecidee = true;
        e->TireCoup();
        ASSERT_EQ(e->PointReussi, point) << k;
        if (!point && e->Temps[e->NbEnr] < fin) ++arretes;
    }
    EXPECT_GT(arretes, 0);
}
