// The replay controls and the tips of the cue controls, driven through the main window's
// menus and keys: a replay paused, stepped back and forth with the numerical view following,
// resumed and stopped; the speed items; keys that collide with none of the window's own.

#include "support/Actions.h"
#include "support/DialoguesScriptes.h"
#include "support/FenetrePrincipale.h"
#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"
#include "windows/VueNum.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <functional>
#include <memory>

namespace {

/// Runs the steps one after the other, each once the event loop has run again after the one
/// before (the replay handles a key between its steps, not while the key is pressed).
void EnSuite(std::vector<std::function<void()>> etapes, int delai = 0) {
    if (etapes.empty()) return;
    QTimer::singleShot(delai, [etapes]() mutable {
        auto premiere = etapes.front();
        etapes.erase(etapes.begin());
        premiere();
        EnSuite(std::move(etapes));
    });
}

} // namespace

class TestRelecture : public TTestFenetre {
    Q_OBJECT

    /// Where the balls stand, engine balls 1 to 3.
    bool BillesA(int i) const {
        for (int n = 1; n <= 3; ++n) {
            const TVecteur& p = F->Moteur().Trajets[n][i].Position;
            const TPointTable c = F->BilleMoteur(n)->PosCm();
            if (c.x != p.x || c.y != p.y) return false;
        }
        return true;
    }

  private slots:
    void init() { QVERIFY(OuvreFenetre({.Montre = true})); }

    void cleanup() { FermeFenetre(); }

    void pauseEtPasAPasAvecLaVueNumerique() {
        Action(*F, "VueNumMnu")->trigger();
        Action(*F, "BillesMnu")->trigger();
        // Paused before the shot: the replay waits at record 0.
        QTest::keyClick(F.get(), Qt::Key_P);
        QVERIFY(Action(*F, "PauseMnu")->isChecked());
        TCIBillardHor3B& vue = *F->BillardGraph();
        TVueNumFrm& num = *F->VueNumFrm();
        int avantReprise = -1;
        bool vu = false;
        QString texteEnCours;
        EnSuite({
            [&] {
                QVERIFY(vue.RelectureEnCours());
                QCOMPARE(vue.EtapeRelecture(), 0);
                for (int k = 0; k < 3; ++k) QTest::keyClick(F.get(), Qt::Key_PageDown);
            },
            [&] {
                QCOMPARE(vue.EtapeRelecture(), 3);
                QVERIFY(BillesA(3));
                QCOMPARE(num.BarPos->value(), 3); // the numerical view follows the step
                QCOMPARE(num.BarPos->maximum(), F->Moteur().NbEnr);
                QVERIFY(F->PointLbl()->text().contains(QStringLiteral("enregistrement 3 / ")));
                QTest::keyClick(F.get(), Qt::Key_PageUp);
            },
            [&] {
                QCOMPARE(vue.EtapeRelecture(), 2);
                QVERIFY(BillesA(2));
                QCOMPARE(num.BarPos->value(), 2);
                // Back past the start stays at record 0.
                for (int k = 0; k < 5; ++k) QTest::keyClick(F.get(), Qt::Key_PageUp);
            },
            [&] {
                QCOMPARE(vue.EtapeRelecture(), 0);
                avantReprise = vue.EtapeRelecture();
                QTest::keyClick(F.get(), Qt::Key_F8); // twice as fast
                QTest::keyClick(F.get(), Qt::Key_P);  // resume
                // Once running again, it moves on; Escape ends it.
                QTimer::singleShot(500, [&] {
                    vu = vue.RelectureEnCours() && vue.EtapeRelecture() > avantReprise;
                    // Running again, it no longer says it is paused.
                    texteEnCours = F->PointLbl()->text();
                    QTest::keyClick(F.get(), Qt::Key_Escape);
                });
            },
        });
        QTest::keyClick(F.get(), Qt::Key_Space);
        QVERIFY(vu);
        QVERIFY2(!texteEnCours.contains(QStringLiteral("pause")), qPrintable(texteEnCours));
        QCOMPARE(texteEnCours, QStringLiteral("Relecture en cours"));
        QVERIFY(!vue.RelectureEnCours());
        QVERIFY(!Action(*F, "PauseMnu")->isChecked());
        QCOMPARE(vue.Relecture.Vitesse, 2.0);
        QVERIFY(F->TexteDernierResultat().startsWith(QStringLiteral("Point réussi")));
    }

