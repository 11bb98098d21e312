// Number text, profile text, position files and clipboard text of a shot.

#include "engine/C8_BillardAlveran.h"
#include "engine/CoupDefaut.h"
#include "engine/Nombres.h"
#include "engine/ProfilIni.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <functional>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string LitFichier(const fs::path& p) {
    std::string texte;
    EXPECT_TRUE(ChargeTexte(p.string(), texte)) << p;
    return texte;
}

void EcritFichier(const fs::path& p, const std::string& texte) {
    std::ofstream(p, std::ios::binary) << texte;
}

/// A fresh folder per test, removed afterwards.
class Dossier : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Racine = fs::temp_directory_path() /
                 (std::string("alveran-fichiers-") + info->name() + "-" + std::to_string(getpid()));
        fs::remove_all(Racine);
        fs::create_directories(Racine);
    }
    void TearDown() override { fs::remove_all(Racine); }
    std::string Chemin(const std::string& nom) const { return (Racine / nom).string(); }
    std::vector<std::string> Contenu() const {
        std::vector<std::string> noms;
        for (const auto& e : fs::directory_iterator(Racine)) noms.push_back(e.path().filename());
        std::sort(noms.begin(), noms.end());
        return noms;
    }
    fs::path Racine;
};

std::unique_ptr<TBillardAlveran> Moteur() {
    return std::make_unique<TBillardAlveran>();
}

/// A shot whose every value differs, with a few that need the exponent form.
void RemplitCoup(TBillardAlveran& e) {
    e.Coup.Vq = 430;
    e.Coup.m = 520.5;
    e.Coup.AngleOx = 1.72159277416721;
    e.Coup.AngleTapis = 0.0872664625997165;
    e.Coup.Effet = -0.621910112359551;
    e.Coup.Hauteur = 1.1747191011236;
    // Values of at most 15 significant digits, so that they read back exactly.
    const double petit[] = {0, 1E-5, 2E-5, 3E-5};
    const double tres_petit[] = {0, 2.5E-7, 5E-7, 7.5E-7};
    for (int b = 1; b <= 3; ++b) {
        e.Trajets[b][0].Position = {10.5 * b, -20.25 * b, 3.075};
        e.Trajets[b][0].Vitesse = {-1.5 * b, tres_petit[b], 0};
        e.Trajets[b][0].Rotation = {petit[b], 100.125 * b, -3E-6};
    }
}

