// The whole shot: cue strike figures, the trajectory loop, the records and the scoring of
// the point in each game mode, and the guarantees that every shot ends.

#include "support/AideMoteur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

using namespace test;

namespace {
constexpr double R = 3.075;

std::unique_ptr<TBillardAlveran> Moteur() {
    return std::make_unique<TBillardAlveran>();
}

int CompteTypes(const TBillardAlveran& e, TTypeChoc type) {
    int n = 0;
    for (int i = 1; i <= e.NbEnr; ++i) n += e.TypesChoc[i] == type;
    return n;
}

// Hash of the default shot's records.
constexpr uint64_t EmpreinteDeReference = 12530853473401016098ull;

// FNV-1a over the bytes of every record of the last computation.
uint64_t Empreinte(const TBillardAlveran& e) {
    uint64_t h = 1469598103934665603ull;
    auto ajoute = [&h](const void* p, size_t n) {
        const auto* c = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ c[i]) * 1099511628211ull;
    };
    for (int i = 0; i <= e.NbEnr; ++i) {
        for (int b = 1; b <= 3; ++b) ajoute(&e.Trajets[b][i], sizeof(TCinematique));
        ajoute(&e.Temps[i], sizeof(double));
    }
    return h;
}
} // namespace

TEST(ChocQueueBille, CoupAuCentre) {
    auto e = Moteur();
    e->Coup.Vq = 430;
    e->ChocQueueBille();
    // k = (1 + √Δ)/(M/m + F) with F = 1 and Δ = 0.87 − 0.13·520/215.
    const double delta = 0.87 - 0.13 * 520 / 215;
    EXPECT_NEAR(delta, 0.555581, 1e-6);
    const double k = (1 + std::sqrt(delta)) / (215.0 / 520 + 1);
    EXPECT_NEAR(k, 1.234822, 1e-6);
    EXPECT_NEAR(e->Trajets[1][0].Vitesse.x, 530.97, 0.01);
    EXPECT_EQ(Norme(e->Trajets[1][0].Rotation), 0);
    EXPECT_FALSE(e->QueueInsoluble);
}

TEST(ChocQueueBille, CoupParDefaut) {
    auto e = Moteur();
    PositionDefaut(*e);
    e->ChocQueueBille();
    EXPECT_NEAR(Norme(e->Trajets[1][0].Vitesse), 374.83, 0.01);
    EXPECT_EQ(e->Trajets[1][0].Vitesse.z, 0);
    // Top and right effect: the ball spins forward, and its right side, pushed forward,
    // turns it anticlockwise seen from above.
    const TCinematique& c = e->Trajets[1][0];
    const TVecteur avant = Unitaire(c.Vitesse);
    EXPECT_GT(ProdScal(ProdVect(Uz, avant), c.Rotation), 0);
    EXPECT_GT(c.Rotation.z, 0);
}

TEST(ChocQueueBille, Insoluble) {
    auto e = Moteur();
    e->Coup.Vq = 430;
    e->Fisik.PerteEcQB = 0.3;
    e->Trajets[1][0].Vitesse = Vecteur(1, 2, 3);
    e->ChocQueueBille();
    EXPECT_TRUE(e->QueueInsoluble);
    EXPECT_EQ(Norme(e->Trajets[1][0].Vitesse), 0);

    // A tip beyond the ball's outline misses it.
    auto f = Moteur();
    f->Coup.Vq = 430;
    f->Coup.Effet = 2.5;
    f->Coup.Hauteur = 2.5;
    f->ChocQueueBille();
    EXPECT_TRUE(f->QueueInsoluble);
    EXPECT_EQ(Norme(f->Trajets[1][0].Rotation), 0);
    for (double x : {f->Trajets[1][0].Vitesse.x, f->Trajets[1][0].Rotation.y})
        EXPECT_FALSE(std::isnan(x));
}

TEST(ChocQueueBille, QueueInclineeFrappeLeTapis) {
    auto e = Moteur();
    e->Trajets[1][0].Position = Vecteur(0, 0, R);
    e->Coup.Vq = 300;
    e->Coup.AngleTapis = 30 * std::numbers::pi / 180;
    e->Coup.Hauteur = -1;
    e->ChocQueueBille();
    // The cloth answered: the ball leaves upwards (a jump) or level, never downwards.
    EXPECT_GE(e->Trajets[1][0].Vitesse.z, 0);
    EXPECT_EQ(e->Trajets[1][0].Position.z, R);
}

