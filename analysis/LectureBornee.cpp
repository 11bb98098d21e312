#include "analysis/LectureBornee.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

TLectureBornee LitFichierBorne(const std::string& nom, std::uintmax_t max, std::string& texte,
                               const std::function<bool()>& arret) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status etat = fs::status(nom, ec);
    if (!fs::exists(etat)) return TLectureBornee::Absent;
    // Opening a FIFO would wait for a writer that may never come.
    if (!fs::is_regular_file(etat)) return TLectureBornee::Illisible;
    const std::uintmax_t taille = fs::file_size(nom, ec);
    if (!ec && taille > max) return TLectureBornee::TropGros;
    std::ifstream f(nom, std::ios::binary);
    if (!f) return TLectureBornee::Illisible;
    std::string lu;
    lu.reserve(ec ? 0 : static_cast<std::size_t>(taille));
    std::vector<char> morceau(1 << 20);
    while (f) {
        if (arret && arret()) return TLectureBornee::Interrompu;
        f.read(morceau.data(), static_cast<std::streamsize>(morceau.size()));
        lu.append(morceau.data(), static_cast<std::size_t>(f.gcount()));
        // A file that grows while it is read is held to the same cap.
        if (lu.size() > max) return TLectureBornee::TropGros;
    }
    if (f.bad()) return TLectureBornee::Illisible;
    texte = std::move(lu);
    return TLectureBornee::Lu;
}

std::string TexteLectureBornee(TLectureBornee lecture, const std::string& nom,
                               std::uintmax_t max) {
    switch (lecture) {
    case TLectureBornee::Lu:
        return {};
    case TLectureBornee::Absent:
        return "fichier introuvable : " + nom;
    case TLectureBornee::Illisible:
        return "fichier illisible ou pas un fichier ordinaire : " + nom;
    case TLectureBornee::TropGros:
        return nom + " : fichier trop gros (plus de " + std::to_string(max >> 20) + " Mio)";
    case TLectureBornee::Interrompu:
        return "lecture interrompue : " + nom;
    }
    return {};
}
