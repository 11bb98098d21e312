// Settling after an impact, the closed-form motion between impacts, and impact detection.

#include "support/AideMoteur.h"

#include <gtest/gtest.h>

using namespace test;

namespace {
constexpr double R = 3.075;
}

TEST(ApresChoc, BilleAuRepos) {
    TBillardAlveran e;
    TEtatBille b = Bille(Immobile(0, 0));
    e.ApresChoc(b, 2.5);
    EXPECT_EQ(b.Etat, mArret);
    EXPECT_EQ(b.TFinGlisse, 2.5);
    EXPECT_EQ(b.TFinRoule, 2.5);
    EXPECT_EQ(b.TFinPivot, 2.5);
}

TEST(ApresChoc, RoulementPur) {
    TBillardAlveran e;
    TEtatBille b = Bille(Roulante(0, 0, 100, 0));
    e.ApresChoc(b, 1);
    EXPECT_EQ(b.Etat, mRoule);
    EXPECT_NEAR(b.TFinRoule, 1 + 100 / (0.006 * 981), 1e-9);
    EXPECT_NEAR(b.TFinRoule - 1, 16.99, 0.01);
}

TEST(ApresChoc, GlisseAvantDeRouler) {
    TBillardAlveran e;
    TEtatBille b = Bille({Vecteur(0, 0, R), Vecteur(100, 0, 0), VecteurNul});
    e.ApresChoc(b, 0);
    EXPECT_EQ(b.Etat, mGlisse);
    EXPECT_NEAR(b.TFinGlisse, (2.0 / 7) * 100 / (0.15 * 981), 1e-12);
    EXPECT_NEAR(b.TFinGlisse, 0.194, 0.001);
    // Moving to the end of sliding leaves it rolling at 5/7 of its speed.
    e.Deplace(b, 0, b.TFinGlisse);
    EXPECT_EQ(b.Etat, mGlisse); // the end itself still counts as sliding
    e.Deplace(b, b.TFinGlisse, 1e-9);
    EXPECT_EQ(b.Etat, mRoule);
    EXPECT_NEAR(b.Vitesse.x, 100.0 * 5 / 7, 1e-4);
    EXPECT_NEAR(b.Rotation.y, b.Vitesse.x / R, 1e-9);
}

TEST(ApresChoc, PivotSeulPuisArret) {
    TBillardAlveran e;
    TEtatBille b = Bille({Vecteur(0, 0, R), VecteurNul, Vecteur(0, 0, -5)});
    e.ApresChoc(b, 0);
    EXPECT_EQ(b.Etat, mRoule);
    EXPECT_LT(b.DecelPivot, 0);
    const double duree = b.TFinPivot;
    EXPECT_NEAR(duree, 5 / (5 * 0.015 * 981 / (2 * R * R)), 1e-12);
    e.Deplace(b, 0, 0.01);
    EXPECT_EQ(b.Etat, mPivotSeul);
    EXPECT_GT(b.Rotation.z, -5); // decays towards 0
    e.Deplace(b, 0.01, duree);
    EXPECT_EQ(b.Etat, mArret);
    EXPECT_EQ(b.Rotation.z, 0);

    TEtatBille c = Bille({Vecteur(0, 0, R), VecteurNul, Vecteur(0, 0, 0.001)});
    e.ApresChoc(c, 0);
    EXPECT_EQ(c.Rotation.z, 0);
    EXPECT_EQ(c.Etat, mArret);
}

TEST(ApresChoc, LaMoindreMonteeFaitVoler) {
    TBillardAlveran e;
    TEtatBille b = Bille({Vecteur(0, 0, R), Vecteur(0, 0, 1e-12), VecteurNul});
    e.ApresChoc(b, 0);
    EXPECT_EQ(b.Etat, mVole);
    TEtatBille c = Bille({Vecteur(0, 0, R), VecteurNul, VecteurNul});
    e.ApresChoc(c, 0);
    EXPECT_NE(c.Etat, mVole);
}

TEST(Deplace, Vol) {
    TBillardAlveran e;
    TEtatBille b = Bille({Vecteur(0, 0, 10), VecteurNul, Vecteur(1, 2, 3)});
    e.ApresChoc(b, 0);
    e.Deplace(b, 0, 0.01);
    EXPECT_NEAR(b.Position.z, 9.95095, 1e-12);
    EXPECT_NEAR(b.Vitesse.z, -9.81, 1e-12);
    EXPECT_EQ(b.Rotation.z, 3); // no torque in flight

    const double bord = e.Fisik.largeurJeu() / 2 + R;
    TEtatBille sur = Bille({Vecteur(bord, 0, 10), Vecteur(1, 0, 0), VecteurNul});
    e.ApresChoc(sur, 0);
    e.Deplace(sur, 0, 0.01);
    EXPECT_EQ(sur.Etat, mVole);
    TEtatBille dehors = Bille({Vecteur(bord + 0.0001, 0, 10), Vecteur(1, 0, 0), VecteurNul});
    e.ApresChoc(dehors, 0);
    e.Deplace(dehors, 0, 0.01);
    EXPECT_EQ(dehors.Etat, mDehors);
    EXPECT_EQ(dehors.Position.x, bord + 0.0001);
}

