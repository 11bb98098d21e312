// alveran-cli run as a real process against the outside world going wrong: a full disk
// behind stdout, an output that is the input, FIFOs, a file size limit, an interrupt.

#include "support/Processus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Echantillon = ALVERAN_SOURCE_DIR "/samples/defaut.alv";

std::string Contenu(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::size_t NbLignes(const std::string& texte) {
    return static_cast<std::size_t>(std::count(texte.begin(), texte.end(), '\n'));
}

/// Sortie holds stdout when it went to the test's own file.
using processus::TExecution;

/// How the child's stdout is set up.
struct TOptions {
    std::string Sortie;     ///< file receiving stdout; empty: a file of the test
    long LimiteTaille = -1; ///< RLIMIT_FSIZE in bytes (SIGXFSZ ignored), -1: none
};

TOptions VersSortie(const std::string& sortie) {
    TOptions o;
    o.Sortie = sortie;
    return o;
}

TOptions LimiteTaille(long octets) {
    TOptions o;
    o.LimiteTaille = octets;
    return o;
}

/// A fresh folder per test, removed afterwards.
class Fiabilite : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Racine = fs::temp_directory_path() /
                 (std::string("alveran-fiab-") + info->name() + "-" + std::to_string(getpid()));
        fs::remove_all(Racine);
        fs::create_directories(Racine);
    }
    void TearDown() override { fs::remove_all(Racine); }
    std::string Chemin(const std::string& nom) const { return (Racine / nom).string(); }

    /// Starts alveran-cli with its stdout to a file and its stderr to a pipe (read by Attend:
    /// a file limit must not stop the error message).
    void Demarre(const std::vector<std::string>& arguments, const TOptions& options = TOptions()) {
        P = std::make_unique<processus::TProcessus>(
            ALVERAN_CLI, arguments,
            processus::TOptions{.Sortie =
                                    options.Sortie.empty() ? Chemin("stdout") : options.Sortie,
                                .LimiteTaille = options.LimiteTaille});
        ASSERT_TRUE(P->Demarre());
        Erreurs = P->DescripteurErreurs();
    }

    TExecution Attend(const TOptions& options = TOptions()) {
        TExecution e = P->Attend();
        if (options.Sortie.empty()) e.Sortie = Contenu(Chemin("stdout"));
        return e;
    }

    TExecution Lance(const std::vector<std::string>& arguments,
                     const TOptions& options = TOptions()) {
        Demarre(arguments, options);
        return Attend(options);
    }

    /// The command failed the documented way: status 2, one line on stderr, nothing on stdout.
    static void EchecPropre(const TExecution& e) {
        EXPECT_EQ(e.Statut, 2) << e.Erreurs;
        EXPECT_EQ(NbLignes(e.Erreurs), 1u) << e.Erreurs;
        EXPECT_EQ(e.Erreurs.rfind("alveran-cli: ", 0), 0u) << e.Erreurs;
    }

    fs::path Racine;
    std::unique_ptr<processus::TProcessus> P; ///< the last child started
    int Erreurs = -1;                         ///< read end of its stderr
};

} // namespace

// ---------------------------------------------------------------------------------------
// Output that could not be written

TEST_F(Fiabilite, UnDisquePleinDerriereLaSortieEstUnEchec) {
    // The records are large enough to bypass the stdio buffer, the plain result is not: both
    // ways of losing the output must be noticed, as must the usage text.
    const std::vector<std::vector<std::string>> commandes = {
        {"shot", Echantillon, "--records"},
        {"shot", Echantillon},
        {"--help"},
        {"bloc", Echantillon, "--out", Chemin("coup.bloc")},
    };
    for (const auto& arguments : commandes) {
        SCOPED_TRACE(arguments.front());
        const TExecution e = Lance(arguments, VersSortie("/dev/full"));
        EchecPropre(e);
        EXPECT_NE(e.Erreurs.find("sortie"), std::string::npos) << e.Erreurs;
    }
}

