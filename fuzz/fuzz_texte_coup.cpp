// Outside text that reaches the engine: position files (profile text and numbers, then the
// file read by its extension, .alv and .alv2, and the shot it holds computed) and pasted
// clipboard text. Checks that nothing crashes, that an untouched profile text comes
// back byte for byte, and that a written key reads back.

#include "engine/C8_BillardAlveran.h"
#include "engine/Nombres.h"
#include "engine/ProfilIni.h"

#include <cstddef>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <unistd.h>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {
/// Analysis steps of each shot under libFuzzer, as for the engine's target: a few thousand
/// reach every impact path and keep the fuzzer at thousands of inputs a second (a whole shot
/// of a long file is otherwise most of an input's time). The replays by the ordinary tests,
/// which do not call LLVMFuzzerInitialize, fire whole shots.
int64_t NbPasFuzz = TBillardAlveran::NbPasMax;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    NbPasFuzz = 4000;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, std::size_t taille) {
    const std::string texte(reinterpret_cast<const char*>(donnees), taille);

    TProfilIni ini(texte);
    if (ini.Texte() != texte) __builtin_trap();
    double v = 0;
    for (const char* cle : {"Vq", "m", "P1x", "R3z"})
        if (const auto valeur = ini.Lit("Queue", cle)) LitNombre(*valeur, v);
    ini.Ecrit("Queue", "Vq", "430");
    ini.Ecrit("Positions", "P1x", "-1E-5");
    if (ini.Lit("Queue", "Vq") != "430" || ini.Lit("positions", "p1x") != "-1E-5") __builtin_trap();

    // One engine for every input: its records are hundreds of kB to allocate and clear.
    static const auto moteur = std::make_unique<TBillardAlveran>();
    *moteur = TBillardAlveran();
    moteur->CollePressePapiersTexte(texte);
    const std::string copie = moteur->TextePressePapiers();
    if (LitNombre(texte, v) && std::isfinite(v)) {
        double relu = 0;
        if (!LitNombre(TexteNombre(v), relu) && std::abs(v) < 1E308) __builtin_trap();
    }

    // The same text as a file of either variant, read as the main window does, then fired.
    static const std::string base = "/tmp/alveran-fuzz-" + std::to_string(getpid());
    for (const char* extension : {".alv", ".Alv2"}) {
        const std::string nom = base + extension;
        std::ofstream(nom, std::ios::binary | std::ios::trunc) << texte;
        *moteur = TBillardAlveran();
        const int variante = moteur->LitPosition(nom);
        moteur->NbPasLimite = NbPasFuzz;
        if (variante == 1)
            moteur->TireCoup();
        else if (variante == 2)
            moteur->CalculeTrajets();
        else
            __builtin_trap();
        std::remove(nom.c_str());
    }
    return 0;
}
