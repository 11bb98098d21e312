#pragma once
// Block files of the command line: the 296 bytes that the export sends to the database
// application, or that it sends back, kept in a file.

#include "analysis/TypeDbAlv.h"

#include <string>

/// Reads a block file. A missing or unreadable file, or one that does not hold exactly 296
/// bytes, is a TErreurCommande.
TCoupDb LitFichierBloc(const std::string& chemin);

/// Writes the 296 bytes of `bloc` to `chemin` (replaced). A failure is a TErreurCommande.
void EcritFichierBloc(const std::string& chemin, const TCoupDb& bloc);
