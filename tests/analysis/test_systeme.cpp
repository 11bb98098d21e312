// The chart of the corner-five diamond system: geometry against the mirror images of an ideal
// table, the side's sense, the speed classes and the statistics.

#include "analysis/SystemeDiamants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

/// A table whose cushions reflect like mirrors: nose at the centre's height, restitution 1, no
/// friction at the cushion, and a cloth so slippery that nothing bends a path.
std::unique_ptr<TBillardAlveran> TableIdeale() {
    auto e = std::make_unique<TBillardAlveran>();
    e->Fisik.SetDimension(1, e->Fisik.RayonBilles());
    e->Fisik.ElastBiBde = 1;
    e->Fisik.FrotBiBde = 0;
    e->Fisik.FrotBiTapGlisse = 1e-9;
    e->Fisik.FrotBiTapRoule = 1e-9;
    e->Fisik.FrotBiTapPivot = 0;
    return e;
}

/// T by unfolding the table: the centre moves in the rectangle of the nose lines drawn in by a
/// radius; across to the first rail, on to the far short rail, back to the origin's rail is a
/// straight line through two mirror images. NaN when the straight line meets them in another
/// order (the path then runs into a corner).
double TMiroir(const TPointSysteme& p, double L, double R) {
    const TVecteur d = Unitaire(Diff(p.Visee, p.Origine));
    const double xPremiere = -L / 2 + R, xTroisieme = L / 2 - R, yLoin = L - R;
    // The origin's rail seen through the first rail's mirror.
    const double xImage = 2 * xPremiere - xTroisieme;
    const double tPremiere = (xPremiere - p.Depart.x) / d.x;
    const double tLoin = (yLoin - p.Depart.y) / d.y;
    const double t = (xImage - p.Depart.x) / d.x;
    if (!(tPremiere < tLoin && tLoin < t)) return std::nan("");
    const double yDeplie = p.Depart.y + t * d.y;
    const double y = 2 * yLoin - yDeplie;
    // Beyond the near short rail's line the path ends in the near corner.
    if (y < -(L - R)) return std::nan("");
    return (L - y) / (L / 4);
}

} // namespace

TEST(SystemeDiamants, UnBillardIdealSuitLaGeometrieDuMiroir) {
    auto e = TableIdeale();
    const double L = e->Fisik.largeurJeu(), R = e->Fisik.RayonBilles();
    const auto paires = PairesSysteme();
    ASSERT_EQ(paires.size(), 43u);
    TCoupSysteme coup;
    coup.Effet = 0.5; // without cushion friction side cannot matter
    int compares = 0;
    for (const auto& [D, F] : paires) {
        const TPointSysteme p = TireSysteme(*e, D, F, coup, 300);
        const double attendu = TMiroir(p, L, R);
        EXPECT_EQ(p.Valide(), !std::isnan(attendu)) << "D=" << D << " F=" << F;
        if (p.Valide() && !std::isnan(attendu)) {
            ++compares;
            // 0.01 diamond is 3.6 mm on this table.
            EXPECT_NEAR(p.T, attendu, 0.01) << "D=" << D << " F=" << F;
            EXPECT_DOUBLE_EQ(p.Ecart, p.T - (D - F));
        }
        // The cue ball starts 2 cm plus a radius inside the nearer of the two near nose lines.
        const double marge = std::min(L / 2 - p.Depart.x, p.Depart.y + L);
        EXPECT_NEAR(marge, R + 2, 1e-9);
        // The origin and the first-rail diamond are on the nose lines.
        EXPECT_NEAR(p.Visee.x, -L / 2, 1e-12);
        EXPECT_TRUE(std::fabs(p.Origine.x - L / 2) < 1e-9 || std::fabs(p.Origine.y + L) < 1e-9);
        // Origin numbers: 3 at the long rail's middle diamond, a half per diamond to 5 at the
        // corner, then one per diamond along the short rail.
        const double attenduY = D <= 5 ? -(D - 3) * 2 * L / 4 : -L;
        const double attenduX = D <= 5 ? L / 2 : L / 2 - (D - 5) * L / 4;
        EXPECT_NEAR(p.Origine.y, attenduY, 1e-9);
        EXPECT_NEAR(p.Origine.x, attenduX, 1e-9);
    }
    // On a mirror table thirteen shots run into a corner (the system counts on side and
    // friction to keep them off it); every other one is compared.
    EXPECT_EQ(compares, 30);
}

TEST(SystemeDiamants, LEffetCoulantOuvreLAngleALaSortieDeLaPremiereBande) {
    // Running side makes the cue ball come off the first rail at a wider angle (further along
    // it); strong side brings it back to the origin's rail further from the far short rail.
    // Every stroke leaves at the same speed, so only the side differs.
    auto e = std::make_unique<TBillardAlveran>();
    TCoupSysteme coup;
    double rapportPrecedent = 0, tPrecedent = 0;
    for (const double effet : {0.0, 0.3, 0.6}) {
        coup.Effet = effet;
        const TPointSysteme p = TireSysteme(*e, 5, 2, coup, VitesseQueueSysteme(*e, coup));
        ASSERT_TRUE(p.Valide()) << effet;
        int premier = 1;
        while (e->TypesChoc[premier] != cBilleBande) ++premier;
        const TVecteur v = e->Trajets[1][premier].Vitesse;
        const double rapport = v.y / v.x; // along the rail over away from it
        EXPECT_GT(rapport, rapportPrecedent * 1.1) << effet;
        if (effet > 0.5) {
            EXPECT_GT(p.T, tPrecedent + 0.1);
        }
        rapportPrecedent = rapport;
        tPrecedent = p.T;
    }
}

