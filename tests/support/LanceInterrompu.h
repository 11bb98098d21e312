#pragma once
// alveran-cli started as a child of the test and sent SIGINT after a while, as Ctrl+C would.
// Not through a shell: a shell's background job starts with SIGINT ignored, and the program
// rightly keeps ignoring it.

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

/// Runs ALVERAN_CLI with `arguments`, stdout and stderr to the files named, sends SIGINT after
/// `delai` and returns the status waitpid gives (-1 when it could not start).
inline int LanceEtInterromps(std::vector<std::string> arguments, const std::string& sortie,
                             const std::string& erreurs, std::chrono::milliseconds delai) {
    arguments.insert(arguments.begin(), ALVERAN_CLI);
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        const int o = open(sortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0) _exit(126);
        std::signal(SIGINT, SIG_DFL);
        execv(argv[0], argv.data());
        _exit(127);
    }
    std::this_thread::sleep_for(delai);
    kill(pid, SIGINT);
    int statut = 0;
    waitpid(pid, &statut, 0);
    return statut;
}
