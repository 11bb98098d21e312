// "Chances de réussite" in the main window: the current stroke's chance for the chosen player,
// computed in the background and told in the result text; the player choice, "Mon jeu"
// included, remembered in the user's settings.

#include "windows/Chances.h"
#include "support/Actions.h"
#include "support/DialoguesScriptes.h"
#include "support/FenetrePrincipale.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QLabel>
#include <QToolButton>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <numbers>

class TestChances : public TTestFenetre {
    Q_OBJECT

    QTemporaryDir Reglages;

    /// The chance of the main window's stroke as the window should compute it.
    TChance Attendue(const TJoueur& joueur) {
        F->PositionsVersMoteur();
        const TCoupQueue coup = F->Coup();
        return ChanceCoup(F->Moteur(), coup, joueur, TTirages(NbEssaisDefaut, GraineDefaut), 2);
    }

    QString Calcule() {
        QSignalSpy resultat(&F->Chances(), &TChancesCoup::Resultat);
        Action(*F, "ChancesMnu")->trigger();
        // The work runs in the background: the menu item waits, the window answers.
        if (!F->Chances().EnCours()) return {};
        if (Action(*F, "ChancesMnu")->isEnabled()) return {};
        if (!resultat.wait(60000)) return {};
        return resultat.at(0).at(0).toString();
    }

  private slots:
    void initTestCase() {
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Reglages.path());
    }

    void init() {
        QSettings().clear();
        QVERIFY(OuvreFenetre({.Locale = QLocale(QLocale::French, QLocale::France)}));
    }

    void cleanup() { FermeFenetre(); }

    void chanceDuCoupCourantDansLeTexteDuResultat() {
        QCOMPARE(Action(*F, "ChancesMnu")->text(), QStringLiteral("Chances de réussite"));
        QCOMPARE(Action(*F, "ChancesMnu")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        F->TrajetBtn()->click();
        const QString point = F->TexteDernierResultat();
        const QString ligne = Calcule();
        const TChance c = Attendue(*JoueurPredefini("club"));
        QCOMPARE(ligne, TexteReussite(c, *JoueurPredefini("club")));
        QVERIFY(ligne.startsWith(QStringLiteral("Réussite : ")));
        QVERIFY(ligne.endsWith(QStringLiteral(" (Joueur de club)")));
        // The line comes under the shot's result, which stays.
        QVERIFY(F->TexteDernierResultat().startsWith(point));
        QVERIFY(F->PointLbl()->text().endsWith(ligne));
        // Another stroke, another chance: the controls' stroke is the one counted.
        TCoupQueue autre = F->Coup();
        autre.AngleOx = Radians(98.5);
        F->FixeCoup(autre);
        QCOMPARE(Calcule(),
                 TexteReussite(Attendue(*JoueurPredefini("club")), *JoueurPredefini("club")));
    }

    void texteEnPourcentsEntiersAvecLeCoteLePlusLarge() {
        TChance c = Chance({2000, 1241, 0});
        QCOMPARE(TexteReussite(c, *JoueurPredefini("club")),
                 QStringLiteral("Réussite : 62 % ± 2 (Joueur de club)"));
        c = Chance({100, 100, 0}); // [0.963, 1]: the lower side is the larger
        QCOMPARE(TexteReussite(c, *JoueurPredefini("maitre")),
                 QStringLiteral("Réussite : 100 % ± 4 (Maître)"));
    }

    void joueurChoisiEtMonJeuRetenus() {
        QVERIFY(F->Chances().ChoisitJoueur(QStringLiteral("Maître")));
        QCOMPARE(F->Chances().Joueur().Nom, std::string("Maître"));
        // No "Mon jeu" until the user gives it.
        QVERIFY(!F->Chances().ChoisitJoueur(QStringLiteral("Mon jeu")));
        F->Chances().FixeMonJeu({NomJoueurMesure, 0.3, 0.12, 4.0});
        QCOMPARE(F->Chances().Joueur().Nom, std::string("Mon jeu"));
        QCOMPARE(F->Chances().Joueur().EcartProcede, 0.12);
        QVERIFY(Calcule().endsWith(QStringLiteral(" (Mon jeu)")));
        // A new session finds both the choice and the spreads.
        QVERIFY(OuvreFenetre(
            {.Locale = QLocale(QLocale::French, QLocale::France), .ReglagesGardes = true}));
        const TJoueur j = F->Chances().Joueur();
        QCOMPARE(j.Nom, std::string("Mon jeu"));
        QCOMPARE(j.EcartAngle, 0.3);
        QCOMPARE(j.EcartVitesse, 4.0);
        QCOMPARE(JoueursDisponibles().size(), size_t{5});
    }
};

QTEST_MAIN(TestChances)
#include "test_chances.moc"
