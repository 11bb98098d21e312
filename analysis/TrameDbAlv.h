#pragma once
// Reading the frames of the exchange with the database application out of a byte stream:
// uint32 message number, uint64 dwData, uint32 cbData, then cbData bytes, all little-endian.
// Pure code, so that the reader can be tested and fuzzed without sockets.

#include <cstddef>
#include <cstdint>
#include <string>

/// One whole frame.
struct TTrame {
    uint32_t Message = 0;
    uint64_t DwData = 0;
    std::string Donnees; ///< the cbData bytes
};

/// Gathers bytes as they arrive and cuts them into frames.
class TLecteurTrames {
  public:
    static constexpr std::size_t TailleEnTete = 16;
    /// A header announcing more than this is refused (the connection is then closed).
    static constexpr uint64_t TailleMaxDonnees = 1024 * 1024;

    enum TResultat {
        rIncomplet, ///< more bytes are needed
        rTrame,     ///< a whole frame was taken out
        rRefus      ///< the header announces too much: nothing more will be read
    };

    void Ajoute(const char* octets, std::size_t taille);
    /// Takes the next whole frame out of what has arrived.
    TResultat Suivante(TTrame& trame);
    /// Nothing is waiting (no partial frame).
    bool Vide() const { return Tampon.size() == Debut; }

  private:
    std::string Tampon;
    std::size_t Debut = 0; ///< bytes of Tampon already taken out
    bool Refuse = false;
};
