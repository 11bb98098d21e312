#pragma once
// A profile file (sections and "key=value" lines) held as text in memory.
//
// Sections and keys are matched without regard to letter case (ASCII) and to the blanks
// around them. Writing a key changes only that key's line, or adds one line (and a section
// line when needed); every other byte of the text stays as it was, odd line endings,
// duplicate sections or keys and a missing final line break included. Of duplicates, the
// first occurrence is the one read and replaced. A UTF-8 byte-order mark at the start of the
// text (as editors on Windows write) is not part of the first line; it is kept on writing.
//
// The text is held once: writes are noted and applied in one pass when the text is asked
// for, so that memory and time stay proportional to the text whatever its lines.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TProfilIni {
  public:
    TProfilIni() = default;
    /// Takes the whole text of a file; lines end with CR LF, LF or a lone CR.
    explicit TProfilIni(std::string texte);

    /// The value of `cle` in the first section named `section`, without its surrounding
    /// blanks; nothing when the section or the key is absent. An empty value is "".
    std::optional<std::string> Lit(std::string_view section, std::string_view cle) const;

    /// Replaces the value of `cle` in place, or adds "cle=valeur" at the end of the section
    /// (after its last non-blank line), or adds the section at the end of the text.
    /// Added lines end with CR LF.
    void Ecrit(std::string_view section, std::string_view cle, std::string_view valeur);

    /// The whole text, ready to be written back.
    std::string Texte() const;

  private:
    struct TEcriture {
        std::string Section;
        std::string Cle;
        std::string Valeur;
    };

    std::string FTexte;
    /// One per key written, in the order of the first write; a later write changes the value.
    std::vector<TEcriture> FEcritures;
};

/// Largest profile file that is read or rewritten: far beyond any position file, small
/// enough that a mistaken choice (a video, a disk image) is refused at once.
inline constexpr std::uintmax_t TailleMaxProfil = 16 * 1024 * 1024;

/// One key wanted from a profile file.
struct TCleProfil {
    std::string Section;
    std::string Cle;
    /// Set by LitClesProfil: the value as TProfilIni::Lit gives it, nothing when absent.
    std::optional<std::string> Valeur;
};

/// How reading a profile file went.
enum TLectureProfil : uint8_t {
    lpLu,        ///< read (an empty file included)
    lpAbsent,    ///< no file of that name
    lpIllisible, ///< a folder, a FIFO or a device, no permission, an I/O error
    lpTropGros,  ///< larger than TailleMaxProfil
};

/// Reads the file line by line in one pass, keeping only the values of `cles`: memory does
/// not grow with the file. A leading byte-order mark is skipped. Before anything else, a
/// missing, non-regular or too large file is refused (the values then stay unset).
TLectureProfil LitClesProfil(const std::string& nom, std::span<TCleProfil> cles);

/// Reads a whole profile file as bytes, refused as LitClesProfil refuses it.
TLectureProfil ChargeProfil(const std::string& nom, std::string& texte);

/// Reads a whole file as bytes. False when it is missing, a folder, or cannot be read.
bool ChargeTexte(const std::string& nom, std::string& texte);

/// True when `nom` names an existing file that this program may not write to: no write
/// permission bit set (a file marked read-only) or none that lets it open the file.
bool FichierLectureSeule(const std::string& nom);

/// Replaces the file's content by `texte` all at once: the text goes to a new file in the
/// same folder, which is then renamed over the old one, so that a failure (missing folder,
/// full disk, a folder in the way) leaves the old file as it was. The new file takes the old
/// one's permissions; a read-only file is not replaced. False on failure.
bool RemplaceFichier(const std::string& nom, std::string_view texte);