TEST_F(Fiabilite, UnBlocMalEcritNeLaissePasDeFichier) {
    // A file size limit of 0 bytes makes every write to a new file fail, as a full disk would.
    const TExecution e =
        Lance({"bloc", Echantillon, "--out", Chemin("coup.bloc")}, LimiteTaille(0));
    EchecPropre(e);
    EXPECT_EQ(e.Sortie, "");
    EXPECT_FALSE(fs::exists(Racine / "coup.bloc")) << "no empty block file";
    // Nor any temporary file beside it.
    std::vector<std::string> noms;
    for (const auto& f : fs::directory_iterator(Racine)) noms.push_back(f.path().filename());
    std::sort(noms.begin(), noms.end());
    EXPECT_EQ(noms, std::vector<std::string>{"stdout"});

    // An existing block stays whole when its replacement fails.
    ASSERT_EQ(Lance({"bloc", Echantillon, "--out", Chemin("coup.bloc")}).Statut, 0);
    const std::string avant = Contenu(Racine / "coup.bloc");
    ASSERT_EQ(avant.size(), 296u);
    EchecPropre(
        Lance({"bloc", Echantillon, "--type", "2", "--out", Chemin("coup.bloc")}, LimiteTaille(0)));
    EXPECT_EQ(Contenu(Racine / "coup.bloc"), avant);

    // Nor is a block its owner marked read-only replaced.
    fs::permissions(Racine / "coup.bloc", fs::perms(0444));
    EchecPropre(Lance({"bloc", Echantillon, "--type", "2", "--out", Chemin("coup.bloc")}));
    EXPECT_EQ(Contenu(Racine / "coup.bloc"), avant);
    EXPECT_EQ(fs::status(Racine / "coup.bloc").permissions(), fs::perms(0444));
}

// ---------------------------------------------------------------------------------------
// Outputs that must not be written, inputs that must not be opened

TEST_F(Fiabilite, UnBlocEcritSurSonEntreeEstRefuse) {
    fs::copy_file(Echantillon, Racine / "coup.alv");
    fs::create_symlink(Racine / "coup.alv", Racine / "lien.bloc");
    fs::create_hard_link(Racine / "coup.alv", Racine / "dur.bloc");
    fs::create_directory(Racine / "sous");
    const std::string original = Contenu(Racine / "coup.alv");
    for (const std::string& sortie : {Chemin("coup.alv"), Chemin("lien.bloc"), Chemin("dur.bloc"),
                                      Chemin("sous/../coup.alv")}) {
        SCOPED_TRACE(sortie);
        const TExecution e = Lance({"bloc", Chemin("coup.alv"), "--out", sortie});
        EchecPropre(e);
        EXPECT_EQ(e.Sortie, "");
        EXPECT_EQ(Contenu(Racine / "coup.alv"), original);
    }
    EXPECT_TRUE(fs::is_symlink(Racine / "lien.bloc"));
}

