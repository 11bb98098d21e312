// alveran-cli fit run as a separate program on synthetic tracked shots (short cutoff, so that
// it stays quick under the sanitizers): the JSON of a stroke fit and of a constants fit with
// held-out shots, the stroke files it writes, the refusals; and --preset on shot.

#include "support/LanceCli.h"
#include "support/CoupsSynthetiques.h"
#include "support/LanceInterrompu.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using lance_cli::Lit;
using lance_cli::TSortie;

/// A folder of its own for each test, removed at the end.
class FitCli : public ::testing::Test {
  protected:
    void SetUp() override {
        Dossier = fs::temp_directory_path() /
                  ("alveran-fit-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dossier);
    }
    void TearDown() override { fs::remove_all(Dossier); }

    /// Runs `alveran-cli ARGUMENTS` (cut into arguments, no shell).
    TSortie Lance(std::string_view arguments) const { return lance_cli::Lance(arguments); }

    /// `nombre` synthetic tracked shots written as files; their paths, blank-separated.
    std::string Coups(int nombre, uint64_t graine) const {
        synthetique::TAlea alea(graine);
        std::string chemins;
        for (int i = 0; i < nombre; ++i) {
            const fs::path p = Dossier / ("coup" + std::to_string(i) + ".csv");
            std::ofstream(p) << synthetique::Genere(alea, TPARAMPHYS()).Csv;
            chemins.append(" '").append(p.string()).append("'");
        }
        return chemins;
    }

    fs::path Dossier;
};

/// The number after `"nom":` from position `depuis` on.
double Nombre(const std::string& json, const std::string& nom, std::size_t depuis = 0) {
    const auto p = json.find("\"" + nom + "\":", depuis);
    if (p == std::string::npos) throw std::runtime_error("membre absent : " + nom);
    return std::stod(json.substr(p + nom.size() + 3));
}

std::size_t Compte(const std::string& texte, const std::string& motif) {
    std::size_t n = 0;
    for (auto p = texte.find(motif); p != std::string::npos; p = texte.find(motif, p + 1)) ++n;
    return n;
}

} // namespace

TEST_F(FitCli, AjusteChaqueCoupEtEcritSonFichierDeCoup) {
    const auto r = Lance("fit" + Coups(2, 5) + " --cutoff 0.8 --threads 2 --out-alv '" +
                         (Dossier / "alv").string() + "'");
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    EXPECT_EQ(r.Erreurs, ""); // not a terminal: no progress
    EXPECT_EQ(Compte(r.Sortie, "\"Fichier\":"), 2u);
    for (const char* cle :
         {"\"Queue\":{\"Vq\":", "\"m\":520,", "\"AngleOx\":", "\"AngleTapis\":0,", "\"Effet\":",
          "\"Hauteur\":", "\"DecalageFrappe\":", "\"Evaluations\":", "\"OrdreRespecte\":true",
          "\"RmseMedianeAvant\":", "\"NbOrdreNonRespecte\":0,", "\"Secondes\":"})
        EXPECT_NE(r.Sortie.find(cle), std::string::npos) << cle;
    EXPECT_EQ(r.Sortie.find("\"Constantes\""), std::string::npos);
    EXPECT_LT(Nombre(r.Sortie, "RmseMedianeApres"), 0.6);
    EXPECT_LT(Nombre(r.Sortie, "RmseApres"), Nombre(r.Sortie, "RmseAvant"));

    // The stroke file holds the fitted stroke and start places of the JSON.
    TBillardAlveran moteur;
    ASSERT_EQ(moteur.LitPosition((Dossier / "alv" / "coup0.alv").string()), 1);
    EXPECT_NEAR(moteur.Coup.Vq, Nombre(r.Sortie, "Vq"), 1e-9 * moteur.Coup.Vq);
    const auto positions = r.Sortie.find("\"Positions\":[[");
    ASSERT_NE(positions, std::string::npos);
    EXPECT_NEAR(moteur.Trajets[1][0].Position.x, std::stod(r.Sortie.substr(positions + 14)), 1e-9);
    EXPECT_TRUE(fs::exists(Dossier / "alv" / "coup1.alv"));
}

