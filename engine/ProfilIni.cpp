#include "engine/ProfilIni.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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

} // namespace

TProfilIni::TProfilIni(std::string_view texte) {
    std::size_t debut = 0;
    while (debut < texte.size()) {
        const std::size_t fin = texte.find_first_of("\r\n", debut);
        if (fin == std::string_view::npos) {
            Lignes.push_back({std::string(texte.substr(debut)), ""});
            break;
        }
        const std::size_t longueurFin =
            (texte[fin] == '\r' && fin + 1 < texte.size() && texte[fin + 1] == '\n') ? 2 : 1;
        Lignes.push_back({std::string(texte.substr(debut, fin - debut)),
                          std::string(texte.substr(fin, longueurFin))});
        debut = fin + longueurFin;
    }
}

std::optional<TProfilIni::TPlage> TProfilIni::ChercheSection(std::string_view section) const {
    for (std::size_t i = 0; i < Lignes.size(); ++i) {
        const auto nom = NomSection(Lignes[i].Texte);
        if (!nom || !MemeNom(*nom, section)) continue;
        std::size_t fin = i + 1;
        while (fin < Lignes.size() && !NomSection(Lignes[fin].Texte)) ++fin;
        return TPlage{i, fin};
    }
    return std::nullopt;
}

std::optional<std::size_t> TProfilIni::ChercheCle(const TPlage& plage, std::string_view cle) const {
    for (std::size_t i = plage.Entete + 1; i < plage.Fin; ++i) {
        const std::string_view ligne = Lignes[i].Texte;
        const std::size_t egal = PositionEgal(ligne);
        if (egal != std::string_view::npos && MemeNom(ligne.substr(0, egal), cle)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> TProfilIni::Lit(std::string_view section, std::string_view cle) const {
    const auto plage = ChercheSection(section);
    if (!plage) return std::nullopt;
    const auto i = ChercheCle(*plage, cle);
    if (!i) return std::nullopt;
    const std::string_view ligne = Lignes[*i].Texte;
    return std::string(SansBlancs(ligne.substr(PositionEgal(ligne) + 1)));
}

void TProfilIni::Ecrit(std::string_view section, std::string_view cle, std::string_view valeur) {
    const std::string nouvelle = std::string(cle) + "=" + std::string(valeur);
    const auto plage = ChercheSection(section);
    if (!plage) {
        // A last line without its break gets one, or the new section would join it.
        if (!Lignes.empty() && Lignes.back().Fin.empty()) Lignes.back().Fin = "\r\n";
        std::string entete = "[";
        entete.append(section).append("]");
        Lignes.push_back({std::move(entete), "\r\n"});
        Lignes.push_back({nouvelle, "\r\n"});
        return;
    }
    if (const auto i = ChercheCle(*plage, cle)) {
        // The key as the file spells it stays; only the value changes.
        std::string& ligne = Lignes[*i].Texte;
        ligne.erase(PositionEgal(ligne) + 1);
        ligne += valeur;
        return;
    }
    // After the section's last non-blank line, so that blank lines separating it from the
    // next section keep doing so.
    std::size_t apres = plage->Fin;
    while (apres > plage->Entete + 1 && SansBlancs(Lignes[apres - 1].Texte).empty()) --apres;
    if (Lignes[apres - 1].Fin.empty()) Lignes[apres - 1].Fin = "\r\n";
    Lignes.insert(Lignes.begin() + static_cast<std::ptrdiff_t>(apres), TLigne{nouvelle, "\r\n"});
}

std::string TProfilIni::Texte() const {
    std::string texte;
    for (const TLigne& l : Lignes) {
        texte += l.Texte;
        texte += l.Fin;
    }
    return texte;
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

bool RemplaceFichier(const std::string& nom, std::string_view texte) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Through a symbolic link the file it points to is replaced, not the link.
    fs::path cible(nom);
    if (fs::is_symlink(cible, ec)) {
        cible = fs::weakly_canonical(cible, ec);
        if (ec) return false;
    }
    const fs::file_status ancien = fs::status(cible, ec);
    if (fs::exists(ancien) && !fs::is_regular_file(ancien)) return false;

    // A name of our own beside the target: the rename stays within one file system.
    std::random_device alea;
    const fs::path temporaire =
        cible.string() + ".~" + std::to_string(alea()) + std::to_string(alea());
    {
        std::ofstream f(temporaire, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f.write(texte.data(), static_cast<std::streamsize>(texte.size()));
        f.close();
        if (!f) {
            fs::remove(temporaire, ec);
            return false;
        }
    }
    if (fs::exists(ancien)) fs::permissions(temporaire, ancien.permissions(), ec);
    fs::rename(temporaire, cible, ec);
    if (ec) {
        fs::remove(temporaire, ec);
        return false;
    }
    return true;
}
