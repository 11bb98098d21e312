#pragma once
// alveran-cli run by the tests as a user runs it: through the shell, its standard output and
// error kept in files and read back whole.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace lance_cli {

/// What one run of the command line gave.
struct TSortie {
    int Statut = -1; ///< exit status, −1 when it did not exit normally
    std::string Sortie;
    std::string Erreurs;
};

/// The whole content of a file (empty when it cannot be read).
inline std::string Lit(const std::filesystem::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

/// Runs `avant 'ALVERAN_CLI' arguments` through the shell; its output goes through two files
/// in `dossier` (the temporary folder by default), removed afterwards.
inline TSortie
Lance(std::string_view arguments, std::string_view avant = {},
      const std::filesystem::path& dossier = std::filesystem::temp_directory_path()) {
    const std::string nom = "alveran-cli-" + std::to_string(::getpid());
    const std::filesystem::path sortie = dossier / (nom + ".out"),
                                erreurs = dossier / (nom + ".err");
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on chains of string +.
    std::string commande(avant);
    commande.append("'").append(ALVERAN_CLI).append("' ").append(arguments);
    commande.append(" >'").append(sortie.string()).append("' 2>'");
    commande.append(erreurs.string()).append("'");
    const int brut = std::system(commande.c_str());
    TSortie r{WIFEXITED(brut) ? WEXITSTATUS(brut) : -1, Lit(sortie), Lit(erreurs)};
    std::filesystem::remove(sortie);
    std::filesystem::remove(erreurs);
    return r;
}

} // namespace lance_cli
