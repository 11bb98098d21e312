// The stroke fit's pieces on small synthetic tracked shots: the objective against the true
// stroke, what the preparation reads from the tracking, the first guess, the order check, one
// whole fit, and the helpers of the constants fit. The many-shot recoveries are heavy tests.

#include "analysis/AjustementConstantes.h"
#include "analysis/TableDeMatch.h"
#include "analysis/TravailParallele.h"
#include "support/CoupsSynthetiques.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

constexpr double Degre = std::numbers::pi / 180;

/// A tracked shot without noise nor rounding: the true stroke must score (almost) zero.
synthetique::TCoupSynthetique Exact(uint64_t graine) {
    synthetique::TAlea alea(graine);
    synthetique::TOptionsSynthese o;
    o.Bruit = 0;
    o.Arrondi = 1e-6;
    return synthetique::Genere(alea, TPARAMPHYS(), o);
}

/// Rest samples of a ball before it is struck at 0.1 s, then a straight run along +x.
std::vector<TReleve> BilleFrappee(double x0, double y0) {
    std::vector<TReleve> r;
    for (int k = 0; k <= 4; ++k) r.push_back({0.02 * k, x0 + (k % 2 ? 0.2 : -0.2), y0});
    // At 0.10 s it has already moved 0.5 cm (under the threshold): not a rest sample.
    r.push_back({0.10, x0 + 0.5, y0});
    for (int k = 6; k <= 12; ++k) r.push_back({0.02 * k, x0 + 0.5 + 4.0 * (k - 5), y0});
    return r;
}

} // namespace

TEST(AjustementCoup, LeVraiCoupAnnuleLObjectifSurUneTrajectoireExacte) {
    auto moteur = std::make_unique<TBillardAlveran>();
    for (uint64_t graine : {11u, 12u, 13u}) {
        const auto s = Exact(graine);
        const TCoupMesure m = PrepareCoupMesure(s.Mesure, moteur->Fisik, 4.0);
        // Between records the fit interpolates with the record's velocity: a few hundredths.
        EXPECT_LT(RmseCoup(*moteur, m, s.Coup), 0.02) << graine;
        // A strike 10 ms off, or an aim 0.2° off, is seen.
        TCoupAjuste tard = s.Coup;
        tard.DecalageFrappe += 0.01;
        EXPECT_GT(RmseCoup(*moteur, m, tard), 0.3) << graine;
        TCoupAjuste devie = s.Coup;
        devie.AngleOx += 0.2 * Degre;
        EXPECT_GT(RmseCoup(*moteur, m, devie), 0.3) << graine;
        // Past the cutoff nothing is computed.
        EXPECT_LE(moteur->Temps[moteur->NbEnr], 4.0 + moteur->Fisik.dtAnal);
    }
}

TEST(AjustementCoup, LaPreparationLitLesDepartsLOrdreEtLesPoids) {
    TTrajectoireMesuree t;
    // The file's clock starts at 2 s; cue ball along +y from (0, −50).
    for (int k = 0; k <= 150; ++k) t.Billes[1].push_back({2 + 0.02 * k, 0, -50 + 0.5 * k});
    t.Billes[2] = BilleFrappee(30, 20);
    for (auto& r : t.Billes[2]) r.t += 2.4; // struck at 2.5 s
    t.Billes[3] = BilleFrappee(-30, 20);
    for (auto& r : t.Billes[3]) r.t += 2; // struck at 2.1 s
    const TCoupMesure m = PrepareCoupMesure(t, TPARAMPHYS(), 1.51);

    EXPECT_DOUBLE_EQ(m.Origine, 2.0);
    EXPECT_DOUBLE_EQ(m.Depart[1].x, 0);
    EXPECT_DOUBLE_EQ(m.Depart[1].y, -50);
    EXPECT_DOUBLE_EQ(m.Depart[1].z, 3.075);
    // Ball 2: the mean of the samples well before it moves; the one just before its start,
    // already 5 mm on its way, is left out.
    EXPECT_NEAR(m.Depart[2].x, 30, 1e-9);
    EXPECT_NEAR(m.Depart[2].y, 20, 1e-9);
    EXPECT_NEAR(m.DebutMouvement[3], 0.10, 0.02);
    EXPECT_NEAR(m.DebutMouvement[2], 0.50, 0.02);
    EXPECT_NEAR(m.DirectionMouvement[2].x, 1, 1e-9);
    EXPECT_EQ(m.Ordre, (std::vector<int>{3, 2}));
    // Samples up to the cutoff only, weighted (1.5 for the cue ball) / (1 + t).
    ASSERT_EQ(m.Echantillons[1].size(), 76u);
    EXPECT_NEAR(m.Echantillons[1].back().t, 1.5, 1e-9);
    EXPECT_NEAR(m.Echantillons[1][50].Poids, 1.5 / 2, 1e-9);
    EXPECT_NEAR(m.Echantillons[2][0].Poids, 1 / 1.4, 1e-9);
}

