#include "analysis/TypeDbAlv.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

/// Writes and reads little-endian values whatever the host's byte order.
class TEcriture {
  public:
    explicit TEcriture(TOctetsCoupDb& octets) : Octets(octets) {}

    void Entier(std::size_t offset, uint64_t valeur, std::size_t taille) {
        for (std::size_t i = 0; i < taille; ++i)
            Octets[offset + i] = static_cast<uint8_t>(valeur >> (8 * i));
    }
    void Reel(std::size_t offset, double valeur) {
        Entier(offset, std::bit_cast<uint64_t>(valeur), 8);
    }

  private:
    TOctetsCoupDb& Octets;
};

class TLecture {
  public:
    explicit TLecture(std::span<const uint8_t, TailleCoupDb> octets) : Octets(octets) {}

    uint64_t Entier(std::size_t offset, std::size_t taille) const {
        uint64_t v = 0;
        for (std::size_t i = 0; i < taille; ++i)
            v |= static_cast<uint64_t>(Octets[offset + i]) << (8 * i);
        return v;
    }
    double Reel(std::size_t offset) const { return std::bit_cast<double>(Entier(offset, 8)); }

  private:
    std::span<const uint8_t, TailleCoupDb> Octets;
};

} // namespace

std::string TCoupDb::TexteSequence() const {
    const std::size_t n = std::min<std::size_t>(LongueurSequence, LongueurSequenceDb);
    return std::string(Sequence, n);
}

void TCoupDb::SetSequence(const std::string& texte) {
    const std::size_t n = std::min(texte.size(), LongueurSequenceDb);
    std::fill(std::begin(Sequence), std::end(Sequence), '\0');
    std::copy_n(texte.begin(), n, Sequence);
    LongueurSequence = static_cast<uint8_t>(n);
}

TOctetsCoupDb EncodeCoupDb(const TCoupDb& bloc) {
    TOctetsCoupDb octets{}; // the padding stays zero
    TEcriture e(octets);
    for (std::size_t i = 0; i < 6; ++i) e.Reel(OffsetDb::Coup + 8 * i, bloc.Coup[i]);
    for (std::size_t b = 0; b < 3; ++b) {
        const std::size_t o = OffsetDb::Positions + 24 * b;
        e.Reel(o, bloc.Positions[b].x);
        e.Reel(o + 8, bloc.Positions[b].y);
        e.Reel(o + 16, bloc.Positions[b].z);
    }
    e.Entier(OffsetDb::Type, static_cast<uint32_t>(bloc.Type), 4);
    octets[OffsetDb::Point] = bloc.Point;
    octets[OffsetDb::Contre] = bloc.Contre;
    octets[OffsetDb::Sequence] = bloc.LongueurSequence;
    for (std::size_t i = 0; i < LongueurSequenceDb; ++i)
        octets[OffsetDb::Sequence + 1 + i] = static_cast<uint8_t>(bloc.Sequence[i]);
    e.Reel(OffsetDb::D13, bloc.D13);
    e.Reel(OffsetDb::P13, bloc.P13);
    e.Reel(OffsetDb::d, bloc.d);
    for (std::size_t i = 0; i < NbConstantesDb; ++i)
        e.Reel(OffsetDb::Constantes + 8 * i, bloc.Constantes[i]);
    return octets;
}

TCoupDb DecodeCoupDb(std::span<const uint8_t, TailleCoupDb> octets) {
    const TLecture l(octets);
    TCoupDb bloc;
    for (std::size_t i = 0; i < 6; ++i) bloc.Coup[i] = l.Reel(OffsetDb::Coup + 8 * i);
    for (std::size_t b = 0; b < 3; ++b) {
        const std::size_t o = OffsetDb::Positions + 24 * b;
        bloc.Positions[b] = {l.Reel(o), l.Reel(o + 8), l.Reel(o + 16)};
    }
    bloc.Type = static_cast<int32_t>(static_cast<uint32_t>(l.Entier(OffsetDb::Type, 4)));
    bloc.Point = octets[OffsetDb::Point];
    bloc.Contre = octets[OffsetDb::Contre];
    bloc.LongueurSequence = octets[OffsetDb::Sequence];
    for (std::size_t i = 0; i < LongueurSequenceDb; ++i)
        bloc.Sequence[i] = static_cast<char>(octets[OffsetDb::Sequence + 1 + i]);
    bloc.D13 = l.Reel(OffsetDb::D13);
    bloc.P13 = l.Reel(OffsetDb::P13);
    bloc.d = l.Reel(OffsetDb::d);
    for (std::size_t i = 0; i < NbConstantesDb; ++i)
        bloc.Constantes[i] = l.Reel(OffsetDb::Constantes + 8 * i);
    return bloc;
}