TEST(Deplace, FinDuRoulementDansLePas) {
    TBillardAlveran e;
    TEtatBille b = Bille(Roulante(0, 0, 1, 0));
    e.ApresChoc(b, 0);
    const double fin = b.TFinRoule;
    e.Deplace(b, 0, fin + 0.5);
    EXPECT_EQ(b.Etat, mArret);
    EXPECT_EQ(Norme(b.Vitesse), 0);
    // Distance of a uniformly decelerated roll: v²/(2a).
    EXPECT_NEAR(b.Position.x, 1.0 / (2 * 0.006 * 981), 1e-9);
}

TEST(Detection, Trinome) {
    const TRacines aucune = TAlveranDetecteChocs::RacinesTrinome(0, 0, 1);
    EXPECT_EQ(aucune.Nb, 0);
    const TRacines lineaire = TAlveranDetecteChocs::RacinesTrinome(0, 2, -4);
    EXPECT_EQ(lineaire.Nb, 1);
    EXPECT_EQ(lineaire.r1, 2);
    const TRacines deux = TAlveranDetecteChocs::RacinesTrinome(1, -3, 2);
    EXPECT_EQ(deux.Nb, 2);
    EXPECT_EQ(deux.r1, 2);
    EXPECT_EQ(deux.r2, 1);
    // A contact before the previous free step is answered now; within it, in the past.
    EXPECT_EQ(TAlveranDetecteChocs::InstantContact(1, 3, 2, 0.5), 0); // roots −1, −2
    EXPECT_DOUBLE_EQ(TAlveranDetecteChocs::InstantContact(1, 0.3, 0.02, 0.5),
                     -0.2); // roots −0.1, −0.2
    EXPECT_EQ(TAlveranDetecteChocs::InstantContact(1, 0, 1, 0), 10000);
}

TEST(Detection, InstantsTypes) {
    TBillardAlveran e;
    const double L = e.Fisik.largeurJeu();
    TChocPrevu s;
    TEtatBille b = Bille(Roulante(L / 2 - 8, 0, 100, 0));
    e.ApresChoc(b, 0);
    e.DetecteChocBande(b, s);
    EXPECT_NEAR(s.Dt, (8 - std::sqrt(R * R - (3.7 - R) * (3.7 - R))) / 100, 1e-12);
    EXPECT_NEAR(s.Dt, 0.04989, 1e-5);
    EXPECT_EQ(s.Traitement, tChocBande);
    EXPECT_EQ(s.ObjetBande->Numero, 1);

    TChocPrevu s2;
    TEtatBille a = Bille(Roulante(0, 0, 0, 50));
    TEtatBille c = Bille(Roulante(0, 10, 0, -50));
    e.ApresChoc(a, 0);
    e.ApresChoc(c, 0);
    e.DetecteChocBille(a, c, s2);
    EXPECT_NEAR(s2.Dt, (10 - 2 * R) / 100, 1e-12);
    EXPECT_EQ(s2.BilleA, &a);

    TChocPrevu s3;
    TEtatBille v = Bille({Vecteur(0, 0, R), Vecteur(0, 0, 50), VecteurNul});
    e.ApresChoc(v, 0);
    e.DetecteChocTapis(v, s3);
    EXPECT_NEAR(s3.Dt, 100.0 / 981, 1e-12); // the root 0 (going up) is not a landing
}

TEST(Detection, CasSansCandidat) {
    TBillardAlveran e;
    const double L = e.Fisik.largeurJeu();
    TChocPrevu s;
    // Parallel to the cushion; moving away from it; separating balls.
    TEtatBille p = Bille(Roulante(L / 2 - R, 0, 0, 100));
    TEtatBille f = Bille(Roulante(L / 2 - R, 0, -100, 0));
    TEtatBille a = Bille(Roulante(0, 0, 0, -50));
    TEtatBille c = Bille(Roulante(0, 2 * R, 0, 50));
    for (TEtatBille* b : {&p, &f, &a, &c}) e.ApresChoc(*b, 0);
    e.DetecteChocBande(p, s);
    e.DetecteChocBande(f, s);
    e.DetecteChocBille(a, c, s);
    EXPECT_EQ(s.Dt, 10000);
    EXPECT_EQ(s.Traitement, tAucun);
}

TEST(Detection, BilleQuiMonteSousLaBandeNEstPasUnChoc) {
    // A ball hopping up just inside the nose while heading for the cushion moves away from
    // the nose line: no cushion impact may be offered (it would throw it over the cushion).
    TBillardAlveran e;
    const double L2 = e.Fisik.largeurJeu() / 2;
    TEtatBille b = Bille({Vecteur(L2 - 2.0, 0, 3.7 - 2.5), Vecteur(1, 0, -200), VecteurNul});
    b.Etat = mVole;
    TChocPrevu s;
    e.DetecteChocBande(b, s);
    EXPECT_EQ(s.Traitement, tAucun);
}

TEST(Detection, LaBandeAvantLaBilleAInstantEgal) {
    TBillardAlveran e;
    const double L = e.Fisik.largeurJeu();
    // Corner: the same ball reaches cushions 1 and 2 at the same instant.
    const double dx = std::sqrt(R * R - (3.7 - R) * (3.7 - R));
    TEtatBille b = Bille(Roulante(L / 2 - dx - 1, L - dx - 1, 100, 100));
    e.ApresChoc(b, 0);
    TChocPrevu s;
    e.DetecteChocBande(b, s);
    EXPECT_EQ(s.ObjetBande->Numero, 1);
}
