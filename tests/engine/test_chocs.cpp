// Impact responses: worked figures, and the physical invariants every impact must keep
// (momentum, restitution along the normal, no energy created).

#include "support/AideMoteur.h"
#include "support/Vecteurs.h"

#include <gtest/gtest.h>

#include <random>

using namespace test;

namespace {
constexpr double Tol = 1e-9;
constexpr double R = 3.075;
constexpr double M = 215;
} // namespace

TEST(ChocTapis, AtterrissageSansGlissement) {
    TBillardAlveran e;
    TEtatBille b = Bille({Vecteur(0, 0, R - 0.01), Vecteur(0, 0, -100), VecteurNul});
    e.ChocTapis(b);
    EXPECT_EQ(b.Adherence, -1);
    EXPECT_EQ(b.Position.z, R);
    EXPECT_DOUBLE_EQ(b.Vitesse.z, 50); // ElastBiTap 0.5
    EXPECT_EQ(b.Vitesse.x, 0);
    EXPECT_EQ(b.TypeChoc, cBilleTapis);
    EXPECT_EQ(b.Contre, 1);
}

TEST(ChocTapis, PetitRebondSupprimeSousVzRebondNul) {
    TBillardAlveran e;
    TEtatBille b = Bille({Vecteur(0, 0, R), Vecteur(0, 0, -1), VecteurNul});
    e.ChocTapis(b);
    EXPECT_DOUBLE_EQ(b.Vitesse.z, 0.5); // equal to VzRebondNul: it bounces
    TEtatBille c = Bille({Vecteur(0, 0, R), Vecteur(0, 0, -0.9), VecteurNul});
    e.ChocTapis(c);
    EXPECT_EQ(c.Vitesse.z, 0.0);
}

TEST(ChocTapis, GlissementDuPointDeContact) {
    TBillardAlveran e;
    // Grip: a slow slide under a hard landing ends with the contact point at rest.
    TEtatBille b = Bille({Vecteur(0, 0, R), Vecteur(10, 0, -200), Vecteur(0, 1, 0)});
    e.ChocTapis(b);
    ASSERT_LT(b.Adherence, 0);
    EXPECT_NEAR(b.Vitesse.x - R * b.Rotation.y, 0, Tol);
    EXPECT_NEAR(b.Vitesse.y + R * b.Rotation.x, 0, Tol);
    // Sliding throughout: the slide keeps its direction, scaled by Adherence.
    TEtatBille c = Bille({Vecteur(0, 0, R), Vecteur(300, 40, -10), VecteurNul});
    const double ux = 300, uy = 40;
    e.ChocTapis(c);
    ASSERT_GT(c.Adherence, 0);
    EXPECT_NEAR(c.Vitesse.x - R * c.Rotation.y, c.Adherence * ux, 1e-7);
    EXPECT_NEAR(c.Vitesse.y + R * c.Rotation.x, c.Adherence * uy, 1e-7);
}

TEST(ChocTapis, ToucheTapis) {
    TBillardAlveran e;
    EXPECT_TRUE(e.ToucheTapis(Bille({Vecteur(0, 0, R + 0.0009), Vecteur(0, 0, -1), VecteurNul})));
    EXPECT_FALSE(e.ToucheTapis(Bille({Vecteur(0, 0, R + 0.001), Vecteur(0, 0, -1), VecteurNul})));
    EXPECT_FALSE(e.ToucheTapis(Bille({Vecteur(0, 0, R), Vecteur(0, 0, 0), VecteurNul})));
}

TEST(ChocBille, FrontalSurBilleArretee) {
    TBillardAlveran e;
    TEtatBille a = Bille({Vecteur(0, 0, R), Vecteur(0, 100, 0), VecteurNul});
    TEtatBille b = Bille(Immobile(0, 2 * R));
    b.Numero = 2;
    e.ChocBille(a, b);
    EXPECT_EQ(a.Adherence, -1);
    EXPECT_NEAR(b.Vitesse.y, 100 * (1 + 0.87) / 2, Tol);
    EXPECT_NEAR(a.Vitesse.y, 100 * (1 - 0.87) / 2, Tol);
    EXPECT_NEAR(Norme(a.Rotation) + Norme(b.Rotation), 0, Tol);
    EXPECT_EQ(a.TypeChoc, cBilleBille);
    EXPECT_EQ(a.Contre, 2);
}

