// Outside text that reaches the engine: position files (profile text and numbers) and
// pasted clipboard text. Checks that nothing crashes, that an untouched profile text comes
// back byte for byte, and that a written key reads back.

#include "engine/C8_BillardAlveran.h"
#include "engine/Nombres.h"
#include "engine/ProfilIni.h"

#include <cstddef>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

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

    const auto moteur = std::make_unique<TBillardAlveran>();
    moteur->CollePressePapiersTexte(texte);
    const std::string copie = moteur->TextePressePapiers();
    if (LitNombre(texte, v) && std::isfinite(v)) {
        double relu = 0;
        if (!LitNombre(TexteNombre(v), relu) && std::abs(v) < 1E308) __builtin_trap();
    }
    return 0;
}
