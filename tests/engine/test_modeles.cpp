// The stroke and cushion model options: off at their defaults, and physical when on (no energy
// created at a cue or cushion impact, a ball sent square at a cushion comes square back, no
// squirt and no loss of spin for a centre strike).

#include "support/AideMoteur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>

using namespace test;

namespace {
constexpr double R = 3.075;
constexpr double M = 215;
constexpr double Pi = std::numbers::pi;

/// The options set on `e`: tip efficiency, end mass, rolling spin taken, friction ratio along.
void Options(TBillardAlveran& e, double rendement, double masseBout, double perte, double rapport) {
    e.Fisik.SetParametre(TPARAMPHYS::IndiceParametre("RendementProcede"), rendement);
    e.Fisik.SetParametre(TPARAMPHYS::IndiceParametre("MasseBoutQueue"), masseBout);
    e.Fisik.SetParametre(TPARAMPHYS::IndiceParametre("PerteRotationBande"), perte);
    e.Fisik.SetParametre(TPARAMPHYS::IndiceParametre("RapportFrotBdeLong"), rapport);
}

/// The strike of `e`'s stroke from the table's centre; ball 1's state after it.
TCinematique Frappe(TBillardAlveran& e, double Vq, double effet, double hauteur, double angleOx,
                    double inclinaison = 0) {
    e.Trajets[1][0] = {Vecteur(0, 0, R), VecteurNul, VecteurNul};
    e.Coup.Vq = Vq;
    e.Coup.Effet = effet;
    e.Coup.Hauteur = hauteur;
    e.Coup.AngleOx = angleOx;
    e.Coup.AngleTapis = inclinaison;
    e.ChocQueueBille();
    return e.Trajets[1][0];
}
} // namespace

TEST(OptionsModele, NomsDefautsEtReglagesPredefinisFontLAllerRetour) {
    TPARAMPHYS f;
    for (int i = TPARAMPHYS::NbParametres; i < TPARAMPHYS::NbParametresModele; ++i) {
        const char* nom = TPARAMPHYS::NomParametre(i);
        ASSERT_STRNE(nom, "");
        EXPECT_EQ(TPARAMPHYS::IndiceParametre(nom), i);
        EXPECT_EQ(f.Parametre(i), TPARAMPHYS::Defaut(i)) << nom;
        f.SetParametre(i, 0.25);
        EXPECT_EQ(f.Parametre(i), 0.25) << nom;
    }
    EXPECT_STREQ(TPARAMPHYS::NomParametre(TPARAMPHYS::NbParametresModele), "");
    EXPECT_EQ(TPARAMPHYS::IndiceParametre("rendementprocede"), -1); // exact case only
}

TEST(OptionsModele, UneFrappeAuCentreNaNiDeviationNiPerteDEffet) {
    auto base = std::make_unique<TBillardAlveran>();
    auto options = std::make_unique<TBillardAlveran>();
    Options(*options, 0.6, 12, 0.5, 0.4);
    for (const double hauteur : {0.0, 1.5, -2.0}) {
        // Height only: no squirt at all; the efficiency only scales the height's spin.
        const TCinematique a = Frappe(*base, 400, 0, 0, 0.7);
        const TCinematique b = Frappe(*options, 400, 0, 0, 0.7);
        EXPECT_EQ(a.Vitesse.x, b.Vitesse.x);
        EXPECT_EQ(a.Vitesse.y, b.Vitesse.y);
        EXPECT_EQ(a.Rotation.z, b.Rotation.z);
        const TCinematique c = Frappe(*options, 400, 0, hauteur, 0.7);
        EXPECT_NEAR(std::atan2(c.Vitesse.y, c.Vitesse.x), 0.7, 1e-15);
        EXPECT_EQ(options->AngleDeviation(), 0);
    }
}

