// Fuzz target: a block received from the database application, 296 arbitrary bytes, applied
// to the engine and followed by the computation the main window runs on receipt (the stroke
// for type 1, the trajectories without a strike for any other type).

#include "analysis/ComdbAlv.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {
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
    TOctetsCoupDb octets{};
    std::memcpy(octets.data(), data, size < octets.size() ? size : octets.size());
    const int32_t type = RecoitCoupDb(*e, DecodeCoupDb(octets));
    if (type == 1)
        e->TireCoup();
    else
        e->CalculeTrajets();
    // What the main window and the export read after the shot must hold too.
    const std::string sequence = SequenceContacts(*e);
    TCaracteristiques c{};
    CalculeCaracteristiques(*e, c);
    if (sequence.size() > TBillardAlveran::NbEnrMax) __builtin_trap();
    return 0;
}
