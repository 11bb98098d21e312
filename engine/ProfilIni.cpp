#include "engine/ProfilIni.h"

#include "engine/EcritureFichier.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace {

bool EstBlanc(char c) {
    return c == ' ' || c == '\t';
}

std::string_view SansBlancs(std::string_view t) {
    while (!t.empty() && EstBlanc(t.front())) t.remove_prefix(1);
    while (!t.empty() && EstBlanc(t.back())) t.remove_suffix(1);
    return t;
}

char MinusculeAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool MemeNom(std::string_view a, std::string_view b) {
    a = SansBlancs(a);
    b = SansBlancs(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (MinusculeAscii(a[i]) != MinusculeAscii(b[i])) return false;
    return true;
}

/// The name of a section line "[name]", or nothing when the line opens no section.
std::optional<std::string_view> NomSection(std::string_view ligne) {
    ligne = SansBlancs(ligne);
    if (ligne.empty() || ligne.front() != '[') return std::nullopt;
    const std::size_t fin = ligne.find(']');
    if (fin == std::string_view::npos) return std::nullopt;
    return ligne.substr(1, fin - 1);
}

/// The position of the "=" of a key line, or npos for a blank, comment or key-less line.
std::size_t PositionEgal(std::string_view ligne) {
    const std::string_view t = SansBlancs(ligne);
    if (t.empty() || t.front() == ';') return std::string_view::npos;
    const std::size_t egal = ligne.find('=');
    if (egal == std::string_view::npos || SansBlancs(ligne.substr(0, egal)).empty())
        return std::string_view::npos;
    return egal;
}

/// Where the lines of a text start: after a leading UTF-8 byte-order mark.
constexpr std::string_view MarqueOrdre = "\xEF\xBB\xBF";
std::size_t DebutLignes(std::string_view texte) {
    return texte.starts_with(MarqueOrdre) ? MarqueOrdre.size() : 0;
}

/// One line of a text.
struct TLigne {
    std::string_view Texte; ///< without its line end
    std::size_t Debut;      ///< offset of its first byte in the text
    std::size_t Suivante;   ///< offset of the next line, after the line end
};

/// Calls `f(ligne)` on each line of `texte` from offset `debut` while it returns true. Lines
/// end with CR LF, LF or a lone CR.
template <class F> void ParcourtLignes(std::string_view texte, std::size_t debut, F&& f) {
    while (debut < texte.size()) {
        std::size_t fin = debut;
        while (fin < texte.size() && texte[fin] != '\r' && texte[fin] != '\n') ++fin;
        std::size_t suivante = fin;
        if (fin < texte.size())
            suivante +=
                (texte[fin] == '\r' && fin + 1 < texte.size() && texte[fin + 1] == '\n') ? 2 : 1;
        if (!f(TLigne{texte.substr(debut, fin - debut), debut, suivante})) return;
        debut = suivante;
    }
}

/// One key followed through the lines of a text: its section's first occurrence, and in it
/// the first line of the key.
struct TRecherche {
    std::string_view Section;
    std::string_view Cle;
    bool DansSection = false; ///< the current line lies in the first section named Section
    bool SectionVue = false;  ///< that section has begun
    bool Trouvee = false;     ///< the key's line has been met
};

/// Advances every search by one line; `surCle(i, egal)` is called when the line is the one
/// search i was after, `egal` being the position of its "=".
template <class F>
void AvanceLigne(std::span<TRecherche> recherches, std::string_view ligne, F&& surCle) {
    if (const auto nom = NomSection(ligne)) {
        for (TRecherche& r : recherches) {
            r.DansSection = !r.SectionVue && MemeNom(*nom, r.Section);
            r.SectionVue = r.SectionVue || r.DansSection;
        }
        return;
    }
    const std::size_t egal = PositionEgal(ligne);
    if (egal == std::string_view::npos) return;
    const std::string_view cle = ligne.substr(0, egal);
    for (std::size_t i = 0; i < recherches.size(); ++i) {
        TRecherche& r = recherches[i];
        if (r.DansSection && !r.Trouvee && MemeNom(cle, r.Cle)) {
            r.Trouvee = true;
            surCle(i, egal);
        }
    }
}

/// The value of a key line, without its surrounding blanks.
std::string ValeurLigne(std::string_view ligne, std::size_t egal) {
    return std::string(SansBlancs(ligne.substr(egal + 1)));
}

/// Missing, not a regular file, or too large: refused before anything is opened.
TLectureProfil VerifieProfil(const std::string& nom) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status etat = fs::status(nom, ec);
    if (etat.type() == fs::file_type::not_found) return lpAbsent;
    if (!fs::is_regular_file(etat)) return lpIllisible;
    const std::uintmax_t taille = fs::file_size(nom, ec);
    if (ec) return lpIllisible;
    return taille > TailleMaxProfil ? lpTropGros : lpLu;
}

