// The tolerance count: the order and exact values of the enumeration, the mass level's
// asymmetry, interruption, and the parallel evaluation and its shares against the serial one.

#include "analysis/ToleranceCalcul.h"
#include "engine/CoupDefaut.h"

#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <numbers>

namespace {

/// A stand-in engine: the six stroke fields, a scoring rule of the stroke, a journal of trials.
struct TMoteurFactice {
    TCoupQueue Coup{0, 0, 0, 0, 0, 0};
    bool PointReussi = false;
    std::function<bool(const TMoteurFactice&)> Regle = [](const TMoteurFactice&) { return true; };
    std::shared_ptr<std::vector<std::array<double, 6>>> Journal; ///< serial tests only
    std::function<void()> ApresTir;

    void TireCoup() {
        PointReussi = Regle(*this);
        if (Journal)
            Journal->push_back(
                {Coup.Effet, Coup.Hauteur, Coup.AngleOx, Coup.Vq, Coup.AngleTapis, Coup.m});
        if (ApresTir) ApresTir();
    }
};

/// A rule that depends on every bit of the stroke: a value reached by another computation than
/// the enumeration's own additions scores differently about a third of the time.
bool RegleBits(const TMoteurFactice& f) {
    uint64_t h = 1469598103934665603ull;
    for (double v :
         {f.Coup.Effet, f.Coup.Hauteur, f.Coup.AngleOx, f.Coup.Vq, f.Coup.AngleTapis, f.Coup.m}) {
        h = (h ^ std::bit_cast<uint64_t>(v)) * 1099511628211ull;
        h ^= h >> 29;
    }
    return h % 3 != 0;
}

/// Centres and increments for which stepwise sums differ from products in the last bit.
TGrilleTolerance Grille(std::array<int32_t, 6> nombres) {
    TGrilleTolerance g;
    g.Centres = {0.621910112359551, 1.1747191011236, 98.64 * std::numbers::pi / 180, 430, 0,
                 0.621910112359551};
    g.Increments = {0.1, 0.1, Radians(0.1), 10, Radians(2), 0.1};
    g.Nombres = nombres;
    return g;
}

bool MemesBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

template <class TMoteur> void ExpectCentres(TMoteur& f, const TGrilleTolerance& g) {
    for (int k = 1; k <= 6; ++k)
        EXPECT_TRUE(MemesBits(ParametreNiveau(f, k), g.Centres[k - 1])) << "niveau " << k;
}

std::vector<double> Colonne(const TMoteurFactice& f, int niveau) {
    std::vector<double> v;
    for (const auto& t : *f.Journal) v.push_back(t[niveau - 1]);
    return v;
}

void ExpectMemesComptes(const TResultatTolerance& a, const TResultatTolerance& b) {
    EXPECT_EQ(a.NbReussis, b.NbReussis);
    EXPECT_EQ(a.NbEssaisFaits, b.NbEssaisFaits);
    EXPECT_EQ(a.NbEssaisTotal, b.NbEssaisTotal);
    EXPECT_EQ(a.Interrompu, b.Interrompu);
    // The final progress a window shows and the combinations done, however the work was split.
    EXPECT_EQ(a.NbEssaisAvantDernierePasse, b.NbEssaisAvantDernierePasse);
    EXPECT_EQ(a.CombinaisonsFaites, b.CombinaisonsFaites);
}

} // namespace

TEST(ToleranceGrille, TotauxSur64BitsEtLaPlageHautBas) {
    EXPECT_EQ(NbEssaisGrille(Grille({5, 5, 5, 2, 2, 0})), 33275);
    EXPECT_EQ(NbEssaisGrille(Grille({100, 100, 100, 100, 100, 100})), 65944160601201LL); // 201^6
    EXPECT_EQ(VerifieGrille(Grille({0, 100, 0, 0, 0, 0})), "");
    EXPECT_NE(VerifieGrille(Grille({0, 101, 0, 0, 0, 0})), "");
    EXPECT_NE(VerifieGrille(Grille({0, 0, 0, 0, 0, -1})), "");
    auto g = Grille({1, 1, 1, 1, 1, 1});
    g.Increments[3] = std::nan("");
    EXPECT_NE(VerifieGrille(g), "");
}

// ---------------------------------------------------------------------------------------------
// The serial enumeration