TEST_F(FitCli, AjusteUneConstanteEtEvalueLesCoupsGardesAPart) {
    const auto r =
        Lance("fit" + Coups(3, 6) + " --cutoff 0.6 --constants ElastBiBde --holdout 0.34 --seed 4");
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    const auto hors = r.Sortie.find("\"HorsAjustement\":{\"Coups\":[");
    ASSERT_NE(hors, std::string::npos);
    // Two shots fitted, one held out.
    EXPECT_EQ(Compte(r.Sortie.substr(0, hors), "\"Fichier\":"), 2u);
    EXPECT_EQ(Compte(r.Sortie.substr(hors), "\"Fichier\":"), 1u);
    const double e = Nombre(r.Sortie, "ElastBiBde");
    EXPECT_GE(e, 0.4);
    EXPECT_LE(e, 1.0);
    for (const char* cle : {"RmseMoyenneAvant", "RmseMoyenneApres", "RmseMedianeApres"})
        EXPECT_NO_THROW(Nombre(r.Sortie, cle)) << cle;
    EXPECT_NO_THROW(Nombre(r.Sortie, "RmseMedianeApres", hors));
    // The in-sample median can only improve on the start values' fits.
    EXPECT_LE(Nombre(r.Sortie, "RmseMedianeApres"), Nombre(r.Sortie, "RmseMedianeAvant"));
}

TEST_F(FitCli, LeResultatNeDependPasDuNombreDeThreads) {
    const std::string coups = Coups(3, 8);
    const auto un = Lance("fit" + coups + " --cutoff 0.6 --threads 1");
    const auto deux = Lance("fit" + coups + " --cutoff 0.6 --threads 2");
    ASSERT_EQ(un.Statut, 0) << un.Erreurs;
    const auto sansDuree = [](const std::string& json) {
        return json.substr(0, json.find("\"Secondes\""));
    };
    EXPECT_EQ(sansDuree(un.Sortie), sansDuree(deux.Sortie));
}

TEST_F(FitCli, CtrlCArreteEtEcritCeQuiEstFait) {
    // A fit of five constants over several long shots lasts far longer than the moment before
    // SIGINT.
    const fs::path sortie = Dossier / "sortie", erreurs = Dossier / "erreurs";
    std::vector<std::string> arguments = {"fit"};
    Coups(6, 9);
    for (int i = 0; i < 6; ++i)
        arguments.push_back((Dossier / ("coup" + std::to_string(i) + ".csv")).string());
    for (const char* a :
         {"--constants", "ElastBiBde,FrotBiBde,FrotBiTapRoule,FrotBiTapGlisse,ElastBiBi",
          "--threads", "2", "--out-alv"})
        arguments.push_back(a);
    arguments.push_back((Dossier / "alv").string());
    const auto avant = std::chrono::steady_clock::now();
    const int brut = LanceEtInterromps(arguments, sortie.string(), erreurs.string(),
                                       std::chrono::milliseconds(400));
    const std::chrono::duration<double> duree = std::chrono::steady_clock::now() - avant;
    ASSERT_LT(brut, 1000) << "ended by the signal itself";
    EXPECT_EQ(brut, 130) << Lit(erreurs);
    EXPECT_LT(duree.count(), 30.0) << "the fit did not stop soon after SIGINT";
    EXPECT_EQ(Lit(erreurs), ""); // not a terminal: no progress
    const std::string json = Lit(sortie);
    EXPECT_NE(json.find("\"Interrompu\":true"), std::string::npos) << json;
    EXPECT_EQ(Compte(json, "\"Fichier\":"), 6u) << json;
    EXPECT_NO_THROW(Nombre(json, "ElastBiBde")) << json;
    EXPECT_NO_THROW(Nombre(json, "Secondes")) << json;
    EXPECT_TRUE(json.ends_with("}\n")) << json;
    // Strokes that were never fitted are written to no stroke file.
    EXPECT_FALSE(fs::exists(Dossier / "alv" / "coup0.alv"));
    // Nor are they perfect fits: null, and out of every statistic.
    EXPECT_EQ(json.find("\"RmseApres\":0,"), std::string::npos) << json;
    EXPECT_EQ(json.find("\"RmseAvant\":0,"), std::string::npos) << json;
    EXPECT_EQ(json.find("\"RmseMedianeApres\":0,"), std::string::npos) << json;
}