/// Where the writes of a TProfilIni go in its text.
struct TPlace {
    std::size_t DebutValeur = std::string::npos; ///< the key's value to replace, when found
    std::size_t FinValeur = 0;
    std::size_t Insertion = std::string::npos; ///< after its section's last non-blank line
    bool SansSaut = false;                     ///< that line is the last and has no line end
};

} // namespace

TProfilIni::TProfilIni(std::string texte) : FTexte(std::move(texte)) {}

std::optional<std::string> TProfilIni::Lit(std::string_view section, std::string_view cle) const {
    for (const TEcriture& e : FEcritures)
        if (MemeNom(e.Section, section) && MemeNom(e.Cle, cle))
            return std::string(SansBlancs(e.Valeur));
    TRecherche recherche[1] = {{section, cle}};
    std::optional<std::string> valeur;
    ParcourtLignes(FTexte, DebutLignes(FTexte), [&](const TLigne& l) {
        AvanceLigne(recherche, l.Texte,
                    [&](std::size_t, std::size_t egal) { valeur = ValeurLigne(l.Texte, egal); });
        return !valeur;
    });
    return valeur;
}

void TProfilIni::Ecrit(std::string_view section, std::string_view cle, std::string_view valeur) {
    for (TEcriture& e : FEcritures)
        if (MemeNom(e.Section, section) && MemeNom(e.Cle, cle)) {
            e.Valeur = valeur;
            return;
        }
    FEcritures.push_back({std::string(section), std::string(cle), std::string(valeur)});
}

std::string TProfilIni::Texte() const {
    if (FEcritures.empty()) return FTexte;
    // One pass finds where every write goes.
    std::vector<TRecherche> recherches;
    for (const TEcriture& e : FEcritures) recherches.push_back({e.Section, e.Cle});
    std::vector<TPlace> places(FEcritures.size());
    ParcourtLignes(FTexte, DebutLignes(FTexte), [&](const TLigne& l) {
        AvanceLigne(recherches, l.Texte, [&](std::size_t i, std::size_t egal) {
            places[i].DebutValeur = l.Debut + egal + 1;
            places[i].FinValeur = l.Debut + l.Texte.size();
        });
        // Blank lines that separate the section from the next one keep doing so.
        if (!SansBlancs(l.Texte).empty())
            for (std::size_t i = 0; i < recherches.size(); ++i)
                if (recherches[i].DansSection) {
                    places[i].Insertion = l.Suivante;
                    places[i].SansSaut = l.Suivante == l.Debut + l.Texte.size();
                }
        return true;
    });

    // The changes inside the text, in text order; at one offset, a replacement (an empty
    // value at the very end) before the lines added there, which keep the order of writing.
    struct TChangement {
        std::size_t Debut, Fin;
        bool Ajout;
        std::size_t Indice;
    };
    std::vector<TChangement> changements;
    for (std::size_t i = 0; i < FEcritures.size(); ++i) {
        if (places[i].DebutValeur != std::string::npos)
            changements.push_back({places[i].DebutValeur, places[i].FinValeur, false, i});
        else if (recherches[i].SectionVue)
            changements.push_back({places[i].Insertion, places[i].Insertion, true, i});
    }
    std::stable_sort(changements.begin(), changements.end(), [](const auto& a, const auto& b) {
        return a.Debut != b.Debut ? a.Debut < b.Debut : (!a.Ajout && b.Ajout);
    });

    std::string texte;
    texte.reserve(FTexte.size() + 64 * FEcritures.size());
    std::size_t copie = 0;
    std::size_t dernierAjout = std::string::npos;
    for (const TChangement& c : changements) {
        texte.append(FTexte, copie, c.Debut - copie);
        const TEcriture& e = FEcritures[c.Indice];
        if (!c.Ajout) {
            texte += e.Valeur;
        } else {
            // A last line without its break gets one, or the new line would join it.
            if (places[c.Indice].SansSaut && dernierAjout != c.Debut) texte += "\r\n";
            dernierAjout = c.Debut;
            texte.append(e.Cle).append("=").append(e.Valeur).append("\r\n");
        }
        copie = c.Fin;
    }
    texte.append(FTexte, copie);

    // Sections the text lacks go at its end, each with its keys in the order of writing.
    bool separe =
        texte.size() <= DebutLignes(texte) || texte.back() == '\n' || texte.back() == '\r';
    for (std::size_t i = 0; i < FEcritures.size(); ++i) {
        if (recherches[i].SectionVue) continue;
        if (!separe) texte += "\r\n";
        separe = true;
        texte.append("[").append(FEcritures[i].Section).append("]\r\n");
        for (std::size_t j = i; j < FEcritures.size(); ++j)
            if (!recherches[j].SectionVue &&
                MemeNom(FEcritures[j].Section, FEcritures[i].Section)) {
                texte.append(FEcritures[j].Cle).append("=").append(FEcritures[j].Valeur);
                texte += "\r\n";
                recherches[j].SectionVue = true;
            }
    }
    return texte;
}