TEST(CalculeTrajets, TousAuRepos) {
    auto e = Moteur();
    e->Trajets[1][0].Position = Vecteur(0, -50, R);
    e->Trajets[2][0].Position = Vecteur(0, 50, R);
    e->Trajets[3][0].Position = Vecteur(20, 0, R);
    e->Adherences[1] = 123; // left over from an earlier shot
    e->TireCoup();
    EXPECT_EQ(e->NbEnr, 1);
    EXPECT_DOUBLE_EQ(e->Temps[1], 0.01);
    EXPECT_EQ(e->TypesChoc[1], cAucun);
    EXPECT_EQ(e->Adherences[1], 1000);
    EXPECT_FALSE(e->PointReussi);
    EXPECT_EQ(e->IndicePoint, 1200);
}

TEST(CalculeTrajets, CoupParDefautReproductible) {
    auto e = Moteur();
    PositionDefaut(*e);
    e->TireCoup();
    EXPECT_TRUE(e->PointReussi);
    EXPECT_EQ(e->TypesChoc[e->IndicePoint], cBilleBille);
    EXPECT_EQ(e->Contres[e->IndicePoint], 3);
    // Records are ordered in time except impacts placed a little in the past.
    for (int i = 1; i <= e->NbEnr; ++i) EXPECT_GT(e->Temps[i], e->Temps[i - 1] - 0.0101);
    // Every ball ends in a final state, and the last record says so.
    for (int b = 1; b <= 3; ++b) EXPECT_GE(e->EtatsEnr[b][e->NbEnr], mArret);
    // Same stroke, same digits.
    const uint64_t h = Empreinte(*e);
    auto f = Moteur();
    PositionDefaut(*f);
    f->TireCoup();
    EXPECT_EQ(Empreinte(*f), h);
    // Copies compute the same shot (the tolerance evaluation relies on it).
    auto g = std::make_unique<TBillardAlveran>(*e);
    g->TireCoup();
    EXPECT_EQ(Empreinte(*g), h);
    // The digits themselves, as computed when the engine was written: a change of evaluation
    // order or of compiler contraction shows here, in Debug and Release alike.
    EXPECT_EQ(h, EmpreinteDeReference) << std::hex << h;
}

TEST(CalculeTrajets, EnregistrementsPeriodiques) {
    auto e = Moteur();
    e->Trajets[1][0] = Roulante(0, -100, 0, 50);
    e->Trajets[2][0] = Immobile(60, 100);
    e->Trajets[3][0] = Immobile(-60, 100);
    e->CalculeTrajets();
    // The first periodic record ends the first step strictly after dtEnr.
    ASSERT_GE(e->NbEnr, 3);
    EXPECT_GT(e->Temps[1], 0.05);
    EXPECT_LE(e->Temps[1], 0.05 + 0.01 + 1e-12);
    EXPECT_EQ(e->Adherences[1], 1000);
    EXPECT_GT(e->Temps[2], 0.10);
}

TEST(CalculeTrajets, VitesseLenteNeRaccourcitPasLePas) {
    // Below the bound the step loop skips a ball without its square root and division: no
    // such ball may pass the exact test "D/s < dtAnal", for any step length; and the bound
    // stays close enough under (D/dtAnal)² that faster balls are still tested.
    for (double D : {0.002, 6.15, 1e3}) {
        for (double dt = 1e-140; dt < 1e140; dt *= 7.77) {
            const double v2 = CarreVitesseLente(D, dt);
            ASSERT_GT(v2, 0) << D << " " << dt;
            double sous = v2;
            for (int k = 0; k < 4; ++k) {
                sous = std::nextafter(sous, 0.0);
                EXPECT_FALSE(D / std::sqrt(sous) < dt) << D << " " << dt;
            }
            const double s = D / dt * (1 + 1e-6);
            EXPECT_LT(v2, s * s);
        }
    }
    // No bound where it would lose precision or where the step is not a positive number.
    constexpr double inf = std::numeric_limits<double>::infinity();
    for (double dt : {0.0, -0.01, std::nan(""), inf, 5e-324, 1e-310, 1e300})
        EXPECT_EQ(CarreVitesseLente(6.15, dt), 0) << dt;
}

