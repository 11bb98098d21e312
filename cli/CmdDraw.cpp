// alveran-cli draw FILE.alv|FILE.alv2 --out PATH.svg|PATH.png [--mode …] [--set NAME=VALUE]...
//
// The shot's diagram without the window, painted by the same code as the main window's export:
// the file is fired as `shot` fires it and the picture written; the shot's JSON is printed.
// The balls are coloured as the file's cue ball says (key BilleJoueur): engine ball 1 white,
// ball 2 red, ball 3 yellow with the white cue ball (and when the file does not say); yellow,
// white, red with the yellow one.

#include "cli/CmdShot.h"
#include "cli/Commandes.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "cli/Sorties.h"

#ifdef ALVERAN_AVEC_DESSIN
#include "dessin/SchemaCoup.h"
#include "dessin/TexteCoup.h"

#include <QGuiApplication>
#endif

#include <memory>

std::string CmdDraw(const TArguments& arguments) {
    TOptionsMoteur options;
    std::string fichier, sortie;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (LitOptionMoteur(arguments, i, options)) continue;
        if (ValeurOption(arguments, i, "--out", sortie)) {
            if (sortie.empty()) throw TErreurCommande{"--out sans chemin"};
        } else {
            ArgumentFichier(arguments[i], fichier);
        }
    }
    if (fichier.empty()) throw TErreurCommande{"fichier de position manquant"};
    if (sortie.empty()) throw TErreurCommande{"--out PATH.svg|PATH.png manquant"};
#ifndef ALVERAN_AVEC_DESSIN
    throw TErreurCommande{"draw : alveran-cli a été construit sans Qt, il ne dessine pas"};
#else
    // Checked before the shot is fired: a wrong name costs nothing.
    const QString nom = QString::fromLocal8Bit(sortie);
    if (!nom.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive) &&
        !nom.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        throw TErreurCommande{"--out : extension .svg ou .png attendue : " + sortie};
    // Never over the position file, a FIFO or a device; a folder that takes no file is known
    // before the shot is fired.
    VerifieSortieCommande("--out", sortie, std::span(&fichier, 1));

    const auto moteur = std::make_unique<TBillardAlveran>();
    AppliqueOptions(options, *moteur);
    TireCoupCharge(*moteur, ChargeCoup(*moteur, fichier));

    // Text is laid out with the fonts of a GUI application; no display is needed for that.
    std::unique_ptr<QGuiApplication> application;
    int argc = 3;
    char programme[] = "alveran-cli", option[] = "-platform", plateforme[] = "offscreen";
    char* argv[] = {programme, option, plateforme, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        // Setting up a platform without a session says so on stderr (no runtime folder, …):
        // noise in a command's output, not something the user can act on.
        const QtMessageHandler precedent =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        application = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(precedent);
    }

    TSchemaCoup schema;
    schema.Moteur = moteur.get();
    if (moteur->BilleJoueur == bjJaune)
        schema.Couleurs = {QColor(Qt::yellow), QColor(Qt::white), QColor(Qt::red)};
    const QLocale locale;
    schema.Legende = LegendeCoup(*moteur, TexteResultat(ResultatMoteur(*moteur), locale), locale);
    QString erreur;
    if (!EcritSchema(schema, nom, erreur)) throw TErreurCommande{erreur.toStdString()};

    TJson json;
    json.DebutObjet();
    EcritResultatCoup(json, *moteur, false);
    json.FinObjet();
    return json.Texte() + "\n";
#endif
}
