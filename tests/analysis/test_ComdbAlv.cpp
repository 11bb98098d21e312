// The database block: contact sequence, byte layout, building and applying a block.

#include "analysis/ComdbAlv.h"
#include "support/CoupALaMain.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr double R = 3.075;
TVecteur P(double x, double y) {
    return {x, y, R};
}
TVecteur V(double x, double y) {
    return {x, y, 0.0};
}

/// A little-endian double read byte by byte, independent of the code under test.
double ReelLE(const TOctetsCoupDb& o, std::size_t offset) {
    uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) v |= static_cast<uint64_t>(o[offset + i]) << (8 * i);
    return std::bit_cast<double>(v);
}
int32_t EntierLE(const TOctetsCoupDb& o, std::size_t offset) {
    uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(o[offset + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

} // namespace

TEST(SequenceContacts, BilleTroisBandesPuisBille) {
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Bille(P(0, -56), V(1, 1), 2)
        .Ajoute(P(10, -40), V(1, 1)) // periodic record
        .Bande(P(20, 139), V(1, 1), 2)
        .Ajoute(P(-10, 130), V(1, 1), cBilleTapis, 1) // ball 1 landing after a jump
        .Bande(P(-68, 60), V(1, 1), 3)
        .Baiser(P(-30, 30), V(1, 1)) // the object balls meet: not ball 1's contact
        .Bande(P(68, 30), V(1, 1), 1)
        .Bille(P(3, 62), V(1, 1), 3)
        .Ajoute(P(3, 62), TVecteur{});
    EXPECT_EQ(SequenceContacts(*c), "2ENS3");

    const TCoupDb bloc = PrepareCoupDb(*c, TCaracteristiques{}, true);
    EXPECT_EQ(bloc.LongueurSequence, 5);
    const TOctetsCoupDb o = EncodeCoupDb(bloc);
    EXPECT_EQ(o[126], 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&o[127]), 5), "2ENS3");
    for (std::size_t i = 132; i < 147; ++i) EXPECT_EQ(o[i], 0) << "unused character " << i;
}

TEST(SequenceContacts, ToutLeCoupMaisVingtCaracteresDansLeBloc) {
    TCoupALaMain c(P(0, -50), P(0, 62));
    for (int i = 0; i < 13; ++i) c.Bande(P(68, 0), V(1, 1), 1).Bande(P(-68, 0), V(1, 1), 3);
    c.Point(); // the sequence goes on after the point
    c.Bille(P(0, 55), V(1, 1), 3);
    const std::string s = SequenceContacts(*c);
    EXPECT_EQ(s.size(), 27u);
    EXPECT_EQ(s.back(), '3');

    const TCoupDb bloc = PrepareCoupDb(*c, TCaracteristiques{}, true);
    EXPECT_EQ(bloc.LongueurSequence, 20);
    EXPECT_EQ(bloc.TexteSequence(), s.substr(0, 20));
    const TOctetsCoupDb o = EncodeCoupDb(bloc);
    EXPECT_EQ(o[126], 20);
    EXPECT_EQ(o[146], 'N') << "the 20th character, last of the field";
    for (std::size_t i = 147; i < 152; ++i) EXPECT_EQ(o[i], 0) << "padding";
}

TEST(SequenceContacts, LaSequenceDuPointSArreteAuContactQuiAFaitLePoint) {
    TCoupALaMain c(P(0, -50), P(0, 62));
    c.Bille(P(0, -56), V(1, 1), 3)
        .Bande(P(68, 0), V(1, 1), 1)
        .Bande(P(0, 139), V(1, 1), 2)
        .Bande(P(-68, 0), V(1, 1), 3)
        .Bille(P(3, 62), V(1, 1), 2)
        .Point()
        .Bande(P(68, 30), V(1, 1), 1)
        // The final record at rest repeats the last impact's kind and contact.
        .Bande(P(68, 30), TVecteur{}, 1);
    EXPECT_EQ(SequencePoint(*c), "3SEN2");
    EXPECT_EQ(SequenceContacts(*c), "3SEN2SS");
    c->PointReussi = false; // no point: the whole sequence
    EXPECT_EQ(SequencePoint(*c), "3SEN2SS");
}