TEST(SystemeDiamants, ClassesDeVitesseDUneFrappeAuCentreEtChaqueCoupPartACetteVitesse) {
    auto e = std::make_unique<TBillardAlveran>();
    const double longueur = 2 * e->Fisik.largeurJeu();
    double precedente = 0;
    for (const TVitesseSysteme v :
         {TVitesseSysteme::Lente, TVitesseSysteme::Moyenne, TVitesseSysteme::Rapide}) {
        TVitesseSysteme lue{};
        ASSERT_TRUE(LitVitesseSysteme(NomVitesseSysteme(v), lue));
        EXPECT_EQ(lue, v);
        const double vitesse = VitesseBilleSysteme(*e, LongueursVitesseSysteme(v));
        EXPECT_GT(vitesse, precedente);
        precedente = vitesse;

        // A centre strike at that launch speed on a cloth without cushions within reach.
        auto libre = std::make_unique<TBillardAlveran>();
        libre->Fisik.SetDimension(0, 1e6);
        libre->Trajets[1][0] = {Vecteur(0, 0, 3.075), VecteurNul, VecteurNul};
        libre->Trajets[2][0] = {Vecteur(1e5, 0, 3.075), VecteurNul, VecteurNul};
        libre->Trajets[3][0] = {Vecteur(-1e5, 0, 3.075), VecteurNul, VecteurNul};
        libre->Trajets[1][0].Vitesse = Vecteur(vitesse, 0, 0);
        libre->CalculeTrajets();
        const double parcours = libre->Trajets[1][libre->NbEnr].Position.x;
        EXPECT_NEAR(parcours / longueur, LongueursVitesseSysteme(v), 0.01);

        // Side and height change the cue speed, not the cue ball's.
        TCoupSysteme coup{0.5, 0.3, v};
        const double Vq = VitesseQueueSysteme(*e, coup);
        auto q = std::make_unique<TBillardAlveran>();
        q->Coup.Vq = Vq;
        q->Coup.Effet = 0.5 * 3.075;
        q->Coup.Hauteur = 0.3 * 3.075;
        q->ChocQueueBille();
        EXPECT_NEAR(Norme(q->Trajets[1][0].Vitesse), vitesse, 1e-9 * vitesse);
    }
    TVitesseSysteme lue{};
    EXPECT_FALSE(LitVitesseSysteme("vite", lue));
}

TEST(SystemeDiamants, LesMoyennesOublientLesCoupsHorsBandesEtLeMaximumEstAbsolu) {
    TResultatSysteme r;
    r.Points.resize(3);
    r.Points[0].T = 2;
    r.Points[0].Ecart = 0.5;
    r.Points[1].T = 1;
    r.Points[1].Ecart = -1.5;
    StatistiquesSysteme(r); // Points[2] never met the rails: NaN
    EXPECT_EQ(r.NbValides, 2);
    EXPECT_DOUBLE_EQ(r.EcartMoyen, -0.5);
    EXPECT_DOUBLE_EQ(r.EcartMoyenAbsolu, 1.0);
    EXPECT_DOUBLE_EQ(r.EcartMax, 1.5);

    r.Points.resize(1);
    r.Points[0] = TPointSysteme{};
    StatistiquesSysteme(r);
    EXPECT_EQ(r.NbValides, 0);
    EXPECT_TRUE(std::isnan(r.EcartMoyen));
}

TEST(SystemeDiamants, TableauDuBillardParDefautEtSonMeilleurEffet) {
    // The whole chart on two threads, and the side search, on the default table.
    auto e = std::make_unique<TBillardAlveran>();
    TOptionsSysteme o;
    o.Threads = 2;
    const TResultatSysteme r = CalculeSysteme(*e, o);
    ASSERT_EQ(r.Points.size(), 43u);
    EXPECT_GE(r.NbValides, 40);
    EXPECT_GT(r.Vq, 0);
    // Threads change nothing: each shot is fired alone.
    o.Threads = 1;
    const TResultatSysteme seul = CalculeSysteme(*e, o);
    for (std::size_t i = 0; i < r.Points.size(); ++i) {
        if (r.Points[i].Valide()) {
            EXPECT_EQ(r.Points[i].T, seul.Points[i].T);
        }
    }

    o.Threads = 2;
    const TEffetSysteme meilleur = RechercheEffetSysteme(*e, o);
    EXPECT_GE(meilleur.Effet, 0.1 - 1e-12);
    EXPECT_LE(meilleur.Effet, 0.7 + 1e-12);
    // The best side does at least as well as the chart's own 0.4.
    EXPECT_LE(meilleur.EcartMoyenAbsolu, r.EcartMoyenAbsolu + 1e-12);
}

TEST(SystemeDiamants, NumerosDesDiamantsSurChaqueBande) {
    const double L = 142.25, d = L / 4;
    EXPECT_NEAR(NumeroDiamant(1, Vecteur(L / 2, L, 0), L), 0, 1e-12);
    EXPECT_NEAR(NumeroDiamant(3, Vecteur(-L / 2, -L, 0), L), 8, 1e-12);
    EXPECT_NEAR(NumeroDiamant(1, Vecteur(L / 2, L - 2.5 * d, 0), L), 2.5, 1e-12);
    EXPECT_NEAR(NumeroDiamant(2, Vecteur(-L / 2, L, 0), L), 4, 1e-12);
    EXPECT_NEAR(NumeroDiamant(4, Vecteur(L / 2 - d, -L, 0), L), 1, 1e-12);
}
