#include "analysis/EcartTentative.h"

#include "engine/C8_BillardAlveran.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

struct TBandeDroite {
    bool SurX;      ///< the cushion bounds x (a long one)
    double Signe;   ///< +1 for the positive side
    double Contact; ///< the centre's coordinate when it touches
};

double Coordonnee(const TPointPlan& p, bool surX) {
    return surX ? p.x : p.y;
}

} // namespace

std::vector<TContactBande> ContactsBandesMesures(const std::vector<TPointPlan>& releves,
                                                 double demiLargeur, double longueur,
                                                 double rayon) {
    const TBandeDroite bandes[4] = {{true, 1.0, demiLargeur - rayon},
                                    {true, -1.0, demiLargeur - rayon},
                                    {false, 1.0, longueur - rayon},
                                    {false, -1.0, longueur - rayon}};
    struct TTrouve {
        std::size_t Indice;
        TContactBande Contact;
    };
    std::vector<TTrouve> trouves;
    const std::size_t n = releves.size();
    for (const TBandeDroite& b : bandes) {
        // Distance of each centre to the contact line; every run of samples within the margin
        // is one approach, a hit when the ball came in and went out again.
        const auto distance = [&](std::size_t i) {
            return b.Contact - b.Signe * Coordonnee(releves[i], b.SurX);
        };
        std::size_t i = 0;
        while (i < n) {
            if (distance(i) > MargeContactMesure) {
                ++i;
                continue;
            }
            const std::size_t debut = i;
            std::size_t plusPres = i;
            while (i < n && distance(i) <= MargeContactMesure) {
                if (distance(i) < distance(plusPres)) plusPres = i;
                ++i;
            }
            const std::size_t fin = i - 1;
            // Where the ball came from and went to: the samples just outside the run.
            const double avant = distance(debut > 0 ? debut - 1 : debut);
            const double apres = distance(i < n ? i : fin);
            const double d = distance(plusPres);
            if (avant - d >= AllerRetourMin && apres - d >= AllerRetourMin)
                trouves.push_back({plusPres, {releves[plusPres], b.SurX}});
        }
    }
    std::stable_sort(trouves.begin(), trouves.end(),
                     [](const TTrouve& a, const TTrouve& b) { return a.Indice < b.Indice; });
    std::vector<TContactBande> contacts;
    contacts.reserve(trouves.size());
    for (const TTrouve& t : trouves) contacts.push_back(t.Contact);
    return contacts;
}

TComparaisonTentative CompareTentative(const std::vector<TContactBande>& ideal,
                                       const std::vector<TContactBande>& tentative) {
    TComparaisonTentative c;
    c.NbBandesIdeal = static_cast<int>(ideal.size());
    c.NbBandesTentative = static_cast<int>(tentative.size());
    const std::size_t n = std::min(ideal.size(), tentative.size());
    for (std::size_t k = 0; k < n; ++k)
        c.Ecarts.push_back({ideal[k], tentative[k],
                            std::hypot(ideal[k].Centre.x - tentative[k].Centre.x,
                                       ideal[k].Centre.y - tentative[k].Centre.y)});
    return c;
}

std::vector<TContactBande> ContactsBandesCoup(const TBillardAlveran& moteur) {
    std::vector<TContactBande> contacts;
    const int nbEnr = std::clamp(moteur.NbEnr, 0, TBillardAlveran::NbEnrMax);
    const double demiLargeur = moteur.Fisik.largeurJeu() / 2;
    const double longueur = moteur.Fisik.largeurJeu();
    for (int i = 1; i <= nbEnr; ++i) {
        if (moteur.TypesChoc[i] != cBilleBande || moteur.Contres[i] == 0) continue;
        const TVecteur& p = moteur.Trajets[1][i].Position;
        // The nearer cushion, in proportion to the table: at a corner the one it lies closer to.
        const bool longue = demiLargeur - std::abs(p.x) < longueur - std::abs(p.y);
        contacts.push_back({{p.x, p.y}, longue});
    }
    return contacts;
}

std::vector<TPointPlan> EchantillonneQueue(const TBillardAlveran& moteur, double pas) {
    std::vector<TPointPlan> points;
    const int nbEnr = std::clamp(moteur.NbEnr, 0, TBillardAlveran::NbEnrMax);
    double prochain = moteur.Temps[0];
    for (int i = 0; i <= nbEnr; ++i) {
        if (moteur.Temps[i] + 1e-12 < prochain && i != nbEnr) continue;
        const TVecteur& p = moteur.Trajets[1][i].Position;
        points.push_back({p.x, p.y});
        prochain = moteur.Temps[i] + pas;
    }
    return points;
}
