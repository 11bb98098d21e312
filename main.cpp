// Démo2D Alveran: the main window, then the secondary windows in their fixed order, then the
// event loop. Closing the main window ends the program.

#include "ui/TraductionsQt.h"
#include "windows/Main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Where the program's few remembered choices are kept (the user's Qt settings).
    QCoreApplication::setOrganizationName(QStringLiteral("Alveran"));
    QCoreApplication::setApplicationName(QStringLiteral("alveran"));
    InstalleTraductionsQt(app);
    TMainFrm MainFrm;
    MainFrm.CreeFenetres();
    MainFrm.show();
    return app.exec();
}
