#include "analysis/Chance.h"

#include "analysis/ComdbAlv.h"
#include "analysis/RechercheSolutions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

/// SplitMix64: a well-mixed 64-bit value from a counter.
uint64_t Melange(uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

/// In (0, 1]: 53 random bits, never 0 (the logarithm below).
double Uniforme(uint64_t bits) {
    return static_cast<double>((bits >> 11) + 1) * 0x1p-53;
}

/// Trials are fired in blocks of this many draws, the unit handed to a worker.
constexpr int32_t TailleBlocEssais = 50;

} // namespace

const std::array<TJoueurPredefini, 4>& JoueursPredefinis() {
    static const std::array<TJoueurPredefini, 4> joueurs = {{
        {"maitre", {"Maître", 0.2, 0.1, 3.0}},
        {"confirme", {"Confirmé", 0.35, 0.15, 5.0}},
        {"club", {"Joueur de club", 0.5, 0.2, 7.0}},
        {"debutant", {"Débutant", 1.0, 0.4, 12.0}},
    }};
    return joueurs;
}

std::optional<TJoueur> JoueurPredefini(std::string_view cle) {
    for (const TJoueurPredefini& j : JoueursPredefinis())
        if (cle == j.Cle) return j.Joueur;
    return std::nullopt;
}

TJoueur DispersionCoups(const std::vector<TCoupQueue>& coups) {
    TJoueur j{NomJoueurMesure, 0.0, 0.0, 0.0};
    const auto n = static_cast<double>(coups.size());
    if (coups.size() < 2) return j;
    // The aims' mean direction, so that attempts either side of ±180° stay close.
    double s = 0, c = 0, effet = 0, hauteur = 0, vitesse = 0;
    for (const TCoupQueue& k : coups) {
        s += std::sin(k.AngleOx);
        c += std::cos(k.AngleOx);
        effet += k.Effet;
        hauteur += k.Hauteur;
        vitesse += k.Vq;
    }
    const double direction = std::atan2(s, c);
    effet /= n;
    hauteur /= n;
    vitesse /= n;
    double angles = 0, pointes = 0, vitesses = 0;
    for (const TCoupQueue& k : coups) {
        const double ecart = std::remainder(k.AngleOx - direction, 2 * std::numbers::pi);
        angles += ecart * ecart;
        pointes +=
            (k.Effet - effet) * (k.Effet - effet) + (k.Hauteur - hauteur) * (k.Hauteur - hauteur);
        vitesses += (k.Vq - vitesse) * (k.Vq - vitesse);
    }
    j.EcartAngle = Degres(std::sqrt(angles / (n - 1)));
    // Effect and height share one spread: their deviations are pooled (2 (n − 1) degrees of
    // freedom).
    j.EcartProcede = std::sqrt(pointes / (2 * (n - 1)));
    j.EcartVitesse = vitesse > 0 ? 100.0 * std::sqrt(vitesses / (n - 1)) / vitesse : 0.0;
    return j;
}

TTirages::TTirages(int32_t nombre, uint64_t graine)
    : FZ(static_cast<size_t>(std::max(nombre, 0))), FGraine(graine) {
    // Box–Muller on two counter-based uniforms per pair of normals: trial i's draws depend on
    // the seed and i alone.
    const uint64_t base = Melange(graine);
    for (size_t i = 0; i < FZ.size(); ++i)
        for (size_t k = 0; k < 4; k += 2) {
            const uint64_t n = base + 4 * i + k;
            const double r = std::sqrt(-2.0 * std::log(Uniforme(Melange(n))));
            const double a = 2.0 * std::numbers::pi * Uniforme(Melange(n + 1));
            FZ[i][k] = r * std::cos(a);
            FZ[i][k + 1] = r * std::sin(a);
        }
}

std::pair<double, double> IntervalleWilson(int64_t reussis, int64_t essais) {
    if (essais <= 0) return {0.0, 1.0};
    constexpr double z = 1.959963984540054; // the normal's 97.5 % quantile
    const double n = static_cast<double>(essais);
    const double p = static_cast<double>(reussis) / n;
    const double z2n = z * z / n;
    const double centre = (p + z2n / 2) / (1 + z2n);
    const double demi = z / (1 + z2n) * std::sqrt(p * (1 - p) / n + z2n / (4 * n));
    return {std::max(0.0, centre - demi), std::min(1.0, centre + demi)};
}

TChance Chance(const TComptesChance& comptes) {
    TChance c;
    c.Comptes = comptes;
    c.Probabilite = comptes.Essais > 0
                        ? static_cast<double>(comptes.Reussis) / static_cast<double>(comptes.Essais)
                        : 0.0;
    std::tie(c.Bas, c.Haut) = IntervalleWilson(comptes.Reussis, comptes.Essais);
    return c;
}

TCoupQueue CoupDuTirage(const TCoupQueue& coup, const TJoueur& joueur,
                        const std::array<double, 4>& z) {
    TCoupQueue c = coup;
    c.AngleOx = coup.AngleOx + Radians(joueur.EcartAngle) * z[0];
    c.Effet = coup.Effet + joueur.EcartProcede * z[1];
    c.Hauteur = coup.Hauteur + joueur.EcartProcede * z[2];
    c.Vq = std::max(0.0, coup.Vq * (1.0 + joueur.EcartVitesse / 100.0 * z[3]));
    return c;
}

TComptesChance CompteEssais(TBillardAlveran& moteur, const TCinematique& depart,
                            const TCoupQueue& coup, const TJoueur& joueur, const TTirages& tirages,
                            int32_t debut, int32_t fin) {
    const bool avant = moteur.ArretIssueDecidee;
    moteur.ArretIssueDecidee = true;
    TComptesChance c;
    for (int32_t i = debut; i < fin; ++i) {
        const TCoupQueue tire = CoupDuTirage(coup, joueur, tirages[i]);
        ++c.Essais;
        if (CoupHorsBille(moteur, tire.Effet, tire.Hauteur)) {
            ++c.FaussesQueues;
            continue;
        }
        moteur.Coup = tire;
        moteur.Trajets[1][0] = depart;
        moteur.TireCoup();
        if (moteur.PointReussi) ++c.Reussis;
    }
    moteur.ArretIssueDecidee = avant;
    return c;
}

TChance ChanceCoup(const TBillardAlveran& moteur, const TCoupQueue& coup, const TJoueur& joueur,
                   const TTirages& tirages, int nbThreads, const std::atomic<bool>* arret) {
    const TCinematique depart = moteur.Trajets[1][0];
    const int64_t nbBlocs = (tirages.Nombre() + TailleBlocEssais - 1) / TailleBlocEssais;
    std::vector<TComptesChance> parBloc(static_cast<size_t>(nbBlocs));
    PartageTravail(
        moteur, nbThreads, nbBlocs,
        [&](TBillardAlveran& copie, int64_t bloc) {
            const auto debut = static_cast<int32_t>(bloc * TailleBlocEssais);
            const int32_t fin = std::min(debut + TailleBlocEssais, tirages.Nombre());
            parBloc[static_cast<size_t>(bloc)] =
                CompteEssais(copie, depart, coup, joueur, tirages, debut, fin);
        },
        arret);
    TComptesChance total;
    for (const TComptesChance& c : parBloc) total += c;
    return Chance(total);
}