TEST(AjustementCoup, PremiereEstimationEtOrdreDesBilles) {
    auto moteur = std::make_unique<TBillardAlveran>();
    const auto s = Exact(21);
    const TCoupMesure m = PrepareCoupMesure(s.Mesure, moteur->Fisik, 4.0);
    const TCoupAjuste e = PremiereEstimation(*moteur, m);
    EXPECT_NEAR(std::remainder(e.AngleOx - s.Coup.AngleOx, 2 * std::numbers::pi), 0, Degre);
    EXPECT_NEAR(e.DecalageFrappe, s.Coup.DecalageFrappe, 0.01);
    ASSERT_FALSE(m.Ordre.empty());
    EXPECT_TRUE(OrdreRespecte(*moteur, m, s.Coup));
    // Aimed the other way, the cue ball meets nothing first that the tracking shows.
    TCoupAjuste ailleurs = s.Coup;
    ailleurs.AngleOx += std::numbers::pi;
    EXPECT_FALSE(OrdreRespecte(*moteur, m, ailleurs));
}

TEST(AjustementCoup, UnCoupBruiteRetrouveSesPositionsEtSonCoup) {
    synthetique::TAlea alea(3);
    const auto s = synthetique::Genere(alea, TPARAMPHYS());
    auto moteur = std::make_unique<TBillardAlveran>();
    const TCoupMesure m = PrepareCoupMesure(s.Mesure, moteur->Fisik, 4.0);
    const TResultatAjustement r = AjusteCoup(*moteur, m, {});
    EXPECT_LT(r.Rmse, 0.5);
    EXPECT_LT(r.Rmse, r.RmseInitiale);
    EXPECT_TRUE(r.OrdreRespecte);
    EXPECT_NEAR(std::remainder(r.Coup.AngleOx - s.Coup.AngleOx, 2 * std::numbers::pi), 0,
                0.5 * Degre);
    EXPECT_NEAR(r.Coup.DecalageFrappe, s.Coup.DecalageFrappe, 0.005);
    EXPECT_GT(r.Evaluations, 100);

    // From the fitted stroke, a short refit can only keep or lower the RMSE.
    const TResultatAjustement f = RaffineCoup(*moteur, m, r.Coup, {}, 60);
    EXPECT_DOUBLE_EQ(f.RmseInitiale, r.Rmse);
    EXPECT_LE(f.Rmse, r.Rmse);
    EXPECT_LE(f.Evaluations, 60);

    // A stop request ends the fit early with a usable stroke.
    std::atomic<bool> arret{true};
    TOptionsAjustement o;
    o.Arret = &arret;
    const TResultatAjustement a = AjusteCoup(*moteur, m, o);
    EXPECT_LT(a.Evaluations, 40);
    EXPECT_LE(a.Rmse, a.RmseInitiale);
}

