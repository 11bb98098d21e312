// Shot characteristics on trajectories built by hand. Ball 1's runs are straight lines
// between its impacts, so every expected distance is worked out from the positions given.

#include "analysis/CalculD13.h"
#include "support/CoupALaMain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double R = 3.075;
constexpr double Tol = 1e-9; // cm; the figures below are exact up to rounding

TVecteur P(double x, double y) {
    return {x, y, R};
}
TVecteur V(double x, double y) {
    return {x, y, 0.0};
}
const TVecteur Arret{};

/// Ball 1 hits ball 2, then cushions 1, 2, 3; after the third cushion it heads along +x on
/// the line y = 60. Ball 3 lies 2 cm to the left of that line.
TCoupALaMain TroisBandesVersLaTrois() {
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Depart(P(0, -100), V(0, 300))
        .Bille(P(0, -56.15), V(40, 150), 2)
        .Bande(P(68, -30), V(-40, 150), 1)
        .Bande(P(20, 139), V(-80, -60), 2)
        .Bande(P(-68, 60), V(50, 0), 3);
    return c;
}

struct TResultats {
    bool Significatif;
    double D13 = -1, P13 = -1, d = 42.0; // d keeps 42 unless computed
    bool Contre = false;
    int32_t Bandes = -1;
};

TResultats Calcule(TBillardAlveran& m) {
    TResultats r{};
    r.Significatif = CalculeCaracteristiques(m, r.D13, r.P13, r.d, r.Contre, r.Bandes);
    return r;
}

} // namespace

TEST(CaracteristiquesNonSignificatives, DeuxBandesSeulement) {
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Depart(P(0, -100), V(0, 300))
        .Bille(P(0, -56.15), V(40, 150), 2)
        .Bande(P(68, -30), V(-40, 150), 1)
        .Bande(P(20, 139), V(-80, -60), 2)
        .Ajoute(P(0, 124), Arret);
    const TResultats r = Calcule(*c);
    EXPECT_FALSE(r.Significatif);
    EXPECT_EQ(r.Bandes, 2);
    EXPECT_EQ(r.D13, 1000000.0);
    EXPECT_EQ(r.P13, 1000000.0);
    EXPECT_EQ(r.d, 42.0) << "d is left as the caller had it";
    EXPECT_FALSE(r.Contre);
}

TEST(CaracteristiquesNonSignificatives, TroisBandesSansBille) {
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Depart(P(30, -100), V(0, 300))
        .Bande(P(68, -30), V(-40, 150), 1)
        .Bande(P(20, 139), V(-80, -60), 2)
        .Bande(P(-68, 60), V(50, 0), 3)
        .Ajoute(P(-20, 60), Arret);
    const TResultats r = Calcule(*c);
    EXPECT_FALSE(r.Significatif);
    EXPECT_EQ(r.Bandes, 3);
    EXPECT_EQ(r.D13, 1000000.0);
}

TEST(CaracteristiquesNonSignificatives, LesResultatsDUneFenetreGardentLeDernierD) {
    TCaracteristiques derniers;
    TCoupALaMain court = TroisBandesVersLaTrois();
    court.Ajoute(P(-20, 60), Arret);
    ASSERT_TRUE(CalculeCaracteristiques(*court, derniers));
    EXPECT_NEAR(derniers.d, -20.0, Tol);

    TCoupALaMain deux(P(0, -50), P(0, 62));
    deux.Depart(P(0, -100), V(0, 300)).Bande(P(68, -30), V(-40, 150), 1).Ajoute(P(0, 0), Arret);
    EXPECT_FALSE(CalculeCaracteristiques(*deux, derniers));
    EXPECT_FALSE(derniers.Significatif);
    EXPECT_EQ(derniers.Bandes, 1);
    EXPECT_EQ(derniers.D13, 1000000.0);
    EXPECT_NEAR(derniers.d, -20.0, Tol) << "d of the last significant shot";
}