TEST(CalculeTrajets, RotationDesBillesQuiRoulent) {
    // In a periodic record a rolling ball turns as it rolls, Rotation = (−Vy/R, Vx/R, spin),
    // with the engine's own operations, over the aim sweep of the default position.
    auto e = Moteur();
    PositionDefaut(*e);
    const double F = 1 / R;
    int verifies = 0;
    for (int i = 0; i < 360; ++i) {
        e->Coup.AngleOx = 2 * std::numbers::pi * i / 360;
        e->TireCoup();
        for (int n = 1; n <= e->NbEnr; ++n) {
            if (e->TypesChoc[n] != cAucun) continue;
            for (int b = 1; b <= 3; ++b) {
                if (e->EtatsEnr[b][n] != mRoule) continue;
                const TCinematique& c = e->Trajets[b][n];
                ASSERT_EQ(c.Rotation.x, 0 * c.Vitesse.z - F * c.Vitesse.y) << i << " " << n;
                ASSERT_EQ(c.Rotation.y, F * c.Vitesse.x - 0 * c.Vitesse.z) << i << " " << n;
                ++verifies;
            }
        }
    }
    EXPECT_GT(verifies, 10000);
}

TEST(CalculeTrajets, CapaciteAtteinte) {
    auto e = Moteur();
    e->Fisik.dtEnr = 0.0001;          // a record at every step
    e->Fisik.FrotBiTapRoule = 0.0001; // and a ball that rolls for minutes
    e->Trajets[1][0] = Roulante(0, -100, 0, 300);
    e->Trajets[2][0] = Immobile(60, 100);
    e->Trajets[3][0] = Immobile(-60, 100);
    e->CalculeTrajets();
    EXPECT_EQ(e->NbEnr, 1200);
    EXPECT_NE(e->EtatsEnr[1][1200], mArret); // still rolling: no final record
}

// Scoring: balls placed and launched by hand.
namespace {
// The cue ball rests at the centre; ball 2 runs into it from +y, then ball 3 from −y.
void DeuxContacts(TBillardAlveran& e) {
    e.Trajets[1][0] = Immobile(0, 0);
    e.Trajets[2][0] = Roulante(0, 30, 0, -100);
    e.Trajets[3][0] = Roulante(0, -80, 0, 150);
}
} // namespace

TEST(Point, LibreDeuxContacts) {
    auto e = Moteur();
    e->ModeDeJeu = jLibre;
    DeuxContacts(*e);
    e->CalculeTrajets();
    ASSERT_TRUE(e->PointReussi);
    EXPECT_EQ(e->TypesChoc[e->IndicePoint], cBilleBille);
    EXPECT_EQ(e->Contres[e->IndicePoint], 3);
    // The first contact is the one with ball 2, before the point.
    int premier = 0;
    for (int i = 1; i <= e->NbEnr && !premier; ++i)
        if (e->TypesChoc[i] == cBilleBille) premier = i;
    EXPECT_LT(premier, e->IndicePoint);
    EXPECT_EQ(e->Contres[premier], 2);

    // Out-of-range modes score as free play.
    auto f = Moteur();
    f->ModeDeJeu = static_cast<TModeDeJeu>(7);
    DeuxContacts(*f);
    f->CalculeTrajets();
    EXPECT_TRUE(f->PointReussi);
    EXPECT_EQ(f->IndicePoint, e->IndicePoint);
}

TEST(Point, SansBandeNiUneNiTroisBandes) {
    for (TModeDeJeu mode : {j1Bande, j3Bandes}) {
        auto e = Moteur();
        e->ModeDeJeu = mode;
        DeuxContacts(*e);
        e->CalculeTrajets();
        EXPECT_FALSE(e->PointReussi);
        EXPECT_EQ(e->IndicePoint, 1200);
    }
}

