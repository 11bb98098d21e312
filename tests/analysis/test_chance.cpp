// The chance of a stroke for a player: against the normal law on a shot whose scoring aims
// form one interval, the extremes of no error and of a tip at the ball's edge, the common draws
// and their independence from threads, and the Wilson interval.

#include "analysis/Chance.h"
#include "engine/CoupDefaut.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr double Degre = std::numbers::pi / 180.0;

double Phi(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

bool Marque(TBillardAlveran& e, const TCinematique& depart, double angle) {
    e.Coup.AngleOx = angle;
    e.Trajets[1][0] = depart;
    e.TireCoup();
    return e.PointReussi;
}

/// The edge of the scoring aims between `dedans` (scores) and `dehors` (misses), to 1e-7°.
double Bord(TBillardAlveran& e, const TCinematique& depart, double dedans, double dehors) {
    while (std::fabs(dedans - dehors) > 1e-7 * Degre) {
        const double milieu = 0.5 * (dedans + dehors);
        (Marque(e, depart, milieu) ? dedans : dehors) = milieu;
    }
    return 0.5 * (dedans + dehors);
}

TJoueur Ecarts(double angle, double procede, double vitesse) {
    return {NomJoueurPersonnalise, angle, procede, vitesse};
}

} // namespace

TEST(Chance, LesErreursDeViseeSeulesSuiventLaLoiNormaleSurLIntervalleDuPoint) {
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    const TCinematique depart = e->Trajets[1][0];
    // Aimed near the lower edge of the default stroke's scoring aims, which form one interval
    // there: found by walking and bisection, and checked by a fine sweep over ±4 σ.
    TCoupQueue coup = e->Coup;
    coup.AngleOx = 98.5 * Degre;
    constexpr double sigma = 0.1;
    constexpr double pas = 0.002 * Degre;
    ASSERT_TRUE(Marque(*e, depart, coup.AngleOx));
    double a1 = coup.AngleOx, a2 = coup.AngleOx;
    while (Marque(*e, depart, a1 - pas)) a1 -= pas;
    while (Marque(*e, depart, a2 + pas)) a2 += pas;
    a1 = Bord(*e, depart, a1, a1 - pas);
    a2 = Bord(*e, depart, a2, a2 + pas);
    for (double a = coup.AngleOx - 4 * sigma * Degre; a < coup.AngleOx + 4 * sigma * Degre;
         a += pas / 2)
        ASSERT_EQ(Marque(*e, depart, a), a > a1 && a < a2) << a / Degre;

    const TTirages tirages(4000, 7);
    const TChance c = ChanceCoup(*e, coup, Ecarts(sigma, 0, 0), tirages, 2);
    const double attendue =
        Phi((a2 - coup.AngleOx) / (sigma * Degre)) - Phi((a1 - coup.AngleOx) / (sigma * Degre));
    // Away from 0 and 1, so that the comparison has something to say.
    EXPECT_GT(attendue, 0.5);
    EXPECT_LT(attendue, 0.8);
    EXPECT_GE(attendue, c.Bas);
    EXPECT_LE(attendue, c.Haut);
    EXPECT_EQ(c.Comptes.FaussesQueues, 0);
    EXPECT_EQ(c.Comptes.Essais, 4000);
}

TEST(Chance, SansErreurUnOuZeroEtUnProcedeAuBordCompteSesFaussesQueues) {
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    const TTirages tirages(500, 3);
    TCoupQueue coup = e->Coup;
    const TChance marque = ChanceCoup(*e, coup, Ecarts(0, 0, 0), tirages, 1);
    EXPECT_EQ(marque.Comptes.Reussis, 500);
    EXPECT_EQ(marque.Probabilite, 1.0);
    coup.AngleOx += 30 * Degre;
    const TChance manque = ChanceCoup(*e, coup, Ecarts(0, 0, 0), tirages, 1);
    EXPECT_EQ(manque.Comptes.Reussis, 0);
    EXPECT_EQ(manque.Probabilite, 0.0);
    EXPECT_EQ(manque.Comptes.FaussesQueues, 0);

    // The tip on the ball's outline: about half the drawn tips fall beyond it.
    coup = e->Coup;
    coup.Effet = e->Fisik.RayonBilles();
    coup.Hauteur = 0;
    const TChance bord = ChanceCoup(*e, coup, Ecarts(0, 0.1, 0), tirages, 2);
    EXPECT_GT(bord.Comptes.FaussesQueues, 200);
    EXPECT_LT(bord.Comptes.FaussesQueues, 300);
    EXPECT_LE(bord.Comptes.Reussis + bord.Comptes.FaussesQueues, bord.Comptes.Essais);
    // A miscue is a miss: without tip errors the same stroke is fired every time.
    const TChance sansErreurDePointe = ChanceCoup(*e, coup, Ecarts(0, 0, 0), tirages, 1);
    EXPECT_EQ(sansErreurDePointe.Comptes.FaussesQueues, 0);
}