TEST(Contre, LesDeuxBillesObjetsSeTouchent) {
    TCoupALaMain c = TroisBandesVersLaTrois();
    c.Baiser(P(-40, 60), V(30, 0)).Ajoute(P(-20, 60), Arret);
    const TResultats r = Calcule(*c);
    EXPECT_TRUE(r.Contre);
    EXPECT_TRUE(r.Significatif) << "a contre does not make the shot insignificant";
}

TEST(Contre, PremiereBilleToucheeDeuxFois) {
    TCoupALaMain c = TroisBandesVersLaTrois();
    c.Bille(P(-40, 60), V(30, 0), 2).Ajoute(P(-20, 60), Arret);
    EXPECT_TRUE(Calcule(*c).Contre);
}

TEST(Contre, SecondeBilleAvantLaTroisiemeBande) {
    TCoupALaMain c(P(0, -50), P(60, 0));
    c.Depart(P(0, -100), V(0, 300))
        .Bille(P(0, -56.15), V(40, 150), 2)
        .Bille(P(53.85, 0), V(40, 150), 3)
        .Bande(P(68, 30), V(-40, 150), 1)
        .Bande(P(20, 139), V(-80, -60), 2)
        .Bande(P(-68, 60), V(50, 0), 3)
        .Ajoute(P(-20, 60), Arret);
    EXPECT_TRUE(Calcule(*c).Contre);
}

TEST(Contre, SansTroisiemeBandeLaSecondeBilleNEstPasUnContre) {
    TCoupALaMain c(P(0, -50), P(60, 0));
    c.Depart(P(0, -100), V(0, 300))
        .Bille(P(0, -56.15), V(40, 150), 2)
        .Bande(P(68, -30), V(-40, 150), 1)
        .Bille(P(53.85, 0), V(40, 150), 3)
        .Ajoute(P(40, 20), Arret);
    const TResultats r = Calcule(*c);
    EXPECT_FALSE(r.Contre);
    EXPECT_EQ(r.Bandes, 1);
}

TEST(Contre, UnCoupPropreNEnAPas) {
    TCoupALaMain c = TroisBandesVersLaTrois();
    c.Bille(P(-3.075, 60), V(30, 0), 3).Ajoute(P(-20, 60), Arret);
    EXPECT_FALSE(Calcule(*c).Contre);
}

TEST(PointReussi, LaFenetreSArreteAuPoint) {
    TCoupALaMain c = TroisBandesVersLaTrois();
    // Ball 1 meets ball 3 (at (0, 62)) at record 5: the point.
    c.Bille(P(0, 62 - 2 * R), V(10, -40), 3).Point();
    // After the point: a fourth cushion, a kiss and a second hit of ball 2 count for nothing.
    c.Bande(P(40, -139), V(-10, 20), 4)
        .Baiser(P(35, -130), V(-10, 20))
        .Bille(P(30, -120), V(0, 0), 2);
    c.Ajoute(P(30, -120), Arret);

    const TResultats r = Calcule(*c);
    ASSERT_TRUE(r.Significatif);
    EXPECT_EQ(r.Bandes, 3);
    EXPECT_FALSE(r.Contre);
    EXPECT_NEAR(r.D13, 2 * R, Tol);
    // At record 5 ball 1's last direction is that of record 4, +x; ball 3 lies on its left.
    EXPECT_NEAR(r.P13, 2 * R, Tol);
    // Ball 1's run after the point: segments between its impacts at records 6 and 8, then to
    // its last place (the kiss at record 7 set no contre of ball 1).
    const double attendu = std::hypot(40.0, -139.0 - 55.85) + std::hypot(-10.0, 19.0) + 0.0;
    EXPECT_NEAR(r.d, attendu, Tol);
}

TEST(PointManque, ArretAvantLaSecondeBilleDonneUnDNegatif) {
    TCoupALaMain c = TroisBandesVersLaTrois();
    c.Ajoute(P(-40, 60), V(30, 0)).Ajoute(P(-20, 60), Arret);
    const TResultats r = Calcule(*c);
    ASSERT_TRUE(r.Significatif);
    EXPECT_NEAR(r.D13, std::sqrt(20.0 * 20.0 + 2.0 * 2.0), Tol);
    EXPECT_NEAR(r.P13, 2.0, Tol) << "ball 3 on the left of ball 1's direction: positive";
    EXPECT_NEAR(r.d, -20.0, Tol) << "stopped 20 cm short along its last direction";
}