TEST_F(FitCli, RefuseLesMauvaisesEntrees) {
    const fs::path mauvais = Dossier / "mauvais.csv";
    std::ofstream(mauvais) << "t,bille,x,y\n0,1,0,0\n0.02,4,0,1\n";
    struct TCas {
        std::string Arguments;
        std::string Erreur;
    };
    const TCas cas[] = {
        {"fit '" + mauvais.string() + "'",
         "alveran-cli: " + mauvais.string() +
             " : ligne 3 : bille inconnue « 4 » (1, 2 ou 3 attendu)\n"},
        {"fit", "alveran-cli: fichier de trajectoire mesurée manquant\n"},
        {"fit x.csv --holdout 0.3",
         "alveran-cli: --holdout demande --constants : seul un ajustement des constantes garde "
         "des coups à part\n"},
        {"fit x.csv --constants ElastBiBde,Elasticite",
         "alveran-cli: --constants : constante physique inconnue : 'Elasticite'\n"},
        {"fit x.csv --constants PerteRotationBande",
         "alveran-cli: --constants : PerteRotationBande doit être positive pour être ajustée "
         "(elle varie entre la moitié et une fois et demie sa valeur de départ ; donnez-lui des "
         "bornes NOM=BAS:HAUT)\n"},
        {"fit x.csv --constants FrotBiBde=0.4:0.2",
         "alveran-cli: --constants : FrotBiBde : bornes BAS:HAUT finies avec BAS < HAUT "
         "attendues\n"},
        {"fit x.csv --constants FrotBiBde=0.2",
         "alveran-cli: --constants : NOM=BAS:HAUT attendu, pas 'FrotBiBde=0.2'\n"},
        {"fit x.csv --constants FrotBiBde=a:0.2",
         "alveran-cli: valeur incorrecte pour FrotBiBde : 'a'\n"},
        {"fit x.csv --cutoff -1", "alveran-cli: --cutoff : durée positive attendue, pas '-1'\n"},
        {"fit x.csv --criterion max",
         "alveran-cli: --criterion : median ou mean attendu, pas 'max'\n"},
        {"fit x.csv --frobnicate", "alveran-cli: option inconnue : --frobnicate\n"},
        {"fit '" + (Dossier / "absent.csv").string() + "'",
         "alveran-cli: fichier introuvable ou illisible : " + (Dossier / "absent.csv").string() +
             "\n"},
    };
    for (const TCas& c : cas) {
        const auto r = Lance(c.Arguments);
        EXPECT_EQ(r.Statut, 2) << c.Arguments;
        EXPECT_EQ(r.Sortie, "") << c.Arguments;
        EXPECT_EQ(r.Erreurs, c.Erreur) << c.Arguments;
    }
}

TEST_F(FitCli, PresetMatchPourLeCoupEtLaTolerance) {
    const std::string coup = "'" + std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv'";
    const auto defaut = Lance("shot " + coup);
    const auto match = Lance("shot " + coup + " --preset match");
    ASSERT_EQ(match.Statut, 0) << match.Erreurs;
    EXPECT_NE(match.Sortie, defaut.Sortie);
    // The five measured values by hand give the same shot; a later option wins.
    EXPECT_EQ(Lance("shot " + coup +
                    " --set ElastBiBde=0.85 --set FrotBiBde=0.285 --set FrotBiTapRoule=0.0063 "
                    "--set FrotBiTapGlisse=0.18 --set ElastBiBi=0.885")
                  .Sortie,
              match.Sortie);
    EXPECT_EQ(Lance("shot " + coup + " --set FrotBiBi=0.5 --preset match").Sortie, match.Sortie);
    EXPECT_EQ(Lance("shot " + coup + " --preset match --preset defaut").Sortie, defaut.Sortie);
    EXPECT_EQ(Lance("tolerance " + coup + " --preset match --counts 0,0,0,0,0,0").Statut, 0);
    const auto inconnu = Lance("shot " + coup + " --preset salon");
    EXPECT_EQ(inconnu.Statut, 2);
    EXPECT_EQ(inconnu.Erreurs, "alveran-cli: préréglage inconnu : 'salon' (match ou defaut)\n");
}

// ---------------------------------------------------------------------------------------
// Outputs checked before the fit; results that never lie

TEST_F(FitCli, LesFichiersDeCoupSontVerifiesAvantLAjustement) {
    Coups(1, 5);
    const fs::path csv = Dossier / "coup0.csv";
    const std::string original = Lit(csv);
    // A planted link DIR/NAME.alv onto the tracked file that is read.
    fs::create_directories(Dossier / "alv");
    fs::create_symlink(csv, Dossier / "alv" / "coup0.alv");
    auto r = Lance("fit '" + csv.string() + "' --cutoff 0.6 --out-alv '" +
                   (Dossier / "alv").string() + "'");
    EXPECT_EQ(r.Statut, 2);
    EXPECT_EQ(r.Sortie, "");
    EXPECT_NE(r.Erreurs.find("désigne un fichier que la commande lit"), std::string::npos)
        << r.Erreurs;
    EXPECT_EQ(Lit(csv), original);

    // A FIFO, a read-only file and a read-only folder are refused at once: no fit is started,
    // so the refusal comes within a second.
    fs::create_directories(Dossier / "tube");
    ASSERT_EQ(mkfifo((Dossier / "tube" / "coup0.alv").c_str(), 0600), 0);
    fs::create_directories(Dossier / "lecture");
    std::ofstream(Dossier / "lecture" / "coup0.alv") << "[Queue]\n";
    fs::permissions(Dossier / "lecture" / "coup0.alv", fs::perms(0444));
    fs::create_directories(Dossier / "protege");
    fs::permissions(Dossier / "protege", fs::perms(0555));
    for (const char* dossier : {"tube", "lecture", "protege"}) {
        SCOPED_TRACE(dossier);
        const auto debut = std::chrono::steady_clock::now();
        r = Lance("fit '" + csv.string() + "' --out-alv '" + (Dossier / dossier).string() + "'");
        EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
        EXPECT_EQ(r.Statut, 2);
        EXPECT_EQ(r.Sortie, "");
        EXPECT_NE(r.Erreurs.find("--out-alv : " + (Dossier / dossier / "coup0.alv").string()),
                  std::string::npos)
            << r.Erreurs;
    }
    fs::permissions(Dossier / "protege", fs::perms::owner_all);
}

