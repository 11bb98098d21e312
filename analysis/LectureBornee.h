#pragma once
// Reading an outside file whole, but never more than a cap: a file far beyond anything real (a
// video chosen by mistake, a runaway log) is refused before it fills the memory, and a long
// read can be stopped (Ctrl+C).

#include <cstdint>
#include <functional>
#include <string>

/// Largest tracked-shot CSV that is read: a minute of three balls tracked at 1000 frames a
/// second is about 6 MB.
inline constexpr std::uintmax_t TailleMaxTrajectoire = 64 * 1024 * 1024;

/// Largest partial result of the solution search that is read: a share of the default grid
/// where every stroke scores is about 5 MB.
inline constexpr std::uintmax_t TailleMaxPartiel = 512 * 1024 * 1024;

/// How a bounded read went.
enum class TLectureBornee : uint8_t {
    Lu,
    Absent,     ///< no file of that name
    Illisible,  ///< a folder, a FIFO or a device, no permission, an I/O error
    TropGros,   ///< larger than the cap (checked before reading and while reading)
    Interrompu, ///< `arret` said to stop
};

/// Reads the regular file `nom` into `texte` in pieces of 1 MiB, asking `arret` (when given)
/// between two. `texte` is left as it was unless the result is Lu.
TLectureBornee LitFichierBorne(const std::string& nom, std::uintmax_t max, std::string& texte,
                               const std::function<bool()>& arret = {});

/// The refusal in French for a result other than Lu, naming `nom` ("… : fichier trop gros (plus
/// de 64 Mio)", …).
std::string TexteLectureBornee(TLectureBornee lecture, const std::string& nom, std::uintmax_t max);
