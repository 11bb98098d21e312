// Démo2D Alveran: the main window, then the secondary windows in their fixed order, then the
// event loop. Closing the main window ends the program. A position file given as the first
// argument (what a file manager passes on a double-click) is loaded at start.

#include "transport/ArretSurSignal.h"
#include "ui/TraductionsQt.h"
#include "windows/Main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Lets the desktop tie the windows to the program's menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("fr.alveran.Alveran"));
    // Where the program's few remembered choices are kept (the user's Qt settings).
    QCoreApplication::setOrganizationName(QStringLiteral("Alveran"));
    QCoreApplication::setApplicationName(QStringLiteral("alveran"));
    InstalleTraductionsQt(app);
    // SIGTERM or SIGINT end the event loop as closing the window does, so that the window's
    // socket file is removed.
    const TArretSurSignal arret;
    return LanceProgramme(QCoreApplication::arguments());
}
