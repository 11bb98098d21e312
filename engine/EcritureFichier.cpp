#include "engine/EcritureFichier.h"

#include "engine/ProfilIni.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

TAppelsEcriture AppelsSysteme() {
    return {[](int fd, const void* octets, std::size_t nombre) {
                return ::write(fd, octets, nombre);
            },
            [](int fd) { return ::fsync(fd); }, [](int fd) { return ::close(fd); }};
}

std::string TexteErreurSysteme(int erreur) {
    switch (erreur) {
    case ENOSPC:
        return "plus de place sur le disque";
    case EDQUOT:
        return "quota de disque dépassé";
    case EFBIG:
        return "fichier trop gros";
    case EIO:
        return "erreur d'entrée-sortie";
    case EACCES:
    case EPERM:
        return "permission refusée";
    case EROFS:
        return "système de fichiers en lecture seule";
    case ENOENT:
        return "fichier ou dossier inexistant";
    case ENOTDIR:
        return "un élément du chemin n'est pas un dossier";
    case EISDIR:
        return "c'est un dossier";
    case EBADF:
        return "sortie fermée";
    case EPIPE:
        return "le lecteur de la sortie s'est arrêté";
    case ENAMETOOLONG:
        return "nom trop long";
    case EMFILE:
    case ENFILE:
        return "trop de fichiers ouverts";
    case ENOMEM:
        return "mémoire insuffisante";
    case EXDEV:
        return "autre système de fichiers";
    default:
        return "erreur système " + std::to_string(erreur);
    }
}

namespace {

/// The file a write to `nom` reaches: through a symbolic link, the file it points to.
fs::path Cible(const std::string& nom, std::error_code& ec) {
    fs::path cible(nom);
    std::error_code absent; // a name that does not exist yet is no link
    if (fs::is_symlink(fs::symlink_status(cible, absent))) cible = fs::weakly_canonical(cible, ec);
    return cible;
}

/// The folder that holds `chemin` (the current folder for a bare name).
fs::path Dossier(const fs::path& chemin) {
    const fs::path parent = chemin.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

/// Empty when files may be created in `dossier`; otherwise why not.
std::string VerifieDossier(const fs::path& dossier) {
    std::error_code ec;
    const fs::file_status etat = fs::status(dossier, ec);
    if (!fs::exists(etat)) return "dossier inexistant";
    if (!fs::is_directory(etat)) return "un élément du chemin n'est pas un dossier";
    // A folder without any write bit is read-only as its owner wanted, even for a superuser.
    constexpr fs::perms ecriture =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((etat.permissions() & ecriture) == fs::perms::none ||
        ::access(dossier.c_str(), W_OK | X_OK) != 0)
        return "dossier en lecture seule";
    return {};
}

/// A fresh name beside `cible`, hidden and marked as ours.
fs::path NomTemporaire(const fs::path& cible) {
    std::random_device alea;
    std::string suffixe;
    for (int k = 0; k < 2; ++k) suffixe += std::to_string(alea());
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on chains of string +.
    std::string nom = ".";
    nom.append(cible.filename().string()).append(".~").append(suffixe);
    return Dossier(cible) / nom;
}

} // namespace

std::string VerifieCheminSortie(const std::string& sortie, std::span<const std::string> entrees) {
    if (sortie.empty()) return "chemin vide";
    std::error_code ec;
    const fs::path cible = Cible(sortie, ec);
    if (ec) return "lien symbolique sans issue";
    const fs::file_status etat = fs::status(cible, ec);
    if (fs::exists(etat)) {
        if (!fs::is_regular_file(etat)) return "n'est pas un fichier ordinaire";
        for (const std::string& entree : entrees)
            if (fs::equivalent(cible, entree, ec)) return "désigne un fichier que la commande lit";
        if (FichierLectureSeule(cible.string())) return "fichier en lecture seule";
    }
    return VerifieDossier(Dossier(cible));
}

std::string EcritFichierEntier(const std::string& nom, std::string_view contenu,
                               const TAppelsEcriture& appels) {
    std::error_code ec;
    const fs::path cible = Cible(nom, ec);
    if (ec) return "lien symbolique sans issue";
    const fs::file_status ancien = fs::status(cible, ec);
    if (fs::exists(ancien) && !fs::is_regular_file(ancien)) return "n'est pas un fichier ordinaire";
    // The rename would replace a file its owner marked read-only.
    if (FichierLectureSeule(cible.string())) return "fichier en lecture seule";

    fs::path temporaire;
    int fd = -1;
    for (int essai = 0; essai < 8 && fd < 0; ++essai) {
        temporaire = NomTemporaire(cible);
        fd = ::open(temporaire.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        const int erreur = errno;
        if (const std::string dossier = VerifieDossier(Dossier(cible)); !dossier.empty())
            return dossier;
        return TexteErreurSysteme(erreur);
    }

    auto echec = [&](int erreur, bool ouvert) {
        if (ouvert) appels.Ferme(fd);
        ::unlink(temporaire.c_str());
        return TexteErreurSysteme(erreur);
    };
    // The new file takes the old one's permissions (the process's umask set a new one's).
    if (fs::exists(ancien) &&
        ::fchmod(fd, static_cast<mode_t>(ancien.permissions() & fs::perms::mask)) != 0)
        return echec(errno, true);
    std::size_t ecrits = 0;
    while (ecrits < contenu.size()) {
        const ssize_t n = appels.Ecrit(fd, contenu.data() + ecrits, contenu.size() - ecrits);
        if (n < 0 && errno == EINTR) continue;
        // Nothing written without an error is a device that takes no more: a full disk.
        if (n <= 0) return echec(n < 0 ? errno : ENOSPC, true);
        ecrits += static_cast<std::size_t>(n);
    }
    // A file system that cannot flush to a disk (no disk behind it) says EINVAL: nothing lost.
    if (appels.Synchronise(fd) != 0 && errno != EINVAL) return echec(errno, true);
    // Some file systems report a deferred write error only at the close.
    if (appels.Ferme(fd) != 0) return echec(errno, false);
    if (::rename(temporaire.c_str(), cible.c_str()) != 0) return echec(errno, false);
    // The rename itself reaches the disk with its folder; a failure here loses no data.
    if (const int dossier = ::open(Dossier(cible).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dossier >= 0) {
        ::fsync(dossier);
        ::close(dossier);
    }
    return {};
}