TEST(ToleranceSerie, LesValeursDesNiveauxSontAtteintesPasAPasPuisLeCentreEstRestaure) {
    const auto g = Grille({4, 0, 0, 0, 0, 0});
    const double c = g.Centres[0], d = g.Increments[0];
    ASSERT_FALSE(MemesBits(c + d + d + d, c + 3 * d)); // what makes the test meaningful
    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    EvalueTolerance(f, g);
    const std::vector<double> attendu = {
        c,     c + d,     c + d + d,     c + d + d + d,    c + d + d + d + d,
        c - d, c - d - d, c - d - d - d, c - d - d - d - d};
    const auto vus = Colonne(f, 1);
    ASSERT_EQ(vus.size(), attendu.size());
    for (size_t i = 0; i < attendu.size(); ++i) {
        EXPECT_TRUE(MemesBits(vus[i], attendu[i])) << i;
        EXPECT_TRUE(MemesBits(ValeursNiveau(g, 1)[i], attendu[i])) << i;
    }
    ExpectCentres(f, g);
}

TEST(ToleranceSerie, LesNiveauxExterieursChangentLeMoinsVite) {
    TGrilleTolerance g;
    g.Centres = {10, 20, 30, 40, 50, 60};
    g.Increments = {1, 1, 1, 1, 1, 1};
    g.Nombres = {1, 0, 0, 0, 1, 0};
    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    EvalueTolerance(f, g);
    EXPECT_EQ(Colonne(f, 1), (std::vector<double>{10, 10, 10, 11, 11, 11, 9, 9, 9}));
    EXPECT_EQ(Colonne(f, 5), (std::vector<double>{50, 51, 49, 50, 51, 49, 50, 51, 49}));
}

TEST(ToleranceSerie, LaMasseMonteJusquAuPremierEchecPuisEssaieChaqueMasseInferieure) {
    TGrilleTolerance g;
    g.Centres = {0, 0, 0, 0, 0, 500};
    g.Increments = {0, 0, 0, 0, 0, 10};
    g.Nombres = {0, 0, 0, 0, 0, 3};
    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    f.Regle = [](const TMoteurFactice& e) { return e.Coup.m != 520 && e.Coup.m != 480; };
    const auto r = EvalueTolerance(f, g);
    EXPECT_EQ(Colonne(f, 6), (std::vector<double>{500, 510, 520, 490, 480, 470}));
    EXPECT_EQ(r.NbReussis, 2 + 2); // 500, 510 up; 490, 470 down (480 misses, the pass goes on)
    EXPECT_EQ(r.NbEssaisFaits, 3); // the lower masses are not counted as trials made
    EXPECT_EQ(r.NbEssaisTotal, 7);

    // Upward masses are centre + j × increment, downward ones are reached step by step.
    const auto h = Grille({0, 0, 0, 0, 0, 4});
    const double c = h.Centres[5], d = h.Increments[5];
    ASSERT_FALSE(MemesBits(c + d + d + d, c + 3 * d));
    ASSERT_FALSE(MemesBits(c - d - d, c - 2 * d));
    TMoteurFactice e;
    e.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    EvalueTolerance(e, h);
    const auto masses = Colonne(e, 6);
    ASSERT_EQ(masses.size(), 9u);
    EXPECT_TRUE(MemesBits(masses[3], c + 3 * d));
    EXPECT_TRUE(MemesBits(masses[6], c - d - d));
}

TEST(ToleranceSerie, TroisMassesDonnentSeptParCombinaisonQuandChaqueCoupMarque) {
    const auto g = Grille({1, 0, 2, 0, 1, 3}); // 45 combinations of levels 1 to 5
    TMoteurFactice toujours;
    auto r = EvalueTolerance(toujours, g);
    EXPECT_EQ(r.NbReussis, 45 * 7);
    EXPECT_EQ(r.NbEssaisFaits, 45 * 4);
    // A miss at the central mass ends the upward pass; the three lighter masses still count.
    TMoteurFactice plusLeger;
    plusLeger.Regle = [c = g.Centres[5]](const TMoteurFactice& e) { return e.Coup.m < c; };
    r = EvalueTolerance(plusLeger, g);
    EXPECT_EQ(r.NbReussis, 45 * 3);
    EXPECT_EQ(r.NbEssaisFaits, 45);
}

