#pragma once
// Independent units of work shared out to threads, each thread firing on its own copy of the
// engine: units are handed out one by one in order from an atomic counter, so a slow unit
// never holds up the others, and the result of a unit never depends on the thread that ran it.
// The tolerance evaluation and the fits of tracked shots both work this way.

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
    /// `travail(moteur, unite)` runs on a worker thread; false ends that worker.
    using TTravail = std::function<bool(TMoteur& moteur, int64_t unite)>;

    TEquipeMoteurs() = default;
    TEquipeMoteurs(const TEquipeMoteurs&) = delete;
    TEquipeMoteurs& operator=(const TEquipeMoteurs&) = delete;
    ~TEquipeMoteurs() { Rejoint(); }

    /// Copies `modele` once per worker (at least 1, at most `nbThreads` and `nb`) and starts
    /// them; returns at once. A stop request (`arret` set) is seen before each unit: the units
    /// not started are left undone. What `travail` writes must belong to its unit alone.
    void Demarre(const TMoteur& modele, int nbThreads, int64_t nb, TTravail travail,
                 const std::atomic<bool>* arret = nullptr) {
        Rejoint();
        FTravail = std::move(travail);
        FNb = nb;
        FArret = arret;
        FSuivante.store(0);
        const auto n =
            static_cast<int>(std::clamp<int64_t>(nbThreads, 1, std::max<int64_t>(nb, 1)));
        FCopies.clear();
        for (int i = 0; i < n; ++i) FCopies.push_back(CopieMoteur(modele));
        FEnCours.store(n);
        for (int i = 0; i < n; ++i)
            FTravailleurs.emplace_back([this, i] { Travaille(*FCopies[i]); });
    }

    /// Waits for every worker.
    void Rejoint() {
        for (auto& t : FTravailleurs) t.join();
        FTravailleurs.clear();
    }

    /// True once every worker has finished (Rejoint then returns at once).
    bool Termine() const { return FEnCours.load() == 0; }

    /// Workers started by the last Demarre.
    int NbThreads() const { return static_cast<int>(FCopies.size()); }

  private:
    void Travaille(TMoteur& moteur) {
        for (;;) {
            if (FArret != nullptr && FArret->load(std::memory_order_relaxed)) break;
            const int64_t unite = FSuivante.fetch_add(1);
            if (unite >= FNb || !FTravail(moteur, unite)) break;
        }
        FEnCours.fetch_sub(1);
    }

    TTravail FTravail;
    int64_t FNb = 0;
    const std::atomic<bool>* FArret = nullptr;
    std::vector<std::unique_ptr<TMoteur>> FCopies;
    std::vector<std::thread> FTravailleurs;
    std::atomic<int64_t> FSuivante{0};
    std::atomic<int> FEnCours{0};
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
