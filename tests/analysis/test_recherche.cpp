// The solution search: the grid's values, the strokes it fires against the same strokes fired
// one by one, threads and shares, and the routes and families built from hand-made outcomes.

#include "analysis/ComdbAlv.h"
#include "analysis/RechercheFamilles.h"
#include "analysis/RechercheSolutions.h"
#include "engine/CoupDefaut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>

namespace {

const std::string Echantillon = std::string(ALVERAN_SOURCE_DIR) + "/samples/defaut.alv";

std::unique_ptr<TBillardAlveran> MoteurEchantillon() {
    auto m = std::make_unique<TBillardAlveran>();
    EXPECT_EQ(m->LitPosition(Echantillon), 1);
    return m;
}

/// Around the route 3-N-O-S-2 of the sample: several routes, families of several sizes.
TGrilleRecherche GrilleFamilles() {
    TGrilleRecherche g = GrilleRechercheDefaut(3.075);
    g.AngleOx = {-166, -159, 0.5};
    g.Hauteur = {0.615, 0.615, 1};
    g.Vq = {500, 600, 3};
    return g;
}

/// Around the sample's own stroke, with effects whose tip misses the ball at the first height.
TGrilleRecherche GrilleHorsBille() {
    TGrilleRecherche g;
    g.AngleOx = {96, 101, 0.5};
    g.Effet = {-3, 1.2, 7};
    g.Hauteur = {1.1747191011236, 0.3, 2};
    g.Vq = {380, 480, 3};
    return g;
}

void ExpectMemesCoups(const TCoupsRecherche& a, const TCoupsRecherche& b) {
    EXPECT_EQ(a.Dimensions, b.Dimensions);
    EXPECT_EQ(a.Sequences, b.Sequences);
    EXPECT_EQ(a.Codes, b.Codes);
    EXPECT_EQ(a.Tires, b.Tires);
    EXPECT_EQ(a.Reussis, b.Reussis);
    EXPECT_EQ(a.Interrompu, b.Interrompu);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The grid

TEST(RechercheGrille, LaGrilleParDefautTireChaqueCoupDontLeProcedeEstSurLaBille) {
    auto moteur = std::make_unique<TBillardAlveran>();
    const TGrilleRecherche g = GrilleRechercheDefaut(moteur->Fisik.RayonBilles());
    EXPECT_EQ(VerifieGrilleRecherche(g), "");
    const TDimensionsRecherche d = DimensionsRecherche(g);
    EXPECT_EQ(d.NbAngles, 720);
    EXPECT_EQ(d.NbPoints(), 349920);
    // 12 of the 81 tip positions fall off the ball: 69 × 720 × 6.
    EXPECT_EQ(NbCoupsATirer(*moteur, g), 298080);
    EXPECT_TRUE(ViseeFaitLeTour(g.AngleOx));
    const auto angles = ValeursVisee(g.AngleOx);
    EXPECT_EQ(angles.front(), -180);
    EXPECT_EQ(angles.back(), 179.5);
    const auto effets = ValeursAxe(g.Effet);
    // 0.8 R is 2.46 on the table, not the product's 2.4600000000000004.
    EXPECT_EQ(effets.front(), -2.46);
    EXPECT_EQ(effets.back(), 2.46);
    EXPECT_EQ(g.Effet.De, -2.46);
    EXPECT_EQ(ValeursAxe(g.Vq), (std::vector<double>{150, 250, 350, 450, 550, 650}));
}

TEST(RechercheGrille, LaViseeSArreteAvantSaFinEtNeFaitLeTourQueSurUnTourEntier) {
    EXPECT_EQ(ValeursVisee({0, 2, 0.5}), (std::vector<double>{0, 0.5, 1, 1.5}));
    EXPECT_EQ(ValeursVisee({0, 2.1, 0.5}).size(), 5u);
    EXPECT_FALSE(ViseeFaitLeTour({0, 90, 1}));
    EXPECT_TRUE(ViseeFaitLeTour({0, 360, 1}));
    // 515 values from 0 to 359.8: the last one is within a step of the first.
    EXPECT_TRUE(ViseeFaitLeTour({0, 360, 0.7}));
    EXPECT_EQ(ValeursAxe({5, 9, 1}), (std::vector<double>{5}));
    EXPECT_EQ(ValeursAxe({2, -2, 3}), (std::vector<double>{2, 0, -2}));
}

TEST(RechercheGrille, LesValeursSontLesDecimalesQueTapeUnJoueur) {
    // Sums of steps drift in binary (−3 + 31 × 0.1 is 0.10000000000000053): every value is the
    // decimal it stands for, so that it prints as typed.
    const auto angles = ValeursVisee({-3, 3, 0.1});
    ASSERT_EQ(angles.size(), 60u);
    for (size_t k = 0; k < angles.size(); ++k)
        EXPECT_EQ(angles[k], std::round((-3 + 0.1 * static_cast<double>(k)) * 10) / 10) << k;
    EXPECT_EQ(angles[30], 0.0);
    EXPECT_FALSE(std::signbit(angles[30]));
    EXPECT_EQ(ValeursAxe({-2.46, 2.46, 9}),
              (std::vector<double>{-2.46, -1.845, -1.23, -0.615, 0, 0.615, 1.23, 1.845, 2.46}));
    EXPECT_EQ(ValeursAxe({0.1, 0.7, 7}), (std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}));
    // 0.8 R and 0.6 R put the tip exactly on the outline: a grazing miscue, not fired, whatever
    // the last bit of the decimals.
    auto moteur = std::make_unique<TBillardAlveran>();
    EXPECT_TRUE(PointeHorsGrille(*moteur, 2.46, 1.845));
    EXPECT_TRUE(PointeHorsGrille(*moteur, -2.4600000000000004, -1.8450000000000002));
    EXPECT_FALSE(PointeHorsGrille(*moteur, 2.46, 1.84));
    EXPECT_FALSE(CoupHorsBille(*moteur, 3.075, 0)); // the strike itself solves a rim tip
    // Values finer than twelve digits of the axis are kept as given.
    EXPECT_EQ(ValeursAxe({1.000000001, 1.000000002, 2}),
              (std::vector<double>{1.000000001, 1.000000002}));
}

TEST(RechercheGrille, RefuseLesGrillesQuiNePeuventEtreParcourues) {
    TGrilleRecherche g = GrilleFamilles();
    ASSERT_EQ(VerifieGrilleRecherche(g), "");
    const auto refuse = [&](auto modifie) {
        TGrilleRecherche h = g;
        modifie(h);
        return !VerifieGrilleRecherche(h).empty();
    };
    EXPECT_TRUE(refuse([](auto& h) { h.AngleOx.Pas = 0; }));
    EXPECT_TRUE(refuse([](auto& h) { h.AngleOx.A = h.AngleOx.De; }));
    EXPECT_TRUE(refuse([](auto& h) { h.AngleOx = {0, 361, 1}; })); // 0° and 360° both
    EXPECT_TRUE(refuse([](auto& h) { h.Effet.N = 0; }));
    EXPECT_TRUE(refuse([](auto& h) { h.Vq.A = std::numeric_limits<double>::infinity(); }));
    EXPECT_TRUE(refuse([](auto& h) { h.AngleOx = {0, 360, 0.001}, h.Vq.N = 100000; }));
}

TEST(RechercheGrille, LesIndicesDesPointsVarientLaViseeDAbordPuisEffetHauteurVitesse) {
    const TDimensionsRecherche d{4, 3, 2, 5};
    EXPECT_EQ(d.Indice({1, 0, 0, 0}), 1);
    EXPECT_EQ(d.Indice({0, 1, 0, 0}), 4);
    EXPECT_EQ(d.Indice({0, 0, 1, 0}), 12);
    EXPECT_EQ(d.Indice({0, 0, 0, 1}), 24);
    for (int64_t j = 0; j < d.NbPoints(); ++j) EXPECT_EQ(d.Indice(d.Indices(j)), j);
}

// ---------------------------------------------------------------------------------------------
// The strokes fired

TEST(RechercheCoups, LesMemesCoupsMarquentCommeTiresUnParUnParTireCoup) {
    auto moteur = MoteurEchantillon();
    const TGrilleRecherche g = GrilleHorsBille();
    const TCoupsRecherche coups = ChercheSolutions(*moteur, g, 2);

    // The ordinary way, serial, on one engine: the stroke set, then TireCoup.
    const TValeursRecherche v = ValeursRecherche(g);
    const TDimensionsRecherche d = DimensionsRecherche(g);
    auto serie = MoteurEchantillon();
    int64_t tires = 0, reussis = 0, horsBille = 0;
    for (int64_t j = 0; j < d.NbPoints(); ++j) {
        const auto i = d.Indices(j);
        serie->Coup.AngleOx = v.Angles[static_cast<size_t>(i[0])];
        serie->Coup.Effet = v.Effets[static_cast<size_t>(i[1])];
        serie->Coup.Hauteur = v.Hauteurs[static_cast<size_t>(i[2])];
        serie->Coup.Vq = v.Vitesses[static_cast<size_t>(i[3])];
        const uint32_t code = coups.Codes[static_cast<size_t>(j)];
        if (serie->Coup.Effet * serie->Coup.Effet + serie->Coup.Hauteur * serie->Coup.Hauteur >
            3.075 * 3.075) {
            ++horsBille;
            EXPECT_EQ(code, 0u);
            continue;
        }
        serie->TireCoup();
        ++tires;
        ASSERT_EQ(code != 0, serie->PointReussi) << "coup " << j;
        if (!serie->PointReussi) continue;
        ++reussis;
        EXPECT_EQ(coups.Sequences[code - 1], SequencePoint(*serie)) << "coup " << j;
    }
    EXPECT_GT(horsBille, 0);
    EXPECT_GT(reussis, 1);
    EXPECT_EQ(coups.Tires, tires);
    EXPECT_EQ(coups.Reussis, reussis);
    EXPECT_FALSE(coups.Interrompu);
    // Sequences are listed once, in text order.
    EXPECT_TRUE(std::is_sorted(coups.Sequences.begin(), coups.Sequences.end()));
    EXPECT_EQ(std::set<std::string>(coups.Sequences.begin(), coups.Sequences.end()).size(),
              coups.Sequences.size());
}

TEST(RechercheCoups, TousLesNombresDeThreadsEtLesPartsFusionneesDonnentLaMemeIssue) {
    auto moteur = MoteurEchantillon();
    const TGrilleRecherche g = GrilleFamilles();
    const TCoupsRecherche un = ChercheSolutions(*moteur, g, 1);
    EXPECT_GT(un.Sequences.size(), 3u);
    ExpectMemesCoups(ChercheSolutions(*moteur, g, 2), un);
    ExpectMemesCoups(ChercheSolutions(*moteur, g, 3), un);

    std::vector<TCoupsRecherche> parts;
    for (int64_t k = 0; k < 3; ++k) parts.push_back(ChercheSolutions(*moteur, g, 2, {k, 3}));
    // Each share has its own sequences; the merge renumbers them.
    EXPECT_NE(parts[0].Sequences, un.Sequences);
    ExpectMemesCoups(FusionneCoups(parts), un);
}

TEST(RechercheCoups, UnArretDemandeLaisseDesCoupsNonTiresEtLeDit) {
    auto moteur = MoteurEchantillon();
    TRechercheSolutions recherche;
    recherche.Demarre(*moteur, GrilleRechercheDefaut(3.075), 2);
    recherche.Arrete();
    const TCoupsRecherche coups = recherche.Attend();
    EXPECT_TRUE(coups.Interrompu);
    EXPECT_LT(coups.Tires, recherche.Progression().ATirer);
    EXPECT_EQ(recherche.Progression().ATirer, 298080);
}

TEST(RechercheCoups, FiringOrderFiresEveryBlockOnceWhateverTheirCount) {
    for (int64_t n : {1, 2, 3, 4, 5, 12, 16, 97, 100, 360, 1024, 18630}) {
        const int64_t pas = PasOrdreTirs(n);
        std::vector<int> vus(static_cast<size_t>(n), 0);
        for (int64_t k = 0; k < n; ++k) {
            const int64_t b = BlocDuRang(k, n, pas);
            ASSERT_GE(b, 0);
            ASSERT_LT(b, n);
            ++vus[static_cast<size_t>(b)];
        }
        EXPECT_EQ(std::count(vus.begin(), vus.end(), 1), n) << n << " blocks";
    }
}

TEST(RechercheCoups, FiringOrderEarlyPartSamplesEverySpeedFairly) {
    // Eight speeds of 1,000 blocks each, in grid order speed by speed: the first tenth of the
    // order must hold about as many blocks of each speed, not the slowest speed alone.
    const int64_t parVitesse = 1000;
    const int64_t n = 8 * parVitesse;
    const int64_t pas = PasOrdreTirs(n);
    for (int64_t debut : {n / 100, n / 10}) {
        std::array<int64_t, 8> parTranche{};
        for (int64_t k = 0; k < debut; ++k)
            ++parTranche[static_cast<size_t>(BlocDuRang(k, n, pas) / parVitesse)];
        for (int64_t compte : parTranche) {
            EXPECT_GE(compte, debut / 8 * 3 / 4) << debut;
            EXPECT_LE(compte, debut / 8 * 5 / 4 + 1) << debut;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Routes and families from hand-made outcomes

namespace {

/// Outcomes on a grid of the given shape; `reussis` lists (aim, effect, height, speed, code).
TCoupsRecherche Coups(TDimensionsRecherche d, std::vector<std::array<int32_t, 5>> reussis,
                      std::vector<std::string> sequences = {"2NES3", "3NOS2", "3ONS2"}) {
    TCoupsRecherche c;
    c.Dimensions = d;
    c.Sequences = std::move(sequences);
    c.Codes.assign(static_cast<size_t>(d.NbPoints()), 0);
    for (const auto& r : reussis) {
        c.Codes[static_cast<size_t>(d.Indice({r[0], r[1], r[2], r[3]}))] =
            static_cast<uint32_t>(r[4]);
        ++c.Reussis;
    }
    c.Tires = d.NbPoints();
    return c;
}

std::vector<int64_t> Tailles(const TRoute& r) {
    std::vector<int64_t> t;
    for (const TFamille& f : r.Familles) t.push_back(f.Taille);
    return t;
}

} // namespace

TEST(RechercheFamilles, LaViseeFaitLeTourSeulementQuandLAxeCouvreLeCercle) {
    const TDimensionsRecherche d{10, 3, 1, 1};
    const auto c = Coups(d, {{8, 1, 0, 0, 1}, {9, 1, 0, 0, 1}, {0, 2, 0, 0, 1}, {1, 1, 0, 0, 1}});
    const TSolutions boucle = RoutesEtFamilles(c, true, 1);
    ASSERT_EQ(boucle.Routes.size(), 1u);
    ASSERT_EQ(Tailles(boucle.Routes[0]), (std::vector<int64_t>{4}));
    // The range runs from 8 round to 1.
    EXPECT_EQ(boucle.Routes[0].Familles[0].AngleDebut, 8);
    EXPECT_EQ(boucle.Routes[0].Familles[0].AngleFin, 1);

    const TSolutions ouverte = RoutesEtFamilles(c, false, 1);
    ASSERT_EQ(Tailles(ouverte.Routes[0]), (std::vector<int64_t>{2, 2}));
    EXPECT_EQ(ouverte.Routes[0].Familles[0].AngleDebut, 0);
    EXPECT_EQ(ouverte.Routes[0].Familles[0].AngleFin, 1);
}

TEST(RechercheFamilles, UnRubanDiagonalEstUneFamille) {
    // Each stroke touches the next only through a diagonal of aim, effect and speed.
    const TDimensionsRecherche d{6, 4, 2, 4};
    const auto c = Coups(d, {{0, 0, 1, 0, 2}, {1, 1, 1, 1, 2}, {2, 2, 1, 2, 2}, {3, 3, 1, 3, 2}});
    const TSolutions s = RoutesEtFamilles(c, false, 3);
    ASSERT_EQ(s.Routes.size(), 1u);
    EXPECT_EQ(s.Routes[0].Sequence, "3NOS2");
    ASSERT_EQ(Tailles(s.Routes[0]), (std::vector<int64_t>{4}));
    // Both middle strokes have two neighbours and lie as near the mean: the lower index wins.
    EXPECT_EQ(s.Routes[0].Familles[0].Centre, d.Indice({1, 1, 1, 1}));
}

TEST(RechercheFamilles, UnTrouCoupeUnCheminEtLesPetitesFamillesSontCompteesIsolees) {
    const TDimensionsRecherche d{12, 2, 1, 1};
    const auto c = Coups(d, {{0, 0, 0, 0, 1},
                             {1, 0, 0, 0, 1},
                             {2, 1, 0, 0, 1},
                             {5, 0, 0, 0, 1}, // two values away: another family
                             {6, 1, 0, 0, 1},
                             {9, 0, 0, 0, 1}});
    const TSolutions s = RoutesEtFamilles(c, false, 3);
    ASSERT_EQ(s.Routes.size(), 1u);
    const TRoute& r = s.Routes[0];
    EXPECT_EQ(r.Reussis, 6);
    EXPECT_EQ(Tailles(r), (std::vector<int64_t>{3}));
    EXPECT_EQ(r.Isoles, 3);
    EXPECT_EQ(s.NbFamilles, 3);

    const TSolutions deux = RoutesEtFamilles(c, false, 2);
    EXPECT_EQ(Tailles(deux.Routes[0]), (std::vector<int64_t>{3, 2}));
    EXPECT_EQ(deux.Routes[0].Isoles, 1);
    EXPECT_EQ(deux.Routes[0].Familles[1].AngleDebut, 5);
    EXPECT_EQ(deux.Routes[0].Familles[1].AngleFin, 6);
}

TEST(RechercheFamilles, LesVoisinsDUneAutreSequenceRestentAPart) {
    const TDimensionsRecherche d{4, 1, 1, 1};
    const auto c = Coups(d, {{0, 0, 0, 0, 1}, {1, 0, 0, 0, 2}, {2, 0, 0, 0, 2}, {3, 0, 0, 0, 3}});
    const TSolutions s = RoutesEtFamilles(c, false, 1);
    ASSERT_EQ(s.Routes.size(), 3u);
    // Ranked by scoring strokes, then by sequence.
    EXPECT_EQ(s.Routes[0].Sequence, "3NOS2");
    EXPECT_EQ(s.Routes[1].Sequence, "2NES3");
    EXPECT_EQ(s.Routes[2].Sequence, "3ONS2");
    // Families are numbered route by route in rank order; every stroke carries its number.
    ASSERT_EQ(s.Coups.size(), 4u);
    EXPECT_EQ(s.Coups[0].Famille, 2);
    EXPECT_EQ(s.Coups[1].Famille, 1);
    EXPECT_EQ(s.Coups[2].Famille, 1);
    EXPECT_EQ(s.Coups[3].Famille, 3);
}

TEST(RechercheFamilles, LeCoupCentralALePlusDeVoisinsDansSaFamille) {
    // A plus sign in aim × effect: its middle sees the four arms, each arm three strokes.
    const TDimensionsRecherche d{8, 3, 1, 1};
    const auto plus = Coups(
        d, {{1, 1, 0, 0, 1}, {2, 1, 0, 0, 1}, {3, 1, 0, 0, 1}, {2, 0, 0, 0, 1}, {2, 2, 0, 0, 1}});
    const TSolutions s = RoutesEtFamilles(plus, false, 3);
    ASSERT_EQ(Tailles(s.Routes[0]), (std::vector<int64_t>{5}));
    EXPECT_EQ(s.Routes[0].Familles[0].Centre, d.Indice({2, 1, 0, 0}));
    EXPECT_EQ(s.Routes[0].Familles[0].AngleDebut, 1);
    EXPECT_EQ(s.Routes[0].Familles[0].AngleFin, 3);

    // A line of five: the three inner strokes have two neighbours; the middle one is nearest
    // the mean, though not the lowest.
    const auto ligne = Coups(
        d, {{2, 0, 0, 0, 1}, {3, 0, 0, 0, 1}, {4, 0, 0, 0, 1}, {5, 0, 0, 0, 1}, {6, 0, 0, 0, 1}});
    EXPECT_EQ(RoutesEtFamilles(ligne, false, 3).Routes[0].Familles[0].Centre,
              d.Indice({4, 0, 0, 0}));
    // Round the end of a wrapping axis the mean is taken along the family's range.
    const auto autour = Coups(
        d, {{6, 0, 0, 0, 1}, {7, 0, 0, 0, 1}, {0, 0, 0, 0, 1}, {1, 0, 0, 0, 1}, {2, 0, 0, 0, 1}});
    EXPECT_EQ(RoutesEtFamilles(autour, true, 3).Routes[0].Familles[0].Centre,
              d.Indice({0, 0, 0, 0}));
}

TEST(RechercheFamilles, UnAnneauSurToutLeCercleGardeLOrdreDeLAxe) {
    const TDimensionsRecherche d{4, 1, 1, 1};
    const auto c = Coups(d, {{0, 0, 0, 0, 1}, {1, 0, 0, 0, 1}, {2, 0, 0, 0, 1}, {3, 0, 0, 0, 1}});
    const TSolutions s = RoutesEtFamilles(c, true, 1);
    ASSERT_EQ(Tailles(s.Routes[0]), (std::vector<int64_t>{4}));
    EXPECT_EQ(s.Routes[0].Familles[0].AngleDebut, 0);
    EXPECT_EQ(s.Routes[0].Familles[0].AngleFin, 3);
}

// ---------------------------------------------------------------------------------------------
// Families of a real search

TEST(RechercheFamilles, ChaqueCoupCentralTireSeulMarqueParSonChemin) {
    auto moteur = MoteurEchantillon();
    const TGrilleRecherche g = GrilleFamilles();
    const TCoupsRecherche coups = ChercheSolutions(*moteur, g, 2);
    TSolutions s = RoutesEtFamilles(coups, ViseeFaitLeTour(g.AngleOx), 2);
    ASSERT_TRUE(CaracteriseFamilles(*moteur, g, s, 1, 2, {}, {1, 0, 1, 0, 0, 0}));

    const TValeursRecherche v = ValeursRecherche(g);
    int64_t reussis = 0;
    int familles = 0;
    for (const TRoute& route : s.Routes) {
        reussis += route.Reussis;
        int64_t membres = route.Isoles;
        for (const TFamille& f : route.Familles) {
            ++familles;
            membres += f.Taille;
            EXPECT_NE(coups.Codes[static_cast<size_t>(f.Centre)], 0u) << "centre hors famille";
            auto seul = MoteurEchantillon();
            PlaceCoupRecherche(*seul, v, coups.Dimensions, f.Centre);
            seul->TireCoup();
            EXPECT_TRUE(seul->PointReussi) << route.Sequence;
            EXPECT_EQ(SequencePoint(*seul), route.Sequence);
            TCaracteristiques car;
            CalculeCaracteristiques(*seul, car);
            EXPECT_EQ(f.D13, car.D13);
            // Each member of the family carries its number.
            int64_t numerotes = 0;
            for (const TCoupReussi& c : s.Coups) numerotes += c.Famille == f.Numero ? 1 : 0;
            EXPECT_EQ(numerotes, f.Taille);
        }
        EXPECT_EQ(membres, route.Reussis);
    }
    EXPECT_EQ(reussis, coups.Reussis);
    EXPECT_GE(familles, 3);

    // The largest family alone gets a tolerance, the count of the evaluation around it.
    const TFamille& premiere = s.Routes[0].Familles[0];
    ASSERT_GE(premiere.Tolerance, 1);
    auto centre = MoteurEchantillon();
    PlaceCoupRecherche(*centre, v, coups.Dimensions, premiere.Centre);
    EXPECT_EQ(
        premiere.Tolerance,
        EvalueTolerance(*centre, GrilleToleranceAutour(*centre, {1, 0, 1, 0, 0, 0})).NbReussis);
    for (const TRoute& route : s.Routes)
        for (const TFamille& f : route.Familles)
            if (&f != &premiere) {
                EXPECT_EQ(f.Tolerance, -1);
            }
}
