// The tolerance count: the order and exact values of the enumeration, the mass level's
// asymmetry, interruption, the parallel evaluation and the shares against the serial one.

#include "analysis/ToleranceCalcul.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

/// A stand-in engine: the six stroke fields, a scoring rule of the stroke, and a journal.
struct TMoteurFactice {
    double Effet = 0, Hauteur = 0, AngleOx = 0, Vq = 0, AngleTapis = 0, m = 0;
    bool PointReussi = false;
    std::function<bool(const TMoteurFactice&)> Regle = [](const TMoteurFactice&) { return true; };
    /// Every trial's stroke, in firing order (serial tests only: copies share it).
    std::shared_ptr<std::vector<std::array<double, 6>>> Journal;
    /// Runs after every trial (parallel tests use it to stop the evaluation).
    std::function<void()> ApresTir;

    void TireCoup() {
        PointReussi = Regle(*this);
        if (Journal) Journal->push_back({Effet, Hauteur, AngleOx, Vq, AngleTapis, m});
        if (ApresTir) ApresTir();
    }
};

/// A rule that depends on every bit of the six values: a stroke that differs in its last bit
/// scores differently about a third of the time, so a worker that reaches a value by another
/// computation than the enumeration's additions is caught.
bool RegleBits(const TMoteurFactice& f) {
    uint64_t h = 1469598103934665603ull;
    for (double v : {f.Effet, f.Hauteur, f.AngleOx, f.Vq, f.AngleTapis, f.m}) {
        h ^= std::bit_cast<uint64_t>(v);
        h *= 1099511628211ull;
        h ^= h >> 29;
    }
    return h % 3 != 0;
}

/// Centres and increments chosen so that stepwise sums differ from products in the last bit.
TGrilleTolerance Grille(std::array<int32_t, 6> nombres) {
    TGrilleTolerance g;
    g.Centres = {0.621910112359551, 1.1747191011236, 98.64 * std::numbers::pi / 180, 430, 0, 520};
    g.Increments = {0.1, 0.1, 0.1 * std::numbers::pi / 180, 10, 2 * std::numbers::pi / 180, 0.7};
    g.Nombres = nombres;
    return g;
}

bool MemesBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

