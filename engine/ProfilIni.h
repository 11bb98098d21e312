#pragma once
// A profile file (sections and "key=value" lines) held as text in memory.
//
// Sections and keys are matched without regard to letter case (ASCII) and to the blanks
// around them. Writing a key changes only that key's line, or adds one line (and a section
// line when needed); every other byte of the text stays as it was, odd line endings,
// duplicate sections or keys and a missing final line break included. Of duplicates, the
// first occurrence is the one read and replaced.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TProfilIni {
  public:
    TProfilIni() = default;
    /// Takes the whole text of a file; lines end with CR LF, LF or a lone CR.
    explicit TProfilIni(std::string_view texte);

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
    struct TLigne {
        std::string Texte; ///< the line without its end
        std::string Fin;   ///< "\r\n", "\n", "\r", or "" for a last line without a break
    };
    struct TPlage {
        std::size_t Entete; ///< index of the section line
        std::size_t Fin;    ///< one past the section's last line
    };

    std::optional<TPlage> ChercheSection(std::string_view section) const;
    std::optional<std::size_t> ChercheCle(const TPlage& plage, std::string_view cle) const;

    std::vector<TLigne> Lignes;
};

/// Reads a whole file as bytes. False when it is missing, a folder, or cannot be read.
bool ChargeTexte(const std::string& nom, std::string& texte);

/// Replaces the file's content by `texte` all at once: the text goes to a new file in the
/// same folder, which is then renamed over the old one, so that a failure (missing folder,
/// full disk, a folder in the way) leaves the old file as it was. False on failure.
bool RemplaceFichier(const std::string& nom, std::string_view texte);