TEST(ChocBande, RouleDroitDansLaBande1) {
    TBillardAlveran e;
    const double L2 = e.Fisik.largeurJeu() / 2;
    // Centre 3.011 cm from the cushion's x: touching the nose line.
    const double dx = std::sqrt(R * R - (3.7 - R) * (3.7 - R));
    TEtatBille b = Bille({Vecteur(L2 - dx, 0, R), Vecteur(100, 0, 0), Vecteur(0, 100 / R, 0)});
    e.ChocBande(b, e.Fisik.Bandes[0]);
    EXPECT_EQ(b.NbBandes, 1);
    EXPECT_EQ(b.TypeChoc, cBilleBande);
    EXPECT_EQ(b.Contre, 1);
    // The rebound pressed it into the cloth, which made it hop at about 1.08 cm/s.
    EXPECT_NEAR(b.Vitesse.z, 1.08, 0.01);
    EXPECT_EQ(b.Position.z, R);

    // Without cloth friction the cloth only turns the vertical velocity round, and the
    // cushion's own figures show through.
    TBillardAlveran f;
    f.Fisik.FrotBiTapChoc = 0;
    TEtatBille c = Bille({Vecteur(L2 - dx, 0, R), Vecteur(100, 0, 0), Vecteur(0, 100 / R, 0)});
    f.ChocBande(c, f.Fisik.Bandes[0]);
    EXPECT_NEAR(c.Vitesse.x, -79.55, 0.01);
    EXPECT_NEAR(c.Vitesse.z, 2.16 / 2, 0.01);
    EXPECT_NEAR(c.Rotation.y, 4.57, 0.01);
}

TEST(ChocBande, GrippeAvantLaReponseDuTapis) {
    // With the nose at the centre's height the normal is horizontal and the cloth stays out
    // of it: the cushion's own response is seen alone.
    TBillardAlveran e;
    e.Fisik.SetDimension(1, R);
    const double L2 = e.Fisik.largeurJeu() / 2;
    TEtatBille b = Bille({Vecteur(L2 - R, 0, R), Vecteur(100, 0, 0), Vecteur(0, 100 / R, 0)});
    e.ChocBande(b, e.Fisik.Bandes[0]);
    EXPECT_NEAR(b.Vitesse.x, -80, Tol); // ElastBiBde × approach speed
}

TEST(ChocBande, PasseParDessusLaBande) {
    TBillardAlveran e;
    const double L2 = e.Fisik.largeurJeu() / 2;
    // Flying ball striking the nose from above, going out fast.
    TEtatBille b = Bille({Vecteur(L2 + 0.5, 0, 3.7 + 3.0), Vecteur(400, 0, -5), VecteurNul});
    e.ChocBande(b, e.Fisik.Bandes[0]);
    EXPECT_GT(b.Vitesse.x, 0);
    EXPECT_GT(b.Position.z, 1000);
    e.ApresChoc(b, 0);
    EXPECT_EQ(b.Etat, mVole);
    for (int pas = 0; pas < 10 && b.Etat == mVole; ++pas) e.Deplace(b, pas * 0.01, 0.01);
    EXPECT_EQ(b.Etat, mDehors);
}