    void echapArreteUneRelectureEnPause() {
        Action(*F, "BillesMnu")->trigger();
        Action(*F, "PauseMnu")->trigger();
        int arret = -1;
        EnSuite({[&] { QTest::keyClick(F.get(), Qt::Key_PageDown); },
                 [&] {
                     arret = F->BillardGraph()->EtapeRelecture();
                     QTest::keyClick(F.get(), Qt::Key_Escape);
                 }});
        QTest::keyClick(F.get(), Qt::Key_Space);
        QCOMPARE(arret, 1);
        QVERIFY(!F->BillardGraph()->RelectureEnCours());
        // Then, as after any replay, the balls are left at the last record.
        QVERIFY(BillesA(F->Moteur().NbEnr));
        // The pause stays asked for: the next replay starts paused too, until P again.
        QVERIFY(Action(*F, "PauseMnu")->isChecked());
    }

    void vitessesDeRelecture() {
        const std::pair<Qt::Key, double> touches[] = {
            {Qt::Key_F5, 0.25}, {Qt::Key_F6, 0.5}, {Qt::Key_F8, 2.0}, {Qt::Key_F7, 1.0}};
        for (const auto& [touche, vitesse] : touches) {
            QTest::keyClick(F.get(), touche);
            QCOMPARE(F->BillardGraph()->Relecture.Vitesse, vitesse);
        }
        QVERIFY(Action(*F, "VitesseUnMnu")->isChecked());
        // Outside a paused replay the step keys leave the table as it is.
        const QPoint p = F->BilleMoteur(1)->PosPixels();
        QTest::keyClick(F.get(), Qt::Key_PageDown);
        QCOMPARE(F->BilleMoteur(1)->PosPixels(), p);
    }

    void touchesSansCollision() {
        // The window's own keys (its keyboard commands) and every menu shortcut: each once.
        QList<QKeySequence> vues;
        for (int k :
             {Qt::Key_E,     Qt::Key_H,         Qt::Key_V,    Qt::Key_A,      Qt::Key_I,
              Qt::Key_M,     Qt::Key_1,         Qt::Key_2,    Qt::Key_3,      Qt::Key_Left,
              Qt::Key_Right, Qt::Key_Up,        Qt::Key_Down, Qt::Key_Space,  Qt::Key_Escape,
              Qt::Key_Home,  Qt::Key_Backspace, Qt::Key_End,  Qt::Key_Delete, Qt::Key_Q,
              Qt::Key_F1,    Qt::Key_F9})
            vues << QKeySequence(k);
        std::function<void(const QList<QAction*>&)> parcourt = [&](const QList<QAction*>& as) {
            for (const QAction* a : as) {
                if (a->menu()) parcourt(a->menu()->actions());
                if (a->shortcut().isEmpty()) continue;
                QVERIFY2(!vues.contains(a->shortcut()), qPrintable(a->text()));
                vues << a->shortcut();
            }
        };
        parcourt(F->menuBar()->actions());
        QVERIFY(vues.contains(QKeySequence(Qt::Key_P)));
    }

    // --- Tips naming the keys ---------------------------------------------------------------

    void infoBullesNommentLesTouches() {
        TEhvi& e = *F->Ehvi1();
        const auto centre = [](const TRect& r) { return r.VersQRect().center(); };
        QVERIFY(F->InfoBulle(&e, centre(e.SelecteurEffetHauteur().RectExt))
                    .contains(QStringLiteral("E + flèches")));
        QVERIFY(F->InfoBulle(&e, centre(e.SelecteurEffetHauteur().RectExt))
                    .contains(QStringLiteral("H + flèches")));
        QVERIFY(F->InfoBulle(&e, centre(e.SelecteurVitesse().RectExt))
                    .contains(QStringLiteral("V + flèches")));
        QVERIFY(F->InfoBulle(&e, centre(e.SelecteurInclinaison().RectExt))
                    .contains(QStringLiteral("I + flèches")));
        QVERIFY(F->MasseLbl()->toolTip().contains(QStringLiteral("M + flèches")));
        QVERIFY(F->InfoBulle(F->BillardGraph(), centre(F->BillardGraph()->RectAngle()))
                    .contains(QStringLiteral("A + flèches")));
        QVERIFY(F->InfoBulle(F->BillardGraph(), F->BilleMoteur(2)->PosPixels())
                    .contains(QStringLiteral("2 + flèches")));
        QVERIFY(F->TrajetBtn()->toolTip().contains(QStringLiteral("Espace")));
        QVERIFY(F->TrajetBtn()->toolTip().contains(QStringLiteral("F9")));

        // Through the window system's tip event: the tip shown is the place's.
        const QPoint p = centre(e.SelecteurVitesse().RectExt);
        QHelpEvent aide(QEvent::ToolTip, p, e.mapToGlobal(p));
        QApplication::sendEvent(&e, &aide);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), F->InfoBulle(&e, p));
        QToolTip::hideText();
    }
};

QTEST_MAIN(TestRelecture)
#include "test_relecture.moc"
