// Bit-for-bit identity of the trajectory computation over broad families of shots. Each family
// is summed up by one hash of every record field, the step count and the point; the expected
// hashes were taken from the engine before its per-step code was tuned for speed, so any change
// of an operation, of its order or of a branch shows here, in Debug and Release alike.
//
// To find which shot of a family changed, run with ALVERAN_EMPREINTES=FILE on the old and the
// new engine: each writes one line per shot ("family index hash"), and the two files compare.

#include "engine/CoupDefaut.h"
#include "support/AideMoteur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <random>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

/// FNV-1a over the bytes of the values given.
struct TEmpreinte {
    uint64_t h = 1469598103934665603ull;

    void Octets(const void* p, size_t n) {
        const auto* c = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ c[i]) * 1099511628211ull;
    }
    void Entier(int64_t v) { Octets(&v, sizeof v); }
    /// Every NaN hashes alike: which of two NaN operands an operation passes on is the
    /// compiler's choice, and a NaN's payload carries no result. Signed zeros stay distinct.
    void Reel(double x) {
        if (std::isnan(x)) x = NaN;
        uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        Entier(static_cast<int64_t>(bits));
    }
    void Vecteur(TVecteur v) {
        Reel(v.x);
        Reel(v.y);
        Reel(v.z);
    }
};

/// Everything a computation leaves for its readers.
uint64_t EmpreinteCoup(const TBillardAlveran& e) {
    TEmpreinte s;
    s.Entier(e.NbEnr);
    s.Entier(e.NbPas);
    s.Entier(e.PointReussi);
    s.Entier(e.IndicePoint);
    s.Entier(e.QueueInsoluble);
    for (int i = 0; i <= e.NbEnr; ++i) {
        for (int b = 1; b <= 3; ++b) {
            s.Vecteur(e.Trajets[b][i].Position);
            s.Vecteur(e.Trajets[b][i].Vitesse);
            s.Vecteur(e.Trajets[b][i].Rotation);
            s.Entier(e.EtatsEnr[b][i]);
        }
        s.Reel(e.Temps[i]);
        if (i == 0) continue; // the loop writes the other arrays from index 1
        s.Reel(e.Adherences[i]);
        s.Entier(e.TypesChoc[i]);
        s.Entier(e.Contres[i]);
    }
    return s.h;
}

/// Hash of a family: the hash of each shot in turn, optionally listed in a file.
class TFamille {
  public:
    explicit TFamille(const char* nom) : Nom(nom) {
        if (const char* chemin = std::getenv("ALVERAN_EMPREINTES"))
            Detail = std::fopen(chemin, "a");
    }
    ~TFamille() {
        if (Detail) std::fclose(Detail);
    }
    TFamille(const TFamille&) = delete;
    TFamille& operator=(const TFamille&) = delete;

    void Ajoute(const TBillardAlveran& e) {
        const uint64_t h = EmpreinteCoup(e);
        Somme.Entier(static_cast<int64_t>(h));
        if (Detail)
            std::fprintf(Detail, "%s %d %016llx\n", Nom, NbCoups,
                         static_cast<unsigned long long>(h));
        ++NbCoups;
    }
    uint64_t Valeur() const { return Somme.h; }

  private:
    const char* Nom;
    std::FILE* Detail = nullptr;
    TEmpreinte Somme;
    int NbCoups = 0;
};

/// A draw whose sequence the language defines: raw mt19937_64 outputs turned into numbers by
/// our own arithmetic (the standard distributions differ between libraries).
struct TTirage {
    std::mt19937_64 gen;
    explicit TTirage(uint64_t graine) : gen(graine) {}

    /// In [0, 1), 53 random bits.
    double Unite() { return static_cast<double>(gen() >> 11) * 0x1p-53; }
    double Entre(double a, double b) { return a + (b - a) * Unite(); }
    int Parmi(int n) { return static_cast<int>(gen() % static_cast<uint64_t>(n)); }
};

