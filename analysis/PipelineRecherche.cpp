#include "analysis/PipelineRecherche.h"

#include <chrono>

namespace {

/// The firing stage is polled this often by the pipeline's own thread.
constexpr auto PeriodeSonde = std::chrono::milliseconds(20);

} // namespace

TPipelineRecherche::~TPipelineRecherche() {
    Arrete();
    if (FFil.joinable()) FFil.join();
}

void TPipelineRecherche::Lance(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                               const TOptionsPipeline& options) {
    Arrete();
    if (FFil.joinable()) FFil.join();
    FMoteur = CopieMoteur(moteur);
    FOptions = options;
    FResultat = {};
    FResultat.Grille = grille;
    FResultat.Valeurs = ValeursRecherche(grille);
    FResultat.Dimensions = DimensionsRecherche(grille);
    FArret = false;
    FFini = false;
    FFaits = 0;
    FTotal = 0;
}

void TPipelineRecherche::Demarre(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                                 const TOptionsPipeline& options) {
    Lance(moteur, grille, options);
    FixeEtape(TEtapeRecherche::Tirs);
    // Started here, not on the pipeline's thread, so that progress is readable at once.
    FRecherche.Demarre(*FMoteur, FResultat.Valeurs, FResultat.Dimensions, FOptions.NbThreads,
                       FOptions.Partage);
    FFil = std::thread([this] { Travaille(true); });
}

void TPipelineRecherche::DemarreDepuis(const TBillardAlveran& moteur,
                                       const TGrilleRecherche& grille, TCoupsRecherche coups,
                                       const TOptionsPipeline& options) {
    Lance(moteur, grille, options);
    FResultat.Coups = std::move(coups);
    FResultat.TirsInterrompus = FResultat.Coups.Interrompu;
    FixeEtape(TEtapeRecherche::Familles);
    FFil = std::thread([this] { Travaille(false); });
}

void TPipelineRecherche::Arrete() {
    FArret = true;
    FRecherche.Arrete();
}

void TPipelineRecherche::FixeEtape(TEtapeRecherche etape) {
    FFaits = 0;
    FTotal = 0;
    FEtape = static_cast<int>(etape);
}

TAvancementRecherche TPipelineRecherche::Avancement() const {
    TAvancementRecherche a;
    a.Etape = static_cast<TEtapeRecherche>(FEtape.load());
    if (a.Etape == TEtapeRecherche::Tirs) {
        const TProgressionRecherche p = FRecherche.Progression();
        a.Faits = p.Tires;
        a.Total = p.ATirer;
        a.Reussis = p.Reussis;
    } else {
        a.Faits = FFaits;
        a.Total = FTotal;
    }
    return a;
}

void TPipelineRecherche::Travaille(bool tirer) {
    TResultatRecherche& r = FResultat;
    if (tirer) {
        while (!FRecherche.Termine()) std::this_thread::sleep_for(PeriodeSonde);
        r.Coups = FRecherche.Attend();
        r.TirsInterrompus = r.Coups.Interrompu;
    }
    if (FOptions.Regroupe) {
        FixeEtape(TEtapeRecherche::Familles);
        r.Solutions =
            RoutesEtFamilles(r.Coups, ViseeFaitLeTour(r.Grille.AngleOx), FOptions.MinFamille);
        // After a stop, what was found is reported without the long counts.
        const bool suite = !r.TirsInterrompus && !FArret;
        const bool longues = FOptions.NbTolerance > 0 || FOptions.EtapeFinale;
        if (!suite && !r.TirsInterrompus && longues) r.SuiteInterrompue = true;
        FixeEtape(TEtapeRecherche::Tolerance);
        TSuiviFamilles suivi;
        suivi.Arret = [this] { return FArret.load(); };
        suivi.Progression = [this](int64_t faits, int64_t total) {
            FFaits = faits;
            FTotal = total;
        };
        if (!CaracteriseFamilles(*FMoteur, r.Valeurs, r.Dimensions, r.Solutions,
                                 suite ? FOptions.NbTolerance : 0, FOptions.NbThreads, suivi))
            r.SuiteInterrompue = true;
        if (FOptions.EtapeFinale && suite && !r.SuiteInterrompue && !FArret) {
            FixeEtape(TEtapeRecherche::Finale);
            if (!FOptions.EtapeFinale(*FMoteur, r, FArret, suivi.Progression))
                r.SuiteInterrompue = true;
        }
    }
    FixeEtape(TEtapeRecherche::Fini);
    FFini = true;
}

TResultatRecherche TPipelineRecherche::Attend() {
    if (FFil.joinable()) FFil.join();
    return std::move(FResultat);
}

TResultatRecherche ChercheTout(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                               const TOptionsPipeline& options) {
    TPipelineRecherche pipeline;
    pipeline.Demarre(moteur, grille, options);
    return pipeline.Attend();
}
