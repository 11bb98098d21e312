#include "windows/RelecturePrincipale.h"

#include "engine/C8_BillardAlveran.h"
#include "ui/CIbh3billes.h"

#include <QAction>
#include <QActionGroup>
#include <QLocale>
#include <QMenuBar>

#include <algorithm>

TRelectureMain::TRelectureMain(TCIBillardHor3B& table, QObject* parent)
    : QObject(parent), FTable(table) {
    auto action = [this](const char* texte, const char* nom, QKeySequence touche) {
        auto* a = new QAction(QString::fromUtf8(texte), this);
        a->setObjectName(QString::fromLatin1(nom));
        a->setShortcut(touche);
        // Also from the numerical view (an edit field keeps the keys it types).
        a->setShortcutContext(Qt::ApplicationShortcut);
        return a;
    };
    // The keys are free in the main window: P, Page Down / Page Up, F5 to F8.
    FPause = action("Pause", "PauseMnu", QKeySequence(Qt::Key_P));
    FPause->setCheckable(true);
    connect(FPause, &QAction::toggled, this,
            [this](bool pause) { FTable.Relecture.Pause = pause; });
    FSuivant = action("Enregistrement suivant", "SuivantMnu", QKeySequence(Qt::Key_PageDown));
    connect(FSuivant, &QAction::triggered, this, [this] { ++FTable.Relecture.Pas; });
    FPrecedent = action("Enregistrement précédent", "PrecedentMnu", QKeySequence(Qt::Key_PageUp));
    connect(FPrecedent, &QAction::triggered, this, [this] { --FTable.Relecture.Pas; });

    struct TAllure {
        const char* Texte;
        const char* Nom;
        Qt::Key Touche;
        double Vitesse;
    };
    constexpr TAllure allures[4] = {{"Vitesse ×¼", "VitesseQuartMnu", Qt::Key_F5, 0.25},
                                    {"Vitesse ×½", "VitesseDemiMnu", Qt::Key_F6, 0.5},
                                    {"Vitesse ×1", "VitesseUnMnu", Qt::Key_F7, 1.0},
                                    {"Vitesse ×2", "VitesseDoubleMnu", Qt::Key_F8, 2.0}};
    auto* groupe = new QActionGroup(this);
    for (int k = 0; k < 4; ++k) {
        QAction* a = action(allures[k].Texte, allures[k].Nom, QKeySequence(allures[k].Touche));
        a->setCheckable(true);
        a->setChecked(allures[k].Vitesse == 1.0);
        groupe->addAction(a);
        connect(a, &QAction::triggered, this,
                [this, v = allures[k].Vitesse] { FTable.Relecture.Vitesse = v; });
        FVitesses[k] = a;
    }
}

void TRelectureMain::AjouteMenu(QMenuBar& barre) const {
    QMenu* relecture = barre.addMenu(QStringLiteral("&Relecture"));
    relecture->addAction(FPause);
    relecture->addAction(FSuivant);
    relecture->addAction(FPrecedent);
    relecture->addSeparator();
    for (QAction* a : FVitesses) relecture->addAction(a);
}

QString TRelectureMain::TexteEtape(const TBillardAlveran& moteur, int i, const QLocale& locale) {
    const int nbEnr = std::clamp(moteur.NbEnr, 0, TBillardAlveran::NbEnrMax);
    return QStringLiteral("Relecture en pause\nenregistrement %1 / %2\ntemps : %3 s")
        .arg(i)
        .arg(nbEnr)
        .arg(locale.toString(moteur.Temps[i], 'f', 3));
}
