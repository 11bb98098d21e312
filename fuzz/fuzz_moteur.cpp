// Fuzz target: the engine fed arbitrary (finite and non-finite) constants, initial states and
// strokes. Every shot must end, quickly, without any sanitizer report.

#include "engine/C8_BillardAlveran.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {
/// Reads doubles from the input, zero once it runs out.
struct Lecteur {
    const uint8_t* p;
    size_t n;
    double Double() {
        double d = 0;
        if (n >= sizeof d) {
            std::memcpy(&d, p, sizeof d);
            p += sizeof d;
            n -= sizeof d;
        }
        return d;
    }
    uint8_t Octet() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
};

/// Analysis steps of one shot under libFuzzer: a few thousand reach every impact path (the
/// default shot takes about 1 200), and keep the fuzzer at hundreds of inputs a second. The
/// replays of the corpus and regressions by the ordinary tests, which do not call
/// LLVMFuzzerInitialize, fire whole shots.
int64_t NbPasFuzz = TBillardAlveran::NbPasMax;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    NbPasFuzz = 4000;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto e = std::make_unique<TBillardAlveran>();
    *e = TBillardAlveran();
    e->NbPasLimite = NbPasFuzz;
    Lecteur l{data, size};
    const uint8_t choix = l.Octet();
    e->ModeDeJeu = static_cast<TModeDeJeu>(l.Octet() % 4);
    // Bit k of the mask: constant k is read from the input, else it keeps its default.
    uint32_t masque = 0;
    for (int i = 0; i < 3; ++i) masque = (masque << 8) | l.Octet();
    for (int i = 0; i < TPARAMPHYS::NbParametres; ++i)
        if (masque & (1u << i)) e->Fisik.SetParametre(i, l.Double());
    for (int b = 1; b <= 3; ++b) {
        TCinematique& c = e->Trajets[b][0];
        c.Position = Vecteur(l.Double(), l.Double(), l.Double());
        if (choix & 2) {
            c.Vitesse = Vecteur(l.Double(), l.Double(), l.Double());
            c.Rotation = Vecteur(l.Double(), l.Double(), l.Double());
        }
    }
    e->Coup.Vq = l.Double();
    e->Coup.m = l.Double();
    e->Coup.Effet = l.Double();
    e->Coup.Hauteur = l.Double();
    e->Coup.AngleOx = l.Double();
    e->Coup.AngleTapis = l.Double();
    if (choix & 1)
        e->TireCoup();
    else
        e->CalculeTrajets();
    if (e->NbEnr < 0 || e->NbEnr > TBillardAlveran::NbEnrMax) __builtin_trap();
    return 0;
}
