#pragma once
// The one way the tests start the programs (alveran-cli, dbalv, alveran): fork and exec, no
// shell, so that no argument is ever re-read as shell text and a signal reaches the program
// itself (a shell's background job would start with SIGINT ignored).

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pty.h>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace processus {

struct TOptions {
    // Each member has its own initialiser, so that a designated initialiser may name a few.
    std::string Sortie{};  ///< stdout into this file; empty: kept in TExecution::Sortie
    std::string Erreurs{}; ///< stderr into this file; empty: kept in TExecution::Erreurs
    /// "NAME=VALUE" set in the child on top of the test's environment.
    std::vector<std::string> Environnement{};
    long long LimiteTaille = -1; ///< largest file the child may write (bytes), −1 for no limit
    bool Terminal = false;       ///< stderr on a pseudo-terminal, read through Terminal()
    bool SortieFermee = false;   ///< stdout closed, as a program started with >&- has it
    /// The user and group the child runs as (a root tester's way to be someone else); −1: the
    /// tester's own. A child that cannot become them ends with status 127 before running.
    long long Utilisateur = -1;
    long long Groupe = -1;
};

/// How a run ended and what it wrote.
struct TExecution {
    /// The exit status, or 1000 + the signal that ended it, or −1 when it did not start.
    int Statut = -1;
    std::string Sortie;
    std::string Erreurs;
    long MemoireKo = 0; ///< the child's peak resident memory
};

/// The whole content of a file (empty when it cannot be read).
inline std::string Lit(const std::filesystem::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

/// A command line cut into arguments at blanks; '…' keeps blanks inside one argument. Only
/// that quoting: nothing is expanded.
inline std::vector<std::string> Mots(std::string_view ligne) {
    std::vector<std::string> mots;
    std::string mot;
    bool dansMot = false, cite = false;
    for (const char c : ligne) {
        if (c == '\'') {
            cite = !cite;
            dansMot = true;
        } else if (!cite && (c == ' ' || c == '\t' || c == '\n')) {
            if (dansMot) mots.push_back(std::move(mot));
            mot.clear();
            dansMot = false;
        } else {
            mot += c;
            dansMot = true;
        }
    }
    if (dansMot) mots.push_back(std::move(mot));
    return mots;
}

/// One child program. A child still running when the object goes is killed and reaped.
class TProcessus {
  public:
    TProcessus(std::string programme, std::vector<std::string> arguments, TOptions options = {})
        : FOptions(std::move(options)) {
        FArguments.push_back(std::move(programme));
        for (std::string& a : arguments) FArguments.push_back(std::move(a));
    }
    ~TProcessus() {
        if (FPid > 0 && !FFini) {
            ::kill(FPid, SIGKILL);
            int statut = 0;
            ::waitpid(FPid, &statut, 0);
        }
        Ferme(FErreurs);
        Ferme(FTerminal);
        if (!FFichierSortie.empty()) std::filesystem::remove(FFichierSortie);
    }
    TProcessus(const TProcessus&) = delete;
    TProcessus& operator=(const TProcessus&) = delete;

    /// Starts the program; false when it could not be started.
    bool Demarre() {
        std::string sortie = FOptions.Sortie;
        if (sortie.empty()) {
            char modele[] = "/tmp/alveran-test-XXXXXX";
            const int f = ::mkstemp(modele);
            if (f < 0) return false;
            ::close(f);
            sortie = FFichierSortie = modele;
        }
        std::vector<char*> argv;
        for (std::string& a : FArguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        int tube[2] = {-1, -1};
        const bool tubeErreurs = FOptions.Erreurs.empty() && !FOptions.Terminal;
        if (tubeErreurs && ::pipe(tube) != 0) return false;
        FPid = FOptions.Terminal ? ::forkpty(&FTerminal, nullptr, nullptr, nullptr) : ::fork();
        if (FPid < 0) return false;
        if (FPid == 0) {
            const int o = ::open(sortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (o < 0 || ::dup2(o, 1) < 0) ::_exit(126);
            if (o != 1) ::close(o);
            if (FOptions.SortieFermee) ::close(1);
            if (tubeErreurs) {
                if (::dup2(tube[1], 2) < 0) ::_exit(126);
                ::close(tube[0]);
            } else if (!FOptions.Terminal) {
                const int e = ::open(FOptions.Erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (e < 0 || ::dup2(e, 2) < 0) ::_exit(126);
            }
            for (const std::string& v : FOptions.Environnement) {
                const std::size_t egal = v.find('=');
                ::setenv(v.substr(0, egal).c_str(), v.substr(egal + 1).c_str(), 1);
            }
            if (FOptions.LimiteTaille >= 0) {
                std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit fails with EFBIG
                const rlimit limite{static_cast<rlim_t>(FOptions.LimiteTaille),
                                    static_cast<rlim_t>(FOptions.LimiteTaille)};
                ::setrlimit(RLIMIT_FSIZE, &limite);
            }
            if (FOptions.Utilisateur >= 0 &&
                (::setgroups(0, nullptr) != 0 ||
                 ::setgid(static_cast<gid_t>(FOptions.Groupe)) != 0 ||
                 ::setuid(static_cast<uid_t>(FOptions.Utilisateur)) != 0))
                ::_exit(127);
            std::signal(SIGINT, SIG_DFL);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (tubeErreurs) {
            ::close(tube[1]);
            FErreurs = tube[0];
        }
        return true;
    }

    pid_t Pid() const { return FPid; }
    /// The read end of its stderr when kept (Attend reads what is left of it), −1 otherwise.
    int DescripteurErreurs() const { return FErreurs; }
    /// The pseudo-terminal's side of the test (Terminal option), −1 otherwise.
    int Terminal() const { return FTerminal; }
    void Signale(int signal) const {
        if (FPid > 0 && !FFini) ::kill(FPid, signal);
    }

    /// Kills it (a stopped one too) and reaps it.
    TExecution Tue() {
        Signale(SIGKILL);
        return Attend();
    }

    /// Whether it still runs; once ended, Attend gives its status at once.
    bool EnCours() {
        if (FPid <= 0 || FFini) return false;
        rusage usage{};
        if (::wait4(FPid, &FStatutBrut, WNOHANG, &usage) != FPid) return true;
        FFini = true;
        FMemoireKo = usage.ru_maxrss;
        return false;
    }

    /// Waits for its end, at most `delai`: false when it still runs then.
    bool AttendFin(std::chrono::milliseconds delai) {
        const auto fin = std::chrono::steady_clock::now() + delai;
        while (EnCours()) {
            if (std::chrono::steady_clock::now() > fin) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    /// Everything it wrote on stderr (read to its end), then its end and its output.
    TExecution Attend() {
        TExecution e;
        if (FPid <= 0) return e;
        if (FErreurs >= 0) {
            char tampon[4096];
            for (ssize_t n; (n = ::read(FErreurs, tampon, sizeof tampon)) > 0;)
                e.Erreurs.append(tampon, static_cast<std::size_t>(n));
            Ferme(FErreurs);
        }
        if (!FFini) {
            rusage usage{};
            ::wait4(FPid, &FStatutBrut, 0, &usage);
            FFini = true;
            FMemoireKo = usage.ru_maxrss;
        }
        e.Statut = WIFEXITED(FStatutBrut) ? WEXITSTATUS(FStatutBrut) : 1000 + WTERMSIG(FStatutBrut);
        e.MemoireKo = FMemoireKo;
        // A file the caller named is the caller's to read (it may be a device such as /dev/full).
        if (!FFichierSortie.empty()) e.Sortie = Lit(FFichierSortie);
        return e;
    }

  private:
    static void Ferme(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }

    std::vector<std::string> FArguments;
    TOptions FOptions;
    std::string FFichierSortie; ///< the temporary file holding a kept stdout
    pid_t FPid = -1;
    int FErreurs = -1;
    int FTerminal = -1;
    int FStatutBrut = 0;
    long FMemoireKo = 0;
    bool FFini = false;
};

/// Runs `programme` with `arguments` to its end.
inline TExecution Lance(const std::string& programme, std::vector<std::string> arguments,
                        const TOptions& options = {}) {
    TProcessus p(programme, std::move(arguments), options);
    if (!p.Demarre()) return {};
    return p.Attend();
}

/// Runs `programme`, sends it SIGINT after `delai` as Ctrl+C would, and waits for its end.
inline TExecution LanceEtInterromps(const std::string& programme,
                                    std::vector<std::string> arguments,
                                    std::chrono::milliseconds delai, const TOptions& options = {}) {
    TProcessus p(programme, std::move(arguments), options);
    if (!p.Demarre()) return {};
    std::this_thread::sleep_for(delai);
    p.Signale(SIGINT);
    return p.Attend();
}

} // namespace processus
