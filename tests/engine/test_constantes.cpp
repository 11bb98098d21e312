// Vectors and physical constants: the dimension clamps keep the cushion nose between the
// ball's centre and its top, and the cushions follow the table's size.

#include "engine/C1_Types.h"

#include <gtest/gtest.h>

TEST(Vecteurs, UnitaireEtProduitVectoriel) {
    const TVecteur u = Unitaire(Vecteur(3, 0, 4));
    EXPECT_DOUBLE_EQ(u.x, 0.6);
    EXPECT_DOUBLE_EQ(u.y, 0.0);
    EXPECT_DOUBLE_EQ(u.z, 0.8);
    const TVecteur n = Unitaire(VecteurNul);
    EXPECT_EQ(n.x, 0.0);
    EXPECT_EQ(n.y, 0.0);
    EXPECT_EQ(n.z, 0.0);
    const TVecteur z = ProdVect(Vecteur(1, 0, 0), Vecteur(0, 1, 0));
    EXPECT_EQ(z.x, 0.0);
    EXPECT_EQ(z.y, 0.0);
    EXPECT_EQ(z.z, 1.0);
}

TEST(Constantes, DefautsEtChampsDerives) {
    TPARAMPHYS f;
    for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
        EXPECT_EQ(f.Parametre(i), TPARAMPHYS::Defaut(i)) << TPARAMPHYS::Noms[i];
    EXPECT_EQ(f.largeurJeu(), 142.25);
    EXPECT_EQ(f.G, 981.0);
    EXPECT_DOUBLE_EQ(f.DiamBilles, 6.15);
    EXPECT_DOUBLE_EQ(f.RayonBilles2, 9.455625);
    EXPECT_DOUBLE_EQ(f.DiamBilles2, 37.8225);
    EXPECT_EQ(TPARAMPHYS::IndiceParametre("ElastBiBde"), 13);
    EXPECT_EQ(TPARAMPHYS::IndiceParametre("elastbibde"), -1);
}

TEST(Constantes, LesDimensionsSontBornees) {
    TPARAMPHYS f;
    f.SetDimension(2, 0);
    EXPECT_EQ(f.RayonBilles(), 0.001);
    EXPECT_DOUBLE_EQ(f.DiamBilles, 0.002);
    EXPECT_LE(f.HautBdes(), 0.00196 + 1e-15);

    TPARAMPHYS g;
    g.SetDimension(1, 10);
    EXPECT_DOUBLE_EQ(g.HautBdes(), 6.027);
    g.SetDimension(1, 1);
    EXPECT_DOUBLE_EQ(g.HautBdes(), 3.075);
    g.SetDimension(1, 6.15);
    EXPECT_DOUBLE_EQ(g.HautBdes(), 6.15);

    TPARAMPHYS h; // HautBdes 3.7 is above the diameter of a 1 cm ball
    h.SetParametre(2, 1);
    EXPECT_DOUBLE_EQ(h.HautBdes(), 1.96);
}

TEST(Constantes, LesBandesSuiventLaLargeur) {
    TPARAMPHYS f;
    f.SetDimension(0, 100);
    const double H = f.HautBdes();
    const TVecteur attendus[4] = {{50, 0, H}, {-50, 0, H}, {0, 100, H}, {0, -100, H}};
    const int numeros[4] = {1, 3, 2, 4};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.Bandes[i].Point.x, attendus[i].x);
        EXPECT_EQ(f.Bandes[i].Point.y, attendus[i].y);
        EXPECT_EQ(f.Bandes[i].Point.z, attendus[i].z);
        EXPECT_EQ(f.Bandes[i].Numero, numeros[i]);
        // Tangent × normal is up for every cushion, and the normal points into the table.
        const TVecteur up = ProdVect(f.Bandes[i].Tangente, f.Bandes[i].Normale);
        EXPECT_EQ(up.z, 1.0);
        EXPECT_LT(ProdScal(f.Bandes[i].Normale, f.Bandes[i].Point), 0);
    }
}

TEST(Constantes, TextesDesEtats) {
    EXPECT_STREQ(TexteMouvement(3), "PivotSeul");
    EXPECT_STREQ(TexteMouvement(9), "?");
    EXPECT_STREQ(TexteTypeChoc(3), "choc Bille Bande");
    EXPECT_STREQ(TexteTypeChoc(4), "?");
}
