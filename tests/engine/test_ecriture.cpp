// The one writer of output files, with the system calls made to fail as a nearly full disk or
// a failing device would: the old file stays whole, nothing is left beside it, and the reason
// is said in words. And the checks that keep an output off the command's inputs and off
// anything that is not a regular file.

#include "engine/EcritureFichier.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Contenu(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

/// A disk with 4 KiB left: the first 4096 bytes go, then every write says ENOSPC. One counter
/// per test (reset in SetUp): the writer's calls are plain function pointers.
thread_local std::size_t ResteDisque = 0;

ssize_t EcritDisquePlein(int fd, const void* octets, std::size_t nombre) {
    if (ResteDisque == 0) {
        errno = ENOSPC;
        return -1;
    }
    const std::size_t n = std::min(nombre, ResteDisque);
    ResteDisque -= n;
    return ::write(fd, octets, n);
}

ssize_t EcritUnOctet(int fd, const void* octets, std::size_t nombre) {
    return ::write(fd, octets, nombre > 0 ? 1 : 0);
}

int SynchroniseEnErreur(int) {
    errno = EIO;
    return -1;
}

int FermeEnErreur(int fd) {
    ::close(fd);
    errno = EDQUOT;
    return -1;
}

class Ecriture : public ::testing::Test {
  protected:
    void SetUp() override {
        Dossier = fs::temp_directory_path() /
                  ("alveran-ecriture-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dossier);
        fs::create_directories(Dossier);
        ResteDisque = 4096;
    }
    void TearDown() override {
        fs::permissions(Dossier, fs::perms::owner_all);
        fs::remove_all(Dossier);
    }
    std::string Chemin(const std::string& nom) const { return (Dossier / nom).string(); }
    std::size_t NbFichiers() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(Dossier), {}));
    }
    fs::path Dossier;
};

const std::string Gros(24 * 1024, 'x'); // a 24 KiB diagram

} // namespace

TEST_F(Ecriture, UneEcritureUnVidageOuUneFermetureEnEchecLaissentLAncienFichierEntier) {
    std::ofstream(Chemin("schema.svg")) << "ancien";
    TAppelsEcriture plein = AppelsSysteme();
    plein.Ecrit = EcritDisquePlein;
    TAppelsEcriture synchro = AppelsSysteme();
    synchro.Synchronise = SynchroniseEnErreur;
    TAppelsEcriture fermeture = AppelsSysteme();
    fermeture.Ferme = FermeEnErreur;
    const std::pair<TAppelsEcriture, std::string> cas[] = {
        {plein, "plus de place sur le disque"},
        {synchro, "erreur d'entrée-sortie"},
        {fermeture, "quota de disque dépassé"},
    };
    for (const auto& [appels, raison] : cas) {
        SCOPED_TRACE(raison);
        EXPECT_EQ(EcritFichierEntier(Chemin("schema.svg"), Gros, appels), raison);
        EXPECT_EQ(Contenu(Chemin("schema.svg")), "ancien");
        EXPECT_EQ(NbFichiers(), 1u) << "nothing left beside the target";
    }
    // Nor is a new name created by a failed write.
    ResteDisque = 4096;
    EXPECT_NE(EcritFichierEntier(Chemin("neuf.svg"), Gros, plein), "");
    EXPECT_FALSE(fs::exists(Chemin("neuf.svg")));
}

TEST_F(Ecriture, LesEcrituresPartiellesEcriventQuandMemeChaqueOctet) {
    TAppelsEcriture lent = AppelsSysteme();
    lent.Ecrit = EcritUnOctet;
    const std::string texte = "t,bille,x,y\n" + std::string(3000, 'z');
    ASSERT_EQ(EcritFichierEntier(Chemin("a.txt"), texte, lent), "");
    EXPECT_EQ(Contenu(Chemin("a.txt")), texte);
}

TEST_F(Ecriture, LaCibleDUnLienEstRemplaceeAvecSesPermissions) {
    std::ofstream(Chemin("cible.alv")) << "ancien";
    fs::permissions(Chemin("cible.alv"), fs::perms(0640));
    fs::create_symlink(Chemin("cible.alv"), Chemin("lien.alv"));
    ASSERT_EQ(EcritFichierEntier(Chemin("lien.alv"), "nouveau"), "");
    EXPECT_TRUE(fs::is_symlink(Chemin("lien.alv")));
    EXPECT_EQ(Contenu(Chemin("cible.alv")), "nouveau");
    EXPECT_EQ(fs::status(Chemin("cible.alv")).permissions(), fs::perms(0640));

    // A file its owner marked read-only is not replaced.
    fs::permissions(Chemin("cible.alv"), fs::perms(0444));
    EXPECT_EQ(EcritFichierEntier(Chemin("cible.alv"), "autre"), "fichier en lecture seule");
    EXPECT_EQ(Contenu(Chemin("cible.alv")), "nouveau");
}

TEST_F(Ecriture, LesCheminsDeSortieSontVerifiesAvantToutTravail) {
    std::ofstream(Chemin("coup.csv")) << "t,bille,x,y\n";
    fs::create_symlink(Chemin("coup.csv"), Chemin("lien.alv"));
    fs::create_hard_link(Chemin("coup.csv"), Chemin("dur.alv"));
    ASSERT_EQ(mkfifo(Chemin("tube.png").c_str(), 0600), 0);
    fs::create_directory(Chemin("dossier.png"));
    fs::create_directory(Chemin("protege"));
    std::ofstream(Chemin("lecture.alv")) << "x";
    fs::permissions(Chemin("lecture.alv"), fs::perms(0444));
    const std::string entrees[] = {Chemin("coup.csv")};
    const std::pair<std::string, std::string> refus[] = {
        {Chemin("lien.alv"), "désigne un fichier que la commande lit"},
        {Chemin("dur.alv"), "désigne un fichier que la commande lit"},
        {Chemin("protege/../coup.csv"), "désigne un fichier que la commande lit"},
        {Chemin("tube.png"), "n'est pas un fichier ordinaire"},
        {"/dev/null", "n'est pas un fichier ordinaire"},
        {Chemin("dossier.png"), "n'est pas un fichier ordinaire"},
        {Chemin("absent/carte.png"), "dossier inexistant"},
        {Chemin("lecture.alv"), "fichier en lecture seule"},
    };
    for (const auto& [chemin, raison] : refus)
        EXPECT_EQ(VerifieCheminSortie(chemin, entrees), raison) << chemin;
    EXPECT_EQ(VerifieCheminSortie(Chemin("neuf.alv"), entrees), "");
    EXPECT_EQ(fs::status(Chemin("tube.png")).type(), fs::file_type::fifo) << "never opened";

    // A folder without write permission takes no new file, even for a superuser.
    fs::permissions(Chemin("protege"), fs::perms(0555));
    EXPECT_EQ(VerifieCheminSortie(Chemin("protege/carte.png")), "dossier en lecture seule");
}

TEST(TexteErreurSysteme, DitLesEchecsCourantsEnMots) {
    EXPECT_EQ(TexteErreurSysteme(EBADF), "sortie fermée");
    EXPECT_EQ(TexteErreurSysteme(ENOSPC), "plus de place sur le disque");
    EXPECT_EQ(TexteErreurSysteme(EPIPE), "le lecteur de la sortie s'est arrêté");
}