TEST_F(Fiabilite, TubesEtPeripheriquesRefusesAussitot) {
    ASSERT_EQ(mkfifo(Chemin("tube").c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> commandes = {
        {"shot", "--bloc", Chemin("tube")},
        {"bloc", Echantillon, "--out", Chemin("tube")},
        {"bloc", Echantillon, "--out", "/dev/null"},
    };
    for (const auto& arguments : commandes) {
        SCOPED_TRACE(arguments.back());
        // Opened, the FIFO would wait for ever for its other end: a hang fails the test.
        Demarre(arguments);
        if (!P->AttendFin(std::chrono::seconds(5))) {
            ADD_FAILURE() << "still waiting on the FIFO after 5 s";
            continue;
        }
        const TExecution e = Attend();
        EXPECT_EQ(e.Statut, 2);
        const std::string& erreurs = e.Erreurs;
        EXPECT_EQ(NbLignes(erreurs), 1u) << erreurs;
        EXPECT_NE(erreurs.find("fichier ordinaire"), std::string::npos) << erreurs;
    }
    EXPECT_EQ(fs::status(Racine / "tube").type(), fs::file_type::fifo);
}

// ---------------------------------------------------------------------------------------
// Position files from elsewhere

TEST_F(Fiabilite, UneMarqueDOrdreDesOctetsNeChangeRienAuCoup) {
    std::string texte = Contenu(Echantillon);
    std::ofstream(Racine / "windows.alv", std::ios::binary) << "\xEF\xBB\xBF" << texte;
    const TExecution attendu = Lance({"shot", Echantillon, "--records"});
    const TExecution e = Lance({"shot", Chemin("windows.alv"), "--records"});
    ASSERT_EQ(e.Statut, 0) << e.Erreurs;
    EXPECT_EQ(e.Erreurs, "");
    EXPECT_EQ(e.Sortie, attendu.Sortie);
}

TEST_F(Fiabilite, FichiersEnormesRefusesLesAutresLusEnPeuDeMemoire) {
    constexpr std::size_t Cap = 16 * 1024 * 1024;
    {
        std::ofstream f(Racine / "enorme.alv", std::ios::binary);
        f << std::string(Cap + 1, '\n');
    }
    const TExecution refus = Lance({"shot", Chemin("enorme.alv")});
    EchecPropre(refus);
    EXPECT_EQ(refus.Sortie, "");
    EXPECT_NE(refus.Erreurs.find("trop gros"), std::string::npos) << refus.Erreurs;

    // Just under the cap, blank lines (the costliest per byte) and the stroke at the end.
    const std::string coup = Contenu(Echantillon);
    {
        std::ofstream f(Racine / "blanc.alv", std::ios::binary);
        f << std::string(Cap - coup.size(), '\n') << coup;
    }
    const TExecution e = Lance({"shot", Chemin("blanc.alv")});
    const TExecution petit = Lance({"shot", Echantillon});
    ASSERT_EQ(e.Statut, 0) << e.Erreurs;
    EXPECT_EQ(e.Sortie, petit.Sortie);
    // Compared with the same shot read from its small file: the program itself (more under
    // the sanitizers) is not the file's cost.
    EXPECT_LT(e.MemoireKo - petit.MemoireKo, 8 * 1024) << "kB more to read a 16 MiB file";
}

TEST_F(Fiabilite, UnFichierSansAucuneCleEstLuAvecUnAvertissement) {
    std::string hasard(2000, '\0');
    for (std::size_t i = 0; i < hasard.size(); ++i)
        hasard[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::pair<const char*, std::string> fichiers[] = {
        {"vide.alv", ""},
        {"hasard.alv2", hasard},
        {"sections.alv", "[Vitesses]\r\nVq=430\r\n[Rotations]\r\nP1x=1\r\n"},
    };
    for (const auto& [nom, texte] : fichiers) {
        SCOPED_TRACE(nom);
        std::ofstream(Racine / nom, std::ios::binary) << texte;
        const TExecution e = Lance({"shot", Chemin(nom)});
        EXPECT_EQ(e.Statut, 0) << e.Erreurs;
        EXPECT_NE(e.Sortie.find("\"NbEnr\":"), std::string::npos) << "the shot still runs";
        EXPECT_EQ(NbLignes(e.Erreurs), 1u) << e.Erreurs;
        EXPECT_NE(e.Erreurs.find("attention"), std::string::npos) << e.Erreurs;
        EXPECT_NE(e.Erreurs.find(Chemin(nom)), std::string::npos) << e.Erreurs;
    }
    // One value is enough to stay silent.
    std::ofstream(Racine / "un.alv", std::ios::binary) << "[Queue]\r\nVq=100\r\n";
    EXPECT_EQ(Lance({"shot", Chemin("un.alv")}).Erreurs, "");
}

// ---------------------------------------------------------------------------------------
// A tolerance grid of decades

namespace {

const std::vector<std::string> GrilleEnorme = {
    "tolerance", Echantillon, "--counts", "100,100,100,100,100,100", "--threads", "2"};

/// Reads `fd` until `motif` has arrived, the other end is closed, or 30 s have passed.
std::string LitJusqua(int fd, std::string_view motif, std::string texte = {}) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (texte.find(motif) == std::string::npos && std::chrono::steady_clock::now() < limite) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char tampon[4096];
        const ssize_t n = read(fd, tampon, sizeof tampon);
        if (n <= 0) break;
        texte.append(tampon, static_cast<std::size_t>(n));
    }
    return texte;
}

} // namespace

TEST_F(Fiabilite, UneGrilleDeDecenniesAnnonceeEtRefuseeSansForce) {
    // Refused at once: a run that starts would last decades, so it is stopped after 10 s.
    Demarre(GrilleEnorme);
    ASSERT_TRUE(P->AttendFin(std::chrono::seconds(10))) << "the grid was started";
    const TExecution e = Attend();
    EchecPropre(e);
    EXPECT_EQ(e.Sortie, "");
    EXPECT_NE(e.Erreurs.find("65944160601201 essais"), std::string::npos) << e.Erreurs;
    EXPECT_NE(e.Erreurs.find(" ans "), std::string::npos) << e.Erreurs;
    EXPECT_NE(e.Erreurs.find("--force"), std::string::npos) << e.Erreurs;

    // A small grid is announced too, then runs.
    const TExecution petite =
        Lance({"tolerance", Echantillon, "--counts", "1,0,0,0,0,1", "--threads", "1"});
    ASSERT_EQ(petite.Statut, 0) << petite.Erreurs;
    EXPECT_EQ(NbLignes(petite.Erreurs), 1u) << petite.Erreurs;
    EXPECT_EQ(petite.Erreurs.rfind("alveran-cli: 9 essais, durée estimée : ", 0), 0u)
        << petite.Erreurs;
    EXPECT_NE(petite.Sortie.find("\"Interrompu\":false"), std::string::npos) << petite.Sortie;
}

TEST_F(Fiabilite, SigintArreteUneGrilleForceeEtEcritLesComptesPartiels) {
    std::vector<std::string> arguments = GrilleEnorme;
    arguments.push_back("--force");
    Demarre(arguments);
    // Started once its cost is announced; then left to count for a moment.
    const std::string annonce = LitJusqua(Erreurs, "\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    P->Signale(SIGINT);
    ASSERT_TRUE(P->AttendFin(std::chrono::seconds(10))) << "still counting 10 s after SIGINT";
    const TExecution e = Attend();
    const std::string erreurs = annonce + e.Erreurs;
    ASSERT_NE(annonce.find("65944160601201 essais"), std::string::npos) << erreurs;
    ASSERT_LT(e.Statut, 1000) << "ended by the signal itself";
    EXPECT_EQ(e.Statut, 130);
    EXPECT_EQ(NbLignes(erreurs), 1u) << "no progress line when stderr is no terminal: " << erreurs;

    const std::string sortie = Contenu(Racine / "stdout");
    EXPECT_NE(sortie.find("\"Interrompu\":true"), std::string::npos) << sortie;
    EXPECT_NE(sortie.find("\"NbEssaisTotal\":65944160601201"), std::string::npos) << sortie;
    const std::size_t faits = sortie.find("\"NbEssaisFaits\":");
    ASSERT_NE(faits, std::string::npos) << sortie;
    EXPECT_GT(std::stoll(sortie.substr(faits + 16)), 0) << sortie;
}

TEST_F(Fiabilite, SurUnTerminalLaProgressionEstAffichee) {
    std::vector<std::string> arguments = GrilleEnorme;
    arguments.push_back("--force");
    const std::string sortie = Chemin("stdout");
    // stdout to a file, stderr on a terminal.
    processus::TProcessus p(ALVERAN_CLI, arguments, {.Sortie = sortie, .Terminal = true});
    ASSERT_TRUE(p.Demarre());
    const std::string ecran = LitJusqua(p.Terminal(), "reste ");
    p.Signale(SIGINT);
    const bool fin = p.AttendFin(std::chrono::seconds(10));
    const std::string tout = LitJusqua(p.Terminal(), "\x01", ecran); // to the end of its output
    ASSERT_TRUE(fin);
    const TExecution e = p.Attend();
    ASSERT_LT(e.Statut, 1000);
    EXPECT_EQ(e.Statut, 130);
    // After the announcement, a line redrawn in place: trials done of the total, rate, time left.
    EXPECT_NE(ecran.find("/65944160601201 essais ("), std::string::npos) << ecran;
    EXPECT_NE(ecran.find(" essais/s, reste "), std::string::npos) << ecran;
    EXPECT_TRUE(tout.ends_with("\r\033[K")) << "the progress line is erased: " << tout;
    EXPECT_NE(Contenu(sortie).find("\"Interrompu\":true"), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// Every output whole or not at all, never over an input, its path checked before the work

namespace {

/// A search of a few strokes: quick, and it writes a map.
std::vector<std::string> PetiteRecherche(const std::string& carte) {
    return {"solve",    Echantillon, "--aim",   "0:20:1",    "--effect", "0:0:1",
            "--height", "0:0:1",     "--speed", "300:300:1", "--map",    carte};
}

/// The names in `dossier`, sorted.
std::vector<std::string> Noms(const fs::path& dossier) {
    std::vector<std::string> noms;
    for (const auto& f : fs::directory_iterator(dossier)) noms.push_back(f.path().filename());
    std::sort(noms.begin(), noms.end());
    return noms;
}

} // namespace

TEST_F(Fiabilite, UnDisquePresquePleinGardeLAncienSchemaEtLAncienneCarte) {
#ifndef ALVERAN_AVEC_DESSIN
    GTEST_SKIP() << "alveran-cli is built without its drawing here";
#endif
    // A file size limit of 4 KiB: the 24 KiB diagram and the map cannot be written whole.
    ASSERT_EQ(Lance({"draw", Echantillon, "--out", Chemin("schema.svg")}).Statut, 0);
    ASSERT_EQ(Lance(PetiteRecherche(Chemin("carte.png"))).Statut, 0);
    const std::string schema = Contenu(Racine / "schema.svg"),
                      carte = Contenu(Racine / "carte.png");
    ASSERT_GT(schema.size(), 8192u);
    ASSERT_GT(carte.size(), 4096u);
    ASSERT_NE(schema.find("</svg>"), std::string::npos);

    for (const char* nom : {"schema.svg", "schema.png"}) {
        SCOPED_TRACE(nom);
        const TExecution e = Lance({"draw", Echantillon, "--out", Chemin(nom)}, LimiteTaille(4096));
        EchecPropre(e);
        EXPECT_EQ(e.Sortie, "");
        EXPECT_NE(e.Erreurs.find("fichier trop gros"), std::string::npos) << e.Erreurs;
    }
    EXPECT_EQ(Contenu(Racine / "schema.svg"), schema);
    EXPECT_FALSE(fs::exists(Racine / "schema.png"));

    // The search's result is printed all the same, and the failure named.
    const TExecution e = Lance(PetiteRecherche(Chemin("carte.png")), LimiteTaille(4096));
    EXPECT_EQ(e.Statut, 2) << e.Erreurs;
    EXPECT_EQ(NbLignes(e.Erreurs), 1u) << e.Erreurs;
    EXPECT_NE(e.Erreurs.find("carte non écrite : " + Chemin("carte.png")), std::string::npos)
        << e.Erreurs;
    EXPECT_NE(e.Sortie.find("\"Tires\":20"), std::string::npos) << e.Sortie;
    EXPECT_EQ(Contenu(Racine / "carte.png"), carte);
    EXPECT_EQ(Noms(Racine), (std::vector<std::string>{"carte.png", "schema.svg", "stdout"}))
        << "no temporary file left";
}

TEST_F(Fiabilite, LesSortiesNEcrasentJamaisLesEntreesLesTubesNiLesPeripheriques) {
    fs::copy_file(Echantillon, Racine / "coup.alv");
    fs::create_symlink(Racine / "coup.alv", Racine / "lien.svg");
    fs::create_symlink(Racine / "coup.alv", Racine / "lien.png");
    ASSERT_EQ(mkfifo(Chemin("x.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", Racine / "null.svg");
    const std::string original = Contenu(Racine / "coup.alv");
    const std::vector<std::vector<std::string>> commandes = {
        {"draw", Chemin("coup.alv"), "--out", Chemin("lien.svg")},
        {"draw", Chemin("coup.alv"), "--out", Chemin("x.png")},
        {"draw", Chemin("coup.alv"), "--out", Chemin("null.svg")},
        {"solve", Chemin("coup.alv"), "--aim", "0:20:1", "--map", Chemin("lien.png")},
        {"solve", Chemin("coup.alv"), "--aim", "0:20:1", "--map", Chemin("x.png")},
    };
    for (const auto& arguments : commandes) {
        SCOPED_TRACE(arguments.back());
        // Opened, the FIFO would wait for ever for its reader: a hang fails the test.
        Demarre(arguments);
        if (!P->AttendFin(std::chrono::seconds(5))) {
            ADD_FAILURE() << "still running after 5 s";
            continue;
        }
        const TExecution e = Attend();
        EchecPropre(e);
        EXPECT_EQ(Contenu(Racine / "stdout"), "");
    }
    EXPECT_EQ(Contenu(Racine / "coup.alv"), original);
    EXPECT_TRUE(fs::is_symlink(Racine / "lien.svg"));
    EXPECT_EQ(fs::status(Racine / "x.png").type(), fs::file_type::fifo);
}

TEST_F(Fiabilite, LesMauvaisCheminsDeSortieSontRefusesAvantLeTravail) {
#ifndef ALVERAN_AVEC_DESSIN
    GTEST_SKIP() << "alveran-cli is built without its drawing here";
#endif
    // A search of the whole default grid lasts far longer than a refusal may.
    fs::create_directory(Racine / "protege");
    fs::permissions(Racine / "protege", fs::perms(0555));
    for (const std::string& carte : {Chemin("absent/carte.png"), Chemin("protege/carte.png")}) {
        SCOPED_TRACE(carte);
        const auto debut = std::chrono::steady_clock::now();
        const TExecution e = Lance({"solve", Echantillon, "--map", carte});
        EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(3));
        EchecPropre(e);
        EXPECT_NE(e.Erreurs.find("--map : " + carte), std::string::npos) << e.Erreurs;
    }
    const TExecution e = Lance({"draw", Echantillon, "--out", Chemin("protege/schema.svg")});
    EchecPropre(e);
    EXPECT_NE(e.Erreurs.find("dossier en lecture seule"), std::string::npos) << e.Erreurs;
    fs::permissions(Racine / "protege", fs::perms::owner_all);
}

TEST_F(Fiabilite, LesPetitsEchecsSontDitsEnMots) {
    // A closed stdout is no "system error 9".
    processus::TOptions ferme;
    ferme.SortieFermee = true;
    const TExecution f = processus::Lance(ALVERAN_CLI, {"shot", Echantillon}, ferme);
    EXPECT_EQ(f.Statut, 2);
    EXPECT_EQ(f.Erreurs, "alveran-cli: impossible d'écrire la sortie : sortie fermée\n");

#ifdef ALVERAN_AVEC_DESSIN
    // Without a session's runtime folder, drawing says nothing on stderr.
    const char* avant = std::getenv("XDG_RUNTIME_DIR");
    const std::string sauve = avant != nullptr ? avant : "";
    unsetenv("XDG_RUNTIME_DIR");
    const TExecution dessin = Lance({"draw", Echantillon, "--out", Chemin("schema.png")});
    if (avant != nullptr) setenv("XDG_RUNTIME_DIR", sauve.c_str(), 1);
    EXPECT_EQ(dessin.Statut, 0) << dessin.Erreurs;
    EXPECT_EQ(dessin.Erreurs, "");
#endif
}

// ---------------------------------------------------------------------------------------
// Search grids that would lie or last: values that repeat, a hundred million strokes

TEST_F(Fiabilite, UnAxeDeViseeAuxValeursRepeteesEstRefuse) {
    const TExecution e = Lance({"solve", Echantillon, "--aim", "1e15:1000000000000300:0.01"});
    EchecPropre(e);
    EXPECT_NE(e.Erreurs.find("se répètent"), std::string::npos) << e.Erreurs;
    const TExecution vitesse =
        Lance({"solve", Echantillon, "--speed", "1e17:100000000000000016:5"});
    EchecPropre(vitesse);
    EXPECT_NE(vitesse.Erreurs.find("se répètent"), std::string::npos) << vitesse.Erreurs;
}

TEST_F(Fiabilite, CentMillionsDeCoupsSontAnnoncesAvantDeCommencer) {
    Demarre({"solve", Echantillon, "--aim", "-180:180:0.036", "--effect", "-2:2:100", "--height",
             "-2:2:100", "--speed", "100:600:1", "--threads", "1"});
    // Announced at once (or refused, on a machine where it would last more than an hour).
    const std::string annonce = LitJusqua(Erreurs, "\n");
    P->Signale(SIGKILL);
    Attend();
    EXPECT_EQ(annonce.rfind("alveran-cli: 100000000 coups, durée estimée : ", 0), 0u) << annonce;
    EXPECT_NE(annonce.find("mémoire : 382 Mio"), std::string::npos) << annonce;
}

TEST_F(Fiabilite, LesThreadsSontLimitesAQuelquesUnsParCoeurEtLeDisent) {
    const TExecution e =
        Lance({"tolerance", Echantillon, "--counts", "1,0,0,0,0,1", "--threads", "1000"});
    ASSERT_EQ(e.Statut, 0) << e.Erreurs;
    const long coeurs = std::max(1u, std::thread::hardware_concurrency());
    EXPECT_NE(e.Erreurs.find("--threads 1000 ramené à " + std::to_string(4 * coeurs)),
              std::string::npos)
        << e.Erreurs;
    EXPECT_NE(e.Erreurs.find("fils pour " + std::to_string(coeurs)), std::string::npos)
        << e.Erreurs;
    // 1000 engine copies cost hundreds of MB; a few per core cost little.
    EXPECT_LT(e.MemoireKo, 200 * 1024) << "kB";
}

// ---------------------------------------------------------------------------------------
// Bounded reading of tracked shots and search parts

TEST_F(Fiabilite, LesCoupsSuivisEtLesPartsEnormesSontRefusesAvantLecture) {
    // Sparse files: their size costs no disk, reading them would cost the memory.
    {
        std::ofstream(Racine / "enorme.csv") << "t,bille,x,y\n";
        std::ofstream(Racine / "enorme.json") << "{";
    }
    fs::resize_file(Racine / "enorme.csv", 65 * 1024 * 1024);
    fs::resize_file(Racine / "enorme.json", 513l * 1024 * 1024);
    const TExecution csv = Lance({"fit", Chemin("enorme.csv")});
    EchecPropre(csv);
    EXPECT_NE(csv.Erreurs.find("fichier trop gros (plus de 64 Mio)"), std::string::npos)
        << csv.Erreurs;
    const TExecution part = Lance({"solve", "--merge", Chemin("enorme.json")});
    EchecPropre(part);
    EXPECT_NE(part.Erreurs.find("fichier trop gros (plus de 512 Mio)"), std::string::npos)
        << part.Erreurs;
    EXPECT_LT(std::max(csv.MemoireKo, part.MemoireKo), 64 * 1024) << "kB: the file was read";
}

TEST_F(Fiabilite, UneLigneFautiveEstCiteeCourteEtInoffensive) {
    // One line of a megabyte without a break, starting with a terminal escape.
    std::ofstream(Racine / "ligne.csv", std::ios::binary)
        << "t,bille,x,y\n\x1b[2J" << std::string(1 << 20, '7') << "x,1,0,0";
    const TExecution e = Lance({"fit", Chemin("ligne.csv")});
    EchecPropre(e);
    EXPECT_LT(e.Erreurs.size(), 400u) << "the line is not echoed whole";
    EXPECT_EQ(e.Erreurs.find('\x1b'), std::string::npos) << "no raw escape reaches the terminal";
    EXPECT_NE(e.Erreurs.find("« \\e[2J7777"), std::string::npos) << e.Erreurs;
    EXPECT_NE(e.Erreurs.find("… »"), std::string::npos) << e.Erreurs;
}