void ExpectCentres(const TMoteurFactice& f, const TGrilleTolerance& g) {
    EXPECT_TRUE(MemesBits(f.Effet, g.Centres[0]));
    EXPECT_TRUE(MemesBits(f.Hauteur, g.Centres[1]));
    EXPECT_TRUE(MemesBits(f.AngleOx, g.Centres[2]));
    EXPECT_TRUE(MemesBits(f.Vq, g.Centres[3]));
    EXPECT_TRUE(MemesBits(f.AngleTapis, g.Centres[4]));
    EXPECT_TRUE(MemesBits(f.m, g.Centres[5]));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Grid sizes and validation

TEST(ToleranceGrille, TotalsAreSixtyFourBitProducts) {
    EXPECT_EQ(NbEssaisGrille(Grille({5, 5, 5, 2, 2, 0})), 33275);
    EXPECT_EQ(NbCombinaisons(Grille({5, 5, 5, 2, 2, 7})), 33275);
    EXPECT_EQ(NbEssaisGrille(Grille({0, 0, 0, 0, 0, 0})), 1);
    // 201^6 is far beyond 32 bits.
    EXPECT_EQ(NbEssaisGrille(Grille({100, 100, 100, 100, 100, 100})), 65944160601201LL);
}

TEST(ToleranceGrille, RefusesCountsOutsideTheUpDownRangeAndNonFiniteValues) {
    EXPECT_EQ(VerifieGrille(Grille({0, 100, 0, 0, 0, 0})), "");
    EXPECT_NE(VerifieGrille(Grille({0, 101, 0, 0, 0, 0})), "");
    EXPECT_NE(VerifieGrille(Grille({0, 0, 0, 0, 0, -1})), "");
    auto g = Grille({1, 1, 1, 1, 1, 1});
    g.Increments[3] = std::nan("");
    EXPECT_NE(VerifieGrille(g), "");
    g = Grille({1, 1, 1, 1, 1, 1});
    g.Centres[0] = INFINITY;
    EXPECT_NE(VerifieGrille(g), "");
}

TEST(ToleranceGrille, SharesCoverEveryCombinationOnce) {
    const auto g = Grille({1, 2, 0, 1, 0, 3}); // 3 × 5 × 3 = 45 combinations
    for (int64_t n : {1, 2, 7, 45, 50}) {
        int64_t somme = 0;
        for (int64_t k = 0; k < n; ++k) somme += NbCombinaisonsPartage(g, {k, n});
        EXPECT_EQ(somme, 45) << n;
    }
    EXPECT_EQ(NbCombinaisonsPartage(g, {2, 2}), 0);
    EXPECT_EQ(NbCombinaisonsPartage(g, {0, 0}), 0);
}

// ---------------------------------------------------------------------------------------------
// The serial enumeration

TEST(ToleranceSerie, LevelValuesAreReachedStepByStep) {
    const auto g = Grille({4, 0, 0, 0, 0, 0});
    const double c = g.Centres[0], d = g.Increments[0];
    // The point of the test: three additions of 0.1 are not c + 3 × 0.1 here.
    ASSERT_FALSE(MemesBits(c + d + d + d, c + 3 * d));

    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    EvalueTolerance(f, g);
    const std::vector<double> attendu = {
        c,     c + d,     c + d + d,     c + d + d + d,    c + d + d + d + d,
        c - d, c - d - d, c - d - d - d, c - d - d - d - d};
    ASSERT_EQ(f.Journal->size(), attendu.size());
    for (size_t i = 0; i < attendu.size(); ++i)
        EXPECT_TRUE(MemesBits((*f.Journal)[i][0], attendu[i])) << i;
    EXPECT_EQ(ValeursNiveau(g, 1).size(), attendu.size());
    for (size_t i = 0; i < attendu.size(); ++i)
        EXPECT_TRUE(MemesBits(ValeursNiveau(g, 1)[i], attendu[i])) << i;
}

TEST(ToleranceSerie, OuterLevelsChangeSlowestAndEachPassStartsAtTheCentre) {
    TGrilleTolerance g;
    g.Centres = {10, 20, 30, 40, 50, 60};
    g.Increments = {1, 1, 1, 1, 1, 1};
    g.Nombres = {1, 0, 0, 0, 1, 0};
    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    EvalueTolerance(f, g);
    std::vector<std::pair<double, double>> vus;
    for (const auto& t : *f.Journal) vus.emplace_back(t[0], t[4]);
    const std::vector<std::pair<double, double>> attendu = {
        {10, 50}, {10, 51}, {10, 49}, {11, 50}, {11, 51}, {11, 49}, {9, 50}, {9, 51}, {9, 49}};
    EXPECT_EQ(vus, attendu);
}

TEST(ToleranceSerie, MassGoesUpUntilTheFirstMissThenTriesEveryLowerMass) {
    TGrilleTolerance g;
    g.Centres = {0, 0, 0, 0, 0, 500};
    g.Increments = {0, 0, 0, 0, 0, 10};
    g.Nombres = {0, 0, 0, 0, 0, 3};
    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    f.Regle = [](const TMoteurFactice& e) { return e.m != 520 && e.m != 480; };
    const auto r = EvalueTolerance(f, g);
    std::vector<double> masses;
    for (const auto& t : *f.Journal) masses.push_back(t[5]);
    EXPECT_EQ(masses, (std::vector<double>{500, 510, 520, 490, 480, 470}));
    EXPECT_EQ(r.NbReussis, 2 + 2); // 500, 510 up; 490, 470 down (480 misses but goes on)
    EXPECT_EQ(r.NbEssaisFaits, 3); // the downward trials are not counted as made
    EXPECT_EQ(r.NbEssaisTotal, 7);
    EXPECT_FALSE(r.Interrompu);
}

TEST(ToleranceSerie, UpwardMassesAreCentrePlusMultiplesDownwardOnesStepwise) {
    TGrilleTolerance g;
    g.Centres = {0, 0, 0, 0, 0, 0.621910112359551};
    g.Increments = {0, 0, 0, 0, 0, 0.1};
    g.Nombres = {0, 0, 0, 0, 0, 4};
    const double c = g.Centres[5], d = g.Increments[5];
    ASSERT_FALSE(MemesBits(c + d + d + d, c + 3 * d));
    ASSERT_FALSE(MemesBits(c - d - d, c - 2 * d));
    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    EvalueTolerance(f, g);
    ASSERT_EQ(f.Journal->size(), 9u);
    EXPECT_TRUE(MemesBits((*f.Journal)[3][5], c + 3 * d));
    EXPECT_TRUE(MemesBits((*f.Journal)[6][5], c - d - d));
    EXPECT_TRUE(MemesBits((*f.Journal)[7][5], c - d - d - d));
}

TEST(ToleranceSerie, CountsOfAlwaysAndCentreMissingShots) {
    const auto g = Grille({1, 0, 2, 0, 1, 3}); // 45 combinations of levels 1 to 5
    TMoteurFactice toujours;
    auto r = EvalueTolerance(toujours, g);
    EXPECT_EQ(r.NbReussis, 45 * 7);
    EXPECT_EQ(r.NbEssaisFaits, 45 * 4);
    EXPECT_EQ(r.NbEssaisTotal, 45 * 7);

    // Missing at the central mass stops the upward pass at once; the three lighter masses
    // still count.
    TMoteurFactice plusLeger;
    const double centre = g.Centres[5];
    plusLeger.Regle = [centre](const TMoteurFactice& e) { return e.m < centre; };
    r = EvalueTolerance(plusLeger, g);
    EXPECT_EQ(r.NbReussis, 45 * 3);
    EXPECT_EQ(r.NbEssaisFaits, 45);
}

TEST(ToleranceSerie, AllZeroGridIsOneShotAtTheCentre) {
    const auto g = Grille({0, 0, 0, 0, 0, 0});
    for (bool reussi : {true, false}) {
        TMoteurFactice f;
        f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
        f.Regle = [reussi](const TMoteurFactice&) { return reussi; };
        const auto r = EvalueTolerance(f, g);
        ASSERT_EQ(f.Journal->size(), 1u);
        EXPECT_EQ((*f.Journal)[0][2], g.Centres[2]);
        EXPECT_EQ(r.NbReussis, reussi ? 1 : 0);
        EXPECT_EQ(r.NbEssaisTotal, 1);
        EXPECT_EQ(r.NbEssaisFaits, 1);
    }
}

TEST(ToleranceSerie, ProgressOncePerCombinationOfTheFourOuterLevels) {
    const auto g = Grille({1, 0, 1, 2, 1, 1}); // 3 × 3 × 5 combinations of levels 1 to 4
    TMoteurFactice f;
    std::vector<std::pair<int64_t, int64_t>> appels;
    TSuiviTolerance suivi;
    suivi.Progression = [&](int64_t faits, int64_t total) { appels.emplace_back(faits, total); };
    const auto r = EvalueTolerance(f, g, suivi);
    ASSERT_EQ(appels.size(), 45u);
    EXPECT_EQ(appels.front(), std::make_pair(int64_t{0}, r.NbEssaisTotal));
    // Every shot scores: each combination of levels 1 to 4 makes 3 × 2 upward mass trials.
    EXPECT_EQ(appels.back().first, 44 * 6);
    EXPECT_LT(appels.back().first, r.NbEssaisTotal);
}

TEST(ToleranceSerie, StopRequestAbandonsAtOnceAndRestoresTheCentres) {
    const auto g = Grille({2, 2, 2, 1, 1, 1});
    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    std::atomic<bool> arret{false};
    size_t tirsAvantArret = 0;
    int appels = 0;
    TSuiviTolerance suivi;
    suivi.Arret = &arret;
    suivi.Progression = [&](int64_t, int64_t) {
        if (++appels == 3) {
            arret = true;
            tirsAvantArret = f.Journal->size();
        }
    };
    const auto r = EvalueTolerance(f, g, suivi);
    EXPECT_TRUE(r.Interrompu);
    EXPECT_EQ(appels, 3);
    EXPECT_EQ(f.Journal->size(), tirsAvantArret); // no trial after the request
    EXPECT_EQ(r.NbReussis, static_cast<int64_t>(tirsAvantArret));
    ExpectCentres(f, g);
}

TEST(ToleranceSerie, CentresRestoredAfterACompleteRun) {
    const auto g = Grille({1, 1, 1, 1, 1, 2});
    TMoteurFactice f;
    f.Regle = RegleBits;
    EvalueTolerance(f, g);
    ExpectCentres(f, g);
}

// ---------------------------------------------------------------------------------------------
// The parallel evaluation against the serial one

namespace {

void ExpectMemesComptes(const TResultatTolerance& a, const TResultatTolerance& b) {
    EXPECT_EQ(a.NbReussis, b.NbReussis);
    EXPECT_EQ(a.NbEssaisFaits, b.NbEssaisFaits);
    EXPECT_EQ(a.NbEssaisTotal, b.NbEssaisTotal);
    EXPECT_EQ(a.Interrompu, b.Interrompu);
}

const std::array<std::array<int32_t, 6>, 5> GrillesEssai = {{
    {3, 2, 4, 1, 2, 3},
    {0, 0, 5, 0, 0, 4},
    {4, 0, 0, 0, 3, 0},
    {1, 1, 1, 1, 1, 1},
    {0, 0, 0, 0, 0, 5},
}};

} // namespace

TEST(ToleranceParallele, SameCountsAsSerialWithABitSensitiveRule) {
    for (const auto& nombres : GrillesEssai) {
        const auto g = Grille(nombres);
        TMoteurFactice f;
        f.Regle = RegleBits;
        const auto serie = EvalueTolerance(f, g);
        ASSERT_GT(serie.NbReussis, 0);
        for (int threads : {1, 2, 3, 8}) {
            SCOPED_TRACE(threads);
            TMoteurFactice p;
            p.Regle = RegleBits;
            p.Effet = p.m = -7; // the caller's stroke is replaced by the centres at the end
            ExpectMemesComptes(EvalueToleranceParallele(p, g, threads), serie);
            ExpectCentres(p, g);
        }
    }
}

TEST(ToleranceParallele, SharesAddUpToTheWholeGrid) {
    const auto g = Grille({3, 2, 4, 1, 2, 3});
    TMoteurFactice f;
    f.Regle = RegleBits;
    const auto tout = EvalueTolerance(f, g);
    for (int64_t n : {2, 3, 7}) {
        TResultatTolerance somme;
        for (int64_t k = 0; k < n; ++k) {
            const auto r = EvalueToleranceParallele(f, g, 2, {k, n});
            somme.NbReussis += r.NbReussis;
            somme.NbEssaisFaits += r.NbEssaisFaits;
            somme.NbEssaisTotal += r.NbEssaisTotal;
        }
        ExpectMemesComptes(somme, tout);
    }
}

TEST(ToleranceParallele, StopIsSeenWithinOneCombinationByEveryWorker) {
    const auto g = Grille({5, 5, 5, 2, 2, 2});
    auto tirs = std::make_shared<std::atomic<int64_t>>(0);
    auto tirsApresArret = std::make_shared<std::atomic<int64_t>>(0);
    auto arrete = std::make_shared<std::atomic<bool>>(false);
    TEvaluationParallele<TMoteurFactice> evaluation;
    TMoteurFactice f;
    f.ApresTir = [&evaluation, tirs, tirsApresArret, arrete] {
        if (arrete->load()) ++*tirsApresArret;
        if (++*tirs == 200) {
            arrete->store(true);
            evaluation.Arrete();
        }
    };
    evaluation.Demarre(f, g, 4);
    const auto r = evaluation.Attend();
    EXPECT_TRUE(r.Interrompu);
    EXPECT_LT(r.NbEssaisFaits, r.NbEssaisTotal);
    // Each worker may finish the combination it holds: at most 2 × 2 + 1 more trials each.
    EXPECT_LE(tirsApresArret->load(), 4 * 5);
    EXPECT_TRUE(evaluation.Termine());
    ExpectCentres(f, g);
    const auto p = evaluation.Progression();
    EXPECT_LT(p.CombinaisonsFaites, p.Combinaisons);
}

TEST(ToleranceParallele, ProgressReachesTheWholeShare) {
    const auto g = Grille({2, 1, 0, 1, 1, 1});
    TMoteurFactice f;
    f.Regle = RegleBits;
    TEvaluationParallele<TMoteurFactice> evaluation;
    evaluation.Demarre(f, g, 2, {1, 4});
    const auto r = evaluation.Attend();
    const auto p = evaluation.Progression();
    EXPECT_EQ(p.Combinaisons, NbCombinaisonsPartage(g, {1, 4}));
    EXPECT_EQ(p.CombinaisonsFaites, p.Combinaisons);
    EXPECT_EQ(p.NbEssaisFaits, r.NbEssaisFaits);
    EXPECT_EQ(p.NbReussis, r.NbReussis);
    EXPECT_FALSE(r.Interrompu);
}

// ---------------------------------------------------------------------------------------------
// With the real engine

namespace {

constexpr double Diamant = 35.5625; // one eighth of the playing surface's length (cm)

/// The default position: white cue ball at (0.514, −2) diamonds, red at (0, 2), yellow at
/// (0, −2), with the main window's default stroke.
std::unique_ptr<TBillardAlveran> MoteurDefaut() {
    auto moteur = std::make_unique<TBillardAlveran>();
    const double R = moteur->Fisik.RayonBilles();
    moteur->Trajets[1][0].Position = Vecteur(0.514 * Diamant, -2 * Diamant, R);
    moteur->Trajets[2][0].Position = Vecteur(0, 2 * Diamant, R);
    moteur->Trajets[3][0].Position = Vecteur(0, -2 * Diamant, R);
    moteur->Effet = 0.621910112359551;
    moteur->Hauteur = 1.1747191011236;
    moteur->Vq = 430;
    moteur->AngleTapis = 0;
    moteur->m = 520;
    moteur->AngleOx = 98.64 * std::numbers::pi / 180;
    return moteur;
}

TGrilleTolerance GrilleMoteur(const TBillardAlveran& moteur, std::array<int32_t, 6> nombres) {
    TGrilleTolerance g;
    g.Centres = {moteur.Effet, moteur.Hauteur,    moteur.AngleOx,
                 moteur.Vq,    moteur.AngleTapis, moteur.m};
    g.Increments = {0.1, 0.1, DegresVersRadians(0.1), 10, DegresVersRadians(2), 10};
    g.Nombres = nombres;
    return g;
}

} // namespace

TEST(ToleranceMoteur, DefaultShotMakesItsPointAndAnEmptyGridIsThatShot) {
    auto moteur = MoteurDefaut();
    moteur->TireCoup();
    ASSERT_TRUE(moteur->PointReussi);
    const auto g = GrilleMoteur(*moteur, {0, 0, 0, 0, 0, 0});
    const auto r = EvalueTolerance(*moteur, g);
    EXPECT_EQ(r.NbReussis, 1);
    EXPECT_EQ(r.NbEssaisTotal, 1);
    EXPECT_EQ(r.NbEssaisFaits, 1);
    moteur->ModeDeJeu = jLibre;
    moteur->AngleOx += 0.5; // far off the first ball: a miss
    const auto rate = EvalueTolerance(*moteur, GrilleMoteur(*moteur, {0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rate.NbReussis, 0);
}

TEST(ToleranceMoteur, ParallelAndSharesMatchSerialOnGridsWithSuccessesAndMisses) {
    // Wide aim and speed steps so that the grids hold both made and missed points.
    const std::array<std::array<int32_t, 6>, 3> grilles = {{
        {1, 0, 2, 1, 0, 2},
        {0, 1, 1, 0, 1, 1},
        {2, 0, 0, 2, 0, 0},
    }};
    for (const auto& nombres : grilles) {
        auto moteur = MoteurDefaut();
        auto g = GrilleMoteur(*moteur, nombres);
        g.Increments[0] = 0.5;
        g.Increments[2] = DegresVersRadians(1.5);
        g.Increments[3] = 60;
        g.Increments[5] = 150;
        const auto serie = EvalueTolerance(*moteur, g);
        EXPECT_GT(serie.NbReussis, 0);
        EXPECT_LT(serie.NbReussis, serie.NbEssaisTotal);
        auto autre = MoteurDefaut();
        ExpectMemesComptes(EvalueToleranceParallele(*autre, g, 2), serie);
        ExpectMemesComptes(EvalueToleranceParallele(*autre, g, 3), serie);
        TResultatTolerance somme;
        for (int64_t k = 0; k < 3; ++k) {
            const auto r = EvalueToleranceParallele(*autre, g, 2, {k, 3});
            somme.NbReussis += r.NbReussis;
            somme.NbEssaisFaits += r.NbEssaisFaits;
            somme.NbEssaisTotal += r.NbEssaisTotal;
        }
        ExpectMemesComptes(somme, serie);
    }
}

TEST(ToleranceMoteur, CueBallOffTheClothHeightStillMatchesSerial) {
    // A cue ball recorded above the cloth is put down by the first strike driven into the
    // cloth and stays there for the following trials: the parallel evaluation must fire the
    // trials in the serial order on one engine to give the same count.
    auto moteur = MoteurDefaut();
    moteur->Trajets[1][0].Position.z += 0.4;
    auto g = GrilleMoteur(*moteur, {1, 0, 1, 0, 2, 0});
    g.Centres[4] = DegresVersRadians(-2); // inclinations −2°, 0°, +2°: only the last lands it
    g.Increments[4] = DegresVersRadians(2);
    ASSERT_FALSE(TirsIndependants(*moteur));
    auto copie = std::make_unique<TBillardAlveran>(*moteur);
    const auto serie = EvalueTolerance(*moteur, g);
    TEvaluationParallele<TBillardAlveran> evaluation;
    evaluation.Demarre(*copie, g, 2);
    EXPECT_EQ(evaluation.NbThreads(), 1);
    ExpectMemesComptes(evaluation.Attend(), serie);
}

TEST(ToleranceMoteur, InterruptedRunLeavesTheCentralStroke) {
    auto moteur = MoteurDefaut();
    const auto g = GrilleMoteur(*moteur, {1, 1, 1, 1, 1, 1});
    std::atomic<bool> arret{false};
    TSuiviTolerance suivi;
    suivi.Arret = &arret;
    int appels = 0;
    suivi.Progression = [&](int64_t, int64_t) { arret = ++appels == 2; };
    const auto r = EvalueTolerance(*moteur, g, suivi);
    EXPECT_TRUE(r.Interrompu);
    EXPECT_EQ(r.NbEssaisFaits <= 9, true); // one combination of levels 1 to 4: 3 masses × 3
    EXPECT_EQ(moteur->Effet, g.Centres[0]);
    EXPECT_EQ(moteur->Hauteur, g.Centres[1]);
    EXPECT_EQ(moteur->AngleOx, g.Centres[2]);
    EXPECT_EQ(moteur->Vq, g.Centres[3]);
    EXPECT_EQ(moteur->AngleTapis, g.Centres[4]);
    EXPECT_EQ(moteur->m, g.Centres[5]);
}
