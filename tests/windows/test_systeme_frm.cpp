// The window "Système des diamants" driven as a user would: opened from the menu it charts the
// table with the main window's constants, follows the stroke's choices, and saves its picture.

#include "windows/Systeme.h"
#include "support/Actions.h"
#include "support/ReglagesDeTest.h"
#include "support/DialoguesScriptes.h"
#include "support/FenetrePrincipale.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"
#include "dessin/SchemaCoup.h"
#include "ui/CIbh3billes.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
/// Long enough for the chart and the side search on a loaded two-core machine.
constexpr int AttenteMax = 60000;
} // namespace

class TestSystemeFrm : public TTestFenetre {
    Q_OBJECT

    TSystemeFrm* S = nullptr;

    /// Waits for the chart under way (if any) to be shown.
    bool Attend() {
        if (!S->EnCours()) return true;
        QSignalSpy fin(S, &TSystemeFrm::CalculTermine);
        return fin.wait(AttenteMax);
    }

    /// The same chart computed directly with the main window's engine.
    TResultatSysteme Attendu(double effet, TVitesseSysteme vitesse) {
        TOptionsSysteme o;
        o.Coup.Effet = effet;
        o.Coup.Vitesse = vitesse;
        return CalculeSysteme(F->Moteur(), o);
    }

  private slots:
    void init() {
        QVERIFY(OuvreFenetre({.Locale = QLocale(QLocale::French, QLocale::France)}));
        S = F->SystemeFrm();
    }

    void cleanup() { FermeFenetre(); }

    void ouverteDepuisLeMenuElleChartLaTable() {
        Action(*F, "SystemeMnu")->trigger();
        QVERIFY(S->isVisible());
        QCOMPARE(S->windowTitle(), QStringLiteral("Système des diamants"));
        QVERIFY(Attend());
        QCOMPARE(S->Resultat().Points.size(), size_t{43});
        const TResultatSysteme attendu = Attendu(0.4, TVitesseSysteme::Moyenne);
        QCOMPARE(S->Resultat().EcartMoyen, attendu.EcartMoyen);
        // The figures in the user's format, the picture shown.
        QVERIFY(S->EtatLbl->text().contains(QStringLiteral("Écart")));
        QVERIFY(S->EtatLbl->text().contains(QLocale().toString(attendu.EcartMoyen, 'f', 2)));
        QVERIFY(!S->ImageLbl->pixmap().isNull());
        QVERIFY(S->EnregistreBtn->isEnabled());
    }

    void suitLesChoixDuCoupEtLesConstantes() {
        Action(*F, "SystemeMnu")->trigger();
        QVERIFY(Attend());
        // Constants changed in the main window count at the next chart.
        F->Moteur().Fisik.FrotBiBde = 0.15;
        S->VitesseCbx->setCurrentIndex(2); // rapide
        QVERIFY(Attend());
        // A change made while a chart runs is not lost: the last one wins.
        S->EffetEdt->setValue(0.55);
        QVERIFY(Attend());
        QVERIFY(Attend());
        QCOMPARE(S->Resultat().Coup.Vitesse, TVitesseSysteme::Rapide);
        QCOMPARE(S->Resultat().Coup.Effet, 0.55);
        QCOMPARE(S->Resultat().EcartMoyen, Attendu(0.55, TVitesseSysteme::Rapide).EcartMoyen);
    }

    void diamantsDesBandesSurLaTableEtRetenus() {
        // Each cushion contact of the cue ball gets its diamond number on the table, drawn at
        // once over the lines, and the choice is remembered for the next run.
        QSettings().remove(QStringLiteral("Dessin/DiamantsBandes"));
        auto f = std::make_unique<TMainFrm>(D.get());
        f->CreeFenetres();
        QVERIFY(!Action(*f, "DiamantsBandesMnu")->isChecked());
        QTest::keyClick(f.get(), Qt::Key_Space);
        const QImage sans = f->BillardGraph()->Image().copy();
        Action(*f, "DiamantsBandesMnu")->trigger();
        const QImage avec = f->BillardGraph()->Image();
        const std::vector<int> contacts = ContactsBandes(f->Moteur());
        QVERIFY(!contacts.empty());
        int differents = 0;
        for (int y = 0; y < avec.height(); ++y)
            for (int x = 0; x < avec.width(); ++x)
                differents += avec.pixel(x, y) != sans.pixel(x, y);
        QVERIFY(differents > 50 * static_cast<int>(contacts.size()));
        f.reset();
        TMainFrm g(D.get());
        QVERIFY(Action(g, "DiamantsBandesMnu")->isChecked());
        Action(g, "DiamantsBandesMnu")->trigger();
        QVERIFY(!QSettings().value(QStringLiteral("Dessin/DiamantsBandes")).toBool());
    }

    void enregistreEnPngEtEnSvg() {
        Action(*F, "SystemeMnu")->trigger();
        QVERIFY(Attend());
        QTemporaryDir dossier;
        // No extension typed: the type chosen gives it.
        D->AjouteReponse(dossier.filePath(QStringLiteral("carte")), 1);
        S->EnregistreBtn->click();
        QFile svg(dossier.filePath(QStringLiteral("carte.svg")));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));
        D->AjouteReponse(dossier.filePath(QStringLiteral("carte.png")), 1);
        S->EnregistreBtn->click();
        QImage png(dossier.filePath(QStringLiteral("carte.png")));
        QVERIFY(!png.isNull());
        QVERIFY(D->Messages.empty());
        // A place that cannot be written is said, not passed over.
        D->AjouteReponse(dossier.filePath(QStringLiteral("absent/carte.png")));
        S->EnregistreBtn->click();
        QCOMPARE(D->Messages.size(), size_t{1});
        QVERIFY(D->Messages[0].Texte.contains(QStringLiteral("impossible d'écrire")));
    }
};

QTEST_MAIN(TestSystemeFrm)
#include "test_systeme_frm.moc"