// Ball 1 passes 12 cm from ball 3 (record 5), rebounds off cushion 1 and comes back along a
// line that passes much closer, stopping before reaching it.
TEST(PointManque, LaLigneFinalePasseAuPlusPres) {
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Depart(P(0, -100), V(0, 300))
        .Bille(P(0, -56.15), V(40, 150), 2)
        .Bande(P(68, -30), V(-40, 150), 1)
        .Bande(P(20, 139), V(-80, -60), 2)
        .Bande(P(-68, 50), V(50, 0), 3)
        .Ajoute(P(0, 50), V(40, 0))
        .Bande(P(68, 50), V(-20, 3), 1)
        .Ajoute(P(30, 54.5), V(-20, 3))
        .Ajoute(P(20, 56), Arret);
    const TResultats r = Calcule(*c);
    ASSERT_TRUE(r.Significatif);
    EXPECT_NEAR(r.D13, 12.0, Tol);
    const double n = std::hypot(-20.0, 3.0);
    // Heading -x with ball 3 on the +y side: ball 3 is on the right, so the sign is negative.
    EXPECT_NEAR(r.P13, (-20.0 * 7.5 - 3.0 * -30.0) / n, Tol);
    EXPECT_LT(r.P13, 0.0);
    // The final line took over: d is measured from the last record, along the last direction.
    EXPECT_NEAR(r.d, -(-20.0 * -20.0 + 3.0 * 6.0) / n, Tol);
}

TEST(PointManque, UneLigneFinaleQuiSEloigneNeComptePas) {
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Depart(P(0, -100), V(0, 300))
        .Bille(P(0, -56.15), V(40, 150), 2)
        .Bande(P(68, -30), V(-40, 150), 1)
        .Bande(P(20, 139), V(-80, -60), 2)
        .Bande(P(-68, 50), V(50, 0), 3)
        .Ajoute(P(0, 50), V(40, 0))
        .Bande(P(68, 50), V(-20, -3), 1)
        .Ajoute(P(-10, 38.3), V(-20, -3)) // already past ball 3
        .Ajoute(P(-20, 36.8), Arret);
    const TResultats r = Calcule(*c);
    ASSERT_TRUE(r.Significatif);
    EXPECT_NEAR(r.D13, 12.0, Tol);
    EXPECT_NEAR(r.P13, 12.0, Tol);
    // d: ball 1's run after record 5, to the cushion then to its last place.
    EXPECT_NEAR(r.d, 68.0 + std::hypot(-20.0 - 68.0, 36.8 - 50.0), Tol);
}

TEST(CalculeD13, DeDeuxMinimaEgauxLePremierReste) {
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Depart(P(0, -100), V(0, 300))
        .Ajoute(P(-68, 60), V(50, 0)) // 1
        .Ajoute(P(-5, 62), V(50, 0))  // 2: 5 cm
        .Ajoute(P(5, 62), V(50, 0))   // 3: 5 cm again
        .Ajoute(P(40, 62), Arret);    // 4
    int32_t k = 1;
    EXPECT_NEAR(CalculeD13(*c, 2, k), 5.0, Tol);
    EXPECT_EQ(k, 2);
    k = 1;
    EXPECT_NEAR(CalculeD13(*c, 3, k), std::hypot(5.0, 112.0), Tol) << "ball 2 for F = 3";
    EXPECT_EQ(k, 2);
}

TEST(RecherchesVersLeBas, SansMouvementLEnregistrementZeroEstPris) {
    // Ball 1 never moved horizontally: the searches stop at record 0 and use it.
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Depart(P(0, 0), V(0, 0)).Ajoute(P(0, 0), Arret).Ajoute(P(0, 0), Arret);
    int32_t k = 1;
    const double p = CalculeP13(*c, 2, k);
    EXPECT_EQ(p, 0.0) << "null direction: no lateral distance";
    EXPECT_EQ(k, 1);
    EXPECT_EQ(CalculeD(*c, 2, 2), 0.0);
}
