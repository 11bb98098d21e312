// alveran-cli systeme: the chart's JSON, its picture and its refusals.

#include "support/LanceCli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>

using lance_cli::Lance;

TEST(SystemeCli, LeJsonDuTableauContientChaquePaireEtDesStatistiquesCoherentes) {
    const auto r = Lance("systeme --effect 0.3 --speed lente --threads 2");
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    const auto j = nlohmann::json::parse(r.Sortie);
    EXPECT_EQ(j["Coup"]["Effet"], 0.3);
    EXPECT_EQ(j["Coup"]["Hauteur"], 0);
    EXPECT_EQ(j["Coup"]["Vitesse"], "lente");
    EXPECT_GT(j["Coup"]["Vq"].get<double>(), 0);
    ASSERT_EQ(j["Points"].size(), 43u);
    double somme = 0, max = 0;
    int n = 0;
    for (const auto& p : j["Points"]) {
        EXPECT_GE(p["D"].get<double>() - p["F"].get<double>(), 0.5);
        if (p["T"].is_null()) {
            EXPECT_TRUE(p["Ecart"].is_null());
            continue;
        }
        const double ecart = p["Ecart"].get<double>();
        EXPECT_NEAR(ecart, p["T"].get<double>() - (p["D"].get<double>() - p["F"].get<double>()),
                    1e-12);
        somme += ecart;
        max = std::max(max, std::fabs(ecart));
        ++n;
    }
    ASSERT_GT(n, 0);
    EXPECT_NEAR(j["EcartMoyen"].get<double>(), somme / n, 1e-12);
    EXPECT_NEAR(j["EcartMax"].get<double>(), max, 1e-12);
    const double effet = j["EffetSysteme"]["Effet"].get<double>();
    EXPECT_GE(effet, 0.1 - 1e-9);
    EXPECT_LE(effet, 0.7 + 1e-9);
    EXPECT_GE(j["Secondes"].get<double>(), 0);
}

TEST(SystemeCli, LesConstantesChangentLeTableau) {
    // A livelier cushion sends the ball elsewhere: --set reaches the chart.
    const auto a = nlohmann::json::parse(Lance("systeme").Sortie);
    const auto b = nlohmann::json::parse(Lance("systeme --set FrotBiBde=0.1").Sortie);
    EXPECT_NE(a["EcartMoyen"].get<double>(), b["EcartMoyen"].get<double>());
    const auto m = nlohmann::json::parse(Lance("systeme --preset match").Sortie);
    EXPECT_NE(a["EcartMoyen"].get<double>(), m["EcartMoyen"].get<double>());
}

TEST(SystemeCli, RefuseLesMauvaisCoupsEtLesMauvaisNoms) {
    for (const char* arguments :
         {"systeme --speed vite", "systeme --effect 1.2", "systeme --effect 0.8 --height 0.7",
          "systeme --effect abc", "systeme --out carte.bmp", "systeme --set Inconnue=1",
          "systeme fichier.alv"}) {
        const auto r = Lance(arguments);
        EXPECT_EQ(r.Statut, 2) << arguments;
        EXPECT_TRUE(r.Sortie.empty()) << arguments;
        EXPECT_FALSE(r.Erreurs.empty()) << arguments;
    }
}

#ifdef ALVERAN_AVEC_DESSIN
TEST(SystemeCli, EcritLImageEnPngOuEnSvg) {
    const auto dossier =
        std::filesystem::temp_directory_path() / ("systeme-cli-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dossier);
    const auto png = dossier / "carte.PNG", svg = dossier / "carte.svg";
    ASSERT_EQ(Lance("systeme --out '" + png.string() + "'").Statut, 0);
    ASSERT_EQ(Lance("systeme --out '" + svg.string() + "'").Statut, 0);
    EXPECT_EQ(lance_cli::Lit(png).substr(1, 3), "PNG");
    const std::string texte = lance_cli::Lit(svg);
    EXPECT_NE(texte.find("<svg"), std::string::npos);
    EXPECT_NE(texte.find("Système des diamants"), std::string::npos);
    // A folder that does not exist: an error, not a success.
    const auto r = Lance("systeme --out '" + (dossier / "absent" / "c.png").string() + "'");
    EXPECT_EQ(r.Statut, 2);
    std::filesystem::remove_all(dossier);
}
#endif
