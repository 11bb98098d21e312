// The table at 200 % (run with QT_SCALE_FACTOR=2, offscreen): painted at the screen's
// resolution and smooth, while every geometry stays in logical pixels; the drawing helps of
// "Dessin trajets" and their remembered state.

#include "dessin/SchemaCoup.h"
#include "engine/CoupDefaut.h"
#include "support/Actions.h"
#include "support/DialoguesScriptes.h"
#include "ui/CIbh3billes.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QApplication>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<TBillardAlveran> CoupParDefaut() {
    auto m = std::make_unique<TBillardAlveran>();
    PlaceCoupDefaut(*m);
    m->TireCoup();
    return m;
}

/// The 2 × 2 block of the bitmap under logical pixel p is of one colour.
bool BlocUniforme(const QImage& im, QPoint p) {
    const QRgb c = im.pixel(2 * p.x(), 2 * p.y());
    return im.pixel(2 * p.x() + 1, 2 * p.y()) == c && im.pixel(2 * p.x(), 2 * p.y() + 1) == c &&
           im.pixel(2 * p.x() + 1, 2 * p.y() + 1) == c;
}

} // namespace

class TestHidpi : public QObject {
    Q_OBJECT

    QTemporaryDir Reglages;

  private slots:
    void initTestCase() {
        // The remembered choices of these tests go to a folder of their own.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Reglages.path());
        QVERIFY2(qApp->devicePixelRatio() == 2.0, "run with QT_SCALE_FACTOR=2");
    }

    void init() { QLocale::setDefault(QLocale::c()); }

    void tableAuDoubleDesPixels() {
        TCIBillardHor3B v(nullptr, 310);
        v.SetbhAffCoord(afVide);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        // The geometry of 100 %, in logical pixels…
        QCOMPARE(v.width(), 573);
        QCOMPARE(v.RectJeu(), (TRect{23, 23, 550, 287}));
        QCOMPARE(v.Centre(), QPoint(286, 155));
        QVERIFY(std::abs(v.PixParCm() - 310 / 167.75) < 1e-12);
        // …painted on twice as many pixels each way, and shown without scaling.
        QCOMPARE(v.Image().size(), QSize(2 * 573, 2 * 310));
        QCOMPARE(v.Image().devicePixelRatio(), 2.0);
        const QImage vu = v.grab().toImage();
        QCOMPARE(vu.size(), v.Image().size());
    }

