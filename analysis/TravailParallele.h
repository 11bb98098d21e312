#pragma once
// Independent units of work shared out to threads, each thread firing on its own copy of the
// engine: units are handed out one by one in order from an atomic counter, so a slow unit
// never holds up the others, and the result of a unit never depends on the thread that ran it.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

/// A copy of `modele` for one worker thread; the caller's notifications belong to its own
/// thread, so the copy notifies nobody.
template <class TMoteur> std::unique_ptr<TMoteur> CopieMoteur(const TMoteur& modele) {
    auto copie = std::make_unique<TMoteur>(modele);
    if constexpr (requires { copie->ApresQueueBille = {}; }) copie->ApresQueueBille = {};
    if constexpr (requires { copie->ApresCalculTrajets = {}; }) copie->ApresCalculTrajets = {};
    return copie;
}

/// Runs `travail(moteur, unite)` for every unit 0 … nb − 1 on at most `nbThreads` threads (at
/// least one), each on its own copy of `modele`, and returns when all are done. A stop request
/// (`arret` set) is seen before each unit: the units not started are left undone. `travail`
/// runs on the worker threads: what it writes must belong to its unit alone.
template <class TMoteur, class F>
void PartageTravail(const TMoteur& modele, int nbThreads, int64_t nb, F travail,
                    const std::atomic<bool>* arret = nullptr) {
    const int n = static_cast<int>(std::clamp<int64_t>(nbThreads, 1, std::max<int64_t>(nb, 1)));
    std::atomic<int64_t> suivante{0};
    const auto travaille = [&](TMoteur& moteur) {
        for (;;) {
            if (arret != nullptr && arret->load(std::memory_order_relaxed)) return;
            const int64_t unite = suivante.fetch_add(1);
            if (unite >= nb) return;
            travail(moteur, unite);
        }
    };
    std::vector<std::unique_ptr<TMoteur>> copies;
    for (int i = 0; i < n; ++i) copies.push_back(CopieMoteur(modele));
    std::vector<std::thread> travailleurs;
    for (int i = 1; i < n; ++i) travailleurs.emplace_back([&, i] { travaille(*copies[i]); });
    travaille(*copies[0]); // the calling thread is the first worker
    for (auto& t : travailleurs) t.join();
}
