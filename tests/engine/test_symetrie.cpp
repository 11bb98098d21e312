// Mirror symmetry: the table is symmetric about the x axis, so a shot mirrored in y (y → −y
// for positions and velocities; the angular velocity, an axial vector, becomes (−wx, wy, −wz))
// must give the mirrored records exactly. Every operation of the engine on a mirrored
// quantity is a sign change that rounding cannot see, so the comparison has no tolerance:
// records are equal value for value (a zero may come out with either sign). A difference
// means the engine treats one side of the table differently from the other.

#include "support/AideMoteur.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace test;

namespace {

constexpr double R = 3.075;

TVecteur MiroirPolaire(TVecteur v) {
    return Vecteur(v.x, -v.y, v.z);
}
TVecteur MiroirAxial(TVecteur w) {
    return Vecteur(-w.x, w.y, -w.z);
}

/// The cushions swap under the mirror: 2 (y = +L) and 4 (y = −L); 1 and 3 stay.
int32_t BandeMiroir(int32_t bande) {
    return bande == 2 ? 4 : (bande == 4 ? 2 : bande);
}

bool Egaux(TVecteur a, TVecteur b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

/// Three balls on the cloth, apart from each other and from the cushions, with random
/// velocities and spins.
void PlaceAuHasard(TBillardAlveran& e, std::mt19937_64& gen) {
    const double L = e.Fisik.largeurJeu();
    std::uniform_real_distribution<double> x(-L / 2 + R, L / 2 - R), y(-L + R, L - R);
    std::uniform_real_distribution<double> v(-400, 400), w(-200, 200), vz(0, 100);
    for (int b = 1; b <= 3; ++b) {
        TVecteur p;
        bool libre = false;
        while (!libre) {
            p = Vecteur(x(gen), y(gen), R);
            libre = true;
            for (int autre = 1; autre < b; ++autre)
                if (Norme(Diff(p, e.Trajets[autre][0].Position)) <= 2 * R) libre = false;
        }
        // One shot in four leaves the cloth, so that flights and landings are mirrored too.
        const double saut = (gen() % 4 == 0) ? vz(gen) : 0.0;
        e.Trajets[b][0] = {p, Vecteur(v(gen), v(gen), saut), Vecteur(w(gen), w(gen), w(gen))};
    }
}

void Miroir(const TBillardAlveran& source, TBillardAlveran& e) {
    for (int b = 1; b <= 3; ++b) {
        const TCinematique& c = source.Trajets[b][0];
        e.Trajets[b][0] = {MiroirPolaire(c.Position), MiroirPolaire(c.Vitesse),
                           MiroirAxial(c.Rotation)};
    }
}

} // namespace

TEST(Symetrie, MiroirYDonneLesEnregistrementsMiroirs) {
    std::mt19937_64 gen(2024);
    auto e = std::make_unique<TBillardAlveran>();
    auto m = std::make_unique<TBillardAlveran>();
    int chocs = 0;
    for (int coup = 0; coup < 300; ++coup) {
        SCOPED_TRACE(::testing::Message() << "coup " << coup);
        *e = TBillardAlveran();
        *m = TBillardAlveran();
        PlaceAuHasard(*e, gen);
        Miroir(*e, *m);
        e->CalculeTrajets();
        m->CalculeTrajets();

        ASSERT_EQ(m->NbEnr, e->NbEnr);
        EXPECT_EQ(m->PointReussi, e->PointReussi);
        EXPECT_EQ(m->IndicePoint, e->IndicePoint);
        for (int i = 0; i <= e->NbEnr; ++i) {
            ASSERT_EQ(m->Temps[i], e->Temps[i]) << "record " << i;
            ASSERT_EQ(m->TypesChoc[i], e->TypesChoc[i]) << "record " << i;
            const int32_t contre =
                e->TypesChoc[i] == cBilleBande ? BandeMiroir(e->Contres[i]) : e->Contres[i];
            ASSERT_EQ(m->Contres[i], contre) << "record " << i;
            ASSERT_EQ(m->Adherences[i], e->Adherences[i]) << "record " << i;
            if (e->TypesChoc[i] != cAucun) ++chocs;
            for (int b = 1; b <= 3; ++b) {
                const TCinematique& a = e->Trajets[b][i];
                const TCinematique& c = m->Trajets[b][i];
                ASSERT_EQ(m->EtatsEnr[b][i], e->EtatsEnr[b][i]) << "record " << i;
                ASSERT_TRUE(Egaux(c.Position, MiroirPolaire(a.Position)))
                    << "ball " << b << ", record " << i;
                ASSERT_TRUE(Egaux(c.Vitesse, MiroirPolaire(a.Vitesse)))
                    << "ball " << b << ", record " << i;
                ASSERT_TRUE(Egaux(c.Rotation, MiroirAxial(a.Rotation)))
                    << "ball " << b << ", record " << i;
            }
        }
    }
    // The shots must have met cushions, balls and the cloth for the comparison to mean much.
    EXPECT_GT(chocs, 1000);
}
