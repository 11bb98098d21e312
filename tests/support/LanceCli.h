#pragma once
// alveran-cli run by the tests on a command line written as text, without a shell: the line is
// cut into arguments ('…' keeps blanks in one) and run through the shared process runner.

#include "support/Processus.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace lance_cli {

using TSortie = processus::TExecution;
using processus::Lit;

/// Runs `ALVERAN_CLI arguments`; `arguments` is cut as processus::Mots cuts it.
inline TSortie Lance(std::string_view arguments) {
    return processus::Lance(ALVERAN_CLI, processus::Mots(arguments));
}

} // namespace lance_cli