TEST(AjustementCoup, UnFichierQuiCommenceBienAvantLaFrappe) {
    // The tracker started 0.3 s early: every ball shows first at rest.
    auto s = Exact(31);
    for (int b = 1; b <= 3; ++b) {
        auto& r = s.Mesure.Billes[b];
        for (auto& x : r) x.t += 0.3;
        for (int k = 14; k >= 0; --k) r.insert(r.begin(), {0.02 * k, r.front().x, r.front().y});
    }
    auto moteur = std::make_unique<TBillardAlveran>();
    // The cutoff counts from the strike, not from the early start.
    const TCoupMesure m = PrepareCoupMesure(s.Mesure, moteur->Fisik, 4.0);
    EXPECT_NEAR(m.Coupure, 4.3, 0.021);
    const TResultatAjustement r = AjusteCoup(*moteur, m, {});
    EXPECT_NEAR(r.Coup.DecalageFrappe, s.Coup.DecalageFrappe + 0.3, 0.002);
    EXPECT_LT(r.Rmse, 0.1);
}

TEST(AjustementConstantes, OutilsDuLot) {
    EXPECT_DOUBLE_EQ(Mediane({3, 1, 2}), 2);
    EXPECT_DOUBLE_EQ(Mediane({4, 1, 3, 2}), 2.5);
    EXPECT_DOUBLE_EQ(Moyenne({1, 2, 6}), 3);

    const TPARAMPHYS f;
    const int e = TPARAMPHYS::IndiceParametre("ElastBiBde");
    EXPECT_EQ(VerifieConstantes({e}, f), "");
    EXPECT_EQ(VerifieConstantes({}, f), "aucune constante à ajuster");
    EXPECT_EQ(VerifieConstantes({e, e}, f), "ElastBiBde demandée deux fois");
    TPARAMPHYS nul;
    nul.FrotBiBi = 0;
    EXPECT_NE(VerifieConstantes({TPARAMPHYS::IndiceParametre("FrotBiBi")}, nul), "");

    // The held-out draw: the same for a seed, another for another seed, sizes clamped.
    const auto a = TirageHorsAjustement(10, 0.3, 7);
    EXPECT_EQ(a.size(), 3u);
    EXPECT_EQ(a, TirageHorsAjustement(10, 0.3, 7));
    EXPECT_TRUE(std::is_sorted(a.begin(), a.end()));
    bool autre = false;
    for (uint64_t g = 8; g < 12; ++g) autre = autre || TirageHorsAjustement(10, 0.3, g) != a;
    EXPECT_TRUE(autre);
    EXPECT_EQ(TirageHorsAjustement(10, 0.01, 1).size(), 1u);
    EXPECT_EQ(TirageHorsAjustement(10, 0.99, 1).size(), 9u);
    EXPECT_TRUE(TirageHorsAjustement(1, 0.5, 1).empty());
}

TEST(AjustementConstantes, PartageTravailFaitChaqueUniteUneFois) {
    TBillardAlveran modele;
    modele.Coup.Vq = 123;
    std::vector<std::atomic<int>> faites(50);
    std::atomic<bool> memeMoteur{true};
    PartageTravail(modele, 3, 50, [&](TBillardAlveran& m, int64_t i) {
        if (m.Coup.Vq != 123 || &m == &modele) memeMoteur = false;
        ++faites[static_cast<std::size_t>(i)];
    });
    for (const auto& f : faites) EXPECT_EQ(f.load(), 1);
    EXPECT_TRUE(memeMoteur);

    // Stopped before it begins: nothing is done.
    std::atomic<bool> arret{true};
    int nb = 0;
    PartageTravail(
        modele, 1, 5, [&](TBillardAlveran&, int64_t) { ++nb; }, &arret);
    EXPECT_EQ(nb, 0);
}

TEST(TableDeMatch, CinqConstantesMesureesLesAutresParDefaut) {
    TPARAMPHYS f;
    f.FrotBiBi = 0.5; // a value left over from the user's changes
    f.ElastBiBde = 0.1;
    AppliqueTableDeMatch(f);
    EXPECT_DOUBLE_EQ(f.ElastBiBde, 0.85);
    EXPECT_DOUBLE_EQ(f.FrotBiBde, 0.285);
    EXPECT_DOUBLE_EQ(f.FrotBiTapRoule, 0.0063);
    EXPECT_DOUBLE_EQ(f.FrotBiTapGlisse, 0.18);
    EXPECT_DOUBLE_EQ(f.ElastBiBi, 0.885);
    EXPECT_DOUBLE_EQ(f.FrotBiBi, 0.03);
    EXPECT_DOUBLE_EQ(f.largeurJeu(), 142.25);
}

