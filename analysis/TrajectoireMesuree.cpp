#include "analysis/TrajectoireMesuree.h"

#include "analysis/Extrait.h"
#include "engine/Nombres.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::string_view EnTete = "t,bille,x,y";

/// The text without blanks (spaces, tabs, CR) at either end.
std::string_view SansBlancs(std::string_view texte) {
    const auto debut = texte.find_first_not_of(" \t\r");
    if (debut == std::string_view::npos) return {};
    const auto fin = texte.find_last_not_of(" \t\r");
    return texte.substr(debut, fin - debut + 1);
}

std::string_view SansBom(std::string_view texte) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    return texte.substr(0, bom.size()) == bom ? texte.substr(bom.size()) : texte;
}

/// "t,bille,x,y", blanks around the names and letter case aside; or "t;bille;x;y", as a
/// spreadsheet under French settings writes CSV, its numbers then with a decimal comma.
/// `separateur` gets the header's separator.
bool EstEnTete(std::string_view ligne, char& separateur) {
    std::string compacte;
    for (char c : ligne)
        if (c != ' ' && c != '\t' && c != '\r')
            compacte += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    separateur = compacte == "t;bille;x;y" ? ';' : ',';
    return compacte == EnTete || separateur == ';';
}

std::vector<std::string_view> Champs(std::string_view ligne, char separateur) {
    std::vector<std::string_view> champs;
    for (;;) {
        const auto virgule = ligne.find(separateur);
        champs.push_back(SansBlancs(ligne.substr(0, virgule)));
        if (virgule == std::string_view::npos) return champs;
        ligne.remove_prefix(virgule + 1);
    }
}

std::string Ligne(int numero) {
    return "ligne " + std::to_string(numero) + " : ";
}

/// The four fields of one data line into `releve` and `bille`; an error text otherwise.
std::string LitLigne(std::string_view ligne, int numero, char separateur, TReleve& releve,
                     int& bille) {
    const auto champs = Champs(ligne, separateur);
    if (champs.size() != 4)
        return Ligne(numero) + "4 valeurs attendues (t,bille,x,y), " +
               std::to_string(champs.size()) + " trouvées";
    static constexpr const char* Noms[4] = {"t", "bille", "x", "y"};
    double valeurs[4] = {};
    for (int k = 0; k < 4; ++k) {
        // Between semicolons the decimal separator is a comma (a point is read too).
        std::string nombre(champs[k]);
        if (separateur == ';')
            for (char& c : nombre)
                if (c == ',') c = '.';
        if (!LitNombre(nombre, valeurs[k]))
            return Ligne(numero) + "valeur non numérique pour " + Noms[k] + " : « " +
                   Extrait(champs[k]) + " »";
    }
    if (valeurs[1] != 1 && valeurs[1] != 2 && valeurs[1] != 3)
        return Ligne(numero) + "bille inconnue « " + Extrait(champs[1]) + " » (1, 2 ou 3 attendu)";
    bille = static_cast<int>(valeurs[1]);
    releve = {valeurs[0], valeurs[2], valeurs[3]};
    return {};
}

/// A centre beyond a cushion's nose line is no tracking noise: the ball would be in the
/// cushion. A few millimetres past where a centre can be (R inside the nose) is accepted.
std::string VerifiePlace(const TReleve& r, int bille, int numero, const TPARAMPHYS& fisik) {
    const double L = fisik.largeurJeu();
    const auto hors = [&](char axe, double valeur, double limite) {
        return Ligne(numero) + "bille " + std::to_string(bille) + " hors du billard : " + axe +
               " = " + TexteNombre(valeur) + " cm, au-delà de la bande (" + axe + " = ±" +
               TexteNombre(limite) + " cm)";
    };
    if (std::fabs(r.x) > L / 2) return hors('x', r.x, L / 2);
    if (std::fabs(r.y) > L) return hors('y', r.y, L);
    return {};
}

