// Fuzz target: a partial result of alveran-cli solve --shard, as solve --merge reads it, then
// the routes and families built from its strokes and the JSON written from them. Grids above
// 100 000 points are refused by the reader here: one costs its size in memory and time, which
// is no fault. Each input is read as it is (its digest checked: almost always refused) and,
// when it is a JSON object, once more signed with its own digest, so that the checks of what
// a part claims and everything after them are reached too.

#include "cli/Options.h"
#include "cli/SolveJson.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

/// The part read, its routes and families built and written.
void Lit(const std::string& texte) {
    TPartielLu p;
    try {
        p = LitPartielTexte(texte, "fuzz", 100000);
    } catch (const TErreurCommande&) {
        return;
    }
    // Accepted: it holds together as a written part does.
    int64_t cellules = 0;
    for (size_t i = 0; i < p.Coups.Codes.size(); ++i) {
        if (p.Coups.Codes[i] == 0) continue;
        ++cellules;
        if ((static_cast<int64_t>(i) / TailleBlocRecherche) % p.Partage.Nombre != p.Partage.Indice)
            __builtin_trap();
    }
    if (cellules != p.Coups.Reussis || p.Coups.Reussis > p.Coups.Tires || !(p.Secondes >= 0))
        __builtin_trap();
    const TSolutions s = RoutesEtFamilles(p.Coups, ViseeFaitLeTour(p.Grille.AngleOx), 1);
    int64_t reussis = 0, codes = 0;
    for (const TRoute& r : s.Routes) reussis += r.Reussis;
    for (uint32_t c : p.Coups.Codes) codes += c != 0 ? 1 : 0;
    if (reussis != codes || static_cast<int64_t>(s.Coups.size()) != codes) __builtin_trap();
    TJson json;
    json.DebutObjet();
    EcritSolutions(json, p.Grille, p.Coups, s, true);
    json.FinObjet();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string texte(reinterpret_cast<const char*>(data), size);
    Lit(texte);
    while (!texte.empty() && (texte.back() == '\n' || texte.back() == ' ')) texte.pop_back();
    if (texte.size() > 1 && texte.front() == '{' && texte.back() == '}')
        Lit(AvecEmpreinte(texte));
    return 0;
}
