// alveran-cli solve run as a separate program: the same JSON whatever the thread count, shares
// merged into exactly the unsharded result, the JSON's fields against the search run in this
// process, Ctrl+C, the map, and the refusals (exit status 2, nothing on stdout).

#include "support/LanceCli.h"
#include "analysis/RechercheFamilles.h"
#include "cli/SolveJson.h"

#include "support/LanceInterrompu.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using lance_cli::Lit;
using lance_cli::TSortie;

const std::string Echantillon = std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv";
/// Around the route 3-N-O-S-2 of the sample: several routes and families.
const std::string Grille = "--aim -166:-159:0.5 --height 0.615:0.615:1 --speed 500:600:3";

fs::path Temporaire(const std::string& nom) {
    std::string fichier = "alveran-solve-";
    fichier.append(std::to_string(::getpid())).append("-").append(nom);
    return fs::temp_directory_path() / fichier;
}

/// Runs `alveran-cli solve ARGUMENTS` (cut into arguments, no shell).
TSortie Lance(std::string_view arguments) {
    return lance_cli::Lance(std::string("solve ").append(arguments));
}

/// The pieces end to end (GCC 12 warns wrongly, -Wrestrict, on chains of string +).
std::string Texte(std::initializer_list<std::string_view> morceaux) {
    std::string texte;
    for (std::string_view m : morceaux) texte.append(m);
    return texte;
}

std::string Coup(std::string_view options) {
    std::string texte = Echantillon;
    texte.append(" ").append(Grille).append(" ").append(options);
    return texte;
}

/// The JSON without its timing, the one member that may differ between equal results.
json SansTemps(const TSortie& r) {
    EXPECT_EQ(r.Statut, 0) << r.Erreurs;
    json j = json::parse(r.Sortie);
    EXPECT_TRUE(j.contains("Secondes"));
    j.erase("Secondes");
    return j;
}

} // namespace

TEST(SolveCli, TousLesNombresDeThreadsEcriventLeMemeResultat) {
    const json un = SansTemps(Lance(Coup("--threads 1 --cells --min-family 2")));
    EXPECT_EQ(SansTemps(Lance(Coup("--threads 2 --cells --min-family 2"))), un);
    EXPECT_EQ(SansTemps(Lance(Coup("--threads 3 --cells --min-family 2"))), un);
}

TEST(SolveCli, LesPartsFusionneesDonnentExactementLeResultatNonPartage) {
    const json entier = SansTemps(Lance(Coup("--cells --min-family 2 --threads 2")));
    std::string parts;
    std::vector<fs::path> chemins;
    for (int k = 0; k < 3; ++k) {
        const auto r = Lance(Coup(Texte({"--threads 2 --shard ", std::to_string(k), "/3"})));
        ASSERT_EQ(r.Statut, 0) << r.Erreurs;
        chemins.push_back(Temporaire(Texte({"part", std::to_string(k), ".json"})));
        std::ofstream(chemins.back()) << r.Sortie;
        // Given in any order.
        parts.insert(0, Texte({"'", chemins.back().string(), "' "}));
    }
    EXPECT_EQ(SansTemps(Lance(Texte({"--merge ", parts, "--cells --min-family 2"}))), entier);

    // A part missing, given twice, or of another search.
    const std::string p0 = chemins[0].string(), p1 = chemins[1].string(), p2 = chemins[2].string();
    EXPECT_EQ(Lance(Texte({"--merge '", p0, "' '", p1, "'"})).Statut, 2);
    EXPECT_EQ(Lance(Texte({"--merge '", p0, "' '", p0, "' '", p2, "'"})).Statut, 2);
    const auto autre = Lance(Texte({Echantillon, " --aim 0:10:1 --speed 400:400:1 ",
                                    "--effect 0:0:1 --height 0:0:1 --shard 1/3"}));
    ASSERT_EQ(autre.Statut, 0) << autre.Erreurs;
    std::ofstream(chemins[1]) << autre.Sortie;
    const auto melange = Lance(Texte({"--merge ", parts}));
    EXPECT_EQ(melange.Statut, 2);
    EXPECT_EQ(melange.Sortie, "");
    EXPECT_NE(melange.Erreurs.find("autre position ou autre grille"), std::string::npos)
        << melange.Erreurs;
    for (const auto& c : chemins) fs::remove(c);
}