// Random impacts with the default constants: ball–ball conserves momentum, every impact
// scales the normal approach speed by its restitution, and none creates kinetic energy.
TEST(Invariants, ChocsAleatoires) {
    std::mt19937_64 gen(42);
    std::uniform_real_distribution<double> v(-300, 300), w(-150, 150), ang(0, 6.283185307179586);
    TBillardAlveran e;
    for (int essai = 0; essai < 2000; ++essai) {
        // Ball–ball, both in the air at one height so that the cloth stays out of it.
        const double a = ang(gen);
        TEtatBille b1 = Bille(
            {Vecteur(0, 0, R + 1), Vecteur(v(gen), v(gen), 0), Vecteur(w(gen), w(gen), w(gen))});
        TEtatBille b2 = Bille({Vecteur(2 * R * std::cos(a), 2 * R * std::sin(a), R + 1),
                               Vecteur(v(gen), v(gen), 0), Vecteur(w(gen), w(gen), w(gen))});
        b2.Numero = 2;
        const TVecteur n = Unitaire(Diff(b1.Position, b2.Position));
        const double approche = ProdScal(Diff(b1.Vitesse, b2.Vitesse), n);
        if (approche >= 0) continue;
        const TVecteur p0 = Somme(b1.Vitesse, b2.Vitesse);
        const double E0 = Energie(b1, R, M) + Energie(b2, R, M);
        e.ChocBille(b1, b2);
        const TVecteur p1 = Somme(b1.Vitesse, b2.Vitesse);
        EXPECT_TRUE(VecteursProches(p1, p0, TolVitesse));
        EXPECT_NEAR(ProdScal(Diff(b1.Vitesse, b2.Vitesse), n), -0.87 * approche, 1e-9);
        EXPECT_LE(Energie(b1, R, M) + Energie(b2, R, M), E0 * (1 + 1e-12));

        // Ball–cushion 1, ball resting on the cloth against the nose.
        const double dx = std::sqrt(R * R - (3.7 - R) * (3.7 - R));
        TEtatBille c =
            Bille({Vecteur(e.Fisik.largeurJeu() / 2 - dx, 0, R),
                   Vecteur(std::fabs(v(gen)) + 1, v(gen), 0), Vecteur(w(gen), w(gen), w(gen))});
        const double Ec0 = Energie(c, R, M);
        e.ChocBande(c, e.Fisik.Bandes[0]);
        EXPECT_LE(Energie(c, R, M), Ec0 * (1 + 1e-12));

        // Ball–cloth landing.
        TEtatBille d = Bille({Vecteur(0, 0, R), Vecteur(v(gen), v(gen), -std::fabs(v(gen)) - 1),
                              Vecteur(w(gen), w(gen), w(gen))});
        const double Ed0 = Energie(d, R, M);
        e.ChocTapis(d);
        EXPECT_LE(Energie(d, R, M), Ed0 * (1 + 1e-12));
    }
}

// Ball–ball impacts over a grid of restitution and friction coefficients: the normal part of
// the relative velocity comes out reversed and scaled by the restitution whatever the friction
// (friction acts in the tangent plane only), momentum is kept, no energy is created, and a
// perfectly elastic impact without friction keeps all of it.
TEST(Invariants, RestitutionEtFrottementBilleBille) {
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> v(-300, 300), w(-150, 150), ang(0, 6.283185307179586);
    for (const double elast : {0.0, 0.3, 0.6, 0.87, 1.0}) {
        for (const double frot : {0.0, 0.03, 0.1, 0.3, 1.0}) {
            TBillardAlveran e;
            e.Fisik.ElastBiBi = elast;
            e.Fisik.FrotBiBi = frot;
            int essais = 0;
            while (essais < 200) {
                const double a = ang(gen);
                TEtatBille b1 = Bille({Vecteur(0, 0, R + 1), Vecteur(v(gen), v(gen), 0),
                                       Vecteur(w(gen), w(gen), w(gen))});
                TEtatBille b2 =
                    Bille({Vecteur(2 * R * std::cos(a), 2 * R * std::sin(a), R + 1),
                           Vecteur(v(gen), v(gen), 0), Vecteur(w(gen), w(gen), w(gen))});
                b2.Numero = 2;
                const TVecteur n = Unitaire(Diff(b1.Position, b2.Position));
                const double approche = ProdScal(Diff(b1.Vitesse, b2.Vitesse), n);
                if (approche >= 0) continue;
                ++essais;
                const TVecteur p0 = Somme(b1.Vitesse, b2.Vitesse);
                const double E0 = Energie(b1, R, M) + Energie(b2, R, M);
                e.ChocBille(b1, b2);
                SCOPED_TRACE(::testing::Message()
                             << "ElastBiBi " << elast << ", FrotBiBi " << frot);
                const double separation = ProdScal(Diff(b1.Vitesse, b2.Vitesse), n);
                EXPECT_NEAR(separation, -elast * approche, TolVitesse);
                EXPECT_TRUE(VecteursProches(Somme(b1.Vitesse, b2.Vitesse), p0, TolVitesse));
                const double E1 = Energie(b1, R, M) + Energie(b2, R, M);
                EXPECT_LE(E1, E0 * (1 + 1e-12));
                if (elast == 1.0 && frot == 0.0) {
                    EXPECT_NEAR(E1, E0, E0 * 1e-12);
                }
            }
        }
    }
}