TEST(BlocDb, DispositionOctetParOctet) {
    TCoupDb b;
    for (int i = 0; i < 6; ++i) b.Coup[i] = 1.5 + i;
    b.Positions[0] = {10.25, -20.5, 3.075};
    b.Positions[1] = {-1, 2, 3};
    b.Positions[2] = {4, -5, 6};
    b.Type = tcVitesseRotation;
    b.Point = 1;
    b.Contre = 1;
    b.SetSequence("2ENS3");
    b.D13 = 1000000.0;
    b.P13 = -2.5;
    b.d = 123.456;
    for (int i = 0; i < NbConstantesDb; ++i) b.Constantes[i] = 100.0 + i;

    const TOctetsCoupDb o = EncodeCoupDb(b);
    ASSERT_EQ(o.size(), 296u);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(ReelLE(o, 8 * i), 1.5 + double(i));
    EXPECT_EQ(ReelLE(o, 48), 10.25);
    EXPECT_EQ(ReelLE(o, 56), -20.5);
    EXPECT_EQ(ReelLE(o, 64), 3.075);
    EXPECT_EQ(ReelLE(o, 72), -1.0);
    EXPECT_EQ(ReelLE(o, 96), 4.0);
    EXPECT_EQ(ReelLE(o, 112), 6.0);
    EXPECT_EQ(EntierLE(o, 120), 2);
    EXPECT_EQ(o[124], 1);
    EXPECT_EQ(o[125], 1);
    EXPECT_EQ(o[126], 5);
    EXPECT_EQ(o[127], '2');
    EXPECT_EQ(o[131], '3');
    for (std::size_t i = 147; i < 152; ++i) EXPECT_EQ(o[i], 0);
    EXPECT_EQ(ReelLE(o, 152), 1000000.0);
    EXPECT_EQ(ReelLE(o, 160), -2.5);
    EXPECT_EQ(ReelLE(o, 168), 123.456);
    EXPECT_EQ(ReelLE(o, 176), 100.0) << "largeurJeu first";
    EXPECT_EQ(ReelLE(o, 288), 114.0) << "PerteEcQB last, ending at byte 296";
    // The type in little-endian order, whatever the host.
    EXPECT_EQ(o[120], 2);
    EXPECT_EQ(o[121], 0);
}

TEST(BlocDb, AllerRetourDesOctets) {
    TOctetsCoupDb o{};
    for (std::size_t i = 0; i < o.size(); ++i) o[i] = static_cast<uint8_t>(i * 37 + 11);
    o[126] = 200; // a length byte out of range is kept as it came
    const TCoupDb b = DecodeCoupDb(o);
    TOctetsCoupDb attendu = o;
    for (std::size_t i = 147; i < 152; ++i) attendu[i] = 0; // received padding is not kept
    EXPECT_EQ(EncodeCoupDb(b), attendu);
    EXPECT_EQ(b.TexteSequence().size(), 20u) << "never more than the 20 characters of the field";
}

namespace {

/// An engine with a non-default stroke, positions, ball 1 state and constants.
std::unique_ptr<TBillardAlveran> MoteurRempli() {
    auto m = std::make_unique<TBillardAlveran>();
    m->Coup.Effet = 0.62;
    m->Coup.Hauteur = 1.17;
    m->Coup.Vq = 430;
    m->Coup.AngleOx = 1.25;
    m->Coup.AngleTapis = 0.1;
    m->Coup.m = 500;
    m->Trajets[1][0] = {{10, 20, R}, {300, -40, 0}, {5, 6, -7}};
    m->Trajets[2][0].Position = {-30, 40, R};
    m->Trajets[3][0].Position = {50, -60, R};
    m->Fisik.SetDimension(0, 150.0);
    m->Fisik.FrotBiBi = 0.05;
    m->Fisik.PerteEcQB = 0.2;
    m->PointReussi = true;
    return m;
}

} // namespace

TEST(PrepareCoupDb, TypeQueuePorteLeCoupEtLesDerniersResultats) {
    const auto m = MoteurRempli();
    TCaracteristiques derniers;
    derniers.D13 = 1000000.0;
    derniers.P13 = 1000000.0;
    derniers.d = -4.5;
    derniers.Contre = true;
    const TCoupDb b = PrepareCoupDb(*m, derniers, true);
    EXPECT_EQ(b.Type, 1);
    const double attendu[6] = {0.62, 1.17, 430, 1.25, 0.1, 500};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(b.Coup[i], attendu[i]) << i;
    EXPECT_EQ(b.Positions[2].y, -60.0);
    EXPECT_EQ(b.Point, 1);
    EXPECT_EQ(b.Contre, 1);
    EXPECT_EQ(b.D13, 1000000.0);
    EXPECT_EQ(b.d, -4.5);
    EXPECT_EQ(b.Constantes[0], 150.0);
    EXPECT_EQ(b.Constantes[9], 0.05) << "FrotBiBi";
    EXPECT_EQ(b.Constantes[14], 0.2) << "PerteEcQB";
}