TEST(Chance, MemesComptesQuelsQueSoientLesThreadsEtLePartageDesEssais) {
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    const TTirages tirages(600, 11);
    const TJoueur club = *JoueurPredefini("club");
    const TCoupQueue coup = e->Coup;
    const TChance un = ChanceCoup(*e, coup, club, tirages, 1);
    for (int threads : {2, 3}) {
        const TChance c = ChanceCoup(*e, coup, club, tirages, threads);
        EXPECT_EQ(c.Comptes.Reussis, un.Comptes.Reussis) << threads;
        EXPECT_EQ(c.Comptes.FaussesQueues, un.Comptes.FaussesQueues) << threads;
    }
    // Three shares fired one after the other on one engine add up to the same counts.
    const TCinematique depart = e->Trajets[1][0];
    TComptesChance parts;
    for (int32_t debut : {0, 170, 401})
        parts += CompteEssais(*e, depart, coup, club, tirages, debut,
                              debut == 0     ? 170
                              : debut == 170 ? 401
                                             : 600);
    EXPECT_EQ(parts.Essais, 600);
    EXPECT_EQ(parts.Reussis, un.Comptes.Reussis);
    EXPECT_GT(un.Comptes.Reussis, 0);
    EXPECT_LT(un.Comptes.Reussis, 600);
}

TEST(Chance, LesTiragesNeDependentQueDeLaGraineEtDeLEssaiEtSuiventLaLoiNormale) {
    const TTirages courts(10, 42), longs(20000, 42), autres(10, 43);
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(courts[i], longs[i]);
    EXPECT_NE(courts[0], autres[0]);
    for (size_t k = 0; k < 4; ++k) {
        double somme = 0, carres = 0;
        for (int32_t i = 0; i < longs.Nombre(); ++i) {
            somme += longs[i][k];
            carres += longs[i][k] * longs[i][k];
        }
        const double n = longs.Nombre();
        EXPECT_NEAR(somme / n, 0.0, 0.03) << k;
        EXPECT_NEAR(carres / n, 1.0, 0.04) << k;
    }
}

TEST(Chance, LIntervalleDeWilsonDonneLesValeursCalculeesALaMain) {
    // Worked by hand from the score interval with z = 1.96.
    auto [b0, h0] = IntervalleWilson(0, 10);
    EXPECT_EQ(b0, 0.0);
    EXPECT_NEAR(h0, 0.27753, 1e-5);
    auto [b5, h5] = IntervalleWilson(5, 10);
    EXPECT_NEAR(b5, 0.23659, 1e-5);
    EXPECT_NEAR(h5, 0.76341, 1e-5);
    auto [b, h] = IntervalleWilson(1241, 2000);
    EXPECT_LT(b, 0.6205);
    EXPECT_GT(h, 0.6205);
    EXPECT_NEAR(h - b, 2 * 1.96 * std::sqrt(0.6205 * 0.3795 / 2000), 2e-4);
    EXPECT_EQ(IntervalleWilson(0, 0), std::make_pair(0.0, 1.0));
}

TEST(Chance, LesJoueursPredefinisOntLeursEcartsDocumentes) {
    ASSERT_TRUE(JoueurPredefini("club"));
    EXPECT_EQ(JoueurPredefini("club")->Nom, "Joueur de club");
    EXPECT_EQ(JoueurPredefini("maitre")->EcartAngle, 0.2);
    EXPECT_EQ(JoueurPredefini("debutant")->EcartVitesse, 12.0);
    EXPECT_FALSE(JoueurPredefini("Maître"));
    // Each preset is steadier than the next on every parameter.
    const auto& j = JoueursPredefinis();
    for (size_t k = 1; k < j.size(); ++k) {
        EXPECT_LT(j[k - 1].Joueur.EcartAngle, j[k].Joueur.EcartAngle);
        EXPECT_LT(j[k - 1].Joueur.EcartProcede, j[k].Joueur.EcartProcede);
        EXPECT_LT(j[k - 1].Joueur.EcartVitesse, j[k].Joueur.EcartVitesse);
    }
}

TEST(Chance, LaDispersionDesTentativesEstLeurEcartAutourDeLaDirectionMoyenne) {
    // Aims either side of ±180°: 179° and −179° are 2° apart, not 358°.
    const auto coup = [](double degres, double effet, double hauteur, double vq) {
        return TCoupQueue{degres * Degre, effet, hauteur, vq, 0.0, 520.0};
    };
    const TJoueur j = DispersionCoups(
        {coup(179, 0.1, 0.3, 300), coup(-179, -0.1, 0.1, 360), coup(180, 0.0, 0.2, 330)});
    EXPECT_EQ(j.Nom, "Mon jeu");
    EXPECT_NEAR(j.EcartAngle, 1.0, 1e-9);
    // Effect and height deviations pooled: (0.01 + 0.01 + 0 + 0.01 + 0.01 + 0) / 4.
    EXPECT_NEAR(j.EcartProcede, 0.1, 1e-12);
    EXPECT_NEAR(j.EcartVitesse, 100.0 * 30.0 / 330.0, 1e-9);
    // One attempt has no spread to measure.
    EXPECT_EQ(DispersionCoups({coup(10, 0, 0, 300)}).EcartAngle, 0.0);
}
