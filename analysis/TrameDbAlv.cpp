#include "analysis/TrameDbAlv.h"

namespace {
template <typename T> T LitLE(const std::string& o, std::size_t offset) {
    T v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<T>(static_cast<T>(static_cast<unsigned char>(o[offset + i])) << (8 * i));
    return v;
}
} // namespace

void TLecteurTrames::Ajoute(const char* octets, std::size_t taille) {
    if (Refuse || taille == 0) return;
    // Drop what was taken out before growing, so a long-lived connection does not grow.
    if (Debut > 0 && Debut == Tampon.size()) {
        Tampon.clear();
        Debut = 0;
    } else if (Debut > 65536) {
        Tampon.erase(0, Debut);
        Debut = 0;
    }
    Tampon.append(octets, taille);
}

TLecteurTrames::TResultat TLecteurTrames::Suivante(TTrame& trame) {
    if (Refuse) return rRefus;
    const std::size_t dispo = Tampon.size() - Debut;
    if (dispo < TailleEnTete) return rIncomplet;
    const uint64_t taille = LitLE<uint32_t>(Tampon, Debut + 12);
    if (taille > TailleMaxDonnees) {
        Refuse = true;
        Tampon.clear();
        Debut = 0;
        return rRefus;
    }
    if (dispo < TailleEnTete + taille) return rIncomplet;
    trame.Message = LitLE<uint32_t>(Tampon, Debut);
    trame.DwData = LitLE<uint64_t>(Tampon, Debut + 4);
    trame.Donnees.assign(Tampon, Debut + TailleEnTete, static_cast<std::size_t>(taille));
    Debut += TailleEnTete + static_cast<std::size_t>(taille);
    return rTrame;
}
