#pragma once
// Block files of the command line: the 296 bytes that the export sends to the database
// application, or that it sends back, kept in a file.

#include "analysis/TypeDbAlv.h"

#include <string>

/// Reads a block file. A missing, unreadable or non-regular file (a FIFO), or one that does not
/// hold exactly 296 bytes, is a TErreurCommande.
TCoupDb LitFichierBloc(const std::string& chemin);

/// Checks, before any work, that `sortie` may receive a written file: it is absent or a regular
/// file, and it is not the file `entree` (by any name or link). Otherwise a TErreurCommande.
void VerifieSortie(const std::string& sortie, const std::string& entree);

/// Replaces `chemin` by the 296 bytes of `bloc` in one step (a new file renamed over it, so a
/// failed write leaves no partial file). A failure is a TErreurCommande.
void EcritFichierBloc(const std::string& chemin, const TCoupDb& bloc);
