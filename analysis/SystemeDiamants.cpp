#include "analysis/SystemeDiamants.h"

#include "analysis/TravailParallele.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

/// A point of the table given in diamonds: u from the far short rail, v from the origin's long
/// rail (cm, z = 0).
TVecteur PointDiamants(double u, double v, double largeur) {
    const double diamant = largeur / 4;
    return Vecteur(largeur / 2 - v * diamant, largeur - u * diamant, 0);
}

/// Where a cue ball stopped, in cm from where it started (horizontal).
double Parcours(TBillardAlveran& moteur) {
    const TVecteur a = moteur.Trajets[1][0].Position;
    const TVecteur b = moteur.Trajets[1][moteur.NbEnr].Position;
    return std::hypot(b.x - a.x, b.y - a.y);
}

/// Launch speed of the cue ball per unit of cue speed with a level cue along +y.
double VitesseParVq(TBillardAlveran& moteur, double effet, double hauteur) {
    moteur.Trajets[1][0] = {Vecteur(0, 0, moteur.Fisik.RayonBilles()), VecteurNul, VecteurNul};
    moteur.Coup.Vq = 100;
    moteur.Coup.Effet = effet;
    moteur.Coup.Hauteur = hauteur;
    moteur.Coup.AngleOx = std::acos(0.0);
    moteur.Coup.AngleTapis = 0;
    moteur.ChocQueueBille();
    if (moteur.QueueInsoluble) return 0;
    return Norme(moteur.Trajets[1][0].Vitesse) / 100;
}

} // namespace

const char* NomVitesseSysteme(TVitesseSysteme vitesse) {
    switch (vitesse) {
    case TVitesseSysteme::Lente:
        return "lente";
    case TVitesseSysteme::Rapide:
        return "rapide";
    case TVitesseSysteme::Moyenne:
        break;
    }
    return "moyenne";
}

bool LitVitesseSysteme(std::string_view texte, TVitesseSysteme& vitesse) {
    for (const TVitesseSysteme v :
         {TVitesseSysteme::Lente, TVitesseSysteme::Moyenne, TVitesseSysteme::Rapide})
        if (texte == NomVitesseSysteme(v)) {
            vitesse = v;
            return true;
        }
    return false;
}

double LongueursVitesseSysteme(TVitesseSysteme vitesse) {
    switch (vitesse) {
    case TVitesseSysteme::Lente:
        return 3;
    case TVitesseSysteme::Rapide:
        return 7;
    case TVitesseSysteme::Moyenne:
        break;
    }
    return 4.5;
}

std::vector<std::pair<double, double>> PairesSysteme() {
    std::vector<std::pair<double, double>> paires;
    for (const double D : {3.0, 3.5, 4.0, 4.5, 5.0, 6.0, 7.0})
        for (double F = 1; F <= 4; F += 0.5)
            if (D - F >= 0.5) paires.emplace_back(D, F);
    return paires;
}

double VitesseBilleSysteme(const TBillardAlveran& modele, double longueurs) {
    auto moteur = CopieMoteur(modele);
    const double longueur = 2 * modele.Fisik.largeurJeu();
    const double cible = longueurs * longueur;
    // An unbounded cloth: a table far larger than any run, the object balls out of the way.
    moteur->Fisik.SetDimension(0, 1000 * cible);
    const double R = moteur->Fisik.RayonBilles();
    moteur->Trajets[2][0] = {Vecteur(-10 * cible, 0, R), VecteurNul, VecteurNul};
    moteur->Trajets[3][0] = {Vecteur(10 * cible, 0, R), VecteurNul, VecteurNul};
    const double parVq = VitesseParVq(*moteur, 0, 0);
    if (!(parVq > 0)) return 0;
    // The run grows as the square of the launch speed under constant decelerations; a few
    // corrections absorb whatever departs from that.
    double vitesse = 100;
    for (int i = 0; i < 4; ++i) {
        VitesseParVq(*moteur, 0, 0);
        moteur->Coup.Vq = vitesse / parVq;
        moteur->TireCoup();
        const double parcours = Parcours(*moteur);
        if (!(parcours > 0)) return 0;
        const double facteur = std::sqrt(cible / parcours);
        vitesse *= facteur;
        if (std::fabs(facteur - 1) < 1e-9) break;
    }
    return vitesse;
}

double VitesseQueueSysteme(const TBillardAlveran& modele, const TCoupSysteme& coup) {
    const double vitesse = VitesseBilleSysteme(modele, LongueursVitesseSysteme(coup.Vitesse));
    auto moteur = CopieMoteur(modele);
    const double R = modele.Fisik.RayonBilles();
    const double parVq = VitesseParVq(*moteur, coup.Effet * R, coup.Hauteur * R);
    return parVq > 0 ? vitesse / parVq : 0;
}

