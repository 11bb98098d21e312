// alveran-cli chance as a user runs it: the JSON of a preset and of spreads given one by one,
// the same result on any number of threads, and the refusals (exit status 2).

#include "support/LanceCli.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

const std::string Echantillon = std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv";

lance_cli::TSortie Chance(std::string_view options) {
    return lance_cli::Lance("chance " + Echantillon + " " + std::string(options));
}

json Resultat(std::string_view options) {
    const lance_cli::TSortie s = Chance(options);
    EXPECT_EQ(s.Statut, 0) << s.Erreurs;
    json j = json::parse(s.Sortie);
    EXPECT_GE(j["Secondes"].get<double>(), 0.0);
    j.erase("Secondes");
    return j;
}

} // namespace

TEST(ChanceCli, PresetPlayerGivesItsSpreadsCountsAndInterval) {
    const json j = Resultat("--player maitre --samples 400");
    EXPECT_EQ(j["Joueur"]["Nom"], "Maître");
    EXPECT_EQ(j["Joueur"]["EcartAngle"], 0.2);
    EXPECT_EQ(j["Joueur"]["EcartProcede"], 0.1);
    EXPECT_EQ(j["Joueur"]["EcartVitesse"], 3.0);
    EXPECT_EQ(j["Essais"], 400);
    const double p = j["Probabilite"];
    EXPECT_DOUBLE_EQ(p, j["Reussis"].get<double>() / 400.0);
    EXPECT_LT(j["Intervalle"][0].get<double>(), p);
    EXPECT_GT(j["Intervalle"][1].get<double>(), p);
    EXPECT_EQ(j["FaussesQueues"], 0);
    // Without --player: "Joueur de club", less steady, so no better on the same draws.
    const json club = Resultat("--samples 400");
    EXPECT_EQ(club["Joueur"]["Nom"], "Joueur de club");
    EXPECT_LT(club["Reussis"].get<int>(), j["Reussis"].get<int>());
}

TEST(ChanceCli, SpreadsGivenOneByOneOverrideThePresetAndZeroMeansNoError) {
    const json seuls = Resultat("--sigma-aim 0 --samples 50");
    EXPECT_EQ(seuls["Joueur"]["Nom"], "personnalise");
    EXPECT_EQ(seuls["Joueur"]["EcartProcede"], 0.0);
    // No error at all: the file's stroke, which scores, every time.
    EXPECT_EQ(seuls["Reussis"], 50);
    EXPECT_EQ(seuls["Probabilite"], 1.0);
    const json mixte = Resultat("--player debutant --sigma-tip 0.05 --samples 50");
    EXPECT_EQ(mixte["Joueur"]["Nom"], "personnalise");
    EXPECT_EQ(mixte["Joueur"]["EcartAngle"], 1.0);
    EXPECT_EQ(mixte["Joueur"]["EcartProcede"], 0.05);
}

TEST(ChanceCli, AnyThreadCountWritesTheSameResult) {
    const json un = Resultat("--samples 300 --seed 5 --threads 1");
    EXPECT_EQ(Resultat("--samples 300 --seed 5 --threads 2"), un);
    EXPECT_EQ(Resultat("--samples 300 --seed 5 --threads 3"), un);
}

TEST(ChanceCli, RefusesBadArgumentsWithStatus2AndNothingOnStdout) {
    for (const char* mauvais :
         {"--player champion", "--sigma-aim -1", "--sigma-tip x", "--samples 0", "--seed -3",
          "--threads 0", "--inconnue"}) {
        const lance_cli::TSortie s = Chance(mauvais);
        EXPECT_EQ(s.Statut, 2) << mauvais;
        EXPECT_TRUE(s.Sortie.empty()) << mauvais;
        EXPECT_FALSE(s.Erreurs.empty()) << mauvais;
    }
    const lance_cli::TSortie alv2 =
        lance_cli::Lance("chance " + std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv2");
    EXPECT_EQ(alv2.Statut, 2);
}
