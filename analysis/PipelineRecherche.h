#pragma once
// The whole solution search as one piece of background work: fire the grid's strokes, group the
// scoring ones into routes and families, characterise the families (D13, tolerance counts) and,
// when asked, their chances for a player. The search window and `alveran-cli solve` both run
// it, so they cannot drift apart; each polls it (a timer, a loop) for its progress and may ask
// it to stop at any stage. The grid's value tables are built once here and handed to every
// stage.

#include "analysis/RechercheFamilles.h"
#include "analysis/RechercheSolutions.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct TResultatRecherche;

/// What the pipeline does after firing.
struct TOptionsPipeline {
    int NbThreads = 1;
    /// Only this share of the strokes is fired (a share is never grouped: see Caracterise).
    TPartageRecherche Partage;
    int32_t MinFamille = MinFamilleDefaut;
    int32_t NbTolerance = 0; ///< the K largest families get their tolerance count
    /// False: fire only (a share of a search whose parts are merged later).
    bool Regroupe = true;
    /// Optional last stage, run on the routes and families once characterised: it gets the
    /// engine (the position searched), the result so far and the pipeline's stop request, and
    /// reports its progress through `progression(faits, total)`. Returns false when stopped.
    std::function<bool(const TBillardAlveran& moteur, TResultatRecherche& resultat,
                       const std::atomic<bool>& arret,
                       const std::function<void(int64_t, int64_t)>& progression)>
        EtapeFinale;
};

/// The stages, in order.
enum class TEtapeRecherche { Tirs, Familles, Tolerance, Finale, Fini };

struct TAvancementRecherche {
    TEtapeRecherche Etape = TEtapeRecherche::Tirs;
    int64_t Faits = 0;   ///< units of the stage done (strokes, tolerance trials, …)
    int64_t Total = 0;   ///< units of the stage (0 while unknown)
    int64_t Reussis = 0; ///< scoring strokes so far (firing stage)
};

/// Everything a search found.
struct TResultatRecherche {
    TGrilleRecherche Grille;
    TValeursRecherche Valeurs;
    TDimensionsRecherche Dimensions;
    TCoupsRecherche Coups;
    TSolutions Solutions;
    /// The firing was stopped: the routes and families are those of the strokes fired.
    bool TirsInterrompus = false;
    /// A later stage (tolerance counts, final stage) was stopped before its end.
    bool SuiteInterrompue = false;
    bool Interrompu() const { return TirsInterrompus || SuiteInterrompue; }
};

class TPipelineRecherche {
  public:
    TPipelineRecherche() = default;
    TPipelineRecherche(const TPipelineRecherche&) = delete;
    TPipelineRecherche& operator=(const TPipelineRecherche&) = delete;
    ~TPipelineRecherche();

    /// Starts the whole search of a valid grid from the engine's position (copied now) and
    /// returns at once.
    void Demarre(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                 const TOptionsPipeline& options);
    /// Starts from strokes already fired (the merged shares of a search): grouping onwards.
    void DemarreDepuis(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                       TCoupsRecherche coups, const TOptionsPipeline& options);
    /// Asks the current stage to stop; what was found is kept and the later stages that take
    /// long (tolerance counts, the final stage) are skipped. Any thread may call it.
    void Arrete();
    bool Termine() const { return FFini.load(); }
    TAvancementRecherche Avancement() const;
    /// Waits for the end and returns the result.
    TResultatRecherche Attend();

  private:
    void Lance(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
               const TOptionsPipeline& options);
    void Travaille(bool tirer);
    void FixeEtape(TEtapeRecherche etape);

    std::unique_ptr<TBillardAlveran> FMoteur;
    TOptionsPipeline FOptions;
    TResultatRecherche FResultat;
    TRechercheSolutions FRecherche;
    std::atomic<bool> FArret{false};
    std::atomic<bool> FFini{true};
    std::atomic<int> FEtape{0};
    std::atomic<int64_t> FFaits{0}, FTotal{0};
    std::thread FFil;
};

/// Blocking run (tests, benchmarks).
TResultatRecherche ChercheTout(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                               const TOptionsPipeline& options);