/// Three balls on the cloth, inside the cushions, not overlapping.
void PlaceBilles(TBillardAlveran& e, TTirage& t) {
    test::PlaceBillesAuHasard(e, [&t](double a, double b) { return t.Entre(a, b); });
}

/// A stroke in the controls' ranges, mostly as played (tip well inside the ball, cue nearly
/// level) and sometimes beyond: the tip may miss the ball, the cue may stand upright (jumps,
/// strikes into the cloth). Modes include one out of range.
void TireCoupAleatoire(TBillardAlveran& e, TTirage& t) {
    const double R = e.Fisik.RayonBilles();
    e.ModeDeJeu = static_cast<TModeDeJeu>(t.Parmi(4));
    const bool joue = t.Parmi(8) != 0;
    const double pointe = joue ? 0.8 * R : 1.05 * R;
    do {
        e.Coup.Effet = t.Entre(-pointe, pointe);
        e.Coup.Hauteur = t.Entre(-pointe, pointe);
    } while (joue &&
             e.Coup.Effet * e.Coup.Effet + e.Coup.Hauteur * e.Coup.Hauteur > pointe * pointe);
    e.Coup.Vq = t.Entre(0, 1200);
    e.Coup.AngleTapis = t.Entre(0, t.Parmi(4) == 0 ? Pi / 2 : Pi / 8);
    e.Coup.AngleOx = t.Entre(-Pi, Pi);
    e.Coup.m = t.Entre(400, 650);
    e.TireCoup();
}

/// Zero, a signed zero or a random value: balls moving exactly along an axis or not at all.
double Composante(TTirage& t, double amplitude) {
    switch (t.Parmi(6)) {
    case 0:
        return 0.0;
    case 1:
        return -0.0;
    default:
        return t.Entre(-amplitude, amplitude);
    }
}

/// Any ball state: on, above or slightly into the cloth, inside or beyond the cushions,
/// overlapping or not, still, rolling, sliding, spinning or flying.
TCinematique EtatAleatoire(const TBillardAlveran& e, TTirage& t) {
    const double R = e.Fisik.RayonBilles();
    const double L = e.Fisik.largeurJeu();
    const double z = t.Parmi(3) == 0 ? t.Entre(R - 0.01, R + 20) : R;
    const TVecteur P = Vecteur(t.Entre(-L / 2 - 5, L / 2 + 5), t.Entre(-L - 5, L + 5), z);
    const double vitesse = t.Parmi(4) == 0 ? 2000 : 300;
    const TVecteur V = Vecteur(Composante(t, vitesse), Composante(t, vitesse),
                               t.Parmi(4) == 0 ? Composante(t, 200) : 0.0);
    const TVecteur W = Vecteur(Composante(t, 150), Composante(t, 150), Composante(t, 80));
    return {P, V, W};
}

constexpr double DtAnalTestes[] = {0.005, 0.01, 0.02};

TEST(Identite, CoupParDefaut) {
    auto e = std::make_unique<TBillardAlveran>();
    TFamille f("defaut");
    for (TModeDeJeu mode : {j3Bandes, j1Bande, jLibre}) {
        PlaceCoupDefaut(*e);
        e->ModeDeJeu = mode;
        e->TireCoup();
        f.Ajoute(*e);
    }
    EXPECT_EQ(f.Valeur(), 12059048290045317744ull) << std::hex << f.Valeur();
}

TEST(Identite, BalayageVisee) {
    // The default position, aim swept over the whole circle: short and long shots, kisses,
    // balls leaving the table.
    auto e = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*e);
    TFamille f("visee");
    constexpr int NbCoups = 1000;
    for (int i = 0; i < NbCoups; ++i) {
        e->Coup.AngleOx = 2 * Pi * i / NbCoups;
        e->TireCoup();
        f.Ajoute(*e);
    }
    EXPECT_EQ(f.Valeur(), 13702575072066060445ull) << std::hex << f.Valeur();
}

