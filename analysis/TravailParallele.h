#pragma once
// Engine copies working through numbered units of work on threads: the machinery shared by the
// tolerance count, the solution search and the fits of tracked shots.
//
// Each worker fires on its own copy of the engine, copied when the team starts, so the caller's
// engine is free during the run. The units are handed out one by one in increasing order from
// an atomic counter, so a slow unit never holds up the others and the result of a unit never
// depends on the thread that ran it; what a unit means (a combination of the tolerance grid, a
// block of strokes of the search, one tracked shot) is the caller's business. Progress is
// polled from any thread; no callback of the caller's runs on the worker threads besides the
// unit's work.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
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

/// Worker threads over units 0 … nb − 1, each worker with its own engine copy.
template <class TMoteur> class TEquipeMoteurs {
  public:
    /// `travail(moteur, unite)` runs on a worker thread; false (a stop request made it abandon
    /// the unit) ends that worker without counting the unit as done.
    using TTravail = std::function<bool(TMoteur& moteur, int64_t unite)>;

    TEquipeMoteurs() = default;
    TEquipeMoteurs(const TEquipeMoteurs&) = delete;
    TEquipeMoteurs& operator=(const TEquipeMoteurs&) = delete;
    ~TEquipeMoteurs() {
        Arrete();
        Rejoint();
    }

    /// Ends any earlier run, copies `modele` once per worker (at least 1, at most `nbThreads`
    /// and `nb`) and starts them; returns at once. A stop request (Arrete, or `arret` set by
    /// the caller) is seen before each unit: the units not started are left undone. What
    /// `travail` writes must belong to its unit alone.
    void Demarre(const TMoteur& modele, int nbThreads, int64_t nb, TTravail travail,
                 const std::atomic<bool>* arret = nullptr) {
        Arrete();
        Rejoint();
        FTravail = std::move(travail);
        FNb = nb;
        FArretExterne = arret;
        FSuivante.store(0);
        FFaites.store(0);
        FArret.store(false);
        const auto n =
            static_cast<int>(std::clamp<int64_t>(nbThreads, 1, std::max<int64_t>(nb, 1)));
        FCopies.clear();
        for (int i = 0; i < n; ++i) FCopies.push_back(CopieMoteur(modele));
        FEnCours.store(n);
        for (int i = 0; i < n; ++i)
            FTravailleurs.emplace_back([this, i] { Travaille(*FCopies[i]); });
    }

    /// Asks every worker to stop before its next unit. Any thread may call it.
    void Arrete() { FArret.store(true); }
    /// The team's own stop request, for units that look at it while they work.
    const std::atomic<bool>& Arret() const { return FArret; }

    /// Waits for every worker.
    void Rejoint() {
        for (auto& t : FTravailleurs) t.join();
        FTravailleurs.clear();
    }

    /// True once every worker has finished (Rejoint then returns at once).
    bool Termine() const { return FEnCours.load() == 0; }

    int64_t UnitesFaites() const { return FFaites.load(std::memory_order_relaxed); }
    int64_t NbUnites() const { return FNb; }
    /// Workers started by the last Demarre.
    int NbThreads() const { return static_cast<int>(FCopies.size()); }

  private:
    bool ArretDemande() const {
        return FArret.load(std::memory_order_relaxed) ||
               (FArretExterne != nullptr && FArretExterne->load(std::memory_order_relaxed));
    }

    void Travaille(TMoteur& moteur) {
        while (!ArretDemande()) {
            const int64_t unite = FSuivante.fetch_add(1);
            if (unite >= FNb || !FTravail(moteur, unite)) break;
            FFaites.fetch_add(1, std::memory_order_relaxed);
        }
        FEnCours.fetch_sub(1);
    }

    TTravail FTravail;
    int64_t FNb = 0;
    const std::atomic<bool>* FArretExterne = nullptr;
    std::vector<std::unique_ptr<TMoteur>> FCopies;
    std::vector<std::thread> FTravailleurs;
    std::atomic<int64_t> FSuivante{0};
    std::atomic<int64_t> FFaites{0};
    std::atomic<int> FEnCours{0};
    std::atomic<bool> FArret{false};
};

/// Runs `travail(moteur, unite)` for every unit 0 … nb − 1 as TEquipeMoteurs does and returns
/// when all are done (or, after a stop request, when the units started are).
template <class TMoteur, class F>
void PartageTravail(const TMoteur& modele, int nbThreads, int64_t nb, F travail,
                    const std::atomic<bool>* arret = nullptr) {
    TEquipeMoteurs<TMoteur> equipe;
    equipe.Demarre(
        modele, nbThreads, nb,
        [&travail](TMoteur& moteur, int64_t unite) {
            travail(moteur, unite);
            return true;
        },
        arret);
    equipe.Rejoint();
}
