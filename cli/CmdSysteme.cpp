// alveran-cli systeme [--set NAME=VALUE]... [--preset match|defaut] [--effect FRACTION]
//   [--height FRACTION] [--speed lente|moyenne|rapide] [--threads N] [--out PATH.png|.svg]
//
// The chart of the table against the corner-five diamond system (T = D − F): every shot of
// the system fired with the chosen stroke, T read at the third rail, the deviations, and the
// running side with which this table follows the system best.

#include "analysis/SystemeDiamants.h"
#include "cli/Commandes.h"
#include "cli/Json.h"
#include "cli/Options.h"

#ifdef ALVERAN_AVEC_DESSIN
#include "dessin/CarteSysteme.h"

#include <QGuiApplication>
#endif

#include <chrono>
#include <cmath>
#include <memory>

namespace {

/// A fraction of the ball's radius, within the ball.
double LitFraction(const std::string& texte, const char* option) {
    const double x = LitValeurCommande(texte, option);
    if (!(std::fabs(x) < 1))
        throw TErreurCommande{std::string(option) +
                              " : fraction du rayon entre -1 et 1 attendue, pas '" + texte + "'"};
    return x;
}

} // namespace

std::string CmdSysteme(const TArguments& arguments) {
    TOptionsMoteur moteurOptions;
    TOptionsSysteme options;
    options.Threads = ThreadsParDefaut();
    std::string sortie;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string v;
        if (LitOptionMoteur(arguments, i, moteurOptions)) continue;
        if (ValeurOption(arguments, i, "--effect", v)) {
            options.Coup.Effet = LitFraction(v, "--effect");
        } else if (ValeurOption(arguments, i, "--height", v)) {
            options.Coup.Hauteur = LitFraction(v, "--height");
        } else if (ValeurOption(arguments, i, "--speed", v)) {
            if (!LitVitesseSysteme(v, options.Coup.Vitesse))
                throw TErreurCommande{"--speed : lente, moyenne ou rapide attendu, pas '" + v +
                                      "'"};
        } else if (ValeurOption(arguments, i, "--threads", v)) {
            options.Threads = LitThreads(v);
        } else if (ValeurOption(arguments, i, "--out", v)) {
            if (v.empty()) throw TErreurCommande{"--out sans chemin"};
            sortie = v;
        } else {
            throw TErreurCommande{"argument inattendu : " + arguments[i]};
        }
    }
    const double e = options.Coup.Effet, h = options.Coup.Hauteur;
    if (e * e + h * h >= 1)
        throw TErreurCommande{"--effect et --height : la queue manque la bille (effet² + "
                              "hauteur² doit rester sous 1)"};
#ifdef ALVERAN_AVEC_DESSIN
    const QString nom = QString::fromLocal8Bit(sortie);
    if (!sortie.empty() && !nom.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive) &&
        !nom.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        throw TErreurCommande{"--out : extension .svg ou .png attendue : " + sortie};
#else
    if (!sortie.empty())
        throw TErreurCommande{"systeme --out : alveran-cli a été construit sans Qt, il ne "
                              "dessine pas"};
#endif

    const auto debut = std::chrono::steady_clock::now();
    const auto modele = std::make_unique<TBillardAlveran>();
    AppliqueOptions(moteurOptions, *modele);
    const TResultatSysteme r = CalculeSysteme(*modele, options);
    if (!(r.Vq > 0))
        throw TErreurCommande{"la queue ne peut pas lancer la bille avec ce coup (choc "
                              "insoluble) ou la bille ne roule pas sur ce tapis"};
    const TEffetSysteme meilleur = RechercheEffetSysteme(*modele, options);

#ifdef ALVERAN_AVEC_DESSIN
    if (!sortie.empty()) {
        std::unique_ptr<QGuiApplication> application;
        int argc = 3;
        char programme[] = "alveran-cli", option[] = "-platform", plateforme[] = "offscreen";
        char* argv[] = {programme, option, plateforme, nullptr};
        if (QGuiApplication::instance() == nullptr)
            application = std::make_unique<QGuiApplication>(argc, argv);
        TCarteSysteme carte;
        carte.Moteur = modele.get();
        carte.Resultat = &r;
        carte.Legende = LegendeSysteme(r, meilleur, QLocale());
        QString erreur;
        if (!EcritCarteSysteme(carte, nom, erreur)) throw TErreurCommande{erreur.toStdString()};
    }
#endif
    const std::chrono::duration<double> duree = std::chrono::steady_clock::now() - debut;

    TJson json;
    json.DebutObjet();
    json.Cle("Coup")
        .DebutObjet()
        .Membre("Effet", r.Coup.Effet)
        .Membre("Hauteur", r.Coup.Hauteur)
        .Membre("Vitesse", NomVitesseSysteme(r.Coup.Vitesse))
        .Membre("Vq", r.Vq)
        .FinObjet();
    json.Cle("Points").DebutTableau();
    for (const TPointSysteme& p : r.Points)
        json.DebutObjet()
            .Membre("D", p.D)
            .Membre("F", p.F)
            .Membre("T", p.T)
            .Membre("Ecart", p.Ecart)
            .FinObjet();
    json.FinTableau()
        .Membre("EcartMoyen", r.EcartMoyen)
        .Membre("EcartMoyenAbsolu", r.EcartMoyenAbsolu)
        .Membre("EcartMax", r.EcartMax);
    json.Cle("EffetSysteme")
        .DebutObjet()
        .Membre("Effet", meilleur.Effet)
        .Membre("EcartMoyenAbsolu", meilleur.EcartMoyenAbsolu)
        .FinObjet();
    json.Membre("Secondes", duree.count()).FinObjet();
    return json.Texte() + "\n";
}
