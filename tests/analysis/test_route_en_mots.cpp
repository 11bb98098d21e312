#include "analysis/RouteEnMots.h"

#include <gtest/gtest.h>

// Which colour the engine's balls 2 and 3 are depends on the cue ball: a route read with the
// wrong cue ball names the wrong balls, which is the fault these cases guard against.
TEST(RouteEnMots, CouleursSelonLaBilleJoueur) {
    EXPECT_EQ(CouleurBilleMoteur(1, bjBlanche), "blanche");
    EXPECT_EQ(CouleurBilleMoteur(2, bjBlanche), "rouge");
    EXPECT_EQ(CouleurBilleMoteur(3, bjBlanche), "jaune");
    EXPECT_EQ(CouleurBilleMoteur(1, bjJaune), "jaune");
    EXPECT_EQ(CouleurBilleMoteur(2, bjJaune), "blanche");
    EXPECT_EQ(CouleurBilleMoteur(3, bjJaune), "rouge");
    // A file that does not say which ball is the cue ball: the white one, as by default.
    EXPECT_EQ(CouleurBilleMoteur(2, bjInconnue), "rouge");
}

TEST(RouteEnMots, BandesLonguesEtCourtes) {
    EXPECT_EQ(RouteEnMots("2SEN3", bjBlanche),
              "rouge, grande bande S, petite bande E, grande bande N, jaune");
    EXPECT_EQ(RouteEnMots("3NOS2", bjJaune),
              "rouge, grande bande N, petite bande O, grande bande S, blanche");
    EXPECT_EQ(RouteEnMots("", bjBlanche), "");
    // Nothing of an unexpected route is dropped.
    EXPECT_EQ(RouteEnMots("2X", bjBlanche), "rouge, X");
}

TEST(RouteEnMots, LegendeNommeLesBillesDuJoueur) {
    const std::string blanche = LegendeRoutes(bjBlanche);
    const std::string jaune = LegendeRoutes(bjJaune);
    EXPECT_NE(blanche.find("2 : rouge, 3 : jaune"), std::string::npos) << blanche;
    EXPECT_NE(jaune.find("2 : blanche, 3 : rouge"), std::string::npos) << jaune;
    EXPECT_NE(blanche.find("S, N : grandes bandes"), std::string::npos);
}