TEST(SolveCli, LeResultatContientLaRechercheDeCeProcessus) {
    const auto r = Lance(Coup("--cells --threads 2"));
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    EXPECT_EQ(r.Erreurs, "") << "no progress when stderr is not a terminal";
    const json j = json::parse(r.Sortie);

    auto moteur = std::make_unique<TBillardAlveran>();
    ASSERT_EQ(moteur->LitPosition(Echantillon), 1);
    TGrilleRecherche g = GrilleRechercheDefaut(3.075);
    g.AngleOx = {-166, -159, 0.5};
    g.Hauteur = {0.615, 0.615, 1};
    g.Vq = {500, 600, 3};
    const TCoupsRecherche coups = ChercheSolutions(*moteur, g, 1);
    const TSolutions s = RoutesEtFamilles(coups, false, MinFamilleDefaut);

    EXPECT_EQ(j["Grille"]["AngleOx"], json::array({-166, -159, 0.5}));
    EXPECT_EQ(j["Grille"]["Vq"], json::array({500, 600, 3}));
    EXPECT_EQ(j["Grille"]["Points"], coups.Dimensions.NbPoints());
    EXPECT_EQ(j["Tires"], coups.Tires);
    EXPECT_EQ(j["Reussis"], coups.Reussis);
    EXPECT_FALSE(j.contains("Interrompu"));
    ASSERT_EQ(j["Routes"].size(), s.Routes.size());
    const TValeursRecherche v = ValeursRecherche(g);
    for (size_t k = 0; k < s.Routes.size(); ++k) {
        const json& route = j["Routes"][k];
        EXPECT_EQ(route["Sequence"], s.Routes[k].Sequence);
        EXPECT_EQ(route["Reussis"], s.Routes[k].Reussis);
        EXPECT_EQ(route["Isoles"], s.Routes[k].Isoles);
        ASSERT_EQ(route["Familles"].size(), s.Routes[k].Familles.size());
        for (size_t n = 0; n < s.Routes[k].Familles.size(); ++n) {
            const json& f = route["Familles"][n];
            const TFamille& attendue = s.Routes[k].Familles[n];
            const auto c = coups.Dimensions.Indices(attendue.Centre);
            EXPECT_EQ(f["Taille"], attendue.Taille);
            EXPECT_EQ(f["Angles"], json::array({v.AnglesDegres[size_t(attendue.AngleDebut)],
                                                v.AnglesDegres[size_t(attendue.AngleFin)]}));
            EXPECT_EQ(f["Centre"]["AngleOx"], v.AnglesDegres[size_t(c[0])]);
            EXPECT_EQ(f["Centre"]["Effet"], v.Effets[size_t(c[1])]);
            EXPECT_EQ(f["Centre"]["Hauteur"], v.Hauteurs[size_t(c[2])]);
            EXPECT_EQ(f["Centre"]["Vq"], v.Vitesses[size_t(c[3])]);
            EXPECT_TRUE(f["D13"].is_number());
            EXPECT_FALSE(f.contains("Tolerance")) << "only with --tolerance";
        }
    }
    ASSERT_EQ(j["Cellules"].size(), s.Coups.size());
    for (size_t k = 0; k < s.Coups.size(); ++k) {
        const auto i = coups.Dimensions.Indices(s.Coups[k].Indice);
        EXPECT_EQ(j["Cellules"][k], json::array({v.AnglesDegres[size_t(i[0])],
                                                 v.Effets[size_t(i[1])], v.Hauteurs[size_t(i[2])],
                                                 v.Vitesses[size_t(i[3])], s.Coups[k].Famille}));
    }
}

TEST(SolveCli, LaToleranceCompteAutourDuCoupCentral) {
    // One scoring stroke, listed alone, keeps the count of 33 275 trials to one stroke.
    const auto r =
        Lance(Texte({Echantillon, " --aim -161.5:-161:0.5 --effect -1.845:-1.845:1 "
                                  "--height 0.615:0.615:1 --speed 550:550:1 --min-family 1 "
                                  "--tolerance 1 --threads 2"}));
    const json j = SansTemps(r);
    ASSERT_EQ(j["Routes"].size(), 1u);
    ASSERT_EQ(j["Routes"][0]["Familles"].size(), 1u);
    const json& f = j["Routes"][0]["Familles"][0];
    ASSERT_TRUE(f.contains("Tolerance"));
    // The central stroke itself scores; not every variation of it does.
    EXPECT_GT(f["Tolerance"].get<int64_t>(), 0);
    EXPECT_LT(f["Tolerance"].get<int64_t>(), 33275);
}

