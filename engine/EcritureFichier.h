#pragma once
// The one way this program writes an output file: whole or not at all, never over an input.
//
// The bytes go to a new file beside the target (so that the final rename stays within one
// file system), every write, the flush to the disk (fsync) and the close are checked, and only
// then is the new file renamed over the target. Any failure removes the new file and leaves
// whatever was at the target as it was. A symbolic link is followed: the file it points to is
// replaced and the link stays.
//
// Before any work, VerifieCheminSortie tells whether a path may receive an output at all: a new
// name in an existing folder, or an existing regular file that this program may write and that
// is none of the files the command reads (by any name, through links too). A FIFO, a device or
// a folder is refused: opening a FIFO waits for ever, a device is no file to replace.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>

/// The system calls the writer uses for the bytes, replaceable by tests to make a write, the
/// flush or the close fail as a full disk or a failing device would.
struct TAppelsEcriture {
    ssize_t (*Ecrit)(int fd, const void* octets, std::size_t nombre);
    int (*Synchronise)(int fd);
    int (*Ferme)(int fd);
};

/// The real system calls.
TAppelsEcriture AppelsSysteme();

/// An error number (errno) said in words, in French: "plus de place sur le disque", …
std::string TexteErreurSysteme(int erreur);

/// Empty when `sortie` may receive an output; otherwise why not, in French (without the path).
/// `entrees` are the files the command reads: an output is never one of them.
std::string VerifieCheminSortie(const std::string& sortie,
                                std::span<const std::string> entrees = {});

/// Replaces `nom` by `contenu` whole or not at all (see above). Empty on success; otherwise the
/// reason in French (without the path), and the old file is as it was.
std::string EcritFichierEntier(const std::string& nom, std::string_view contenu,
                               const TAppelsEcriture& appels = AppelsSysteme());