TEST_F(FitCli, UnNomQuiNEstPasDeLUtf8DonneUnJsonValide) {
    Coups(1, 5);
    const fs::path latin1 = Dossier / "caf\xE9\x1B[2J.csv";
    fs::rename(Dossier / "coup0.csv", latin1);
    const auto r = Lance("fit '" + latin1.string() + "' --cutoff 0.6");
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    const auto json = nlohmann::json::parse(r.Sortie); // throws on invalid UTF-8
    // Read as Latin-1: é, and the escape character as \u001b.
    EXPECT_EQ(json.at("Coups").at(0).at("Fichier").get<std::string>(),
              (Dossier / "caf\xC3\xA9\x1B[2J.csv").string());
    EXPECT_NE(r.Sortie.find("\\u001b[2J"), std::string::npos);
}

TEST_F(FitCli, PeuDeDonneesNeDonnentPasUnAjustementParfait) {
    synthetique::TAlea alea(5);
    const std::string csv = synthetique::Genere(alea, TPARAMPHYS()).Csv;
    const auto ecrit = [&](const std::string& nom, const std::string& texte) {
        std::ofstream(Dossier / nom) << texte;
        return "'" + (Dossier / nom).string() + "'";
    };
    // One stray object-ball sample long before the shot; the same at -1e308.
    const std::string entete = "t,bille,x,y\n";
    const std::string isole =
        ecrit("isole.csv", entete + "-10,2,0,0\n" + csv.substr(entete.size()));
    const std::string enorme =
        ecrit("enorme.csv", entete + "-1e308,2,0,0\n" + csv.substr(entete.size()));
    for (const std::string& fichier : {isole, enorme}) {
        const auto r = Lance("fit " + fichier + " --cutoff 0.6");
        EXPECT_EQ(r.Statut, 2) << fichier;
        EXPECT_EQ(r.Sortie, "");
        EXPECT_NE(r.Erreurs.find("ligne 2 : temps "), std::string::npos) << r.Erreurs;
        EXPECT_NE(r.Erreurs.find("loin de tous les autres relevés"), std::string::npos)
            << r.Erreurs;
    }
    // Times in milliseconds: a frame every 20 "s".
    std::string millisecondes = entete;
    for (int k = 0; k < 40; ++k)
        for (int b = 1; b <= 3; ++b)
            millisecondes += std::to_string(k * 20) + "," + std::to_string(b) + "," +
                             std::to_string(b == 1 ? k : 10 * b) + ",0\n";
    const auto r = Lance("fit " + ecrit("ms.csv", millisecondes));
    EXPECT_EQ(r.Statut, 2);
    EXPECT_EQ(r.Sortie, "");
    EXPECT_NE(r.Erreurs.find("relevé(s) dans les 4 s après la frappe, il en faut au moins 5"),
              std::string::npos)
        << r.Erreurs;
}

TEST_F(FitCli, DesBornesExplicitesDeplacentUneConstanteDeZeroEtTiennentLeResultat) {
    // A model option off at 0 cannot move as a multiple of its start; with bounds it can, and
    // a start outside its bounds (FrotBiBde 0.3) ends inside them.
    const auto r = Lance("fit" + Coups(2, 11) +
                         " --cutoff 0.6 --constants PerteRotationBande=0:1,FrotBiBde=0.1:0.2");
    ASSERT_EQ(r.Statut, 0) << r.Erreurs;
    const auto constantes = r.Sortie.find("\"Constantes\":");
    ASSERT_NE(constantes, std::string::npos);
    const double perte = Nombre(r.Sortie, "PerteRotationBande", constantes);
    EXPECT_GE(perte, 0.0);
    EXPECT_LE(perte, 1.0);
    const double frottement = Nombre(r.Sortie, "FrotBiBde", constantes);
    EXPECT_GE(frottement, 0.1);
    EXPECT_LE(frottement, 0.2);
}