TEST(SolveCli, CtrlCArreteEtDitCeQuiEstFait) {
    // The default grid takes seconds: the signal arrives well before the end.
    const fs::path sortie = Temporaire("int.out");
    const int brut = LanceEtInterromps({"solve", Echantillon, "--threads", "2"}, sortie.string(),
                                       "/dev/null", std::chrono::seconds(1));
    ASSERT_LT(brut, 1000);
    // As a shell reports a program that SIGINT ended, though it printed its partial result.
    EXPECT_EQ(brut, 130);
    const json j = json::parse(Lit(sortie));
    fs::remove(sortie);
    EXPECT_EQ(j["Interrompu"], true);
    EXPECT_GT(j["Tires"].get<int64_t>(), 0);
    EXPECT_LT(j["Tires"].get<int64_t>(), 298080);
    EXPECT_TRUE(j["Routes"].is_array());
}

TEST(SolveCli, LaCarteEstEcriteEnPngOuRefuseeSansLeDessin) {
    const fs::path carte = Temporaire("carte.png");
    const auto r =
        Lance(Coup(Texte({"--map '", carte.string(), "' --map-speed 550 --map-height 0.6"})));
#ifdef ALVERAN_AVEC_DESSIN
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    EXPECT_EQ(r.Erreurs, "");
    EXPECT_EQ(Lit(carte).substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(Lance(Coup("--map /nonexistent-folder/carte.png")).Statut, 2);
#else
    EXPECT_EQ(r.Statut, 2);
    EXPECT_EQ(r.Sortie, "");
    EXPECT_NE(r.Erreurs.find("--map"), std::string::npos);
#endif
    fs::remove(carte);
}

TEST(SolveCli, RefuseLesMauvaisArgumentsAvecLeStatut2EtRienSurLaSortie) {
    for (const std::string& arguments : std::vector<std::string>{
             std::string(Grille), // no file
             Coup("--aim 0:10"),
             Coup("--aim 0:10:0"),
             Coup("--aim 10:0:1"),
             Coup("--aim 0:361:1"), // 0° twice
             Coup("--effect 0:1:0"),
             Coup("--effect 0:1:x"),
             Coup("--speed 0:a:3"),
             Coup("--min-family 0"),
             Coup("--tolerance -1"),
             Coup("--threads 0"),
             Coup("--shard 3/3"),
             Coup("--shard 0/2 --cells"), // the whole result's options go with --merge
             Coup("--map-speed 500 --map-height 0"),
             Coup("--map carte.bmp"),
             Coup("--map x.png --map-speed 500"),
             Coup("--frobnicate"),
             Texte({ALVERAN_SOURCE_DIR, "/samples/defaut.alv2 ", Grille}),
             Texte({"/nonexistent.alv ", Grille}),
             "--merge",
             "--merge /nonexistent.json",
             Texte({"--merge ", Echantillon}), // not a partial result
             "--merge x.json --aim 0:1:1",
         }) {
        const auto r = Lance(arguments);
        EXPECT_EQ(r.Statut, 2) << arguments;
        EXPECT_EQ(r.Sortie, "") << arguments;
        EXPECT_NE(r.Erreurs.find("alveran-cli: "), std::string::npos) << arguments;
    }
}

TEST(SolveCli, LesValeursDeLaGrilleSEcriventCommeTapees) {
    // The default effect axis is ±0.8 R, and an aim of 0.1° steps from −166: no value of the
    // grid carries the binary noise of its computation (2.4600000000000004, −165.70000000000002).
    const auto r =
        Lance(Texte({Echantillon, " --aim -166:-159:0.1 --speed 550:550:1 --threads 2"}));
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    const json j = json::parse(r.Sortie);
    EXPECT_EQ(j["Grille"]["Effet"], json::parse("[-2.46, 2.46, 9]"));
    // Printed back, each value is a decimal of a few digits.
    const auto court = [](const json& v) { return v.dump().size() <= 8; };
    int familles = 0;
    for (const json& route : j.at("Routes"))
        for (const json& f : route.at("Familles")) {
            ++familles;
            EXPECT_TRUE(court(f["Angles"][0]) && court(f["Angles"][1])) << f.dump();
            for (const char* cle : {"AngleOx", "Effet", "Hauteur", "Vq"})
                EXPECT_TRUE(court(f["Centre"][cle])) << f.dump();
        }
    EXPECT_GT(familles, 0);
}

TEST(SolveCli, LesPartsModifieesSontRefuseesAvecLaRaison) {
    // Two shares of a grid that scores; the second is the one edited.
    std::vector<std::string> parts;
    for (int k = 0; k < 2; ++k) {
        const auto r = Lance(Coup(Texte({"--threads 2 --shard ", std::to_string(k), "/2"})));
        ASSERT_EQ(r.Statut, 0) << r.Erreurs;
        parts.push_back(r.Sortie);
    }
    const fs::path p0 = Temporaire("edite0.json"), p1 = Temporaire("edite1.json");
    std::ofstream(p0) << parts[0];
    const auto fusion = [&](const std::string& texte) {
        std::ofstream(p1, std::ios::trunc) << texte;
        return Lance(Texte({"--merge '", p0.string(), "' '", p1.string(), "'"}));
    };
    ASSERT_EQ(fusion(parts[1]).Statut, 0);

    // The part without its digest: its JSON object as it was before it was signed.
    json j = json::parse(parts[1]);
    ASSERT_TRUE(j.contains("Empreinte"));
    ASSERT_GT(j.at("Reussis").get<int64_t>(), 1);
    const std::string empreinte = j.at("Empreinte").get<std::string>();
    j.erase("Empreinte");

    struct TCas {
        const char* Quoi;
        std::function<void(json&)> Edite;
        std::string Raison; ///< of the re-signed part
    };
    const TCas cas[] = {
        {"Reussis + 1", [](json& p) { p["Reussis"] = p["Reussis"].get<int64_t>() + 1; },
         "Reussis = "},
        {"Tires above the share's strokes",
         [](json& p) { p["Tires"] = p["Grille"]["Points"].get<int64_t>(); }, "Tires = "},
        {"a cell removed", [](json& p) { p["Coups"].erase(p["Coups"].size() - 1); }, ""},
        {"a cell of the other share",
         [](json& p) { p["Coups"][0][0] = p["Coups"][0][0].get<int64_t>() - 16; },
         "hors des blocs de la part"},
        {"a cell given twice", [](json& p) { p["Coups"].push_back(p["Coups"][0]); }, ""},
        {"sequences reversed",
         [](json& p) {
             auto s = p["Sequences"].get<std::vector<std::string>>();
             std::reverse(s.begin(), s.end());
             p["Sequences"] = s;
         },
         "séquences hors de l'ordre"},
        {"negative seconds", [](json& p) { p["Secondes"] = -5.0; }, "durée négative"},
    };
    for (const TCas& c : cas) {
        SCOPED_TRACE(c.Quoi);
        json edite = j;
        c.Edite(edite);
        // With its old digest: changed since it was written.
        std::string texte = edite.dump();
        texte.pop_back();
        texte.append(",\"Empreinte\":\"").append(empreinte).append("\"}\n");
        auto r = fusion(texte);
        EXPECT_EQ(r.Statut, 2);
        EXPECT_EQ(r.Sortie, "");
        EXPECT_NE(r.Erreurs.find("modifiée depuis son écriture"), std::string::npos) << r.Erreurs;
        // Signed again by the forger: what it claims does not hold together.
        r = fusion(AvecEmpreinte(edite.dump()) + "\n");
        EXPECT_EQ(r.Statut, 2);
        EXPECT_EQ(r.Sortie, "");
        EXPECT_NE(r.Erreurs.find(p1.string() + " : "), std::string::npos) << r.Erreurs;
        if (!c.Raison.empty()) {
            EXPECT_NE(r.Erreurs.find(c.Raison), std::string::npos) << r.Erreurs;
        }
    }
    // A part of an older version, without a digest.
    const auto r = fusion(j.dump() + "\n");
    EXPECT_EQ(r.Statut, 2);
    EXPECT_NE(r.Erreurs.find("sans empreinte"), std::string::npos) << r.Erreurs;
    fs::remove(p0);
    fs::remove(p1);
}