    void trajetLisseEtPasEnEscalier() {
        const auto m = CoupParDefaut();
        TCIBillardHor3B v(nullptr, 310);
        v.Moteur = m.get();
        v.ApresChargement();
        v.EffaceVisee();
        const QImage avant = v.Image();
        v.DessineTrajet(1, Qt::white);
        const QImage& im = v.Image();
        // Along the cue ball's path: pixels that blend the line with the cloth, and 2 × 2
        // blocks that are not of one colour (not a 100 % line doubled).
        const TRepere r = v.Repere();
        int points = 0, melanges = 0, blocsMixtes = 0;
        for (int i = 1; i <= m->NbEnr; i += 3) {
            const TVecteur& a = m->Trajets[1][i - 1].Position;
            const TVecteur& b = m->Trajets[1][i].Position;
            const QPointF milieu = r.VersPixels((a.x + b.x) / 2, (a.y + b.y) / 2);
            const QPoint p(static_cast<int>(milieu.x()), static_cast<int>(milieu.y()));
            if (!v.RectJeu().VersQRect().contains(p)) continue;
            ++points;
            blocsMixtes += !BlocUniforme(im, p);
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy) {
                    const QPoint q(2 * p.x() + dx, 2 * p.y() + dy);
                    const int g = qGray(im.pixel(q)), fond = qGray(avant.pixel(q));
                    melanges += g > fond + 20 && g < 235;
                }
        }
        QVERIFY(points > 20);
        QVERIFY2(blocsMixtes * 2 > points, qPrintable(QString::number(blocsMixtes)));
        QVERIFY(melanges > points);
    }

    void clicEtGlisserEnPixelsLogiques() {
        TCIBillardHor3B v(nullptr, 310);
        v.SetbhAffCoord(afVide);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        // A click aims at the logical point clicked, as at 100 %.
        const QPoint cible(480, 60);
        QTest::mouseClick(&v, Qt::LeftButton, {}, cible);
        QCOMPARE(v.ViseeFin(), cible);
        const QPoint d = v.BilleJoueur()->PosPixels();
        QCOMPARE(v.AngleVisee(), std::atan2(double(cible.x() - d.x()), double(cible.y() - d.y())));
        // A dragged ball lands at the centimetres of the logical point: (y − 155, x − 286)
        // divided by the 100 % pixels per centimetre.
        TCIBille* rouge = v.bhBille3();
        QTest::mousePress(&v, Qt::LeftButton, {}, rouge->PosPixels());
        QMouseEvent e(QEvent::MouseMove, QPointF(300, 200), v.mapToGlobal(QPointF(300, 200)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&v, &e);
        QTest::mouseRelease(&v, Qt::LeftButton, {}, QPoint(300, 200));
        QCOMPARE(rouge->PosPixels(), QPoint(300, 200));
        const double ppc = 310 / 167.75;
        QVERIFY(std::abs(rouge->PosCm().x - 45 / ppc) < 1e-9);
        QVERIFY(std::abs(rouge->PosCm().y - 14 / ppc) < 1e-9);
    }

    // --- The main window at 200 % -----------------------------------------------------------

    void imageEnregistreeALaTailleLogique() {
        TDialoguesScriptes d;
        TMainFrm f(&d);
        f.CreeFenetres();
        QTest::keyClick(&f, Qt::Key_Space);
        QTemporaryDir dossier;
        d.AjouteReponse(dossier.filePath(QStringLiteral("table")));
        Action(f, "SauverImageMnu")->trigger();
        const QImage lue(dossier.filePath(QStringLiteral("table.bmp")));
        QCOMPARE(lue.size(), f.BillardGraph()->size());
        // The contact preview too is drawn at 200 %.
        QCOMPARE(f.QimgImage().size(), QSize(130, 130));
    }

    void aidesDeTraceDessineesEtRetenues() {
        QSettings().clear();
        TDialoguesScriptes d;
        auto f = std::make_unique<TMainFrm>(&d);
        f->CreeFenetres();
        QVERIFY(!Action(*f, "NumerosBandesMnu")->isChecked());
        QVERIFY(!Action(*f, "SensParcoursMnu")->isChecked());
        QTest::keyClick(f.get(), Qt::Key_Space);
        const QImage sans = f->BillardGraph()->Image().copy();
        // Both helps on: drawn over the lines at once, beside the first cushion contact.
        Action(*f, "NumerosBandesMnu")->trigger();
        Action(*f, "SensParcoursMnu")->trigger();
        const QImage avec = f->BillardGraph()->Image();
        QVERIFY(avec != sans);
        const std::vector<int> contacts = ContactsBandes(f->Moteur());
        QVERIFY(contacts.size() >= 3);
        QVERIFY(contacts[2] < f->Moteur().IndicePoint);
        const TVecteur& c = f->Moteur().Trajets[1][contacts[0]].Position;
        const QPoint pres = f->BillardGraph()->Repere().VersPixels(c.x, c.y).toPoint();
        int differents = 0;
        for (int dx = -12; dx <= 12; ++dx)
            for (int dy = -12; dy <= 12; ++dy)
                differents += avec.pixel(2 * (pres.x() + dx), 2 * (pres.y() + dy)) !=
                              sans.pixel(2 * (pres.x() + dx), 2 * (pres.y() + dy));
        QVERIFY(differents > 20);
        // Remembered for the next run.
        f.reset();
        TMainFrm g(&d);
        QVERIFY(Action(g, "NumerosBandesMnu")->isChecked());
        QVERIFY(Action(g, "SensParcoursMnu")->isChecked());
        Action(g, "NumerosBandesMnu")->trigger();
        Action(g, "SensParcoursMnu")->trigger();
        QVERIFY(!QSettings().value(QStringLiteral("Dessin/SensParcours")).toBool());
    }
};

QTEST_MAIN(TestHidpi)
#include "test_hidpi.moc"
