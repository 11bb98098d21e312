#include "dessin/EcritCarte.h"
#include "dessin/CarteSolutions.h"
#include "engine/EcritureFichier.h"

#include <QGuiApplication>
#include <QBuffer>
#include <QString>

#include <memory>

std::string EnregistreCarte(const std::string& chemin, const TGrilleRecherche& grille,
                            const TSolutions& solutions, const TCoupeCarte& coupe) {
    // Text needs the fonts of a GUI application; a program without one (the command line)
    // gets one for the painting, on the off-screen platform so that no display is needed.
    std::unique_ptr<QGuiApplication> application;
    int argc = 3;
    char nom[] = "alveran-cli", option[] = "-platform", plateforme[] = "offscreen";
    char* argv[] = {nom, option, plateforme, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        // Setting up a platform without a session says so on stderr (no runtime folder, …):
        // noise in a command's output, not something the user can act on.
        const QtMessageHandler precedent =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        application = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(precedent);
    }

    const QImage image = DessineCarte(grille, solutions, coupe);
    // Encoded in memory, then written whole or not at all: never a half PNG over an old map.
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    if (!image.save(&tampon, "PNG")) return "carte non écrite : " + chemin + " : codage PNG impossible";
    const std::string raison = EcritFichierEntier(
        chemin, std::string_view(octets.constData(), static_cast<std::size_t>(octets.size())));
    return raison.empty() ? std::string() : "carte non écrite : " + chemin + " : " + raison;
}