/// What the whole file must hold besides well-formed lines.
std::string VerifieEnsemble(const TTrajectoireMesuree& m, const TPARAMPHYS& fisik) {
    for (int b = 1; b <= 3; ++b)
        if (m.Billes[b].empty()) return "aucun relevé pour la bille " + std::to_string(b);
    const auto& queue = m.Billes[1];
    if (queue.size() < static_cast<std::size_t>(NbRelevesQueueMin))
        return "la bille de queue (bille 1) n'a que " + std::to_string(queue.size()) +
               " relevé(s), il en faut au moins " + std::to_string(NbRelevesQueueMin);
    double ecart2 = 0;
    for (const TReleve& r : queue) {
        const double dx = r.x - queue[0].x, dy = r.y - queue[0].y;
        ecart2 = std::max(ecart2, dx * dx + dy * dy);
    }
    if (ecart2 < fisik.DiamBilles2)
        return "la bille de queue (bille 1) ne bouge pas : aucun coup à ajuster";
    return {};
}

/// A sample's time and the line that gave it.
struct TTempsLigne {
    double t;
    int Ligne;
};

/// A time stamp far from every other one at or before the strike (a stray sample, a clock that
/// jumped) would set the shot's start or its clock: refused, naming its line. Later ones are
/// past any cutoff and harmless (a ball at rest may have only a last sample, long after).
std::string VerifieTemps(std::vector<TTempsLigne> temps, double debutQueue) {
    std::sort(temps.begin(), temps.end(),
              [](const TTempsLigne& a, const TTempsLigne& b) { return a.t < b.t; });
    for (std::size_t k = 0; k < temps.size() && temps[k].t <= debutQueue; ++k) {
        const double avant = k > 0 ? temps[k].t - temps[k - 1].t : INFINITY;
        const double apres = k + 1 < temps.size() ? temps[k + 1].t - temps[k].t : INFINITY;
        const double ecart = std::min(avant, apres);
        if (ecart > EcartTempsMax)
            return Ligne(temps[k].Ligne) + "temps " + TexteNombre(temps[k].t) +
                   " s loin de tous les autres relevés (" + TexteNombre(ecart) +
                   " s du plus proche ; des temps en secondes sont attendus)";
    }
    return {};
}

} // namespace

TLectureTrajectoire LitTrajectoireMesuree(std::string_view texte, const TPARAMPHYS& fisik) {
    TLectureTrajectoire lecture;
    auto& billes = lecture.Trajectoire.Billes;
    texte = SansBom(texte);
    bool enTeteLu = false;
    char separateur = ',';
    int numero = 0;
    std::vector<TTempsLigne> temps;
    while (!texte.empty()) {
        const auto fin = texte.find('\n');
        const std::string_view ligne = SansBlancs(texte.substr(0, fin));
        texte.remove_prefix(fin == std::string_view::npos ? texte.size() : fin + 1);
        ++numero;
        if (ligne.empty()) continue;
        if (!enTeteLu) {
            if (!EstEnTete(ligne, separateur)) {
                lecture.Erreur = Ligne(numero) + "en-tête « t,bille,x,y » attendu, « " +
                                 Extrait(ligne) + " » trouvé";
                return lecture;
            }
            enTeteLu = true;
            continue;
        }
        TReleve r;
        int bille = 0;
        lecture.Erreur = LitLigne(ligne, numero, separateur, r, bille);
        if (lecture.Erreur.empty()) lecture.Erreur = VerifiePlace(r, bille, numero, fisik);
        if (lecture.Erreur.empty() && !billes[bille].empty() && r.t < billes[bille].back().t)
            lecture.Erreur = Ligne(numero) + "le temps de la bille " + std::to_string(bille) +
                             " recule (" + TexteNombre(r.t) + " s après " +
                             TexteNombre(billes[bille].back().t) + " s)";
        if (!lecture.Erreur.empty()) return lecture;
        billes[bille].push_back(r);
        temps.push_back({r.t, numero});
    }
    if (!enTeteLu) {
        lecture.Erreur = "fichier vide : en-tête « t,bille,x,y » attendu";
        return lecture;
    }
    lecture.Erreur = VerifieEnsemble(lecture.Trajectoire, fisik);
    if (lecture.Erreur.empty())
        lecture.Erreur = VerifieTemps(std::move(temps), billes[1].front().t);
    return lecture;
}
