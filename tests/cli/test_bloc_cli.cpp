// alveran-cli and the database block: the block a shot would export, a block applied to a
// fresh engine, and the analysis members of the shot's JSON.

#include "analysis/ComdbAlv.h"
#include "cli/CmdShot.h"
#include "cli/Commandes.h"
#include "cli/Options.h"
#include "support/CoupALaMain.h"

#include "support/Processus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string Echantillon = ALVERAN_SOURCE_DIR "/samples/defaut.alv";
const std::string Echantillon2 = ALVERAN_SOURCE_DIR "/samples/defaut.alv2";

/// A file name of its own for each test.
std::string Temporaire(const std::string& suffixe) {
    return (fs::temp_directory_path() /
            ("alveran-bloc-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + suffixe))
        .string();
}

TOctetsCoupDb Octets(const std::string& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    TOctetsCoupDb o{};
    f.read(reinterpret_cast<char*>(o.data()), static_cast<std::streamsize>(o.size()));
    EXPECT_EQ(f.gcount(), 296);
    EXPECT_EQ(f.peek(), std::char_traits<char>::eof()) << "nothing after the 296 bytes";
    return o;
}

/// The text after `"cle":` up to the next ',' or '}' (enough for flat members).
std::string Membre(const std::string& json, const std::string& cle) {
    const std::string motif = "\"" + cle + "\":";
    const std::size_t p = json.find(motif);
    if (p == std::string::npos) return "<absent>";
    const std::size_t debut = p + motif.size();
    return json.substr(debut, json.find_first_of(",}", debut) - debut);
}

/// Runs `alveran-cli arguments` ('…' keeps blanks in one argument): its status, its stdout in
/// `sortie`.
int Lance(const std::string& arguments, std::string& sortie) {
    const processus::TExecution r = processus::Lance(ALVERAN_CLI, processus::Mots(arguments));
    sortie = r.Sortie;
    return r.Statut;
}

} // namespace

TEST(CommandeBloc, UnBlocDeQueueRejoueLeMemeCoup) {
    const std::string bloc = Temporaire(".bloc");
    const std::string direct = CmdShot({Echantillon});
    EXPECT_EQ(CmdBloc({Echantillon, "--out", bloc}), direct) << "bloc prints the shot's result";
    EXPECT_EQ(CmdShot({"--bloc", bloc}), direct);

    const TCoupDb b = DecodeCoupDb(Octets(bloc));
    EXPECT_EQ(b.Type, 1);
    EXPECT_EQ(b.Coup[2], 430.0) << "Vq of the sample";
    EXPECT_EQ(b.Coup[5], 520.0) << "m";
    EXPECT_EQ(b.Positions[0].x, 18.279125);
    const std::string sequence = Membre(direct, "Sequence"); // between its quotes
    EXPECT_EQ(b.TexteSequence(), sequence.substr(1, sequence.size() - 2).substr(0, 20));
    EXPECT_EQ(b.Point, Membre(direct, "PointReussi") == "true" ? 1 : 0);
    EXPECT_EQ(b.D13, std::strtod(Membre(direct, "D13").c_str(), nullptr));
    EXPECT_EQ(b.d, std::strtod(Membre(direct, "d").c_str(), nullptr));
    fs::remove(bloc);
}

TEST(CommandeBloc, UnBlocVitesseRotationRejoueSansFrappe) {
    const std::string bloc = Temporaire(".bloc");
    const std::string direct = CmdShot({Echantillon});
    CmdBloc({Echantillon, "--type", "2", "--out", bloc});
    const TCoupDb b = DecodeCoupDb(Octets(bloc));
    EXPECT_EQ(b.Type, 2);
    EXPECT_GT(b.Coup[0] * b.Coup[0] + b.Coup[1] * b.Coup[1], 1000.0)
        << "the struck ball's velocity";
    // Ball 1's state after the strike leads to the same trajectory without a cue strike.
    EXPECT_EQ(CmdShot({"--bloc", bloc}), direct);
    fs::remove(bloc);
}

TEST(CommandeBloc, LesConstantesVoyagentDansLeBloc) {
    const std::string bloc = Temporaire(".bloc");
    CmdBloc({Echantillon, "--set", "ElastBiBde=0.6", "--set", "RayonBilles=3", "--out", bloc});
    const TCoupDb b = DecodeCoupDb(Octets(bloc));
    EXPECT_EQ(b.Constantes[13], 0.6);
    EXPECT_EQ(b.Constantes[2], 3.0);
    EXPECT_EQ(CmdShot({"--bloc", bloc}),
              CmdShot({Echantillon, "--set", "ElastBiBde=0.6", "--set", "RayonBilles=3"}));
    // A constant the block carries overrides --set; one it does not carry is kept.
    EXPECT_EQ(CmdShot({"--bloc", bloc, "--set", "ElastBiBde=0.9"}), CmdShot({"--bloc", bloc}));
    EXPECT_NE(CmdShot({"--bloc", bloc, "--set", "dtEnr=0.5"}), CmdShot({"--bloc", bloc}));
    fs::remove(bloc);
}

TEST(CommandeBloc, ProblemesDeLigneDeCommande) {
    const std::string bloc = Temporaire(".bloc");
    EXPECT_THROW(CmdBloc({Echantillon}), TErreurCommande) << "no --out";
    EXPECT_THROW(CmdBloc({Echantillon, "--type", "3", "--out", bloc}), TErreurCommande);
    EXPECT_FALSE(fs::exists(bloc));
}

TEST(CommandeBloc, UnFichierQuiNEstPasUnBlocSort2) {
    const std::string bloc = Temporaire(".bloc");
    std::string sortie;
    ASSERT_EQ(Lance("bloc '" + Echantillon + "' --out '" + bloc + "'", sortie), 0);
    EXPECT_EQ(fs::file_size(bloc), 296u);
    ASSERT_EQ(Lance("shot --bloc '" + bloc + "'", sortie), 0);

    for (const std::uintmax_t taille : {295u, 297u, 0u}) {
        fs::resize_file(bloc, taille);
        EXPECT_EQ(Lance("shot --bloc '" + bloc + "'", sortie), 2) << taille;
        EXPECT_EQ(sortie, "") << taille;
    }
    fs::remove(bloc);
    EXPECT_EQ(Lance("shot --bloc '" + bloc + "'", sortie), 2) << "missing file";
    EXPECT_EQ(sortie, "");
}

TEST(AnalyseDuCoup, SequenceEntiereEtCaracteristiquesDansLeJson) {
    // 25 cushions then the second ball: the JSON keeps the whole sequence.
    TCoupALaMain c({0, -50, 3.075}, {0, 62, 3.075});
    c.Depart({0, -100, 3.075}, {0, 300, 0}).Bille({0, -56, 3.075}, {1, 1, 0}, 2);
    for (int i = 0; i < 25; ++i) c.Bande({68, 0, 3.075}, {-1, 1, 0}, 1 + i % 4);
    c.Bille({0, 55.85, 3.075}, {0, 1, 0}, 3).Point();
    TJson json;
    json.DebutObjet();
    EcritResultatCoup(json, *c, false);
    json.FinObjet();
    const std::string t = json.Texte();
    EXPECT_EQ(Membre(t, "Sequence"), "\"2SENOSENOSENOSENOSENOSENOS3\"");
    EXPECT_EQ(Membre(t, "Significatif"), "true");
    EXPECT_EQ(Membre(t, "Bandes"), "25");
    EXPECT_EQ(Membre(t, "Contre"), "false");
}

TEST(AnalyseDuCoup, NonSignificatifDonneDZero) {
    TCoupALaMain c({0, -50, 3.075}, {0, 62, 3.075});
    c.Depart({0, -100, 3.075}, {0, 300, 0}).Bande({68, 0, 3.075}, {-1, 1, 0}, 1);
    c.Ajoute({30, 30, 3.075}, {});
    TJson json;
    json.DebutObjet();
    EcritResultatCoup(json, *c, false);
    json.FinObjet();
    const std::string t = json.Texte();
    EXPECT_EQ(Membre(t, "Significatif"), "false");
    EXPECT_EQ(std::strtod(Membre(t, "D13").c_str(), nullptr), 1000000.0);
    EXPECT_EQ(std::strtod(Membre(t, "P13").c_str(), nullptr), 1000000.0);
    EXPECT_EQ(Membre(t, "d"), "0");
    EXPECT_EQ(Membre(t, "Bandes"), "1");
}