TEST(Point, RegleDesContacts) {
    // The rule itself, driven impact by impact as the loop would.
    struct Cas {
        TModeDeJeu mode;
        const char* suite; // '2', '3': ball contacts; 'B': a cushion
        bool point;
    };
    const Cas cas[] = {
        {j1Bande, "22B3", true},     // touching the first ball again spends nothing
        {j3Bandes, "2BB3B3", false}, // two cushions at the decisive contact: final
        {j3Bandes, "BBB23", true},   {j1Bande, "23B", false}, {jLibre, "32", true},
    };
    for (const Cas& c : cas) {
        auto e = Moteur();
        e->ModeDeJeu = c.mode;
        e->NbEnr = 10;
        TEtatBille b1 = Bille(Immobile(0, 0)), b2 = Bille(Immobile(0, 2 * R)),
                   b3 = Bille(Immobile(2 * R, 0));
        b1.Numero = 1;
        b2.Numero = 2;
        b3.Numero = 3;
        b1.SurPoint = c.mode == j3Bandes  ? static_cast<TProcPoint>(&TBillardAlveran::Point3Bandes)
                      : c.mode == j1Bande ? static_cast<TProcPoint>(&TBillardAlveran::Point1Bande)
                                          : static_cast<TProcPoint>(&TBillardAlveran::PointLibre);
        for (const char* p = c.suite; *p; ++p) {
            if (*p == 'B') {
                b1.NbBandes++;
                continue;
            }
            TEtatBille& autre = *p == '2' ? b2 : b3;
            b1.Vitesse = Mult(Unitaire(Diff(autre.Position, b1.Position)), 100);
            e->ChocBille(b1, autre);
        }
        EXPECT_EQ(e->PointReussi, c.point) << c.suite;
        EXPECT_EQ(e->IndicePoint, c.point ? 11 : 0) << c.suite;
        EXPECT_EQ(b1.SurPoint, nullptr) << c.suite; // the test is made once
    }
}

TEST(Point, SeulementLaBille2ToucheLa3) {
    auto e = Moteur();
    e->ModeDeJeu = jLibre;
    e->Trajets[1][0] = Roulante(0, -60, 0, 100);
    e->Trajets[2][0] = Immobile(0, 0);
    e->Trajets[3][0] = Immobile(0, 2 * R + 20);
    e->CalculeTrajets();
    EXPECT_GE(CompteTypes(*e, cBilleBille), 2);
    bool b2b3 = false;
    for (int i = 1; i <= e->NbEnr; ++i)
        b2b3 |= e->TypesChoc[i] == cBilleBille && e->Contres[i] == 0;
    EXPECT_TRUE(b2b3);
    // The cue ball, slowed to 6.5 % of its speed, may follow and touch ball 2 again, never 3.
    EXPECT_FALSE(e->PointReussi);
}

TEST(Point, CoupInsolubleRienNeBouge) {
    auto e = Moteur();
    e->ModeDeJeu = jLibre;
    PositionDefaut(*e);
    e->Fisik.PerteEcQB = 0.3;
    e->TireCoup();
    EXPECT_TRUE(e->QueueInsoluble);
    EXPECT_FALSE(e->PointReussi);
    EXPECT_EQ(e->IndicePoint, 1200);
    EXPECT_EQ(e->NbEnr, 1);
}

TEST(Point, UneBilleSortieAnnuleLePoint) {
    // A hard, slightly raised stroke in free play: the point is made at record 36, then a
    // ball flies over a cushion. The point is void; its index stays.
    auto e = Moteur();
    PositionDefaut(*e);
    e->ModeDeJeu = jLibre;
    e->Coup.Effet = 0;
    e->Coup.AngleOx = 3.0873775947611617;
    e->Coup.Vq = 895.59932261158508;
    e->Coup.AngleTapis = 0.031758099547551891;
    e->Coup.Hauteur = -0.36870357629029815;
    e->TireCoup();
    bool dehors = false;
    for (int b = 1; b <= 3; ++b) dehors |= e->EtatsEnr[b][e->NbEnr] == mDehors;
    EXPECT_TRUE(dehors);
    EXPECT_FALSE(e->PointReussi);
    EXPECT_EQ(e->IndicePoint, 36);
    EXPECT_EQ(e->TypesChoc[36], cBilleBille);
}

