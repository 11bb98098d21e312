// Recovery on many synthetic tracked shots (label "lourd": release build only, a few seconds
// on two cores). Shots fired with known strokes — aim mostly at a ball with a cut, speed 150
// to 600 cm/s, side effect up to ±0.8 R, draw to follow — tracked at 50 Hz with gaps, 3 mm of
// noise on each coordinate, rounded to 1 mm, the strike up to 20 ms after the first frame.
//
// Stroke fit: most shots come back within the noise (weighted RMSE ≤ 0.5 cm, the noise alone
// scoring about 0.43 cm), and for those the stroke within: aim 0.3°, the cue ball's launch
// speed 5 %, side effect and height 0.5 cm, strike time 8 ms. The cue speed itself is not
// compared: near the edge of the ball a large change of cue speed launches the ball at nearly
// the same speed, so the tracking cannot tell them apart.
//
// Constants fit: shots fired with ElastBiBde 0.72 instead of 0.8; the fit from 0.8 finds it
// within ±0.02, and the held-out shots' median RMSE drops.

#include "analysis/AjustementConstantes.h"
#include "support/CoupsSynthetiques.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <numbers>

namespace {

constexpr int NbThreads = 2;

double VitesseLancement(TBillardAlveran& moteur, const TCoupMesure& m, const TCoupAjuste& c) {
    PlaceCoup(moteur, m, c);
    moteur.ChocQueueBille();
    return Norme(moteur.Trajets[1][0].Vitesse);
}

} // namespace

TEST(Recuperation, CoupsSynthetiquesRetrouvesDansLeBruit) {
    constexpr int NbCoups = 40;
    synthetique::TAlea alea(2024);
    std::vector<synthetique::TCoupSynthetique> vrais;
    std::vector<TCoupMesure> coups;
    const TPARAMPHYS fisik;
    for (int i = 0; i < NbCoups; ++i) {
        vrais.push_back(synthetique::Genere(alea, fisik));
        coups.push_back(PrepareCoupMesure(vrais.back().Mesure, fisik, 4.0));
    }
    const TBillardAlveran modele;
    const auto resultats = AjusteCoups(modele, coups, {}, NbThreads);

    auto moteur = std::make_unique<TBillardAlveran>();
    int dansLeBruit = 0, coupRetrouve = 0, ordre = 0;
    std::vector<double> bruit;
    for (int i = 0; i < NbCoups; ++i) {
        const TResultatAjustement& r = resultats[static_cast<std::size_t>(i)];
        const TCoupAjuste& v = vrais[static_cast<std::size_t>(i)].Coup;
        bruit.push_back(vrais[static_cast<std::size_t>(i)].RmseBruit);
        ordre += r.OrdreRespecte;
        if (r.Rmse > 0.5) continue;
        ++dansLeBruit;
        const TCoupMesure& m = coups[static_cast<std::size_t>(i)];
        const double lancement = VitesseLancement(*moteur, m, v);
        const double dA = std::remainder(r.Coup.AngleOx - v.AngleOx, 2 * std::numbers::pi);
        const bool retrouve =
            std::fabs(dA) <= 0.3 * std::numbers::pi / 180 &&
            std::fabs(VitesseLancement(*moteur, m, r.Coup) - lancement) <= 0.05 * lancement &&
            std::fabs(r.Coup.Effet - v.Effet) <= 0.5 &&
            std::fabs(r.Coup.Hauteur - v.Hauteur) <= 0.5 &&
            std::fabs(r.Coup.DecalageFrappe - v.DecalageFrappe) <= 0.008;
        coupRetrouve += retrouve;
    }
    std::printf("%d coups : %d dans le bruit (RMSE <= 0.5 cm, bruit seul %.2f cm en médiane), "
                "dont %d au coup retrouvé ; %d dans l'ordre ; RMSE médiane %.3f cm\n",
                NbCoups, dansLeBruit, Mediane(bruit), coupRetrouve, ordre,
                Critere(TCritere::Mediane, resultats));
    EXPECT_GE(dansLeBruit, NbCoups * 3 / 4);
    EXPECT_GE(coupRetrouve, dansLeBruit * 4 / 5);
    EXPECT_GE(ordre, NbCoups * 9 / 10);
}

TEST(Recuperation, ConstanteDeBandeRetrouveeEtGeneraliseeHorsAjustement) {
    constexpr int NbCoups = 36;
    TPARAMPHYS table;
    table.ElastBiBde = 0.72;
    synthetique::TAlea alea(77);
    std::vector<TCoupMesure> coups;
    for (int i = 0; i < NbCoups; ++i)
        coups.push_back(PrepareCoupMesure(synthetique::Genere(alea, table).Mesure, table, 4.0));
    const auto dehors = TirageHorsAjustement(coups.size(), 1.0 / 3, 5);
    std::vector<TCoupMesure> dedans, gardes;
    for (std::size_t i = 0; i < coups.size(); ++i)
        (std::binary_search(dehors.begin(), dehors.end(), i) ? gardes : dedans).push_back(coups[i]);

    const TBillardAlveran defaut; // ElastBiBde 0.8
    TOptionsConstantes options;
    options.Indices = {TPARAMPHYS::IndiceParametre("ElastBiBde")};
    const TResultatConstantes r = AjusteConstantes(defaut, dedans, {}, options, NbThreads);
    ASSERT_EQ(r.Valeurs.size(), 1u);
    EXPECT_NEAR(r.Valeurs[0], 0.72, 0.02);
    EXPECT_LT(Critere(TCritere::Mediane, r.Apres), Critere(TCritere::Mediane, r.Avant));

    TBillardAlveran ajuste;
    AppliqueConstantes(ajuste.Fisik, options.Indices, r.Valeurs);
    const THorsAjustement h = EvalueHorsAjustement(defaut, ajuste, gardes, {}, NbThreads);
    const double avant = Critere(TCritere::Mediane, h.Avant);
    const double apres = Critere(TCritere::Mediane, h.Apres);
    std::printf("ElastBiBde %.4f (%d candidats) ; RMSE médiane ajustés %.3f -> %.3f cm, "
                "hors ajustement (%zu coups) %.3f -> %.3f cm\n",
                r.Valeurs[0], r.Candidats, Critere(TCritere::Mediane, r.Avant),
                Critere(TCritere::Mediane, r.Apres), gardes.size(), avant, apres);
    EXPECT_LT(apres, avant);
}
