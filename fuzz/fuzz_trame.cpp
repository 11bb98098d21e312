// Fuzz target: the frame reader of the socket exchange, fed an arbitrary byte stream cut into
// arbitrary pieces. It must never read past what arrived, never hand out a frame larger than
// the limit, and account for every byte of every frame it hands out.

#include "analysis/TrameDbAlv.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte sets the size of the pieces the stream arrives in.
    const size_t morceau = 1 + data[0] % 64;
    const char* octets = reinterpret_cast<const char*>(data + 1);
    const size_t total = size - 1;
    TLecteurTrames lecteur;
    size_t lus = 0, consommes = 0;
    bool refuse = false;
    while (lus < total && !refuse) {
        const size_t n = total - lus < morceau ? total - lus : morceau;
        lecteur.Ajoute(octets + lus, n);
        lus += n;
        TTrame t;
        for (;;) {
            const TLecteurTrames::TResultat r = lecteur.Suivante(t);
            if (r == TLecteurTrames::rRefus) {
                refuse = true;
                break;
            }
            if (r == TLecteurTrames::rIncomplet) break;
            if (t.Donnees.size() > TLecteurTrames::TailleMaxDonnees) __builtin_trap();
            consommes += TLecteurTrames::TailleEnTete + t.Donnees.size();
            if (consommes > lus) __builtin_trap();
        }
    }
    if (!refuse && lecteur.Vide() != (consommes == lus)) __builtin_trap();
    return 0;
}
