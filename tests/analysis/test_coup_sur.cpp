// The safest stroke of each family: it scores, fired without error, by its family's sequence;
// its chance is at least the central stroke's on the same draws; the ranking is by chance and
// the same for any number of threads; a stop request leaves the families done.

#include "analysis/CoupLePlusSur.h"
#include "analysis/PipelineRecherche.h"
#include "engine/CoupDefaut.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

/// Around the two largest families of the default position in three-cushion play.
TGrilleRecherche PetiteGrille() {
    TGrilleRecherche g;
    g.AngleOx = {-166, -158, 0.5};
    g.Effet = {-2, 2, 5};
    g.Hauteur = {-1, 1.5, 3};
    g.Vq = {350, 550, 3};
    return g;
}

TResultatRecherche Cherche(const TBillardAlveran& moteur, int threads, const TJoueur& joueur,
                           const TTirages& tirages, bool* complet = nullptr,
                           const std::atomic<bool>* arretExterne = nullptr) {
    TOptionsPipeline o;
    o.NbThreads = threads;
    o.EtapeFinale = [&](const TBillardAlveran& m, TResultatRecherche& r,
                        const std::atomic<bool>& arret,
                        const std::function<void(int64_t, int64_t)>& progression) {
        const bool fini = ChancesDesFamilles(m, r, joueur, tirages, 4, threads,
                                             arretExterne ? *arretExterne : arret, progression);
        if (complet) *complet = fini;
        return fini;
    };
    return ChercheTout(moteur, PetiteGrille(), o);
}

} // namespace

TEST(CoupSur, LeCoupLePlusSurMarqueParSaSequenceEtBatLeCentreSurLesMemesTirages) {
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    const TJoueur club = *JoueurPredefini("club");
    const TTirages tirages(300, 1);
    const TResultatRecherche r = Cherche(*e, 2, club, tirages);
    ASSERT_GE(r.Solutions.PlusSurs.size(), 2u);
    const TCinematique depart = e->Trajets[1][0];
    int64_t meilleurePrecedente = INT64_MAX;
    bool ameliore = false;
    for (const TFamilleClassee& c : r.Solutions.PlusSurs) {
        const TRoute& route = r.Solutions.Routes[c.Route];
        const TFamille& f = route.Familles[c.Famille];
        ASSERT_TRUE(f.Chance);
        // Fired exactly as found: it scores, by the family's route.
        EXPECT_TRUE(MarqueParSequence(*e, depart, f.Chance->Coup, route.Sequence)) << f.Numero;
        EXPECT_GE(f.Chance->Chance.Comptes.Reussis, f.Chance->ChanceCentre.Comptes.Reussis);
        ameliore =
            ameliore || f.Chance->Chance.Comptes.Reussis > f.Chance->ChanceCentre.Comptes.Reussis;
        // Its chance is its count on the common draws: counted again, the same.
        const TChance recompte = ChanceCoup(*e, f.Chance->Coup, club, tirages, 1);
        EXPECT_EQ(recompte.Comptes.Reussis, f.Chance->Chance.Comptes.Reussis);
        // Safest first.
        EXPECT_LE(f.Chance->Chance.Comptes.Reussis, meilleurePrecedente);
        meilleurePrecedente = f.Chance->Chance.Comptes.Reussis;
    }
    // On this grid the central stroke is not the safest of every family.
    EXPECT_TRUE(ameliore);
}

TEST(CoupSur, MemesCoupsLesPlusSursQuelQueSoitLeNombreDeThreads) {
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    const TJoueur maitre = *JoueurPredefini("maitre");
    const TTirages tirages(150, 9);
    const TResultatRecherche un = Cherche(*e, 1, maitre, tirages);
    const TResultatRecherche trois = Cherche(*e, 3, maitre, tirages);
    ASSERT_EQ(un.Solutions.PlusSurs.size(), trois.Solutions.PlusSurs.size());
    for (size_t k = 0; k < un.Solutions.PlusSurs.size(); ++k) {
        const auto& a = un.Solutions.Routes[un.Solutions.PlusSurs[k].Route]
                            .Familles[un.Solutions.PlusSurs[k].Famille];
        const auto& b = trois.Solutions.Routes[trois.Solutions.PlusSurs[k].Route]
                            .Familles[trois.Solutions.PlusSurs[k].Famille];
        EXPECT_EQ(a.Numero, b.Numero);
        EXPECT_EQ(a.Chance->Coup, b.Chance->Coup);
        EXPECT_EQ(a.Chance->Chance.Comptes.Reussis, b.Chance->Chance.Comptes.Reussis);
    }
}

TEST(CoupSur, UnArretDemandeLaisseDesFamillesSansChanceEtLeDit) {
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    const std::atomic<bool> arret{true};
    bool complet = true;
    const TResultatRecherche r =
        Cherche(*e, 2, *JoueurPredefini("club"), TTirages(100, 1), &complet, &arret);
    EXPECT_FALSE(complet);
    EXPECT_TRUE(r.SuiteInterrompue);
    EXPECT_TRUE(r.Solutions.PlusSurs.empty());
    for (const TRoute& route : r.Solutions.Routes)
        for (const TFamille& f : route.Familles) EXPECT_FALSE(f.Chance);
}
