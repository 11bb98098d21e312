// A computation cut at a given time: the same records as the whole shot up to there, one more
// record just past it, and nothing after.

#include "support/AideMoteur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace test;

namespace {

bool MemesEnregistrements(const TBillardAlveran& a, const TBillardAlveran& b, int jusqua) {
    for (int i = 0; i <= jusqua; ++i) {
        if (a.Temps[i] != b.Temps[i] || a.TypesChoc[i] != b.TypesChoc[i]) return false;
        for (int k = 1; k <= 3; ++k)
            if (std::memcmp(&a.Trajets[k][i], &b.Trajets[k][i], sizeof(TCinematique)) != 0)
                return false;
    }
    return true;
}

} // namespace

TEST(FinCalcul, CoupeLeCoupJusteApresLInstantDemande) {
    auto entier = std::make_unique<TBillardAlveran>();
    PositionDefaut(*entier);
    entier->TireCoup();
    ASSERT_GT(entier->Temps[entier->NbEnr], 3.0);

    auto coupe = std::make_unique<TBillardAlveran>();
    PositionDefaut(*coupe);
    coupe->TFinCalcul = 1.5;
    coupe->TireCoup();
    const int n = coupe->NbEnr;
    // The last record closes the step that went past 1.5 s: at most one analysis step later.
    EXPECT_GT(coupe->Temps[n], 1.5);
    EXPECT_LE(coupe->Temps[n], 1.5 + coupe->Fisik.dtAnal);
    EXPECT_LT(n, entier->NbEnr);
    // Everything before it is the whole shot's.
    EXPECT_TRUE(MemesEnregistrements(*coupe, *entier, n - 1));

    // Back to infinite, the engine runs the shot to its end again.
    coupe->TFinCalcul = std::numeric_limits<double>::infinity();
    coupe->TireCoup();
    EXPECT_EQ(coupe->NbEnr, entier->NbEnr);
    EXPECT_TRUE(MemesEnregistrements(*coupe, *entier, entier->NbEnr));
}

TEST(FinCalcul, UnCoupArreteAvantLaCoupureNEstPasProlonge) {
    auto e = std::make_unique<TBillardAlveran>();
    e->Trajets[1][0] = Immobile(0, -50);
    e->Trajets[2][0] = Immobile(0, 50);
    e->Trajets[3][0] = Immobile(20, 0);
    e->TFinCalcul = 4;
    e->TireCoup();
    EXPECT_EQ(e->NbEnr, 1);
    EXPECT_DOUBLE_EQ(e->Temps[1], 0.01);
}
