#pragma once
// Qt's own texts (file dialogs, standard buttons, context menus of the edit fields) in the
// user's language, as the rest of the program is in French. Header-only: the database
// application uses it too, without the widgets target.

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

/// Installs Qt's translations for the user's language (QLocale()) on the application, from
/// the system's Qt translations folder. False when none is found for that language (English
/// texts then stay, as without translations).
inline bool InstalleTraductionsQt(QCoreApplication& application) {
    auto* traducteur = new QTranslator(&application);
    // "qtbase" holds the Widgets texts; the translations folder is the one Qt was built with.
    if (!traducteur->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traducteur;
        return false;
    }
    return QCoreApplication::installTranslator(traducteur);
}