TLectureProfil LitClesProfil(const std::string& nom, std::span<TCleProfil> cles) {
    if (const TLectureProfil refus = VerifieProfil(nom); refus != lpLu) return refus;
    std::ifstream f(nom, std::ios::binary);
    if (!f) return lpIllisible;
    std::vector<TRecherche> recherches;
    for (const TCleProfil& c : cles) recherches.push_back({c.Section, c.Cle});
    // One piece up to each LF at a time; a lone CR inside a piece ends a line too.
    std::string morceau;
    std::uintmax_t lus = 0;
    TLectureProfil etat = lpLu;
    for (bool premier = true; etat == lpLu && std::getline(f, morceau); premier = false) {
        lus += morceau.size() + (f.eof() ? 0 : 1);
        // The file may have grown since it was measured.
        if (lus > TailleMaxProfil) etat = lpTropGros;
        std::string_view reste = morceau;
        if (premier && reste.starts_with(MarqueOrdre)) reste.remove_prefix(MarqueOrdre.size());
        for (bool encore = true; encore;) {
            const std::size_t cr = reste.find('\r');
            const std::string_view ligne = reste.substr(0, cr);
            AvanceLigne(recherches, ligne, [&](std::size_t i, std::size_t egal) {
                cles[i].Valeur = ValeurLigne(ligne, egal);
            });
            encore = cr != std::string_view::npos;
            if (encore) reste.remove_prefix(cr + 1);
        }
    }
    if (etat == lpLu && f.bad()) etat = lpIllisible;
    if (etat != lpLu)
        for (TCleProfil& c : cles) c.Valeur.reset();
    return etat;
}

TLectureProfil ChargeProfil(const std::string& nom, std::string& texte) {
    if (const TLectureProfil refus = VerifieProfil(nom); refus != lpLu) return refus;
    std::error_code ec;
    const std::uintmax_t taille = std::filesystem::file_size(nom, ec);
    std::ifstream f(nom, std::ios::binary);
    if (ec || !f) return lpIllisible;
    // Read at its measured size, plus one byte to see whether it is growing: a file written
    // to while it is read is not one to rewrite.
    std::string lu(static_cast<std::size_t>(taille) + 1, '\0');
    f.read(lu.data(), static_cast<std::streamsize>(lu.size()));
    if (f.bad()) return lpIllisible;
    if (static_cast<std::uintmax_t>(f.gcount()) > taille) return lpIllisible;
    lu.resize(static_cast<std::size_t>(f.gcount()));
    texte = std::move(lu);
    return lpLu;
}

bool ChargeTexte(const std::string& nom, std::string& texte) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(nom, ec)) return false;
    std::ifstream f(nom, std::ios::binary);
    if (!f) return false;
    std::string lu{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    if (f.bad()) return false;
    texte = std::move(lu);
    return true;
}

bool FichierLectureSeule(const std::string& nom) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status etat = fs::status(nom, ec);
    if (!fs::is_regular_file(etat)) return false;
    constexpr fs::perms ecriture =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((etat.permissions() & ecriture) == fs::perms::none) return true;
    // Opening for appending changes nothing in the file, and fails as a write would.
    return !std::ofstream(nom, std::ios::binary | std::ios::app);
}

bool RemplaceFichier(const std::string& nom, std::string_view texte) {
    return EcritFichierEntier(nom, texte).empty();
}
