// alveran-cli chance as a user runs it: the JSON of a preset and of spreads given one by one,
// the same result on any number of threads, and the refusals (exit status 2); and the player's
// own spread measured by fit --dispersion.

#include "support/CoupsSynthetiques.h"
#include "support/LanceCli.h"

#include "analysis/Chance.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

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

TEST(ChanceCli, UnJoueurPredefiniDonneSesEcartsSesComptesEtSonIntervalle) {
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

TEST(ChanceCli, LesEcartsDonnesUnParUnRemplacentLePredefiniEtZeroEstSansErreur) {
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

TEST(ChanceCli, TousLesNombresDeThreadsEcriventLeMemeResultat) {
    const json un = Resultat("--samples 300 --seed 5 --threads 1");
    EXPECT_EQ(Resultat("--samples 300 --seed 5 --threads 2"), un);
    EXPECT_EQ(Resultat("--samples 300 --seed 5 --threads 3"), un);
}

TEST(ChanceCli, RefuseLesMauvaisArgumentsAvecLeStatut2EtRienSurLaSortie) {
    for (const char* mauvais : {"--player champion", "--sigma-aim -1", "--sigma-tip x",
                                "--samples 0", "--seed -3", "--threads 0", "--inconnue"}) {
        const lance_cli::TSortie s = Chance(mauvais);
        EXPECT_EQ(s.Statut, 2) << mauvais;
        EXPECT_TRUE(s.Sortie.empty()) << mauvais;
        EXPECT_FALSE(s.Erreurs.empty()) << mauvais;
    }
    const lance_cli::TSortie alv2 =
        lance_cli::Lance("chance " + std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv2");
    EXPECT_EQ(alv2.Statut, 2);
}

TEST(ChanceCli, LaDispersionAjusteeEstLEcartDesCoupsAjustes) {
    const fs::path dossier =
        fs::temp_directory_path() / ("alveran-dispersion-" + std::to_string(::getpid()));
    fs::create_directories(dossier);
    synthetique::TAlea alea(17);
    std::string chemins;
    for (int i = 0; i < 3; ++i) {
        const fs::path p = dossier / ("essai" + std::to_string(i) + ".csv");
        std::ofstream(p) << synthetique::Genere(alea, TPARAMPHYS()).Csv;
        chemins.append(" '").append(p.string()).append("'");
    }
    const lance_cli::TSortie s = lance_cli::Lance("fit" + chemins + " --cutoff 0.8 --dispersion");
    ASSERT_EQ(s.Statut, 0) << s.Erreurs;
    const json j = json::parse(s.Sortie);
    std::vector<TCoupQueue> coups;
    for (const json& k : j.at("Coups")) {
        const json& c = k.at("Queue");
        TCoupQueue q;
        q.AngleOx = c.at("AngleOx").get<double>();
        q.Effet = c.at("Effet").get<double>();
        q.Hauteur = c.at("Hauteur").get<double>();
        q.Vq = c.at("Vq").get<double>();
        coups.push_back(q);
    }
    const TJoueur attendu = DispersionCoups(coups);
    EXPECT_EQ(j["Dispersion"]["Essais"], 3);
    EXPECT_DOUBLE_EQ(j["Dispersion"]["EcartAngle"].get<double>(), attendu.EcartAngle);
    EXPECT_DOUBLE_EQ(j["Dispersion"]["EcartProcede"].get<double>(), attendu.EcartProcede);
    EXPECT_DOUBLE_EQ(j["Dispersion"]["EcartVitesse"].get<double>(), attendu.EcartVitesse);
    // One attempt has no spread: refused.
    const lance_cli::TSortie seul =
        lance_cli::Lance("fit '" + (dossier / "essai0.csv").string() + "' --dispersion");
    EXPECT_EQ(seul.Statut, 2);
    EXPECT_TRUE(seul.Sortie.empty());
    fs::remove_all(dossier);
}
