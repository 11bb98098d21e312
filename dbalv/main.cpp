// dbAlv: the database application that stores the shots Alveran exports and sends them back.

#include "dbalv/FenetreDbAlv.h"
#include "transport/ArretSurSignal.h"
#include "ui/TraductionsQt.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStandardPaths>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    InstalleTraductionsQt(app);
    QCoreApplication::setOrganizationName(QStringLiteral("Alveran"));
    QCoreApplication::setApplicationName(QStringLiteral("dbalv"));
    // Lets the desktop tie the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("fr.alveran.DbAlv"));

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Base de coups : reçoit les coups d'Alveran, les garde et les renvoie."));
    options.addHelpOption();
    const QCommandLineOption base(QStringLiteral("db"), QStringLiteral("Fichier SQLite des coups."),
                                  QStringLiteral("CHEMIN"));
    options.addOption(base);
    options.process(app);

    QString chemin = options.value(base);
    if (chemin.isEmpty()) {
        const QString dossier = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(dossier);
        chemin = QDir(dossier).filePath(QStringLiteral("coups.sqlite"));
    }

    TFenetreDbAlv fenetre(chemin);
    QString erreur;
    if (!fenetre.Demarre(&erreur)) {
        std::fprintf(stderr, "dbalv: %s\n", erreur.toLocal8Bit().constData());
        // Without a display (scripts, tests) nobody could close the box.
        if (QGuiApplication::platformName() != QLatin1String("offscreen") &&
            QGuiApplication::platformName() != QLatin1String("minimal"))
            QMessageBox::critical(nullptr, QStringLiteral("dbAlv V.1"), erreur);
        return 1;
    }
    fenetre.show();
    // SIGTERM or SIGINT end the loop: the window's destructor then removes the socket file
    // and the lock.
    const TArretSurSignal arret;
    return app.exec();
}