TPointSysteme TireSysteme(TBillardAlveran& moteur, double D, double F, const TCoupSysteme& coup,
                          double Vq) {
    const double L = moteur.Fisik.largeurJeu();
    const double R = moteur.Fisik.RayonBilles();
    const double diamant = L / 4;
    TPointSysteme p;
    p.D = D;
    p.F = F;
    p.Origine = D <= 5 ? PointDiamants(2 * D - 2, 0, L) : PointDiamants(8, D - 5, L);
    p.Visee = PointDiamants(F, 4, L);
    const TVecteur d = Unitaire(Diff(p.Visee, p.Origine));

    // Along the line, to where the ball lies 2 cm plus a radius inside both near nose lines:
    // the origin's long rail (x = L/2) and the near short rail (y = −L).
    const double marge = R + 2;
    const double dLong = L / 2 - p.Origine.x, dCourt = p.Origine.y + L;
    const double t = std::max({0.0, (marge - dLong) / -d.x, (marge - dCourt) / d.y});
    p.Depart = Somme(p.Origine, Mult(d, t));
    p.Depart.z = R;

    // The object balls wait by the corner of the first rail and the near short rail, where
    // no path of the system passes before its third rail.
    const TVecteur b2 = PointDiamants(7.55, 3.6, L), b3 = PointDiamants(6.9, 3.6, L);
    moteur.Trajets[1][0] = {p.Depart, VecteurNul, VecteurNul};
    moteur.Trajets[2][0] = {Vecteur(b2.x, b2.y, R), VecteurNul, VecteurNul};
    moteur.Trajets[3][0] = {Vecteur(b3.x, b3.y, R), VecteurNul, VecteurNul};
    moteur.Coup.Vq = Vq;
    moteur.Coup.AngleOx = std::atan2(d.y, d.x);
    moteur.Coup.AngleTapis = 0;
    // A positive side turns the ball counter-clockwise seen from above: heading up the table
    // into cushion 3, that is running side.
    moteur.Coup.Effet = coup.Effet * R;
    moteur.Coup.Hauteur = coup.Hauteur * R;
    moteur.TireCoup();

    // The first three things the cue ball met: cushions 3, 2, 1, or the shot is no system shot.
    static constexpr int attendues[3] = {3, 2, 1};
    for (int i = 1; i <= moteur.NbEnr && p.NbContacts < 3; ++i) {
        const int contre = moteur.Contres[i];
        if (contre == 0) continue;
        if (moteur.TypesChoc[i] == cBilleBille) return p;
        if (moteur.TypesChoc[i] != cBilleBande) continue;
        if (contre != attendues[p.NbContacts]) return p;
        p.Contacts[p.NbContacts++] = moteur.Trajets[1][i].Position;
    }
    if (p.NbContacts < 3) return p;
    p.T = (L - p.Contacts[2].y) / diamant;
    p.Ecart = p.T - (D - F);
    return p;
}

void StatistiquesSysteme(TResultatSysteme& r) {
    r.NbValides = 0;
    double somme = 0, sommeAbs = 0, max = 0;
    for (const TPointSysteme& p : r.Points) {
        if (!p.Valide()) continue;
        ++r.NbValides;
        somme += p.Ecart;
        sommeAbs += std::fabs(p.Ecart);
        max = std::max(max, std::fabs(p.Ecart));
    }
    const double n = r.NbValides;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    r.EcartMoyen = n > 0 ? somme / n : nan;
    r.EcartMoyenAbsolu = n > 0 ? sommeAbs / n : nan;
    r.EcartMax = n > 0 ? max : nan;
}

TResultatSysteme CalculeSysteme(const TBillardAlveran& modele, const TOptionsSysteme& options) {
    TResultatSysteme r;
    r.Coup = options.Coup;
    r.Vq = options.Vq > 0 ? options.Vq : VitesseQueueSysteme(modele, options.Coup);
    const auto paires = PairesSysteme();
    r.Points.resize(paires.size());
    for (std::size_t i = 0; i < paires.size(); ++i) {
        r.Points[i].D = paires[i].first;
        r.Points[i].F = paires[i].second;
    }
    if (r.Vq > 0) {
        std::vector<char> faits(paires.size(), 0);
        PartageTravail(
            modele, options.Threads, static_cast<int64_t>(paires.size()),
            [&](TBillardAlveran& moteur, int64_t i) {
                const auto k = static_cast<std::size_t>(i);
                r.Points[k] =
                    TireSysteme(moteur, paires[k].first, paires[k].second, options.Coup, r.Vq);
                faits[k] = 1;
            },
            options.Arret);
        r.Interrompu = std::find(faits.begin(), faits.end(), 0) != faits.end();
    }
    StatistiquesSysteme(r);
    return r;
}

TEffetSysteme RechercheEffetSysteme(const TBillardAlveran& modele, const TOptionsSysteme& options) {
    TEffetSysteme meilleur{0, std::numeric_limits<double>::infinity()};
    for (int k = 0; k <= 12; ++k) {
        TOptionsSysteme o = options;
        o.Coup.Effet = 0.1 + 0.05 * k;
        o.Vq = 0;
        const TResultatSysteme r = CalculeSysteme(modele, o);
        if (r.Interrompu) break;
        if (r.NbValides > 0 && r.EcartMoyenAbsolu < meilleur.EcartMoyenAbsolu)
            meilleur = {o.Coup.Effet, r.EcartMoyenAbsolu};
    }
    if (!std::isfinite(meilleur.EcartMoyenAbsolu))
        meilleur = {std::numeric_limits<double>::quiet_NaN(),
                    std::numeric_limits<double>::quiet_NaN()};
    return meilleur;
}

double NumeroDiamant(int numero, const TVecteur& position, double largeurJeu) {
    const double diamant = largeurJeu / 4;
    if (numero == 1 || numero == 3) return (largeurJeu - position.y) / diamant;
    return (largeurJeu / 2 - position.x) / diamant;
}