// Every shot ends, whatever the constants and states.
TEST(Terminaison, PasInfiniOuNul) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    struct Cas {
        const char* nom;
        void (*prepare)(TBillardAlveran&);
    };
    const Cas cas[] = {
        {"vitesse infinie",
         [](TBillardAlveran& e) { e.Trajets[1][0].Vitesse = Vecteur(inf, 0, 0); }},
        {"vitesse NaN", [](TBillardAlveran& e) { e.Trajets[1][0].Vitesse = Vecteur(nan, 1, 0); }},
        {"vitesse absurde",
         [](TBillardAlveran& e) { e.Trajets[1][0].Vitesse = Vecteur(1e300, 0, 0); }},
        {"dtAnal 10000", [](TBillardAlveran& e) { e.Fisik.dtAnal = 10000; }},
        {"dtAnal NaN", [](TBillardAlveran& e) { e.Fisik.dtAnal = nan; }},
        {"dtAnal nul", [](TBillardAlveran& e) { e.Fisik.dtAnal = 0; }},
        {"G nul", [](TBillardAlveran& e) { e.Fisik.G = 0; }},
        {"frottements nuls",
         [](TBillardAlveran& e) {
             e.Fisik.FrotBiTapRoule = 0;
             e.Fisik.FrotBiTapGlisse = 0;
         }},
    };
    for (const Cas& c : cas) {
        auto e = Moteur();
        PositionDefaut(*e);
        e->ChocQueueBille();
        c.prepare(*e);
        e->CalculeTrajets();
        EXPECT_LE(e->NbEnr, 1200) << c.nom;
        EXPECT_LE(e->NbPas, TBillardAlveran::NbPasMax) << c.nom;
    }
}

TEST(Terminaison, UneLimiteDePasPlusBasseCoupeLeCoupSansChangerSonDebut) {
    auto entier = Moteur();
    EXPECT_EQ(entier->NbPasLimite, TBillardAlveran::NbPasMax);
    PositionDefaut(*entier);
    entier->TireCoup();
    ASSERT_GT(entier->NbPas, 1000);

    auto coupe = Moteur();
    PositionDefaut(*coupe);
    coupe->NbPasLimite = 500;
    coupe->TireCoup();
    EXPECT_EQ(coupe->NbPas, 500);
    ASSERT_LT(coupe->NbEnr, entier->NbEnr);
    // Cut short, with no final record: every record written is the whole shot's.
    for (int i = 0; i <= coupe->NbEnr; ++i) {
        EXPECT_EQ(coupe->Temps[i], entier->Temps[i]) << i;
        EXPECT_EQ(coupe->Trajets[1][i].Position.x, entier->Trajets[1][i].Position.x) << i;
    }
}

TEST(Terminaison, DtAnalGeantSansChocEstUnPasLibre) {
    // With dtAnal ≥ 10000 a step without any impact must not run a response never set.
    auto e = Moteur();
    e->Fisik.dtAnal = 20000;
    e->Trajets[1][0] = Immobile(0, 0);
    e->Trajets[2][0] = Immobile(30, 0);
    e->Trajets[3][0] = Immobile(-30, 0);
    e->CalculeTrajets();
    // One free step of 20000 s: its periodic record, then the final one.
    EXPECT_EQ(e->NbEnr, 2);
    EXPECT_EQ(e->Temps[1], 20000);
    EXPECT_EQ(e->Temps[2], 20000);
}

TEST(Terminaison, AtterrissageHorsDeLaTable) {
    // A ball that jumps just over the nose lands beyond the cushion line: it is off the table.
    auto e = Moteur();
    const double L2 = e->Fisik.largeurJeu() / 2;
    e->Trajets[1][0] = {Vecteur(L2 - 10, 0, R), Vecteur(60, 0, 120), VecteurNul};
    e->Trajets[2][0] = Immobile(0, 60);
    e->Trajets[3][0] = Immobile(0, -60);
    e->CalculeTrajets();
    EXPECT_EQ(e->EtatsEnr[1][e->NbEnr], mDehors);
}