TEST(RecoitCoupDb, AllerRetourTypeQueue) {
    const auto source = MoteurRempli();
    const TOctetsCoupDb o = EncodeCoupDb(PrepareCoupDb(*source, TCaracteristiques{}, true));

    auto cible = std::make_unique<TBillardAlveran>();
    cible->Trajets[1][0].Vitesse = {1, 2, 3};
    EXPECT_EQ(RecoitCoupDb(*cible, DecodeCoupDb(o)), 1);
    EXPECT_EQ(cible->Coup.Effet, 0.62);
    EXPECT_EQ(cible->Coup.Hauteur, 1.17);
    EXPECT_EQ(cible->Coup.Vq, 430.0);
    EXPECT_EQ(cible->Coup.AngleOx, 1.25);
    EXPECT_EQ(cible->Coup.AngleTapis, 0.1);
    EXPECT_EQ(cible->Coup.m, 500.0);
    for (int b = 1; b <= 3; ++b) {
        EXPECT_EQ(cible->Trajets[b][0].Position.x, source->Trajets[b][0].Position.x);
        EXPECT_EQ(cible->Trajets[b][0].Position.y, source->Trajets[b][0].Position.y);
        EXPECT_EQ(cible->Trajets[b][0].Position.z, source->Trajets[b][0].Position.z);
    }
    EXPECT_EQ(cible->Trajets[1][0].Vitesse.y, 2.0) << "a stroke block leaves ball 1's state";
    for (int i = 0; i < NbConstantesDb; ++i)
        EXPECT_EQ(cible->Fisik.Parametre(i), source->Fisik.Parametre(i)) << TPARAMPHYS::Noms[i];
    EXPECT_EQ(cible->Fisik.dtAnal, 0.01) << "constants outside the block are kept";
}

TEST(RecoitCoupDb, AutreTypeDonneVitesseEtRotation) {
    const auto source = MoteurRempli();
    TCoupDb bloc = PrepareCoupDb(*source, TCaracteristiques{}, false);
    for (const int32_t type : {2, 7, 0}) {
        bloc.Type = type;
        auto cible = std::make_unique<TBillardAlveran>();
        EXPECT_EQ(RecoitCoupDb(*cible, DecodeCoupDb(EncodeCoupDb(bloc))), type);
        const TCinematique& c = cible->Trajets[1][0];
        EXPECT_EQ(c.Vitesse.x, 300.0);
        EXPECT_EQ(c.Vitesse.y, -40.0);
        EXPECT_EQ(c.Rotation.z, -7.0);
        EXPECT_EQ(cible->Coup.Vq, 0.0) << "the stroke is left alone";
        EXPECT_EQ(cible->Coup.m, 520.0);
    }
}

TEST(RecoitCoupDb, LesDimensionsPassentParLeurSetter) {
    auto m = std::make_unique<TBillardAlveran>();
    TCoupDb bloc = PrepareCoupDb(*m, TCaracteristiques{}, true);
    bloc.Constantes[0] = 100.0; // largeurJeu
    bloc.Constantes[1] = 1.5;   // HautBdes, written before the radius
    bloc.Constantes[2] = 1.0;   // RayonBilles
    RecoitCoupDb(*m, bloc);
    EXPECT_EQ(m->Fisik.largeurJeu(), 100.0);
    EXPECT_EQ(m->Fisik.RayonBilles(), 1.0);
    EXPECT_EQ(m->Fisik.DiamBilles, 2.0);
    EXPECT_EQ(m->Fisik.RayonBilles2, 1.0);
    EXPECT_EQ(m->Fisik.Bandes[2].Point.y, 100.0) << "cushions rebuilt for the new width";
    // The height is re-clamped against the radius of the moment as each dimension is
    // written: 1.5 is raised to the old radius 3.075, then cut to 0.98 of the new diameter.
    EXPECT_DOUBLE_EQ(m->Fisik.HautBdes(), 0.98 * 2.0);
}
