// The tracked-shot reader: what real tracking data looks like is accepted; every kind of bad
// input is refused with the line that shows it.

#include "analysis/Extrait.h"
#include "analysis/TrajectoireMesuree.h"

#include <gtest/gtest.h>

#include <string>

namespace {

/// A cue ball moving along y and two balls at rest, the first one with only two samples.
std::string Valide() {
    return "t,bille,x,y\n"
           "0,1,10.0,-60.0\n"
           "0,2,0,60\n"
           "0,3,-20.4,5.1\n"
           "0.02,1,10.0,-55.0\n"
           "0.04,1,10.1,-50.0\n"
           "0.04,1,10.1,-50.1\n" // a repeated time stamp
           "0.10,1,10.2,-35.0\n" // frames missing
           "0.12,1,10.2,-30.2\n"
           "0.5,3,-20.3,5.2\n"
           "3.0,2,0,60\n";
}

/// The reader's verdict on `texte` with the default table.
std::string Erreur(const std::string& texte) {
    return LitTrajectoireMesuree(texte, TPARAMPHYS()).Erreur;
}

/// Valide() with one line appended.
std::string AvecLigne(const std::string& ligne) {
    return Valide() + ligne + "\n";
}

} // namespace

TEST(TrajectoireMesuree, LitLesRelevesDeChaqueBilleDansLOrdreDuFichier) {
    // CR LF line ends, a byte-order mark, blanks and an upper-case header are what spreadsheet
    // exports produce.
    std::string texte = "\xEF\xBB\xBF T, Bille ,X,Y\r\n";
    for (const char* l : {"0,1,10.0,-60.0", "0,2,0,60", "", "0,3,-20.4,5.1", "0.02,1,10.0,-55.0",
                          "0.04, 1, 10.1 ,-50.0", "0.04,1,10.1,-50.1", "0.10,1,10.2,-35.0",
                          "0.12,1,10.2,-30.2", "3.0,2,0,60"})
        texte += std::string(l) + "\r\n";
    const TLectureTrajectoire l = LitTrajectoireMesuree(texte, TPARAMPHYS());
    ASSERT_EQ(l.Erreur, "");
    const auto& b = l.Trajectoire.Billes;
    ASSERT_EQ(b[1].size(), 6u);
    ASSERT_EQ(b[2].size(), 2u);
    ASSERT_EQ(b[3].size(), 1u);
    EXPECT_DOUBLE_EQ(b[1][2].t, 0.04);
    EXPECT_DOUBLE_EQ(b[1][3].y, -50.1);
    EXPECT_DOUBLE_EQ(b[2][1].t, 3.0);
    EXPECT_DOUBLE_EQ(b[3][0].x, -20.4);
}

TEST(TrajectoireMesuree, LitLeCsvDUnTableurFrancais) {
    // Semicolons between the values, decimal commas: what a spreadsheet under French settings
    // writes. The file reads as the same samples as with commas and points.
    std::string texte;
    for (char c : Valide()) texte += c == ',' ? ';' : (c == '.' ? ',' : c);
    ASSERT_EQ(texte.substr(0, 30), "t;bille;x;y\n0;1;10,0;-60,0\n0;2");
    const TLectureTrajectoire fr = LitTrajectoireMesuree(texte, TPARAMPHYS());
    const TLectureTrajectoire en = LitTrajectoireMesuree(Valide(), TPARAMPHYS());
    ASSERT_EQ(fr.Erreur, "");
    for (int b = 1; b <= 3; ++b) {
        ASSERT_EQ(fr.Trajectoire.Billes[b].size(), en.Trajectoire.Billes[b].size()) << b;
        for (std::size_t i = 0; i < en.Trajectoire.Billes[b].size(); ++i) {
            EXPECT_EQ(fr.Trajectoire.Billes[b][i].t, en.Trajectoire.Billes[b][i].t);
            EXPECT_EQ(fr.Trajectoire.Billes[b][i].x, en.Trajectoire.Billes[b][i].x);
            EXPECT_EQ(fr.Trajectoire.Billes[b][i].y, en.Trajectoire.Billes[b][i].y);
        }
    }
    // Comma lines under a semicolon header, or a header mixing both, are refused.
    EXPECT_NE(Erreur("t;bille;x;y\n0,1,10.0,-60.0\n").find("ligne 2 : 4 valeurs attendues"),
              std::string::npos);
    EXPECT_NE(Erreur("t;bille,x;y\n").find("ligne 1 : en-tête"), std::string::npos);
    EXPECT_NE(Erreur("t;bille;x;y\n0;1;1,5,2;-60\n").find("valeur non numérique pour x"),
              std::string::npos);
}

TEST(TrajectoireMesuree, AccepteUnCentreQuelquesMillimetresTropPresDeLaBande) {
    // A centre can come no nearer than R = 3.075 cm to the nose line at x = 71.125 cm; the
    // tracker's noise puts it a little closer, and even on the nose line it is still data.
    EXPECT_EQ(Erreur(AvecLigne("0.6,3,68.4,-142.0")), "");
    EXPECT_EQ(Erreur(AvecLigne("0.6,3,-71.125,142.25")), "");
}

