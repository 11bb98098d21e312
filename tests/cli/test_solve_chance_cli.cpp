// alveran-cli solve --chance: the families' safest strokes and the safest list, the same on
// any number of threads and after merging shares, and the options it refuses.

#include "support/LanceCli.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

const std::string Echantillon = std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv";
/// Around the largest families of the sample: 720 strokes.
const std::string Grille = " --aim -166:-158:0.5 --effect -2:2:5 --height -1:1.5:3 "
                           "--speed 350:550:3 ";
const std::string Chance = " --min-family 1 --chance --samples 150 --chance-families 4 ";

lance_cli::TSortie Solve(const std::string& arguments) {
    return lance_cli::Lance("solve " + arguments);
}

json SansTemps(const lance_cli::TSortie& s) {
    EXPECT_EQ(s.Statut, 0) << s.Erreurs;
    json j = json::parse(s.Sortie);
    j.erase("Secondes");
    return j;
}

} // namespace

TEST(SolveChanceCli, LesFamillesGagnentLeurCoupLePlusSurEtLesPlusSursSontListes) {
    const json j = SansTemps(Solve(Echantillon + Grille + Chance + "--best 3 --cells"));
    EXPECT_EQ(j["Joueur"]["Nom"], "Joueur de club");
    ASSERT_EQ(j["PlusSurs"].size(), 3u);
    double precedente = 2;
    for (const json& p : j["PlusSurs"]) {
        const double probabilite = p["Probabilite"];
        EXPECT_LE(probabilite, precedente);
        precedente = probabilite;
        // Famille is the number --cells gives the family's strokes; its sequence is its
        // route's, and the family there carries the same chance.
        bool trouvee = false;
        for (const json& route : j["Routes"])
            for (const json& f : route["Familles"])
                if (f.contains("Chance") && f["Chance"]["Coup"] == p["Coup"]) {
                    trouvee = true;
                    EXPECT_EQ(route["Sequence"], p["Sequence"]);
                    EXPECT_EQ(f["Chance"]["Probabilite"], probabilite);
                    EXPECT_GE(probabilite, f["Chance"]["ProbabiliteCentre"].get<double>());
                }
        EXPECT_TRUE(trouvee);
        int cellules = 0;
        for (const json& c : j["Cellules"]) cellules += c[4] == p["Famille"] ? 1 : 0;
        EXPECT_GE(cellules, 1);
    }
    // Only the families asked for are given a chance.
    int avecChance = 0;
    for (const json& route : j["Routes"])
        for (const json& f : route["Familles"]) avecChance += f.contains("Chance") ? 1 : 0;
    EXPECT_EQ(avecChance, 4);
}

TEST(SolveChanceCli, LesThreadsEtLesPartsFusionneesDonnentLesMemesChances) {
    const json un = SansTemps(Solve(Echantillon + Grille + Chance + "--threads 1"));
    EXPECT_EQ(SansTemps(Solve(Echantillon + Grille + Chance + "--threads 3")), un);
    const fs::path dossier =
        fs::temp_directory_path() / ("alveran-chance-" + std::to_string(::getpid()));
    fs::create_directories(dossier);
    std::string parts;
    for (int k = 0; k < 2; ++k) {
        const lance_cli::TSortie s =
            Solve(Echantillon + Grille + "--threads 2 --shard " + std::to_string(k) + "/2");
        ASSERT_EQ(s.Statut, 0) << s.Erreurs;
        const fs::path chemin = dossier / ("part" + std::to_string(k) + ".json");
        std::ofstream(chemin) << s.Sortie;
        parts += " '" + chemin.string() + "'";
    }
    EXPECT_EQ(SansTemps(Solve("--merge" + parts + Chance + "--threads 2")), un);
    fs::remove_all(dossier);
}

TEST(SolveChanceCli, LesOptionsDuJoueurDemandentLaChanceQuiVaAvecLeResultatEntier) {
    for (const std::string& mauvais :
         {Grille + "--best 3", Grille + "--player club", Grille + "--samples 10",
          Grille + "--chance --shard 0/2", Grille + "--chance --best 0",
          Grille + "--chance --player roi"}) {
        const lance_cli::TSortie s = Solve(Echantillon + mauvais);
        EXPECT_EQ(s.Statut, 2) << mauvais;
        EXPECT_TRUE(s.Sortie.empty()) << mauvais;
    }
}