TEST(OptionsModele, LaDeviationSuitLaMasseDuBoutALOpposeDeLEffet) {
    auto e = std::make_unique<TBillardAlveran>();
    const double visee = 1.1;
    double precedent = 0;
    for (const double masse : {2.0, 7.5, 20.0}) {
        Options(*e, 1, masse, 0, 1);
        const TCinematique droite = Frappe(*e, 300, 0.5 * R, 0, visee);
        const double ecart = std::atan2(droite.Vitesse.y, droite.Vitesse.x) - visee;
        // tan θ = (5/2)·s·√(1 − s²) / (1 + M/Me + (5/2)·(1 − s²)) at s = 0.5.
        const double attendu =
            std::atan(2.5 * 0.5 * std::sqrt(0.75) / (1 + M / masse + 2.5 * 0.75));
        EXPECT_NEAR(ecart, attendu, 1e-12) << masse;
        EXPECT_GT(ecart, precedent); // a heavier end deflects more
        precedent = ecart;
        // Right side (Effet > 0) goes left of the aim, left side to the right, same angle.
        const TCinematique gauche = Frappe(*e, 300, -0.5 * R, 0, visee);
        EXPECT_NEAR(std::atan2(gauche.Vitesse.y, gauche.Vitesse.x) - visee, -attendu, 1e-12);
        // The speed is the strike's, only its direction turns.
        Options(*e, 1, 0, 0, 1);
        const TCinematique sans = Frappe(*e, 300, 0.5 * R, 0, visee);
        EXPECT_NEAR(Norme(droite.Vitesse), Norme(sans.Vitesse), 1e-9);
    }
    // About 1 to 2.5 degrees at half a radius for end masses of 5 to 10 g.
    Options(*e, 1, 5, 0, 1);
    Frappe(*e, 300, 0.5 * R, 0, 0);
    EXPECT_GT(e->AngleDeviation() * 180 / Pi, 0.8);
    Options(*e, 1, 10, 0, 1);
    Frappe(*e, 300, 0.5 * R, 0, 0);
    EXPECT_LT(e->AngleDeviation() * 180 / Pi, 2.6);
}

TEST(OptionsModele, LEfficaciteDuProcedeEchelonneLEffetParUniteDeVitesse) {
    auto ideal = std::make_unique<TBillardAlveran>();
    auto reduit = std::make_unique<TBillardAlveran>();
    Options(*reduit, 0.7, 0, 0, 1);
    const TCinematique a = Frappe(*ideal, 350, 0.4 * R, 0, 0.3);
    const TCinematique b = Frappe(*reduit, 350, 0.4 * R, 0, 0.3);
    // ω_z = (5/2)·offset·v/R² for a level cue: the spin for the speed falls as the offset.
    EXPECT_NEAR(b.Rotation.z / Norme(b.Vitesse), 0.7 * a.Rotation.z / Norme(a.Vitesse), 1e-12);
    // Less spin, so more of the strike goes into speed.
    EXPECT_GT(Norme(b.Vitesse), Norme(a.Vitesse));
    // The tip still misses a ball it would miss anyway.
    Frappe(*reduit, 350, 1.01 * R, 0, 0.3);
    EXPECT_TRUE(reduit->QueueInsoluble);
}

TEST(OptionsModele, AucuneEnergieCreeeParLaQueueSurUnBalayage) {
    auto e = std::make_unique<TBillardAlveran>();
    const double m = e->Coup.m;
    int essais = 0;
    for (const double rendement : {0.5, 0.8, 1.0})
        for (const double masse : {0.0, 8.0, 30.0})
            for (const double Vq : {50.0, 300.0, 900.0})
                for (const double effet : {-0.6, 0.0, 0.3, 0.7})
                    for (const double hauteur : {-0.5, 0.0, 0.6})
                        for (const double inclinaison : {0.0, 0.3}) {
                            Options(*e, rendement, masse, 0, 1);
                            const TCinematique c =
                                Frappe(*e, Vq, effet * R, hauteur * R, 2.0, inclinaison);
                            if (e->QueueInsoluble) continue;
                            TEtatBille b = Bille(c);
                            // The cue keeps the momentum the ball did not take along its line.
                            const TVecteur ligne = Vecteur(std::cos(inclinaison) * std::cos(2.0),
                                                           std::cos(inclinaison) * std::sin(2.0),
                                                           -std::sin(inclinaison));
                            const double vQueue =
                                Vq - M *
                                         ProdScal(Frappe(*e, Vq, effet * R, hauteur * R, 2.0,
                                                         inclinaison)
                                                      .Vitesse,
                                                  ligne) /
                                         m;
                            const double apres = Energie(b, R, M) + 0.5 * m * vQueue * vQueue;
                            EXPECT_LE(apres, 0.5 * m * Vq * Vq * (1 + 1e-12))
                                << rendement << " " << masse << " " << Vq << " " << effet;
                            ++essais;
                        }
    EXPECT_GT(essais, 500);
}

