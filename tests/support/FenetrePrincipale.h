#pragma once
// The main window as the window tests drive it: its dialogs answered by script, its secondary
// windows created, the user's number format chosen, and the engine's strikes and computations
// counted when asked. A test class derives from it and opens a fresh window in init().

#include "support/Compteurs.h"
#include "support/DialoguesScriptes.h"
#include "support/ReglagesDeTest.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QLocale>
#include <QObject>
#include <QTest>

#include <memory>

class TTestFenetre : public QObject {
  protected:
    struct TOuverture {
        bool Montre = false;           ///< shown, and exposed before the test goes on
        QLocale Locale = QLocale::c(); ///< the user's number format for the test
        bool CompteCoups = false;      ///< N counts the main engine's strikes and runs
        bool ReglagesGardes = false;   ///< a later session: the settings left by the test stay
    };

    std::unique_ptr<TDialoguesScriptes> D;
    std::unique_ptr<TMainFrm> F;
    TCompteurs N;

    /// A fresh main window; false when it was to be shown and never got exposed.
    bool OuvreFenetre(const TOuverture& o) {
        F.reset(); // a window open before goes before the dialogs it answers through
        // Every test starts from the settings of a first run, unless it opens a later session.
        if (!o.ReglagesGardes) ReglagesVierges();
        QLocale::setDefault(o.Locale);
        D = std::make_unique<TDialoguesScriptes>();
        F = std::make_unique<TMainFrm>(D.get());
        F->CreeFenetres();
        N = {};
        if (o.CompteCoups) {
            F->MoteurPartage().ApresQueueBille = {&CompteFrappe, &N};
            F->MoteurPartage().ApresCalculTrajets = {&CompteCalcul, &N};
        }
        if (!o.Montre) return true;
        F->show();
        return QTest::qWaitForWindowExposed(F.get());
    }

    void FermeFenetre() {
        F.reset();
        D.reset();
        QLocale::setDefault(QLocale::c());
    }
};
