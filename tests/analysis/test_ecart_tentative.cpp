// An attempt against the stroke meant: cushion hits found in tracked samples, paired with the
// simulated ones, and the distance between them.

#include "analysis/EcartTentative.h"
#include "engine/C8_BillardAlveran.h"
#include "support/AideMoteur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr double DemiLargeur = 71.125;
constexpr double Longueur = 142.25;
constexpr double R = 3.075;
constexpr double XContact = DemiLargeur - R;
constexpr double YContact = Longueur - R;

/// Samples every `pas` cm along straight lines through `sommets`, as a tracker gives them.
std::vector<TPointPlan> Trace(const std::vector<TPointPlan>& sommets, double pas = 0.7) {
    std::vector<TPointPlan> points;
    for (std::size_t k = 0; k + 1 < sommets.size(); ++k) {
        const TPointPlan a = sommets[k], b = sommets[k + 1];
        const int n = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / pas));
        for (int i = 0; i < n; ++i)
            points.push_back({a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n});
    }
    points.push_back(sommets.back());
    return points;
}

/// A few millimetres of tracking noise, the same at every run.
void Bruite(std::vector<TPointPlan>& points, double amplitude) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].x += amplitude * std::sin(1.7 * double(i));
        points[i].y += amplitude * std::cos(2.3 * double(i));
    }
}

} // namespace

TEST(EcartTentative, lesBandesDUnTraceSontTrouveesDansLOrdre) {
    // Long cushion on the right, the far short one, the long one on the left.
    auto points = Trace({{0, -60}, {XContact, 20}, {30, YContact}, {-XContact, 60}, {-20, 0}});
    Bruite(points, 0.3);
    const auto contacts = ContactsBandesMesures(points, DemiLargeur, Longueur, R);
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_TRUE(contacts[0].Longue);
    EXPECT_NEAR(contacts[0].Centre.y, 20, 1.0);
    EXPECT_FALSE(contacts[1].Longue);
    EXPECT_NEAR(contacts[1].Centre.x, 30, 1.0);
    EXPECT_TRUE(contacts[2].Longue);
    EXPECT_LT(contacts[2].Centre.x, 0);
}

TEST(EcartTentative, lesApprochesSansRebondNeComptentPas) {
    // Jittering at rest against a cushion, leaving it, then coming to a stop along another one
    // 1 cm off it: the ball never turned back from a cushion, so no hit.
    std::vector<TPointPlan> points(40, TPointPlan{XContact, 0});
    const auto suite = Trace({{XContact, 0}, {0, 10}, {-XContact + 1, 40}, {-XContact + 1, 100}});
    points.insert(points.end(), suite.begin(), suite.end());
    Bruite(points, 0.2);
    EXPECT_TRUE(ContactsBandesMesures(points, DemiLargeur, Longueur, R).empty());
    EXPECT_TRUE(ContactsBandesMesures({}, DemiLargeur, Longueur, R).empty());
}

TEST(EcartTentative, lEcartEstLaDistanceEntreLesBandesDeMemeRang) {
    const auto ideal = ContactsBandesMesures(
        Trace({{0, -60}, {XContact, 20}, {30, YContact}, {-XContact, 60}, {-20, 0}}), DemiLargeur,
        Longueur, R);
    // Off by 5 cm at the first cushion, 12 cm further along at the second, and short of the third.
    const auto tentative = ContactsBandesMesures(
        Trace({{0, -60}, {XContact, 25}, {42, YContact}, {-10, 110}}), DemiLargeur, Longueur, R);
    const TComparaisonTentative c = CompareTentative(ideal, tentative);
    EXPECT_EQ(c.NbBandesIdeal, 3);
    EXPECT_EQ(c.NbBandesTentative, 2);
    ASSERT_EQ(c.Ecarts.size(), 2u);
    EXPECT_NEAR(c.Ecarts[0].Distance, 5.0, 0.8);
    EXPECT_NEAR(c.Ecarts[1].Distance, 12.0, 0.8);
    EXPECT_EQ(CompareTentative(ideal, ideal).Ecarts.size(), 3u);
    for (const TEcartBande& e : CompareTentative(ideal, ideal).Ecarts) EXPECT_EQ(e.Distance, 0.0);
}

TEST(EcartTentative, unCoupFilmeRetrouveLesBandesDuMoteur) {
    // The default stroke filmed at 200 frames a second with 3 mm of noise: the same cushions,
    // each within a frame's travel of the engine's contact.
    auto e = std::make_unique<TBillardAlveran>();
    test::PositionDefaut(*e);
    e->TireCoup();
    const auto moteur = ContactsBandesCoup(*e);
    ASSERT_GE(moteur.size(), 3u);
    auto points = EchantillonneQueue(*e, 0.005);
    Bruite(points, 0.3);
    const auto filme = ContactsBandesMesures(points, e->Fisik.largeurJeu() / 2,
                                             e->Fisik.largeurJeu(), e->Fisik.RayonBilles());
    ASSERT_EQ(filme.size(), moteur.size());
    const TComparaisonTentative c = CompareTentative(moteur, filme);
    for (std::size_t k = 0; k < c.Ecarts.size(); ++k) {
        EXPECT_EQ(c.Ecarts[k].Ideal.Longue, c.Ecarts[k].Tentative.Longue) << "bande " << k + 1;
        EXPECT_LT(c.Ecarts[k].Distance, 2.0) << "bande " << k + 1;
    }
}