TEST(Identite, CoupsAleatoires) {
    auto e = std::make_unique<TBillardAlveran>();
    TTirage t(20240601);
    TFamille f("coups");
    for (int i = 0; i < 3000; ++i) {
        PlaceBilles(*e, t);
        TireCoupAleatoire(*e, t);
        f.Ajoute(*e);
    }
    EXPECT_EQ(f.Valeur(), 1766582998705175523ull) << std::hex << f.Valeur();
}

TEST(Identite, ConstantesAleatoires) {
    // Constants within ±50 % of their defaults and a coarse or fine analysis step: the step is
    // shortened for fast balls thousands of times, which the default shot never does.
    auto e = std::make_unique<TBillardAlveran>();
    TTirage t(77);
    TFamille f("constantes");
    for (int i = 0; i < 2000; ++i) {
        e->Fisik = TPARAMPHYS();
        for (int k = 0; k < TPARAMPHYS::NbParametres; ++k)
            e->Fisik.SetParametre(k, TPARAMPHYS::Defaut(k) * t.Entre(0.5, 1.5));
        e->Fisik.dtAnal = DtAnalTestes[i % 3];
        PlaceBilles(*e, t);
        TireCoupAleatoire(*e, t);
        f.Ajoute(*e);
    }
    EXPECT_EQ(f.Valeur(), 1939398673406561198ull) << std::hex << f.Valeur();
}

TEST(Identite, EtatsAleatoires) {
    // Trajectories from arbitrary states, without a cue strike: every motion phase from the
    // start, balls in the air or off the table, overlaps answered at once.
    auto e = std::make_unique<TBillardAlveran>();
    TTirage t(5);
    TFamille f("etats");
    for (int i = 0; i < 1500; ++i) {
        e->Fisik.dtAnal = DtAnalTestes[i % 3];
        e->ModeDeJeu = static_cast<TModeDeJeu>(t.Parmi(3));
        for (int b = 1; b <= 3; ++b) e->Trajets[b][0] = EtatAleatoire(*e, t);
        e->CalculeTrajets();
        f.Ajoute(*e);
    }
    EXPECT_EQ(f.Valeur(), 15650931703294105752ull) << std::hex << f.Valeur();
}

TEST(Identite, PasDAnalyseExtremes) {
    // Steps that cannot advance the clock, that stop it after two million steps, or that
    // cover the whole shot at once.
    const double valeurs[] = {0.0, -0.0, -0.01, NaN, Inf, -Inf, 5e-324, 1e-3, 0.1, 1e4, 2e4, 1e300};
    auto e = std::make_unique<TBillardAlveran>();
    TFamille f("dtAnal");
    for (double dt : valeurs) {
        e->Fisik.dtAnal = dt;
        PlaceCoupDefaut(*e);
        e->TireCoup();
        f.Ajoute(*e);
    }
    EXPECT_EQ(f.Valeur(), 13059198572289026891ull) << std::hex << f.Valeur();
}

TEST(Identite, VitessesDeQueueExtremes) {
    // Up to absurd cue speeds: steps of a few ulps, overflowing squares, non-finite results.
    const double valeurs[] = {1200, 5e3, 1e5, 1e8, 1e12, 1e20, 1e50, 1e100, 1e150, 1e200, Inf, NaN};
    auto e = std::make_unique<TBillardAlveran>();
    TFamille f("Vq");
    for (double vq : valeurs) {
        for (double angle : {98.64 * Pi / 180, 0.0, Pi / 2}) {
            PlaceCoupDefaut(*e);
            e->Coup.Vq = vq;
            e->Coup.AngleOx = angle;
            e->TireCoup();
            f.Ajoute(*e);
        }
    }
    EXPECT_EQ(f.Valeur(), 5171116973212814994ull) << std::hex << f.Valeur();
}

} // namespace
