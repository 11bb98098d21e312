// alveran-cli tolerance run as a separate program: its count against the evaluation run in
// this process on the same stroke, shares adding up, and the refusals (exit status 2).

#include "analysis/ToleranceCalcul.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct TSortie {
    int Statut = -1;
    std::string Sortie;
    std::string Erreurs;
};

std::string Lit(const fs::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

class ToleranceCli : public ::testing::Test {
  protected:
    void SetUp() override {
        Dossier = fs::temp_directory_path() /
                  ("alveran-tol-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dossier);
        EcritCoup(Dossier / "coup.alv");
    }
    void TearDown() override { fs::remove_all(Dossier); }

    /// The default position and stroke, written with round-trip digits.
    static void EcritCoup(const fs::path& chemin) {
        std::ofstream f(chemin, std::ios::binary);
        char ligne[96];
        auto cle = [&](const char* nom, double v) {
            std::snprintf(ligne, sizeof ligne, "%s=%.17g\r\n", nom, v);
            f << ligne;
        };
        const auto m = Reference();
        f << "[Queue]\r\n";
        cle("Vq", m->Vq);
        cle("m", m->m);
        cle("AngleOx", m->AngleOx);
        cle("AngleTapis", m->AngleTapis);
        cle("Effet", m->Effet);
        cle("Hauteur", m->Hauteur);
        f << "[Positions]\r\n";
        const char* noms[3][3] = {
            {"P1x", "P1y", "P1z"}, {"P2x", "P2y", "P2z"}, {"P3x", "P3y", "P3z"}};
        for (int b = 1; b <= 3; ++b) {
            cle(noms[b - 1][0], m->Trajets[b][0].Position.x);
            cle(noms[b - 1][1], m->Trajets[b][0].Position.y);
            cle(noms[b - 1][2], m->Trajets[b][0].Position.z);
        }
    }

    /// The engine the file describes.
    static std::unique_ptr<TBillardAlveran> Reference() {
        constexpr double Diamant = 35.5625;
        auto m = std::make_unique<TBillardAlveran>();
        m->Trajets[1][0].Position = Vecteur(0.514 * Diamant, -2 * Diamant, 3.075);
        m->Trajets[2][0].Position = Vecteur(0, 2 * Diamant, 3.075);
        m->Trajets[3][0].Position = Vecteur(0, -2 * Diamant, 3.075);
        m->Effet = 0.621910112359551;
        m->Hauteur = 1.1747191011236;
        m->Vq = 430;
        m->m = 520;
        m->AngleOx = 98.64 * std::numbers::pi / 180;
        return m;
    }

    TSortie Lance(const std::string& arguments) const {
        const fs::path sortie = Dossier / "stdout", erreurs = Dossier / "stderr";
        // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on chains of string +.
        std::string commande = "'";
        commande.append(ALVERAN_CLI).append("' tolerance ").append(arguments);
        commande.append(" >'").append(sortie.string()).append("' 2>'");
        commande.append(erreurs.string()).append("'");
        const int brut = std::system(commande.c_str());
        TSortie r;
        r.Statut = WIFEXITED(brut) ? WEXITSTATUS(brut) : -1;
        r.Sortie = Lit(sortie);
        r.Erreurs = Lit(erreurs);
        return r;
    }

    /// The shot file, quoted for the shell, followed by `options`.
    std::string Coup(std::string_view options = {}) const {
        std::string texte = "'";
        texte.append((Dossier / "coup.alv").string()).append("' ").append(options);
        return texte;
    }

    fs::path Dossier;
};

/// The integer member `nom` of a flat JSON object.
int64_t Entier(const std::string& json, const std::string& nom) {
    const auto p = json.find("\"" + nom + "\":");
    if (p == std::string::npos) throw std::runtime_error("membre absent : " + nom);
    return std::stoll(json.substr(p + nom.size() + 3));
}

} // namespace

TEST_F(ToleranceCli, CountsWhatTheEvaluationCountsOnTheFileStroke) {
    // Wide aim, inclination and mass steps so that the grid holds made and missed points;
    // the aim and inclination increments are typed in degrees.
    const auto r =
        Lance(Coup("--counts 1,0,2,1,1,1 --increments 0.3,0.1,1.5,40,3,150 --threads 2"));
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    EXPECT_EQ(r.Erreurs, "");
    for (const char* nom : {"NbReussis", "NbEssaisTotal", "NbEssaisFaits", "Secondes", "Threads"})
        EXPECT_NE(r.Sortie.find(std::string("\"") + nom + "\":"), std::string::npos) << nom;
    EXPECT_EQ(Entier(r.Sortie, "Threads"), 2);

    auto moteur = Reference();
    TGrilleTolerance g;
    g.Centres = {moteur->Effet, moteur->Hauteur,    moteur->AngleOx,
                 moteur->Vq,    moteur->AngleTapis, moteur->m};
    g.Increments = {0.3, 0.1, 1.5 * std::numbers::pi / 180, 40, 3 * std::numbers::pi / 180, 150};
    g.Nombres = {1, 0, 2, 1, 1, 1};
    const auto attendu = EvalueTolerance(*moteur, g);
    ASSERT_GT(attendu.NbReussis, 0);
    ASSERT_LT(attendu.NbReussis, attendu.NbEssaisTotal);
    EXPECT_EQ(Entier(r.Sortie, "NbReussis"), attendu.NbReussis);
    EXPECT_EQ(Entier(r.Sortie, "NbEssaisTotal"), attendu.NbEssaisTotal);
    EXPECT_EQ(Entier(r.Sortie, "NbEssaisFaits"), attendu.NbEssaisFaits);

    // The game mode reaches the engine: free play makes at least as many points.
    const auto libre =
        Lance(Coup("--mode libre --counts 1,0,2,1,1,1 --increments 0.3,0.1,1.5,40,3,150"));
    ASSERT_EQ(libre.Statut, 0) << libre.Erreurs;
    EXPECT_GT(Entier(libre.Sortie, "NbReussis"), attendu.NbReussis);
}

TEST_F(ToleranceCli, SharesAddUpToTheWholeGrid) {
    const std::string grille = "--counts 1,1,1,1,0,1 --increments 0.3,0.3,1,40,2,150";
    const auto tout = Lance(Coup(grille).append(" --threads 1"));
    ASSERT_EQ(tout.Statut, 0) << tout.Erreurs;
    int64_t reussis = 0, total = 0, faits = 0;
    for (int k = 0; k < 4; ++k) {
        const auto part =
            Lance(Coup(grille).append(" --shard ").append(std::to_string(k)).append("/4"));
        ASSERT_EQ(part.Statut, 0) << part.Erreurs;
        reussis += Entier(part.Sortie, "NbReussis");
        total += Entier(part.Sortie, "NbEssaisTotal");
        faits += Entier(part.Sortie, "NbEssaisFaits");
    }
    EXPECT_EQ(reussis, Entier(tout.Sortie, "NbReussis"));
    EXPECT_EQ(total, Entier(tout.Sortie, "NbEssaisTotal"));
    EXPECT_EQ(faits, Entier(tout.Sortie, "NbEssaisFaits"));
}

TEST_F(ToleranceCli, EmptyGridIsOneTrial) {
    const auto r = Lance(Coup("--counts 0,0,0,0,0,0"));
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    EXPECT_EQ(Entier(r.Sortie, "NbEssaisTotal"), 1);
    EXPECT_EQ(Entier(r.Sortie, "NbEssaisFaits"), 1);
    EXPECT_EQ(Entier(r.Sortie, "NbReussis"), 1); // the default shot makes its point
}

TEST_F(ToleranceCli, RefusesBadArgumentsWithStatus2AndNothingOnStdout) {
    std::ofstream(Dossier / "coup.alv2") << "[Positions]\r\n";
    const std::string refus[] = {
        "--counts 0,0,0,0,0,0",            // no file
        (Dossier / "absent.alv").string(), // missing file
        (Dossier / "coup.alv2").string(),  // no stroke to vary
        Coup("--counts 1,1,1,1,1"),        // five counts
        Coup("--counts 1,1,1,1,1,1,1"),
        Coup("--counts 1,1,x,1,1,1"),
        Coup("--counts 1,1,101,1,1,1"), // beyond the up-downs' range
        Coup("--counts 1,1,-1,1,1,1"),
        Coup("--counts 1,1,1.5,1,1,1"),
        Coup("--counts 1,,1,1,1,1"),
        Coup("--increments 0.1,0.1,0.1,10,2"),
        Coup("--increments 0.1,0.1,abc,10,2,10"),
        Coup("--increments 0.1,0.1,0.1,10,2,nan"),
        Coup("--shard 3/3"),
        Coup("--shard 1/0"),
        Coup("--shard -1/2"),
        Coup("--shard 1"),
        Coup("--shard a/b"),
        Coup("--threads 0"),
        Coup("--threads deux"),
        Coup("--counts"),
        Coup("--mode quatrebandes"),
        Coup("--set Inconnue=1"),
        Coup("--vite"),
        Coup(Coup()),
    };
    for (const std::string& arguments : refus) {
        SCOPED_TRACE(arguments);
        const auto r = Lance(arguments);
        EXPECT_EQ(r.Statut, 2);
        EXPECT_EQ(r.Sortie, "");
        EXPECT_NE(r.Erreurs, "");
        EXPECT_EQ(std::count(r.Erreurs.begin(), r.Erreurs.end(), '\n'), 1);
    }
}
