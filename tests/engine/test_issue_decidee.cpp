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

TEST(IssueDecidee, AMissIsDecidedOnceNoBallCanMeetAnotherOrACushion) {
    // Object balls resting in the far corners, a cue ball in the middle of the cloth heading
    // along the table's length. Struck softly it stops long before anything, and the miss is
    // decided as soon as its slide ends; struck hard, not before its bounce off the cushion.
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    const double L = e->Fisik.largeurJeu();
    const double R = e->Fisik.RayonBilles();
    e->Trajets[1][0] = {Vecteur(0, 0, R), VecteurNul, VecteurNul};
    e->Trajets[2][0] = {Vecteur(L / 2 - 2 * R, L - 2 * R, R), VecteurNul, VecteurNul};
    e->Trajets[3][0] = {Vecteur(-L / 2 + 2 * R, -L + 2 * R, R), VecteurNul, VecteurNul};
    e->Coup.AngleOx = std::numbers::pi / 2;
    e->Coup.AngleTapis = 0;
    e->Coup.Effet = 0;
    e->Coup.Hauteur = 0;
    for (const double vq : {10.0, 1500.0}) {
        e->Coup.Vq = vq;
        e->ArretIssueDecidee = false;
        e->TireCoup();
        ASSERT_FALSE(e->PointReussi);
        const int64_t pasComplets = e->NbPas;
        e->ArretIssueDecidee = true;
        e->TireCoup();
        EXPECT_FALSE(e->PointReussi);
        if (vq < 100)
            EXPECT_LT(e->NbPas * 4, pasComplets) << "slow stroke: decided at once";
        else
            // A fast cue ball reaches the short cushion: nothing decided before its bounce.
            EXPECT_GT(e->NbPas * 4, pasComplets) << "fast stroke";
    }
}