TEST(ToleranceSerie, UneProgressionParCombinaisonDesQuatreNiveauxExterieurs) {
    const auto g = Grille({1, 0, 1, 2, 1, 1}); // 3 × 3 × 5 combinations of levels 1 to 4
    TMoteurFactice f;
    std::vector<int64_t> faits;
    TSuiviTolerance suivi;
    suivi.Progression = [&](int64_t n, int64_t total) {
        faits.push_back(n);
        EXPECT_EQ(total, 45 * 3 * 3);
    };
    EvalueTolerance(f, g, suivi);
    ASSERT_EQ(faits.size(), 45u);
    EXPECT_EQ(faits.front(), 0);
    EXPECT_EQ(faits.back(), 44 * 6); // 3 inclinations × 2 upward masses per combination
    // The last progress reported is what the result keeps for a window's final bar.
    const auto r = EvalueTolerance(f, g);
    EXPECT_EQ(r.NbEssaisAvantDernierePasse, 44 * 6);
    EXPECT_EQ(r.CombinaisonsFaites, 45 * 3);
    EXPECT_EQ(EvalueToleranceParallele(f, g, 3).NbEssaisAvantDernierePasse, 44 * 6);
}

TEST(ToleranceSerie, UnArretDemandeAbandonneAussitotEtRestaureLesCentres) {
    const auto g = Grille({2, 2, 2, 1, 1, 1});
    TMoteurFactice f;
    f.Journal = std::make_shared<std::vector<std::array<double, 6>>>();
    std::atomic<bool> arret{false};
    size_t tirsAvantArret = 0;
    TSuiviTolerance suivi;
    suivi.Arret = &arret;
    suivi.Progression = [&, appels = 0](int64_t, int64_t) mutable {
        if (++appels == 3) arret = true, tirsAvantArret = f.Journal->size();
    };
    const auto r = EvalueTolerance(f, g, suivi);
    EXPECT_TRUE(r.Interrompu);
    EXPECT_EQ(f.Journal->size(), tirsAvantArret);
    EXPECT_EQ(r.NbReussis, static_cast<int64_t>(tirsAvantArret));
    ExpectCentres(f, g);
}

// ---------------------------------------------------------------------------------------------
// The parallel evaluation against the serial one

TEST(ToleranceParallele, MemesComptesQuEnSerieQuelsQueSoientLesThreadsEtLesParts) {
    for (const auto& nombres : std::vector<std::array<int32_t, 6>>{
             {3, 2, 4, 1, 2, 3}, {0, 0, 5, 0, 0, 4}, {4, 0, 0, 0, 3, 0}, {0, 0, 0, 0, 0, 5}}) {
        const auto g = Grille(nombres);
        TMoteurFactice f;
        f.Regle = RegleBits;
        const auto serie = EvalueTolerance(f, g);
        ASSERT_GT(serie.NbReussis, 0);
        for (int threads : {1, 2, 3, 8}) {
            TMoteurFactice p = f;
            p.Coup.Effet = p.Coup.m = -7; // the caller's stroke holds the centres at the end
            ExpectMemesComptes(EvalueToleranceParallele(p, g, threads), serie);
            ExpectCentres(p, g);
        }
        for (int64_t n : {2, 7}) {
            TResultatTolerance somme;
            for (int64_t k = 0; k < n; ++k) {
                const auto r = EvalueToleranceParallele(f, g, 2, {k, n});
                somme.NbReussis += r.NbReussis;
                somme.NbEssaisFaits += r.NbEssaisFaits;
                somme.NbEssaisTotal += r.NbEssaisTotal;
                somme.NbEssaisAvantDernierePasse += r.NbEssaisAvantDernierePasse;
                somme.CombinaisonsFaites += r.CombinaisonsFaites;
            }
            ExpectMemesComptes(somme, serie);
        }
    }
}

TEST(ToleranceParallele, LArretEstVuEnUneCombinaisonParChaqueOuvrier) {
    const auto g = Grille({5, 5, 5, 2, 2, 2});
    auto tirs = std::make_shared<std::atomic<int64_t>>(0);
    auto apresArret = std::make_shared<std::atomic<int64_t>>(0);
    TEvaluationParallele<TMoteurFactice> evaluation;
    TMoteurFactice f;
    f.ApresTir = [&evaluation, tirs, apresArret] {
        if (tirs->load() >= 200) ++*apresArret;
        if (++*tirs == 200) evaluation.Arrete();
    };
    evaluation.Demarre(f, g, 4);
    const auto r = evaluation.Attend();
    EXPECT_TRUE(r.Interrompu);
    // Each worker may finish the combination it holds: at most 2 × 2 + 1 more trials each.
    EXPECT_LE(apresArret->load(), 4 * 5);
    EXPECT_LT(evaluation.Progression().CombinaisonsFaites, evaluation.Progression().Combinaisons);
    ExpectCentres(f, g);
}

