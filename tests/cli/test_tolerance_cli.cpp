// alveran-cli tolerance run as a separate program on the default sample: its count against the
// evaluation run in this process, shares adding up, and the refusals (exit status 2).

#include "support/LanceCli.h"
#include "analysis/ToleranceCalcul.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

using lance_cli::Lit;
using lance_cli::TSortie;

const std::string Echantillon = std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv";

/// Runs `alveran-cli tolerance ARGUMENTS` (cut into arguments, no shell).
TSortie Lance(std::string_view arguments) {
    return lance_cli::Lance(std::string("tolerance ").append(arguments));
}

std::string Coup(std::string_view options = {}) {
    std::string texte = Echantillon;
    texte.append(" ").append(options);
    return texte;
}

/// The integer member `nom` of a flat JSON object.
int64_t Entier(const std::string& json, const std::string& nom) {
    const auto p = json.find("\"" + nom + "\":");
    if (p == std::string::npos) throw std::runtime_error("membre absent : " + nom);
    return std::stoll(json.substr(p + nom.size() + 3));
}

} // namespace

TEST(ToleranceCli, CompteCommeLEvaluationSurLeCoupDuFichier) {
    // Wide steps so that the grid holds made and missed points; aim and inclination in degrees.
    const auto r =
        Lance(Coup("--counts 1,0,2,1,1,1 --increments 0.3,0.1,1.5,40,3,150 --threads 2"));
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    EXPECT_EQ(r.Erreurs.rfind("alveran-cli: 405 essais, durée estimée : ", 0), 0u) << r.Erreurs;
    EXPECT_EQ(std::count(r.Erreurs.begin(), r.Erreurs.end(), '\n'), 1) << "the announcement only";
    EXPECT_NE(r.Sortie.find("\"Secondes\":"), std::string::npos);
    EXPECT_EQ(Entier(r.Sortie, "Threads"), 2);

    auto moteur = std::make_unique<TBillardAlveran>();
    ASSERT_EQ(moteur->LitPosition(Echantillon), 1);
    TGrilleTolerance g;
    for (int k = 1; k <= 6; ++k) g.Centres[k - 1] = ParametreNiveau(*moteur, k);
    g.Increments = {0.3, 0.1, 1.5 * std::numbers::pi / 180, 40, 3 * std::numbers::pi / 180, 150};
    g.Nombres = {1, 0, 2, 1, 1, 1};
    const auto attendu = EvalueTolerance(*moteur, g);
    ASSERT_GT(attendu.NbReussis, 0);
    ASSERT_LT(attendu.NbReussis, attendu.NbEssaisTotal);
    EXPECT_EQ(Entier(r.Sortie, "NbReussis"), attendu.NbReussis);
    EXPECT_EQ(Entier(r.Sortie, "NbEssaisTotal"), attendu.NbEssaisTotal);
    EXPECT_EQ(Entier(r.Sortie, "NbEssaisFaits"), attendu.NbEssaisFaits);

    // The game mode reaches the engine: free play makes more of these points.
    const auto libre =
        Lance(Coup("--mode libre --counts 1,0,2,1,1,1 --increments 0.3,0.1,1.5,40,3,150"));
    ASSERT_EQ(libre.Statut, 0) << libre.Erreurs;
    EXPECT_GT(Entier(libre.Sortie, "NbReussis"), attendu.NbReussis);
}

TEST(ToleranceCli, LesPartsFontLaGrilleEntiere) {
    const std::string grille = "--counts 1,1,1,1,0,1 --increments 0.3,0.3,1,40,2,150";
    const auto tout = Lance(Coup(grille));
    ASSERT_EQ(tout.Statut, 0) << tout.Erreurs;
    int64_t reussis = 0, total = 0, faits = 0;
    for (int k = 0; k < 4; ++k) {
        const auto part = Lance(Coup(grille).append(" --shard ").append(std::to_string(k) + "/4"));
        ASSERT_EQ(part.Statut, 0) << part.Erreurs;
        reussis += Entier(part.Sortie, "NbReussis");
        total += Entier(part.Sortie, "NbEssaisTotal");
        faits += Entier(part.Sortie, "NbEssaisFaits");
    }
    EXPECT_EQ(reussis, Entier(tout.Sortie, "NbReussis"));
    EXPECT_EQ(total, Entier(tout.Sortie, "NbEssaisTotal"));
    EXPECT_EQ(faits, Entier(tout.Sortie, "NbEssaisFaits"));
}

TEST(ToleranceCli, RefuseLesMauvaisArgumentsAvecLeStatut2EtRienSurLaSortie) {
    const std::string refus[] = {
        "--counts 0,0,0,0,0,0",                                   // no file
        "/nonexistent/coup.alv",                                  // missing file
        std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv2", // no stroke to vary
        Coup("--counts 1,1,1,1,1"),                               // five counts
        Coup("--counts 1,1,x,1,1,1"),
        Coup("--counts 1,1,101,1,1,1"), // beyond the up-downs
        Coup("--counts 1,,1,1,1,1"),
        Coup("--increments 0.1,0.1,0.1,10,2"),
        Coup("--increments 0.1,0.1,abc,10,2,10"),
        Coup("--increments 0.1,0.1,0.1,10,2,nan"),
        Coup("--shard 3/3"),
        Coup("--shard 1/0"),
        Coup("--shard a/b"),
        Coup("--threads 0"),
        Coup("--mode quatrebandes"),
        Coup("--vite"),
        Coup(Echantillon), // two files
    };
    for (const std::string& arguments : refus) {
        SCOPED_TRACE(arguments);
        const auto r = Lance(arguments);
        EXPECT_EQ(r.Statut, 2);
        EXPECT_EQ(r.Sortie, "");
        EXPECT_EQ(std::count(r.Erreurs.begin(), r.Erreurs.end(), '\n'), 1);
    }
}