TEST(TrajectoireMesuree, RefuseChaqueMauvaiseEntreeEnNommantSaLigne) {
    struct TCas {
        std::string Texte;
        std::string Attendu;
    };
    // Valide() has 11 lines: an appended line is line 12.
    const TCas cas[] = {
        {"", "fichier vide : en-tête « t,bille,x,y » attendu"},
        {"temps,bille,x,y\n0,1,0,0\n",
         "ligne 1 : en-tête « t,bille,x,y » attendu, « temps,bille,x,y » trouvé"},
        {AvecLigne("0.6,4,1,1"), "ligne 12 : bille inconnue « 4 » (1, 2 ou 3 attendu)"},
        {AvecLigne("0.6,1.5,1,1"), "ligne 12 : bille inconnue « 1.5 » (1, 2 ou 3 attendu)"},
        {AvecLigne("0.6,2,abc,1"), "ligne 12 : valeur non numérique pour x : « abc »"},
        {AvecLigne("0.6,2,1,12,5"), "ligne 12 : 4 valeurs attendues (t,bille,x,y), 5 trouvées"},
        {AvecLigne("0.6,2,1"), "ligne 12 : 4 valeurs attendues (t,bille,x,y), 3 trouvées"},
        {AvecLigne("nan,2,1,1"), "ligne 12 : valeur non numérique pour t : « nan »"},
        {AvecLigne("0.11,1,10.2,-32.0"),
         "ligne 12 : le temps de la bille 1 recule (0.11 s après 0.12 s)"},
        {AvecLigne("0.6,2,75.3,0"),
         "ligne 12 : bille 2 hors du billard : x = 75.3 cm, au-delà de la bande (x = ±71.125 cm)"},
        {AvecLigne("0.6,3,0,-150"),
         "ligne 12 : bille 3 hors du billard : y = -150 cm, au-delà de la bande (y = ±142.25 cm)"},
        {"t,bille,x,y\n0,1,0,0\n0.1,1,0,20\n0.2,1,0,40\n0.3,1,0,60\n0.4,1,0,80\n0,2,5,5\n",
         "aucun relevé pour la bille 3"},
        {"t,bille,x,y\n0,1,0,0\n0.1,1,0,20\n0.2,1,0,40\n0.3,1,0,60\n0,2,5,5\n0,3,9,9\n",
         "la bille de queue (bille 1) n'a que 4 relevé(s), il en faut au moins 5"},
    };
    for (const TCas& c : cas) EXPECT_EQ(Erreur(c.Texte), c.Attendu) << c.Texte;
}

TEST(TrajectoireMesuree, RefuseUneBilleDeQueueQuiNeBougePas) {
    // Five samples within a few millimetres of each other: tracking noise, no shot.
    const std::string texte = "t,bille,x,y\n0,1,10,-60\n0.02,1,10.3,-60\n0.04,1,9.8,-60.2\n"
                              "0.06,1,10.1,-59.7\n0.08,1,10,-60.4\n0,2,0,60\n0,3,-20,5\n";
    EXPECT_EQ(Erreur(texte), "la bille de queue (bille 1) ne bouge pas : aucun coup à ajuster");
}

TEST(TrajectoireMesuree, LaLimiteDesBandesSuitLaTable) {
    TPARAMPHYS petite;
    petite.SetDimension(0, 100); // nose lines at x = ±50, y = ±100
    EXPECT_EQ(LitTrajectoireMesuree(AvecLigne("0.6,3,55,0"), petite).Erreur,
              "ligne 12 : bille 3 hors du billard : x = 55 cm, au-delà de la bande (x = ±50 cm)");
}

TEST(Extrait, CiteAuPlusQuatreVingtsCaracteresEtRendVisiblesLesCaracteresDeControle) {
    EXPECT_EQ(Extrait("0.5"), "0.5");
    EXPECT_EQ(Extrait("a\x1b[31mb\tc\x07"), "a\\e[31mb\\tc\\x07");
    // Whole UTF-8 characters are kept, bytes that are not UTF-8 or C1 controls shown in hex.
    EXPECT_EQ(Extrait("é\xff\xc2\x9b"), "é\\xff\\xc2\\x9b");
    const std::string long_(1000, 'z');
    EXPECT_EQ(Extrait(long_), std::string(80, 'z') + "…");
    EXPECT_EQ(Extrait(std::string(80, 'z')), std::string(80, 'z'));
}

TEST(TrajectoireMesuree, UnTempsIsoleAvantLaFrappeEstRefuse) {
    // A stray sample 10 s before the rest, another at -1e308: each named by its line.
    EXPECT_EQ(Erreur("t,bille,x,y\n-10,2,0,60\n" + Valide().substr(12)).substr(0, 33),
              "ligne 2 : temps -10 s loin de tou");
    const std::string enorme = Erreur("t,bille,x,y\n-1e308,2,0,60\n" + Valide().substr(12));
    EXPECT_EQ(enorme.rfind("ligne 2 : temps -1E308 s loin", 0), 0u) << enorme;
    // Later samples of a ball at rest may be far from the others: that is a tracker's way.
    EXPECT_EQ(Erreur(AvecLigne("30,3,-20.3,5.2")), "");
}