/// Record 0 of both engines alike: positions, and velocities and rotations when asked.
void CompareEtatInitial(const TBillardAlveran& a, const TBillardAlveran& b, bool cinematique) {
    auto egaux = [](const TVecteur& u, const TVecteur& v) {
        return u.x == v.x && u.y == v.y && u.z == v.z;
    };
    for (int i = 1; i <= 3; ++i) {
        const TCinematique &ka = a.Trajets[i][0], &kb = b.Trajets[i][0];
        EXPECT_TRUE(egaux(ka.Position, kb.Position)) << "ball " << i;
        if (cinematique) {
            EXPECT_TRUE(egaux(ka.Vitesse, kb.Vitesse) && egaux(ka.Rotation, kb.Rotation)) << i;
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Number text

TEST(TexteNombre, LaFormeGeneraleLaPlusCourteAuPlus15Chiffres) {
    const std::pair<double, const char*> cas[] = {
        {430, "430"},
        {0.621910112359551, "0.621910112359551"},
        {-2, "-2"},
        {0, "0"},
        {-0.0, "0"},
        {1E-5, "1E-5"},
        {2.5E-7, "2.5E-7"},
        {1.5E20, "1.5E20"},
        {-3E-6, "-3E-6"},
        {0.0001, "0.0001"}, // the smallest magnitude still written plainly
        {-0.00012, "-0.00012"},
        {999999999999999, "999999999999999"}, // 15 digits before the point
        {1E15, "1E15"},                       // 16 digits: exponent form
        {123456789012345678.0, "1.23456789012346E17"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {100, "100"},
        {18.279125, "18.279125"},
        // Rounding to 15 digits may carry into a new digit and change the form.
        {0.99999999999999999, "1"},
        {0.0000999999999999999999, "0.0001"},
        {999999999999999.9, "1E15"},
        {9.99999999999999E-5, "9.99999999999999E-5"},
        {4.9406564584124654E-324, "4.94065645841247E-324"},
    };
    for (const auto& [valeur, attendu] : cas) EXPECT_EQ(TexteNombre(valeur), attendu) << valeur;
}

TEST(TexteNombre, LesValeursNonFiniesSontLisiblesMaisNeSeRelisentPas) {
    EXPECT_EQ(TexteNombre(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(TexteNombre(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(TexteNombre(-std::numeric_limits<double>::infinity()), "-INF");
    double v = 7;
    for (const char* t : {"NAN", "INF", "-INF", "nan", "inf", "infinity"}) {
        EXPECT_FALSE(LitNombre(t, v)) << t;
        EXPECT_EQ(v, 7) << t;
    }
}

TEST(LitNombre, AccepteSeulementLesNombresAvecUnPointDecimal) {
    const std::pair<const char*, double> bons[] = {
        {"430", 430}, {"-2", -2},        {"12.5", 12.5}, {"1E-5", 1E-5},
        {"1e5", 1e5}, {"2.5E+7", 2.5E7}, {"+7", 7},      {".5", 0.5},
        {"5.", 5},    {" 3.25\t", 3.25}, {"-0", 0},
    };
    for (const auto& [texte, attendu] : bons) {
        double v = -99;
        EXPECT_TRUE(LitNombre(texte, v)) << texte;
        EXPECT_EQ(v, attendu) << texte;
    }
    for (const char* texte : {"12,5", "", "   ", "1.2.3", "12.5cm", "0x10", "e5", "-", "+-1", "+ 1",
                              "1 2", "1E400", "1,234.5"}) {
        double v = -99;
        EXPECT_FALSE(LitNombre(texte, v)) << texte;
        EXPECT_EQ(v, -99) << texte << " must leave the value alone";
    }
}

TEST(TexteNombre, DesDoublesAleatoiresSeRelisentA15Chiffres) {
    // Properties instead of stored answers: the text has the documented form, reads back
    // within half a unit of the 15th digit, and writing what was read gives the same text.
    const std::regex forme(
        R"(-?(0|[1-9][0-9]*)(\.[0-9]*[1-9])?|-?[1-9](\.[0-9]*[1-9])?E-?[1-9][0-9]*)");
    std::mt19937_64 alea(20240611);
    std::uniform_real_distribution<double> mantisse(1.0, 10.0);
    std::uniform_int_distribution<int> exposant(-300, 300);
    for (int n = 0; n < 20000; ++n) {
        const double x =
            (n % 2 ? -1 : 1) * mantisse(alea) * std::pow(10.0, exposant(alea) % (n % 3 ? 8 : 300));
        const std::string t = TexteNombre(x);
        ASSERT_TRUE(std::regex_match(t, forme)) << t;
        double y = 0;
        ASSERT_TRUE(LitNombre(t, y)) << t;
        EXPECT_LE(std::abs(y - x), std::abs(x) * 5.0000001E-15) << t;
        EXPECT_EQ(TexteNombre(y), t);
        const bool exponentiel = t.find('E') != std::string::npos;
        EXPECT_EQ(exponentiel, std::abs(y) < 1E-4 || std::abs(y) >= 1E15) << t;
        std::size_t significatifs = 0;
        for (const char c : t.substr(0, t.find('E')))
            if (std::isdigit(static_cast<unsigned char>(c))) ++significatifs;
        if (!exponentiel && std::abs(y) < 1)
            significatifs -= t.find_first_not_of("-0.") - (t[0] == '-' ? 2 : 1);
        EXPECT_LE(significatifs, 15u) << t;
    }
}

// ---------------------------------------------------------------------------------------
// Profile text

TEST(ProfilIni, SectionsEtClesIgnorentLaCasseEtLesBlancs) {
    const TProfilIni ini(
        "k=hors section\r\n  [ queue ]  \r\n  VQ =  12.5 \r\nvide=\r\n; Effet=3\r\n"
        "[Autre]\r\nEffet=4\r\n");
    EXPECT_EQ(ini.Lit("Queue", "Vq"), "12.5");
    EXPECT_EQ(ini.Lit("QUEUE", " vq "), "12.5");
    EXPECT_EQ(ini.Lit("Queue", "vide"), "");
    EXPECT_FALSE(ini.Lit("Queue", "Effet")) << "comment line or another section's key";
    EXPECT_FALSE(ini.Lit("Queue", "k"));
    EXPECT_FALSE(ini.Lit("", "k")) << "a key outside every section counts as missing";
    EXPECT_FALSE(ini.Lit("Absente", "Vq"));
    EXPECT_EQ(ini.Lit("autre", "effet"), "4");
}

TEST(ProfilIni, LaPremiereOccurrenceEstLueEtRemplacee) {
    TProfilIni ini("[S]\r\na=1\r\na=2\r\n[S]\r\na=3\r\nb=4\r\n");
    EXPECT_EQ(ini.Lit("S", "a"), "1");
    EXPECT_FALSE(ini.Lit("S", "b")) << "only the first section of that name counts";
    ini.Ecrit("s", "A", "9");
    ini.Ecrit("S", "b", "5");
    EXPECT_EQ(ini.Texte(), "[S]\r\na=9\r\na=2\r\nb=5\r\n[S]\r\na=3\r\nb=4\r\n");
}

TEST(ProfilIni, LEcritureGardeChaqueAutreOctet) {
    // Mixed line ends, a comment, blanks, an unknown section, and no final line break.
    const std::string avant =
        "; shot\n[Queue]\r\n  Vq = 1 \r\nX=y\r[Perso]\nz=1\r\n\r\n[Positions]\r\nP1x=2";
    TProfilIni ini(avant);
    EXPECT_EQ(ini.Texte(), avant);
    ini.Ecrit("Queue", "Vq", "430");
    ini.Ecrit("Positions", "P1x", "-3");
    EXPECT_EQ(ini.Texte(),
              "; shot\n[Queue]\r\n  Vq =430\r\nX=y\r[Perso]\nz=1\r\n\r\n[Positions]\r\nP1x=-3");
}

TEST(ProfilIni, LesNouvellesClesFinissentLeurSectionLesNouvellesSectionsLeTexte) {
    TProfilIni ini("[Queue]\r\nVq=1\r\n\r\n[Autre]\r\nw=0");
    ini.Ecrit("Queue", "m", "520"); // before the blank line that separates the sections
    ini.Ecrit("Autre", "v", "2");   // the last line gets the break it lacked
    ini.Ecrit("Positions", "P1x", "3");
    EXPECT_EQ(ini.Texte(),
              "[Queue]\r\nVq=1\r\nm=520\r\n\r\n[Autre]\r\nw=0\r\nv=2\r\n[Positions]\r\nP1x=3\r\n");

    TProfilIni vide("");
    vide.Ecrit("S", "k", "v");
    EXPECT_EQ(vide.Texte(), "[S]\r\nk=v\r\n");

    TProfilIni sansFin("[S]");
    sansFin.Ecrit("S", "k", "v");
    EXPECT_EQ(sansFin.Texte(), "[S]\r\nk=v\r\n");
}

// ---------------------------------------------------------------------------------------
// Position files

using PositionFichier = Dossier;

TEST_F(PositionFichier, Variante1AllerRetourEtDisposition) {
    auto a = Moteur();
    RemplitCoup(*a);
    std::string erreur;
    const std::string nom = Chemin("coup.alv");
    ASSERT_EQ(a->EcritPositionQueue(nom, erreur), 1);
    EXPECT_EQ(erreur, "");
    EXPECT_EQ(a->NomFichier, nom);
    EXPECT_EQ(LitFichier(nom), "[Queue]\r\nVq=430\r\nm=520.5\r\nAngleOx=1.72159277416721\r\n"
                               "AngleTapis=0.0872664625997165\r\nEffet=-0.621910112359551\r\n"
                               "Hauteur=1.1747191011236\r\n[Positions]\r\n"
                               "P1x=10.5\r\nP1y=-20.25\r\nP1z=3.075\r\n"
                               "P2x=21\r\nP2y=-40.5\r\nP2z=3.075\r\n"
                               "P3x=31.5\r\nP3y=-60.75\r\nP3z=3.075\r\n");
    EXPECT_EQ(Contenu(), std::vector<std::string>{"coup.alv"}) << "no temporary file left";

    auto b = Moteur();
    b->Trajets[2][0].Vitesse = {7, 8, 9}; // a variant-1 file carries no velocity
    ASSERT_EQ(b->LitPosition(nom), 1);
    EXPECT_EQ(b->NomFichier, nom);
    EXPECT_EQ(b->Coup.Vq, a->Coup.Vq);
    EXPECT_EQ(b->Coup.m, a->Coup.m);
    EXPECT_EQ(b->Coup.AngleOx, a->Coup.AngleOx);
    EXPECT_EQ(b->Coup.AngleTapis, a->Coup.AngleTapis);
    EXPECT_EQ(b->Coup.Effet, a->Coup.Effet);
    EXPECT_EQ(b->Coup.Hauteur, a->Coup.Hauteur);
    CompareEtatInitial(*a, *b, false);
    EXPECT_EQ(b->Trajets[2][0].Vitesse.y, 8);
}

TEST_F(PositionFichier, LaCouleurDeLaBilleDeQueueEstEcriteEtRelueDansLesDeuxVariantes) {
    for (const char* nom : {"coup.alv", "coup.alv2"}) {
        for (const TBilleJoueur bille : {bjJaune, bjBlanche}) {
            auto a = Moteur();
            RemplitCoup(*a);
            a->BilleJoueur = bille;
            std::string erreur;
            ASSERT_NE(std::string(nom) == "coup.alv"
                          ? a->EcritPositionQueue(Chemin(nom), erreur)
                          : a->EcritPositionVitesses(Chemin(nom), erreur),
                      0);
            const std::string texte = LitFichier(Chemin(nom));
            EXPECT_NE(texte.find(bille == bjJaune ? "\r\nBilleJoueur=jaune\r\n"
                                                  : "\r\nBilleJoueur=blanche\r\n"),
                      std::string::npos)
                << texte;
            auto b = Moteur();
            ASSERT_NE(b->LitPosition(Chemin(nom)), 0);
            EXPECT_EQ(b->BilleJoueur, bille) << nom;
            CompareEtatInitial(*a, *b, std::string(nom) == "coup.alv2");
        }
    }
    // A file that does not say, or says something else, leaves the colour unknown, even in an
    // engine that knew one.
    for (const char* ligne : {"", "BilleJoueur=verte\r\n", "BilleJoueur=\r\n"}) {
        EcritFichier(Racine / "autre.alv", std::string("[Positions]\r\nP1x=1\r\n") + ligne);
        auto c = Moteur();
        c->BilleJoueur = bjJaune;
        ASSERT_EQ(c->LitPosition(Chemin("autre.alv")), 1);
        EXPECT_EQ(c->BilleJoueur, bjInconnue) << ligne;
        EXPECT_EQ(c->Trajets[1][0].Position.x, 1);
    }
    EcritFichier(Racine / "casse.alv", "[positions]\r\n billejoueur = JAUNE \r\n");
    auto d = Moteur();
    ASSERT_EQ(d->LitPosition(Chemin("casse.alv")), 1);
    EXPECT_EQ(d->BilleJoueur, bjJaune);
}

TEST_F(PositionFichier, Variante2AllerRetourQuelleQueSoitLaCasseDeLExtension) {
    auto a = Moteur();
    RemplitCoup(*a);
    std::string erreur;
    const std::string nom = Chemin("coup.Alv2");
    ASSERT_EQ(a->EcritPositionVitesses(nom, erreur), 2);
    const std::string texte = LitFichier(nom);
    EXPECT_EQ(texte.find("[Queue]"), std::string::npos);
    EXPECT_LT(texte.find("[Positions]\r\nP1x=10.5\r\n"),
              texte.find("[Vitesses]\r\nV1x=-1.5\r\nV1y=2.5E-7\r\n"));
    EXPECT_LT(texte.find("[Vitesses]"),
              texte.find("[Rotations]\r\nR1x=1E-5\r\nR1y=100.125\r\nR1z=-3E-6\r\n"));
    EXPECT_NE(texte.find("R3z=-3E-6\r\n"), std::string::npos);

    auto b = Moteur();
    b->Coup.Vq = 12;
    b->Coup.Effet = 0.5;
    ASSERT_EQ(b->LitPosition(nom), 2);
    EXPECT_EQ(b->Coup.Vq, 12) << "a variant-2 file leaves the stroke alone";
    EXPECT_EQ(b->Coup.Effet, 0.5);
    CompareEtatInitial(*a, *b, true);
}

TEST_F(PositionFichier, LesClesManquantesPrennentLeursDefauts) {
    auto e = Moteur();
    RemplitCoup(*e);
    // No Vq, no m, no Positions section; a decimal comma does not convert.
    EcritFichier(Racine / "partiel.alv", "[Queue]\r\nEffet=12,5\r\nHauteur=\r\nAngleTapis=0.5\r\n");
    ASSERT_EQ(e->LitPosition(Chemin("partiel.alv")), 1);
    EXPECT_EQ(e->Coup.Vq, 430) << "the current cue speed stays";
    EXPECT_EQ(e->Coup.m, 520.5) << "the current cue mass stays";
    EXPECT_EQ(e->Coup.AngleOx, 0);
    EXPECT_EQ(e->Coup.AngleTapis, 0.5);
    EXPECT_EQ(e->Coup.Effet, 0) << "12,5 reads as the default";
    EXPECT_EQ(e->Coup.Hauteur, 0);
    for (int b = 1; b <= 3; ++b) {
        EXPECT_EQ(e->Trajets[b][0].Position.x, 0);
        EXPECT_EQ(e->Trajets[b][0].Position.y, 0);
        EXPECT_EQ(e->Trajets[b][0].Position.z, 0);
    }

    // A "12,5" for Vq gives the current value, not 12 or 12.5.
    EcritFichier(Racine / "virgule.alv", "[Queue]\r\nVq=12,5\r\nm=300\r\n");
    ASSERT_EQ(e->LitPosition(Chemin("virgule.alv")), 1);
    EXPECT_EQ(e->Coup.Vq, 430);
    EXPECT_EQ(e->Coup.m, 300);
}

TEST_F(PositionFichier, UnFichierAbsentOuVideSeLitCommeLesDefauts) {
    for (const char* nom : {"absent.ALV", "vide.alv"}) {
        auto e = Moteur();
        RemplitCoup(*e);
        if (std::string(nom) == "vide.alv") EcritFichier(Racine / nom, "");
        ASSERT_EQ(e->LitPosition(Chemin(nom)), 1) << nom;
        EXPECT_EQ(e->NomFichier, Chemin(nom));
        EXPECT_EQ(e->Coup.Vq, 430);
        EXPECT_EQ(e->Coup.m, 520.5);
        EXPECT_EQ(e->Coup.Effet, 0);
        EXPECT_EQ(e->Trajets[1][0].Position.x, 0);
        EXPECT_EQ(e->Trajets[3][0].Position.z, 0);
    }
}

TEST_F(PositionFichier, LesAutresExtensionsNeSontPasLues) {
    EcritFichier(Racine / "coup.txt", "[Queue]\r\nVq=1\r\n");
    EcritFichier(Racine / "coup.alv3", "[Queue]\r\nVq=1\r\n");
    for (const char* nom : {"coup.txt", "coup.alv3", "coup", "alv"}) {
        auto e = Moteur();
        RemplitCoup(*e);
        e->NomFichier = "avant";
        EXPECT_EQ(e->LitPosition(Chemin(nom)), 0) << nom;
        EXPECT_EQ(e->Coup.Vq, 430);
        EXPECT_EQ(e->Trajets[1][0].Position.x, 10.5);
        EXPECT_EQ(e->NomFichier, "avant");
    }
}

TEST_F(PositionFichier, LaReecritureRemplaceLesValeursEtGardeLesAutresLignes) {
    const std::string avant = "; mon coup préféré\r\n[Queue]\r\nvq = 1\r\nCommentaire=à garder\r\n"
                              "Effet=9\r\n\r\n[Positions]\nP1x=5\nP9x=0\n[Extra]\r\nx=1";
    EcritFichier(Racine / "coup.alv", avant);
    auto e = Moteur();
    RemplitCoup(*e);
    std::string erreur;
    ASSERT_EQ(e->EcritPositionQueue(Chemin("coup.alv"), erreur), 1);
    EXPECT_EQ(LitFichier(Racine / "coup.alv"),
              "; mon coup préféré\r\n[Queue]\r\nvq =430\r\nCommentaire=à garder\r\n"
              "Effet=-0.621910112359551\r\nm=520.5\r\nAngleOx=1.72159277416721\r\n"
              "AngleTapis=0.0872664625997165\r\nHauteur=1.1747191011236\r\n\r\n"
              "[Positions]\nP1x=10.5\nP9x=0\nP1y=-20.25\r\nP1z=3.075\r\nP2x=21\r\nP2y=-40.5\r\n"
              "P2z=3.075\r\nP3x=31.5\r\nP3y=-60.75\r\nP3z=3.075\r\n[Extra]\r\nx=1");

    // Reading it back gives the engine's values: the file's own spelling of a key counts.
    auto f = Moteur();
    ASSERT_EQ(f->LitPosition(Chemin("coup.alv")), 1);
    EXPECT_EQ(f->Coup.Vq, 430);
    EXPECT_EQ(f->Coup.Effet, e->Coup.Effet);
    EXPECT_EQ(f->Trajets[3][0].Position.y, -60.75);
}

TEST_F(PositionFichier, UneEcritureEchoueeLaisseToutCommeAvant) {
    auto e = Moteur();
    RemplitCoup(*e);
    e->NomFichier = "avant";
    std::string erreur;

    const std::string sansDossier = Chemin("absent/coup.alv");
    EXPECT_EQ(e->EcritPositionQueue(sansDossier, erreur), 0);
    EXPECT_EQ(erreur, "Impossible d'écrire dans " + sansDossier);
    EXPECT_EQ(e->NomFichier, "avant");

    // A folder in the way of the file: it stays, with its content, and nothing is added.
    fs::create_directory(Racine / "dossier.alv2");
    EcritFichier(Racine / "dossier.alv2" / "dedans", "x");
    erreur.clear();
    EXPECT_EQ(e->EcritPositionVitesses(Chemin("dossier.alv2"), erreur), 0);
    EXPECT_EQ(erreur, "Impossible d'écrire dans " + Chemin("dossier.alv2"));
    EXPECT_TRUE(fs::is_directory(Racine / "dossier.alv2"));
    EXPECT_EQ(LitFichier(Racine / "dossier.alv2" / "dedans"), "x");
    EXPECT_EQ(Contenu(), std::vector<std::string>{"dossier.alv2"});
    EXPECT_EQ(e->NomFichier, "avant");
}

TEST_F(PositionFichier, UnDossierEnLectureSeuleGardeLAncienFichier) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop the superuser";
    EcritFichier(Racine / "coup.alv", "[Queue]\r\nVq=1\r\n");
    fs::permissions(Racine, fs::perms::owner_read | fs::perms::owner_exec);
    auto e = Moteur();
    std::string erreur;
    const int resultat = e->EcritPositionQueue(Chemin("coup.alv"), erreur);
    fs::permissions(Racine, fs::perms::owner_all);
    EXPECT_EQ(resultat, 0);
    EXPECT_EQ(erreur, "Impossible d'écrire dans " + Chemin("coup.alv"));
    EXPECT_EQ(LitFichier(Racine / "coup.alv"), "[Queue]\r\nVq=1\r\n");
}

TEST_F(PositionFichier, LEcritureParUnLienMetAJourLeFichierLie) {
    EcritFichier(Racine / "vrai.alv", "[Queue]\r\nVq=1\r\n");
    fs::create_symlink(Racine / "vrai.alv", Racine / "lien.alv");
    auto e = Moteur();
    std::string erreur;
    ASSERT_EQ(e->EcritPositionQueue(Chemin("lien.alv"), erreur), 1);
    EXPECT_TRUE(fs::is_symlink(Racine / "lien.alv"));
    EXPECT_EQ(LitFichier(Racine / "vrai.alv").substr(0, 22), "[Queue]\r\nVq=0\r\nm=520\r\n");
}

TEST(Echantillons, LaPositionParDefautEstCeQueProduitLEcriture) {
    // The default table: white cue ball at (0.514, -2) diamonds, red at (0, 2), yellow at
    // (0, -2); one diamond is largeurJeu/4 = 35.5625 cm.
    auto e = Moteur();
    PlaceCoupDefaut(*e);
    EXPECT_EQ(e->TextePressePapiers() + "\r\n",
              LitFichier(fs::path(ALVERAN_SOURCE_DIR) / "samples" / "defaut.alv"));

    auto lu = Moteur();
    ASSERT_EQ(lu->LitPosition(ALVERAN_SOURCE_DIR "/samples/defaut.alv2"), 2);
    EXPECT_EQ(lu->Trajets[1][0].Position.x, e->Trajets[1][0].Position.x);
    EXPECT_GT(Norme(lu->Trajets[1][0].Vitesse), 0) << "the struck cue ball moves";
    EXPECT_EQ(Norme(lu->Trajets[2][0].Vitesse), 0);
}

// ---------------------------------------------------------------------------------------
// Clipboard text

TEST(PressePapiers, LeTexteA17LignesEtSeRelit) {
    auto a = Moteur();
    RemplitCoup(*a);
    a->Trajets[2][0].Position.x = 1E-5;
    const std::string texte = a->TextePressePapiers();
    EXPECT_EQ(texte, "[Queue]\r\nVq=430\r\nm=520.5\r\nAngleOx=1.72159277416721\r\n"
                     "AngleTapis=0.0872664625997165\r\nEffet=-0.621910112359551\r\n"
                     "Hauteur=1.1747191011236\r\n[Positions]\r\n"
                     "P1x=10.5\r\nP1y=-20.25\r\nP1z=3.075\r\n"
                     "P2x=1E-5\r\nP2y=-40.5\r\nP2z=3.075\r\n"
                     "P3x=31.5\r\nP3y=-60.75\r\nP3z=3.075");

    auto b = Moteur();
    const TResultatCollage r = b->CollePressePapiersTexte(texte);
    EXPECT_EQ(r.Manquants, "");
    EXPECT_FALSE(r.Arrete());
    EXPECT_EQ(b->TextePressePapiers(), texte);
}

TEST(PressePapiers, UneCleNommeLesQuatorzeAutresDansLOrdre) {
    auto e = Moteur();
    RemplitCoup(*e);
    const TResultatCollage r = e->CollePressePapiersTexte("Vq=431");
    EXPECT_EQ(e->Coup.Vq, 431);
    EXPECT_EQ(r.Manquants,
              " m AngleOx AngleTapis Effet Hauteur P1x P1y P1z P2x P2y P2z P3x P3y P3z");
    EXPECT_EQ(e->Coup.m, 520.5);
    EXPECT_EQ(e->Trajets[3][0].Position.y, -60.75);
}

TEST(PressePapiers, ClesDansToutesCassesEtTousOrdresLaPremiereOccurrenceLEmporte) {
    auto e = Moteur();
    RemplitCoup(*e);
    const TResultatCollage r = e->CollePressePapiersTexte(
        "p3z=1\rP3Y=2\nP3x=3\r\nP2Z=4\nP2y=5\nP2X=6\nP1z=7\nP1y=8\nP1x=12,5\nhauteur=0.5\n"
        "EFFET=-0.25\nangletapis=0.1\nAngleOX=2\nM=300\nvq=100\nVq=200\nautre ligne\n[Queue]");
    EXPECT_EQ(r.Manquants, "");
    EXPECT_FALSE(r.Arrete());
    EXPECT_EQ(e->Coup.Vq, 100) << "the first of two Vq lines";
    EXPECT_EQ(e->Coup.m, 300);
    EXPECT_EQ(e->Coup.AngleOx, 2);
    EXPECT_EQ(e->Coup.AngleTapis, 0.1);
    EXPECT_EQ(e->Coup.Effet, -0.25);
    EXPECT_EQ(e->Coup.Hauteur, 0.5);
    EXPECT_EQ(e->Trajets[1][0].Position.x, 12.5) << "a decimal comma is accepted";
    EXPECT_EQ(e->Trajets[1][0].Position.y, 8);
    EXPECT_EQ(e->Trajets[3][0].Position.z, 1);
}

TEST(PressePapiers, DesBlancsAvantLEgalOuUneValeurVideVeulentDireManquant) {
    auto e = Moteur();
    RemplitCoup(*e);
    const TResultatCollage r =
        e->CollePressePapiersTexte("Vq =5\r\n m=6\r\nEffet=\r\nHauteur=1=2\r\nAngleOx=0.5");
    EXPECT_TRUE(r.Arrete()) << "'1=2' is no number";
    EXPECT_EQ(r.Erreur, "'1=2' n'est pas une valeur en virgule flottante correcte");
    EXPECT_EQ(r.Manquants, " Vq m AngleTapis Effet");
    EXPECT_EQ(e->Coup.Vq, 430);
    EXPECT_EQ(e->Coup.m, 520.5);
    EXPECT_EQ(e->Coup.AngleOx, 0.5);
}

TEST(PressePapiers, UneValeurQuiNeSeConvertitPasArreteLa) {
    auto e = Moteur();
    RemplitCoup(*e);
    const TResultatCollage r = e->CollePressePapiersTexte(
        "[Queue]\r\nVq=1\r\nm=2\r\nAngleOx=3\r\nAngleTapis=1,234.5\r\nEffet=4\r\nP1x=5");
    EXPECT_EQ(r.Erreur, "'1.234.5' n'est pas une valeur en virgule flottante correcte");
    EXPECT_EQ(e->Coup.Vq, 1);
    EXPECT_EQ(e->Coup.m, 2);
    EXPECT_EQ(e->Coup.AngleOx, 3);
    EXPECT_EQ(e->Coup.AngleTapis, 0.0872664625997165) << "unchanged";
    EXPECT_EQ(e->Coup.Effet, -0.621910112359551) << "later keys are not read";
    EXPECT_EQ(e->Trajets[1][0].Position.x, 10.5);

    auto f = Moteur();
    EXPECT_EQ(f->CollePressePapiersTexte("Vq=NAN").Erreur,
              "'NAN' n'est pas une valeur en virgule flottante correcte");
    EXPECT_EQ(f->Coup.Vq, 0);
}

TEST(PressePapiers, UnFichierVariante2NeChangeQueLesPositions) {
    auto a = Moteur();
    RemplitCoup(*a);
    auto b = Moteur();
    b->Coup.Vq = 300;
    b->Trajets[1][0].Vitesse = {1, 2, 3};
    const std::string variante2 = "[Positions]\r\nP1x=1\r\nP1y=2\r\nP1z=3\r\nP2x=4\r\nP2y=5\r\n"
                                  "P2z=6\r\nP3x=7\r\nP3y=8\r\nP3z=9\r\n[Vitesses]\r\nV1x=50\r\n";
    const TResultatCollage r = b->CollePressePapiersTexte(variante2);
    EXPECT_EQ(r.Manquants, " Vq m AngleOx AngleTapis Effet Hauteur");
    EXPECT_EQ(b->Coup.Vq, 300);
    EXPECT_EQ(b->Trajets[3][0].Position.z, 9);
    EXPECT_EQ(b->Trajets[1][0].Vitesse.x, 1);
}

TEST_F(PositionFichier, UnFichierIlisibleNeChangeRien) {
    // A folder stands for any file that exists but cannot be read.
    fs::create_directories(Racine / "dossier.alv");
    fs::create_directories(Racine / "dossier.alv2");
    auto e = Moteur();
    RemplitCoup(*e);
    const auto avant = std::make_unique<TBillardAlveran>(*e);
    EXPECT_EQ(e->LitPosition(Chemin("dossier.alv")), 0);
    EXPECT_EQ(e->LitPosition(Chemin("dossier.alv2")), 0);
    EXPECT_EQ(std::memcmp(&e->Trajets[1][0], &avant->Trajets[1][0], sizeof(TCinematique)), 0);
    EXPECT_EQ(e->Coup.Effet, avant->Coup.Effet);
    EXPECT_EQ(e->NomFichier, avant->NomFichier);
}

TEST_F(PositionFichier, UnGrandFichierEtrangerGardeChaqueLigneQuiNEstPasASoi) {
    // 10 MB of somebody else's lines around a duplicated section and key, odd line ends.
    std::string entete = "[Queue]\r\nVq=1\r\nVq=2\r\n[Queue]\r\nm=3\n";
    std::string remplissage;
    for (int i = 0; remplissage.size() < 10'000'000; ++i)
        remplissage += "[S" + std::to_string(i) + "]\rcle=valeur " + std::to_string(i) + "\n";
    EcritFichier(Racine / "gros.alv", entete + remplissage + "[Positions]\r\nP1x=0");
    auto e = Moteur();
    RemplitCoup(*e);
    std::string erreur;
    ASSERT_EQ(e->EcritPositionQueue(Chemin("gros.alv"), erreur), 1) << erreur;
    const std::string apres = LitFichier(Racine / "gros.alv");
    // The first Vq is replaced in place, the duplicate stays, m goes to the first section.
    EXPECT_EQ(apres.substr(0, 30), "[Queue]\r\nVq=430\r\nVq=2\r\nm=520.5");
    EXPECT_NE(apres.find("[Queue]\r\nm=3\n" + remplissage + "[Positions]\r\nP1x=10.5\r\n"),
              std::string::npos);
    auto f = Moteur();
    EXPECT_EQ(f->LitPosition(Chemin("gros.alv")), 1);
    EXPECT_EQ(f->Coup.Vq, 430);
    EXPECT_EQ(f->Trajets[3][0].Position.y, -60.75);
}

// ---------------------------------------------------------------------------------------
// Files from elsewhere: a byte-order mark, a huge file, a read-only file, a file of nothing

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

/// Resident memory of this process now (kB).
long MemoireResidenteKo() {
    long pages = 0, residentes = 0;
    std::ifstream("/proc/self/statm") >> pages >> residentes;
    return residentes * (sysconf(_SC_PAGESIZE) / 1024);
}

/// How much a child process running `travail` grows beyond what it holds when it starts (kB):
/// its peak resident memory minus its resident memory before the work.
long MemoireTravailKo(const std::function<void()>& travail) {
    int tube[2];
    if (pipe(tube) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const long avant = MemoireResidenteKo();
        travail();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long croissance = usage.ru_maxrss - avant;
        _exit(write(tube[1], &croissance, sizeof croissance) == sizeof croissance ? 0 : 1);
    }
    close(tube[1]);
    long croissance = -1;
    if (read(tube[0], &croissance, sizeof croissance) != sizeof croissance) croissance = -1;
    close(tube[0]);
    int statut = 0;
    waitpid(pid, &statut, 0);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0);
    return croissance;
}

} // namespace

TEST(ProfilIni, UneMarqueDOrdreDesOctetsEnTeteEstSauteeEtGardee) {
    const std::string avant = std::string(Bom) + "[Queue]\r\nVq=1\r\n[Positions]\r\nP1x=2\r\n";
    TProfilIni ini(avant);
    EXPECT_EQ(ini.Lit("Queue", "Vq"), "1");
    EXPECT_EQ(ini.Texte(), avant);
    ini.Ecrit("Queue", "Vq", "430");
    ini.Ecrit("Queue", "m", "520");
    EXPECT_EQ(ini.Texte(),
              std::string(Bom) + "[Queue]\r\nVq=430\r\nm=520\r\n[Positions]\r\nP1x=2\r\n")
        << "replaced in place, no second section";

    // Only at the very start: elsewhere those bytes are text like any other.
    const TProfilIni milieu("[S]\r\n" + std::string(Bom) + "k=1\r\n");
    EXPECT_FALSE(milieu.Lit("S", "k"));
    TProfilIni seul{std::string(Bom)};
    seul.Ecrit("S", "k", "v");
    EXPECT_EQ(seul.Texte(), std::string(Bom) + "[S]\r\nk=v\r\n");
}

TEST_F(PositionFichier, UnFichierAvecMarqueDOrdreDesOctetsSeLitCommeSans) {
    const std::string echantillon =
        LitFichier(fs::path(ALVERAN_SOURCE_DIR) / "samples" / "defaut.alv");
    EcritFichier(Racine / "windows.alv", std::string(Bom) + echantillon);
    auto attendu = Moteur();
    ASSERT_EQ(attendu->LitPosition(ALVERAN_SOURCE_DIR "/samples/defaut.alv"), 1);
    auto e = Moteur();
    TRapportLecture rapport;
    ASSERT_EQ(e->LitPosition(Chemin("windows.alv"), rapport), 1);
    EXPECT_EQ(rapport.NbValeurs, 15);
    EXPECT_EQ(e->Coup.Vq, 430);
    EXPECT_EQ(e->Coup.Effet, attendu->Coup.Effet);
    CompareEtatInitial(*attendu, *e, false);

    // Saving over it keeps the mark and the values go where reading finds them.
    e->Coup.Vq = 250;
    std::string erreur;
    ASSERT_EQ(e->EcritPositionQueue(Chemin("windows.alv"), erreur), 1) << erreur;
    const std::string apres = LitFichier(Racine / "windows.alv");
    EXPECT_EQ(apres.substr(0, 3), Bom);
    EXPECT_EQ(std::count(apres.begin(), apres.end(), '['), 2) << apres;
    auto relu = Moteur();
    ASSERT_EQ(relu->LitPosition(Chemin("windows.alv")), 1);
    EXPECT_EQ(relu->Coup.Vq, 250);
}

TEST_F(PositionFichier, LesFichiersAuDelaDeLaTailleMaximaleSontRefusesEtNeChangentRien) {
    // Just above the cap, with valid keys first: refused before anything is taken.
    {
        std::ofstream f(Racine / "gros.alv", std::ios::binary);
        f << "[Queue]\r\nVq=1\r\n";
        f << std::string(TailleMaxProfil + 1 - 15, '\n');
    }
    ASSERT_EQ(fs::file_size(Racine / "gros.alv"), TailleMaxProfil + 1);
    auto e = Moteur();
    RemplitCoup(*e);
    TRapportLecture rapport;
    EXPECT_EQ(e->LitPosition(Chemin("gros.alv"), rapport), 0);
    EXPECT_EQ(rapport.Etat, lpTropGros);
    EXPECT_EQ(rapport.Erreur,
              "Fichier trop gros pour une position (plus de 16 Mio) : " + Chemin("gros.alv"));
    EXPECT_EQ(e->Coup.Vq, 430);
    EXPECT_EQ(e->Trajets[1][0].Position.x, 10.5);
    EXPECT_EQ(e->NomFichier, "");

    // Nor is it overwritten by a save: its other lines could not all be kept.
    std::string erreur;
    EXPECT_EQ(e->EcritPositionQueue(Chemin("gros.alv"), erreur), 0);
    EXPECT_EQ(erreur, "Impossible d'écrire dans " + Chemin("gros.alv") +
                          " : le fichier existant est trop gros (plus de 16 Mio)");
    EXPECT_EQ(fs::file_size(Racine / "gros.alv"), TailleMaxProfil + 1);
}

TEST_F(PositionFichier, LaMemoireResteProportionnelleAuFichier) {
    // Blank lines cost the most per byte: 16 million of them, just under the cap, with the
    // keys at the far end. Reading and rewriting such a file must not multiply it.
    const std::size_t blancs = TailleMaxProfil - 100;
    {
        std::ofstream f(Racine / "vide.alv", std::ios::binary);
        f << "[Queue]" << std::string(blancs, '\n') << "Vq=321\r\n";
    }
    auto e = Moteur();
    const long lecture = MemoireTravailKo([&] {
        TRapportLecture rapport;
        if (e->LitPosition(Chemin("vide.alv"), rapport) != 1 || e->Coup.Vq != 321) _exit(1);
    });
    EXPECT_LT(lecture, 8 * 1024) << "kB to read a 16 MiB file";
    const long ecriture = MemoireTravailKo([&] {
        std::string erreur;
        if (e->EcritPositionQueue(Chemin("vide.alv"), erreur) != 1) _exit(1);
    });
    EXPECT_LT(ecriture, 48 * 1024) << "kB to rewrite a 16 MiB file";
    const std::string apres = LitFichier(Racine / "vide.alv");
    EXPECT_EQ(apres.substr(0, 7 + blancs), "[Queue]" + std::string(blancs, '\n'));
    EXPECT_EQ(apres.substr(7 + blancs, 20), "Vq=0\r\nm=520\r\nAngleOx");
    EXPECT_TRUE(apres.ends_with("\r\n[Positions]\r\nP1x=0\r\nP1y=0\r\nP1z=0\r\nP2x=0\r\n"
                                "P2y=0\r\nP2z=0\r\nP3x=0\r\nP3y=0\r\nP3z=0\r\n"));
}

TEST_F(PositionFichier, UnFichierEnLectureSeuleNEstPasRemplaceEtGardeSesPermissions) {
    // Read-only by its permission bits, which hold whoever runs the test.
    EcritFichier(Racine / "protege.alv", "[Queue]\r\nVq=1\r\n");
    fs::permissions(Racine / "protege.alv",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    auto e = Moteur();
    RemplitCoup(*e);
    e->NomFichier = "avant";
    std::string erreur;
    EXPECT_EQ(e->EcritPositionQueue(Chemin("protege.alv"), erreur), 0);
    EXPECT_EQ(erreur,
              "Impossible d'écrire dans " + Chemin("protege.alv") + " : fichier en lecture seule");
    EXPECT_EQ(e->NomFichier, "avant");
    EXPECT_EQ(LitFichier(Racine / "protege.alv"), "[Queue]\r\nVq=1\r\n");
    EXPECT_EQ(fs::status(Racine / "protege.alv").permissions(), fs::perms(0444));
    EXPECT_EQ(Contenu(), std::vector<std::string>{"protege.alv"}) << "no temporary file left";

    // Through a link too.
    fs::create_symlink(Racine / "protege.alv", Racine / "lien.alv2");
    erreur.clear();
    EXPECT_EQ(e->EcritPositionVitesses(Chemin("lien.alv2"), erreur), 0);
    EXPECT_EQ(LitFichier(Racine / "protege.alv"), "[Queue]\r\nVq=1\r\n");

    // A writable file keeps its own permissions, not those a new file would get.
    EcritFichier(Racine / "groupe.alv", "[Queue]\r\nVq=1\r\n");
    const fs::perms droits = fs::perms(0640);
    fs::permissions(Racine / "groupe.alv", droits);
    erreur.clear();
    ASSERT_EQ(e->EcritPositionQueue(Chemin("groupe.alv"), erreur), 1) << erreur;
    EXPECT_EQ(fs::status(Racine / "groupe.alv").permissions(), droits);
    EXPECT_EQ(LitFichier(Racine / "groupe.alv").substr(0, 17), "[Queue]\r\nVq=430\r\n");
}

TEST_F(PositionFichier, LeCompteRenduDitCeQueLeFichierADonne) {
    std::string octets(4096, '\0');
    std::mt19937 alea(12);
    for (char& c : octets) c = static_cast<char>(alea());
    const std::pair<const char*, std::string> vides[] = {
        {"vide.alv", ""},
        {"hasard.alv", octets},
        {"sections.alv", "[Positions]\r\nVq=430\r\n[Autre]\r\nP1x=1\r\n"},
        {"sections.alv2", "[Queue]\r\nP1x=1\r\nV1x=2\r\n"},
        {"illisibles.alv", "[Queue]\r\nVq=abc\r\nm=12,5\r\n[Positions]\r\nP1x=\r\n"},
    };
    for (const auto& [nom, texte] : vides) {
        SCOPED_TRACE(nom);
        EcritFichier(Racine / nom, texte);
        auto e = Moteur();
        TRapportLecture rapport;
        EXPECT_NE(e->LitPosition(Chemin(nom), rapport), 0) << "still read, as defaults";
        EXPECT_EQ(rapport.Etat, lpLu);
        EXPECT_EQ(rapport.Erreur, "");
        EXPECT_EQ(rapport.NbValeurs, 0);
    }

    auto e = Moteur();
    TRapportLecture rapport;
    ASSERT_EQ(e->LitPosition(ALVERAN_SOURCE_DIR "/samples/defaut.alv2", rapport), 2);
    EXPECT_EQ(rapport.NbValeurs, 27);
    EcritFichier(Racine / "un.alv", "[queue]\r\n m = 300 \r\n");
    ASSERT_EQ(e->LitPosition(Chemin("un.alv"), rapport), 1);
    EXPECT_EQ(rapport.NbValeurs, 1);

    EXPECT_EQ(e->LitPosition(Chemin("absent.alv"), rapport), 1);
    EXPECT_EQ(rapport.Etat, lpAbsent);
    EXPECT_EQ(rapport.Erreur, "");

    // What the main window shows when a file cannot be read at all.
    fs::create_directory(Racine / "dossier.alv");
    EXPECT_EQ(e->LitPosition(Chemin("dossier.alv"), rapport), 0);
    EXPECT_EQ(rapport.Etat, lpIllisible);
    EXPECT_EQ(rapport.Erreur, "Impossible de lire " + Chemin("dossier.alv"));
    ASSERT_EQ(mkfifo(Chemin("tube.alv").c_str(), 0600), 0);
    EXPECT_EQ(e->LitPosition(Chemin("tube.alv"), rapport), 0) << "never waits on a FIFO";
    EXPECT_EQ(rapport.Etat, lpIllisible);
}
