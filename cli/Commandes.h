#pragma once
// The subcommands of alveran-cli. Each takes the arguments after its name and returns the
// text to print on stdout; a problem is thrown as TErreurCommande (see Options.h), so that
// nothing reaches stdout when a command fails. A long command that Ctrl+C stopped throws its
// partial result as TSortieInterrompue (see Suivi.h).

#include <string>
#include <vector>

using TArguments = std::vector<std::string>;

#define SOUS_COMMANDE(nom, fonction, usage) std::string fonction(const TArguments& arguments);
#include "cli/Commandes.def"
#undef SOUS_COMMANDE
