#pragma once
// alveran-cli started by the test and sent SIGINT after a while, as Ctrl+C would.

#include "support/Processus.h"

#include <chrono>
#include <string>
#include <vector>

/// Runs ALVERAN_CLI with `arguments`, stdout and stderr to the files named, sends SIGINT after
/// `delai`; its status as processus::TExecution gives it (1000 + signal when the signal ended
/// it, −1 when it could not start).
inline int LanceEtInterromps(std::vector<std::string> arguments, const std::string& sortie,
                             const std::string& erreurs, std::chrono::milliseconds delai) {
    return processus::LanceEtInterromps(ALVERAN_CLI, std::move(arguments), delai,
                                        {.Sortie = sortie, .Erreurs = erreurs})
        .Statut;
}
