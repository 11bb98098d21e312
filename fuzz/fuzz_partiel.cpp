// Fuzz target: a partial result of alveran-cli solve --shard, as solve --merge reads it, then
// the routes and families built from its strokes and the JSON written from them. Grids above
// 100 000 points are refused by the reader here: one costs its size in memory and time, which
// is no fault.

#include "cli/Options.h"
#include "cli/SolveJson.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string texte(reinterpret_cast<const char*>(data), size);
    TPartielLu p;
    try {
        p = LitPartielTexte(texte, "fuzz", 100000);
    } catch (const TErreurCommande&) {
        return 0;
    }
    const TSolutions s = RoutesEtFamilles(p.Coups, ViseeFaitLeTour(p.Grille.AngleOx), 1);
    int64_t reussis = 0, codes = 0;
    for (const TRoute& r : s.Routes) reussis += r.Reussis;
    for (uint32_t c : p.Coups.Codes) codes += c != 0 ? 1 : 0;
    if (reussis != codes || static_cast<int64_t>(s.Coups.size()) != codes) __builtin_trap();
    TJson json;
    json.DebutObjet();
    EcritSolutions(json, p.Grille, p.Coups, s, true);
    json.FinObjet();
    return 0;
}