// ---------------------------------------------------------------------------------------------
// With the real engine

namespace {

/// White cue ball at (0.514, −2) diamonds, red at (0, 2), yellow at (0, −2), default stroke.
std::unique_ptr<TBillardAlveran> MoteurDefaut() {
    auto m = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*m);
    return m;
}

/// Wide steps, so that the grid holds both made and missed points.
TGrilleTolerance GrilleLarge(const TBillardAlveran& m, std::array<int32_t, 6> nombres) {
    TGrilleTolerance g;
    for (int k = 1; k <= 6; ++k) g.Centres[k - 1] = ParametreNiveau(m, k);
    g.Increments = {0.5, 0.1, Radians(1.5), 60, Radians(2), 150};
    g.Nombres = nombres;
    return g;
}

} // namespace

TEST(ToleranceMoteur, UneGrilleToutAZeroEstLeCoupCentral) {
    auto moteur = MoteurDefaut();
    moteur->TireCoup();
    ASSERT_TRUE(moteur->PointReussi);
    const auto r = EvalueTolerance(*moteur, GrilleLarge(*moteur, {0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r.NbReussis, 1);
    EXPECT_EQ(r.NbEssaisTotal, 1);
    EXPECT_EQ(r.NbEssaisFaits, 1);
}

TEST(ToleranceMoteur, ParalleleEtPartsEgalentLaSerieSurDesGrillesDeReussitesEtDEchecs) {
    for (const auto& nombres : std::vector<std::array<int32_t, 6>>{
             {1, 0, 2, 1, 0, 2}, {0, 1, 1, 0, 1, 1}, {2, 0, 0, 2, 0, 0}}) {
        auto moteur = MoteurDefaut();
        const auto g = GrilleLarge(*moteur, nombres);
        const auto serie = EvalueTolerance(*moteur, g);
        EXPECT_GT(serie.NbReussis, 0);
        EXPECT_LT(serie.NbReussis, serie.NbEssaisTotal);
        ExpectMemesComptes(EvalueToleranceParallele(*moteur, g, 2), serie);
        TResultatTolerance somme;
        for (int64_t k = 0; k < 3; ++k) {
            const auto r = EvalueToleranceParallele(*moteur, g, 2, {k, 3});
            somme.NbReussis += r.NbReussis;
            somme.NbEssaisFaits += r.NbEssaisFaits;
            somme.NbEssaisTotal += r.NbEssaisTotal;
            somme.NbEssaisAvantDernierePasse += r.NbEssaisAvantDernierePasse;
            somme.CombinaisonsFaites += r.CombinaisonsFaites;
        }
        ExpectMemesComptes(somme, serie);
    }
}

TEST(ToleranceMoteur, UneBilleDeQueueAuDessusDuTapisEstEvalueeDansLOrdreEnSerie) {
    // The first strike driven into the cloth puts the cue ball down and the later trials start
    // from there: only the serial order of trials on one engine gives the serial count.
    auto moteur = MoteurDefaut();
    moteur->Trajets[1][0].Position.z += 0.4;
    auto g = GrilleLarge(*moteur, {1, 0, 1, 0, 2, 0});
    g.Centres[4] = Radians(-2); // −2°, 0°, +2°, −4°, −6°: one lands the cue ball
    g.Increments[0] = 0.1;
    g.Increments[2] = Radians(0.1);
    ASSERT_FALSE(TirsIndependants(*moteur));
    auto copie = std::make_unique<TBillardAlveran>(*moteur);
    const auto serie = EvalueTolerance(*moteur, g);
    TEvaluationParallele<TBillardAlveran> evaluation;
    evaluation.Demarre(*copie, g, 2);
    EXPECT_EQ(evaluation.NbThreads(), 1);
    ExpectMemesComptes(evaluation.Attend(), serie);
    ExpectCentres(*copie, g);
}