TEST(OptionsModele, AucuneEnergieCreeeALaBandeSurUnBalayage) {
    std::mt19937_64 alea(25);
    std::uniform_real_distribution<double> u(-1, 1);
    auto e = std::make_unique<TBillardAlveran>();
    for (const double rapport : {0.0, 0.3, 1.0, 1.6})
        for (const double perte : {0.0, 0.4, 1.0}) {
            Options(*e, 1, 0, perte, rapport);
            for (int k = 0; k < 400; ++k) {
                const double vitesse = 20 + 480 * (u(alea) + 1) / 2;
                const double angle = Pi / 2 * 0.95 * u(alea); // from square on to grazing
                const TVecteur V = Vecteur(vitesse * std::cos(angle), vitesse * std::sin(angle), 0);
                const TVecteur W = Mult(Vecteur(u(alea), u(alea), u(alea)), 3 * vitesse / R);
                const double L = e->Fisik.largeurJeu();
                TEtatBille b = Bille({Vecteur(L / 2 - 3.0, 0, R), V, W});
                const double avant = Energie(b, R, M);
                e->ChocBande(b, e->Fisik.Bandes[0]);
                EXPECT_LE(Energie(b, R, M), avant * (1 + 1e-12))
                    << rapport << " " << perte << " " << k;
                // Still heading into the cushion afterwards would mean no rebound at all.
                EXPECT_LT(b.Vitesse.x, 0);
            }
        }
}

TEST(OptionsModele, DeFaceSansEffetRevientDeFace) {
    auto e = std::make_unique<TBillardAlveran>();
    for (const double rapport : {0.0, 0.5, 1.0})
        for (const double perte : {0.0, 0.5, 1.0})
            for (const double vitesse : {30.0, 200.0, 600.0}) {
                Options(*e, 1, 0, perte, rapport);
                const double L = e->Fisik.largeurJeu();
                TEtatBille b =
                    Bille({Vecteur(L / 2 - 3.0, 10, R), Vecteur(vitesse, 0, 0), VecteurNul});
                e->ChocBande(b, e->Fisik.Bandes[0]);
                EXPECT_LT(b.Vitesse.x, 0);
                EXPECT_EQ(b.Vitesse.y, 0);
                EXPECT_EQ(b.Rotation.z, 0);
                EXPECT_EQ(b.Rotation.x, 0);
            }
}

TEST(OptionsModele, LesOptionsDeBandeFontCeQuEllesDisent) {
    const double L = 142.25;
    // A ball with running side into cushion 1 at 45°: less friction along the rail, less
    // angle change from the side.
    const auto rebond = [&](double rapport, double perte, bool nezAuCentre = false) {
        auto e = std::make_unique<TBillardAlveran>();
        Options(*e, 1, 0, perte, rapport);
        // A nose at the centre's height does not press the ball into the cloth, so no cloth
        // impact follows and the spin left is the cushion's alone.
        if (nezAuCentre) e->Fisik.SetDimension(1, R);
        TEtatBille b = Bille(
            {Vecteur(L / 2 - 3.0, 0, R), Vecteur(200, 200, 0), Vecteur(-200 / R, 200 / R, 40)});
        e->ChocBande(b, e->Fisik.Bandes[0]);
        return b;
    };
    const TEtatBille iso = rebond(1, 0), faible = rebond(0.3, 0), sans = rebond(0, 0);
    // Without friction along the rail, the velocity along it is untouched by the impact.
    EXPECT_NEAR(sans.Vitesse.y, 200, 1e-9);
    EXPECT_LT(std::fabs(faible.Vitesse.y - 200), std::fabs(iso.Vitesse.y - 200));
    // The rolling spin taken by the cloth: all of it at 1, half at 0.5.
    const TEtatBille tout = rebond(1, 1, true), moitie = rebond(1, 0.5, true),
                     garde = rebond(1, 0, true);
    EXPECT_EQ(tout.Rotation.x, 0);
    EXPECT_EQ(tout.Rotation.y, 0);
    EXPECT_NEAR(moitie.Rotation.x, garde.Rotation.x / 2, 1e-12);
    EXPECT_NEAR(moitie.Rotation.y, garde.Rotation.y / 2, 1e-12);
    EXPECT_EQ(moitie.Rotation.z, garde.Rotation.z);
}
