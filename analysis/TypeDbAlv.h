#pragma once
// The shot block exchanged with the database application: 296 bytes, little-endian,
// 64-bit floats in IEEE 754 format. The layout is fixed by the database application, so it is
// written and read field by field rather than by copying a C++ struct.
//
//   offset size content
//        0   48 six floats: the stroke (type 1) or ball 1's velocity and rotation (type 2)
//       48   72 positions of balls 1, 2, 3 in record 0, three floats each
//      120    4 type, signed 32-bit
//      124    1 point made (0/1)
//      125    1 contre (0/1)
//      126   21 contact sequence: length byte (0..20) then 20 characters
//      147    5 padding, written as zero, never read
//      152   24 D13, P13, d
//      176  120 fifteen physical constants, largeurJeu … PerteEcQB

#include "engine/ProcsVecteurs.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

inline constexpr std::size_t TailleCoupDb = 296;
inline constexpr std::size_t LongueurSequenceDb = 20;
inline constexpr int NbConstantesDb = 15;

/// What the first 48 bytes of a block hold.
enum TTypeCoupDb : int32_t {
    tcQueue = 1,           ///< Effet, Hauteur, Vq, AngleOx, AngleTapis, m
    tcVitesseRotation = 2, ///< ball 1's Vitesse then Rotation in record 0
};

namespace OffsetDb {
inline constexpr std::size_t Coup = 0;
inline constexpr std::size_t Positions = 48;
inline constexpr std::size_t Type = 120;
inline constexpr std::size_t Point = 124;
inline constexpr std::size_t Contre = 125;
inline constexpr std::size_t Sequence = 126;
inline constexpr std::size_t Bourrage = 147;
inline constexpr std::size_t D13 = 152;
inline constexpr std::size_t P13 = 160;
inline constexpr std::size_t d = 168;
inline constexpr std::size_t Constantes = 176;
} // namespace OffsetDb

/// The decoded block. Bytes are kept as received (a point byte of 7 stays 7) so that a block
/// decoded and encoded again is unchanged, apart from its padding.
struct TCoupDb {
    double Coup[6] = {};          ///< stroke (cm, cm, cm/s, rad, rad, g) or V (cm/s) and Ω (rad/s)
    TVecteur Positions[3];        ///< balls 1, 2, 3 in record 0 (cm)
    int32_t Type = tcQueue;       ///< tcQueue, tcVitesseRotation, or whatever was received
    uint8_t Point = 0;            ///< 1 when the point was made
    uint8_t Contre = 0;           ///< 1 when a contre was found
    uint8_t LongueurSequence = 0; ///< characters used in Sequence (0..20 when sound)
    char Sequence[LongueurSequenceDb] = {}; ///< contact sequence, unused characters zero
    double D13 = 0.0;                       ///< cm
    double P13 = 0.0;                       ///< cm
    double d = 0.0;                         ///< cm
    double Constantes[NbConstantesDb] = {}; ///< the first fifteen published physical constants

    /// The contact sequence as text: at most 20 characters, whatever the length byte says.
    std::string TexteSequence() const;
    /// Stores `texte` cut to its first 20 characters, with its length byte.
    void SetSequence(const std::string& texte);
};

using TOctetsCoupDb = std::array<uint8_t, TailleCoupDb>;

/// The 296 bytes of a block, padding zero.
TOctetsCoupDb EncodeCoupDb(const TCoupDb& bloc);
/// Decodes 296 bytes.
TCoupDb DecodeCoupDb(std::span<const uint8_t, TailleCoupDb> octets);