TEST(AjustementCoup, LaCoupureCompteDepuisLaFrappeEtLesCoupsImpossiblesSontRefuses) {
    auto s = Exact(11);
    const TCoupMesure normal = PrepareCoupMesure(s.Mesure, TPARAMPHYS(), 1.0);
    // An object ball tracked 10 s before the shot leaves the clock and the cutoff where they
    // were: the same samples are scored, with the same weights.
    s.Mesure.Billes[2].insert(s.Mesure.Billes[2].begin(), TReleve{-10.0, s.Depart[2].x,
                                                                   s.Depart[2].y});
    const TCoupMesure tot = PrepareCoupMesure(s.Mesure, TPARAMPHYS(), 1.0);
    EXPECT_EQ(tot.Origine, normal.Origine);
    for (int b = 1; b <= 3; ++b) EXPECT_EQ(tot.Echantillons[b].size(), normal.Echantillons[b].size());
    EXPECT_DOUBLE_EQ(tot.SommePoids, normal.SommePoids);
    EXPECT_EQ(VerifieCoupMesure(normal), "");

    // Times in milliseconds leave one cue-ball sample within the cutoff: no fit on that.
    for (auto& bille : s.Mesure.Billes)
        for (TReleve& r : bille) r.t *= 1000;
    const TCoupMesure ms = PrepareCoupMesure(s.Mesure, TPARAMPHYS(), 4.0);
    EXPECT_NE(VerifieCoupMesure(ms).find("n'a que 1 relevé(s)"), std::string::npos);

    // A fitted stroke the controls cannot set is no result.
    TCoupAjuste coup = s.Coup;
    EXPECT_EQ(VerifieCoupAjuste(coup, TPARAMPHYS()), "");
    coup.Vq = 9435;
    EXPECT_NE(VerifieCoupAjuste(coup, TPARAMPHYS()), "");
    coup.Vq = std::numeric_limits<double>::infinity();
    EXPECT_NE(VerifieCoupAjuste(coup, TPARAMPHYS()), "");
    coup = s.Coup;
    coup.Effet = TPARAMPHYS().RayonBilles();
    coup.Hauteur = 0.5;
    EXPECT_NE(VerifieCoupAjuste(coup, TPARAMPHYS()), "");
}

TEST(AjustementConstantes, LesCoupsNonAjustesNeComptentDansAucuneStatistique) {
    // Stopped before they began: no shot is fitted, and nothing says it was a perfect fit.
    const auto s = Exact(12);
    const auto moteur = std::make_unique<TBillardAlveran>();
    const std::vector<TCoupMesure> coups(3, PrepareCoupMesure(s.Mesure, moteur->Fisik, 0.6));
    std::atomic<bool> arret{true};
    TSuiviAjustement suivi;
    suivi.Arret = &arret;
    const auto r = AjusteCoups(*moteur, coups, TOptionsAjustement(), 1, suivi);
    ASSERT_EQ(r.size(), 3u);
    for (const auto& x : r) EXPECT_FALSE(x.Ajuste);
    EXPECT_TRUE(std::isnan(Critere(TCritere::Mediane, r)));
    EXPECT_TRUE(std::isnan(Critere(TCritere::Moyenne, r)));

    // One fitted shot among them is the whole statistic.
    arret = false;
    auto un = r;
    un[1] = AjusteCoup(*std::make_unique<TBillardAlveran>(), coups[1], TOptionsAjustement());
    ASSERT_TRUE(un[1].Ajuste);
    EXPECT_EQ(Critere(TCritere::Mediane, un), un[1].Rmse);
    EXPECT_EQ(Critere(TCritere::Moyenne, un), un[1].Rmse);
}
