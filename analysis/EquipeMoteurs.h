#pragma once
// Engine copies working through numbered units of work on threads: the machinery shared by the
// tolerance count and the solution search.
//
// Each worker fires on its own copy of the engine, copied when the team starts, so the caller's
// engine is free during the run. The units are handed out one by one in increasing order from
// an atomic counter; what a unit means (a combination of the tolerance grid, a block of
// strokes of the search) is the caller's business. Progress is polled from any thread; no
// callback of the caller's runs on the worker threads besides the unit's work.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

template <class TMoteur> class TEquipeMoteurs {
  public:
    TEquipeMoteurs() = default;
    TEquipeMoteurs(const TEquipeMoteurs&) = delete;
    TEquipeMoteurs& operator=(const TEquipeMoteurs&) = delete;
    ~TEquipeMoteurs() {
        Arrete();
        Rejoint();
    }

    /// Ends any earlier run, copies `moteur` once per worker and starts `nbThreads` workers
    /// (at least 1). Each worker takes the next unit rank, 0 … nbUnites − 1, and runs
    /// `travail(copie, rang)`; `travail` returns false when a stop request made it abandon the
    /// unit, which ends that worker without counting the unit as done. A worker also stops
    /// before taking a unit once a stop was requested.
    template <class F>
    void Demarre(const TMoteur& moteur, int nbThreads, int64_t nbUnites, F travail) {
        Arrete();
        Rejoint();
        FNbUnites = nbUnites;
        FSuivante.store(0);
        FFaites.store(0);
        FArret.store(false);
        FNbThreads = std::max(nbThreads, 1);
        FCopies.clear();
        for (int i = 0; i < FNbThreads; ++i) {
            auto copie = std::make_unique<TMoteur>(moteur);
            // The caller's notifications belong to its thread; the copies notify nobody.
            if constexpr (requires { copie->ApresQueueBille = {}; }) copie->ApresQueueBille = {};
            if constexpr (requires { copie->ApresCalculTrajets = {}; })
                copie->ApresCalculTrajets = {};
            FCopies.push_back(std::move(copie));
        }
        FEnCours.store(FNbThreads);
        for (int i = 0; i < FNbThreads; ++i)
            FTravailleurs.emplace_back([this, i, travail] { Travaille(*FCopies[i], travail); });
    }

    /// Asks every worker to stop before its next unit. Any thread may call it.
    void Arrete() { FArret.store(true); }
    /// The stop request, for units that look at it while they work.
    const std::atomic<bool>& Arret() const { return FArret; }

    /// True once every worker has finished.
    bool Termine() const { return FEnCours.load() == 0; }
    /// Waits for every worker.
    void Rejoint() {
        for (auto& t : FTravailleurs) t.join();
        FTravailleurs.clear();
    }

    int64_t UnitesFaites() const { return FFaites.load(std::memory_order_relaxed); }
    int64_t NbUnites() const { return FNbUnites; }
    /// Number of workers started by the last Demarre.
    int NbThreads() const { return FNbThreads; }

  private:
    template <class F> void Travaille(TMoteur& moteur, const F& travail) {
        while (!FArret.load(std::memory_order_relaxed)) {
            const int64_t rang = FSuivante.fetch_add(1);
            if (rang >= FNbUnites) break;
            if (!travail(moteur, rang)) break;
            FFaites.fetch_add(1, std::memory_order_relaxed);
        }
        FEnCours.fetch_sub(1);
    }

    int64_t FNbUnites = 0;
    std::vector<std::unique_ptr<TMoteur>> FCopies;
    std::vector<std::thread> FTravailleurs;
    int FNbThreads = 0;
    std::atomic<int64_t> FSuivante{0};
    std::atomic<int64_t> FFaites{0};
    std::atomic<int> FEnCours{0};
    std::atomic<bool> FArret{false};
};
