// The cue-impact control and its three pickers: layout, snapping and clamping of the values,
// labels in the user's format, notifications, markers that restore what they covered, and the
// mouse.

#include "engine/C8_BillardAlveran.h"
#include "ui/EHVI3_ehvi.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QTest>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

QRgb Rgb(const QColor& c) {
    return c.rgb() | 0xff000000u;
}

// A mouse event as the window system delivers it, with the buttons held.
void Souris(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton bouton,
            Qt::MouseButtons tenus) {
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), bouton, tenus, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void Glisse(QWidget* w, QPoint p) {
    Souris(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
}

// Counts every notification of a control.
struct Compteurs {
    int eh = 0, v = 0, i = 0, m = 0, tout = 0;
    void Branche(TEhvi& c) {
        c.OnEffetHauteurChange = [this](TEhvi*) { ++eh; };
        c.OnVitesseChange = [this](TEhvi*) { ++v; };
        c.OnInclinaisonChange = [this](TEhvi*) { ++i; };
        c.OnMasseQueueChange = [this](TEhvi*) { ++m; };
        c.OnEhviChange = [this](TEhvi*) { ++tout; };
    }
};

} // namespace

class TestEhvi : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void disposition() {
        TEhvi c(nullptr, 105);
        QCOMPARE(c.height(), 105);
        QCOMPARE(c.width(), 210);
        QCOMPARE(c.Image().size(), QSize(210, 105));
        QCOMPARE(c.Image().format(), QImage::Format_RGB32);
        TEffetHauteur& eh = c.SelecteurEffetHauteur();
        TVitesse& vi = c.SelecteurVitesse();
        TInclinaison& in = c.SelecteurInclinaison();
        QCOMPARE(eh.RectExt, (TRect{0, 0, 105, 105}));
        QCOMPARE(vi.RectExt, (TRect{104, 0, 210, 52}));
        QCOMPARE(in.RectExt, (TRect{104, 51, 210, 105}));
        // The face: margin 8, 89 pixels wide, 89 / 6.15 pixels per cm, tip radius 12.
        QCOMPARE(eh.RectFace(), (TRect{8, 8, 97, 97}));
        QCOMPARE(eh.CentreFace(), QPoint(52, 52));
        QCOMPARE(eh.PixParCm(), 89.0 / 6.15);
        QCOMPARE(eh.R2(), 1980);
        QCOMPARE(eh.RayonMarque(), 12);
        QCOMPARE(eh.RayonPoint(), 3);
        QCOMPARE(eh.FacteurQueue(), 3.675 / 3.075);
        QCOMPARE(vi.RectInt(), (TRect{119, 20, 195, 32}));
        QCOMPARE(vi.DemiBase(), 6);
        QCOMPARE(vi.VMax, 1200.0);
        QCOMPARE(in.Pivot(), QPoint(200, 95));
        QCOMPARE(in.RectInt(), (TRect{114, 61, 200, 95}));
    }

    void valeursParDefaut() {
        TEhvi c;
        QCOMPARE(c.Effet(), 0.0);
        QCOMPARE(c.Hauteur(), 0.0);
        QCOMPARE(c.Vitesse(), 500.0);
        QCOMPARE(c.Inclinaison(), 0.0);
        QCOMPARE(c.MasseQueue(), 520.0);
        QCOMPARE(c.clFond(), CouleurFaceBouton());
        QCOMPARE(c.clPen(), QColor(Qt::black));
        QCOMPARE(c.clBille(), QColor(Qt::yellow));
        // The tip sits on the face's centre and the values read back exactly 0.
        QCOMPARE(c.SelecteurEffetHauteur().PixQueue(), QPoint(52, 52));
        QCOMPARE(c.SelecteurEffetHauteur().PointImpact().x, -3.075);
    }

    void effetExactEtPixelDuGlisser() {
        TEhvi c;
        QLabel eh;
        c.LabelEffetHauteur = &eh;
        const double ppc = 89.0 / 6.15;
        // A value given is kept as given; the tip is drawn on the nearest pixel.
        c.SetEffetHauteur(0.5, -0.37);
        QCOMPARE(c.Effet(), 0.5);
        QCOMPARE(c.Hauteur(), -0.37);
        QCOMPARE(c.SelecteurEffetHauteur().PixImpact(), QPoint(52 + 7, 52 + 5));
        QCOMPARE(eh.text(), QStringLiteral("E= 0,50 H= -0,37 (cm)"));
        c.SetEffet(0.62);
        QCOMPARE(c.Effet(), 0.62);
        QCOMPARE(c.Hauteur(), -0.37);
        // Moving the tip (the keys) lands on a pixel: the values become that pixel's.
        c.DecaleEffetHauteur(0.0, 0.0);
        QCOMPARE(c.Effet(), 9.0 / ppc);
        QCOMPARE(c.Hauteur(), -5.0 / ppc);
        // So does a drag.
        QMouseEvent glisse(QEvent::MouseMove, QPointF(52 - 14, 52 - 17), QPointF(52 - 14, 52 - 17),
                           Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&c, &glisse);
        QCOMPARE(c.Effet(), -14.0 / ppc);
        QCOMPARE(c.Hauteur(), 17.0 / ppc);
        QCOMPARE(eh.text(), QStringLiteral("E= -0,97 H= 1,17 (cm)"));
        // A redraw (a new colour) keeps the exact values.
        c.SetEffetHauteur(0.5, -0.37);
        c.SetclBille(Qt::white);
        QCOMPARE(c.Effet(), 0.5);
        QCOMPARE(c.Hauteur(), -0.37);
    }

    void faceEtProfondeur() {
        TEhvi c;
        TEffetHauteur& eh = c.SelecteurEffetHauteur();
        // On the outline or outside the ball the depth is 0, not an error.
        const TVecteur dehors = eh.PixelVersFace(QPoint(52 + 60, 52));
        QCOMPARE(dehors.x, 0.0);
        QCOMPARE(dehors.y, 60 / eh.PixParCm());
        const TVecteur dedans = eh.PixelVersFace(QPoint(52, 52 - 10));
        QVERIFY(dedans.x < 0.0);
        QVERIFY(std::fabs(dedans.x * dedans.x + dedans.z * dedans.z - 3.075 * 3.075) < 1e-9);
        QCOMPARE(eh.FaceVersPixel(dedans), QPoint(52, 42));
        // The face is tested strictly inside its radius.
        QVERIFY(eh.DansFace(52 + 44, 52));
        QVERIFY(!eh.DansFace(52 + 45, 52));
        QVERIFY(!eh.DansFace(52 + 32, 52 + 32));
        // Far outside, the values are kept as given (not clamped).
        eh.FixeEffetHauteur(5.0, 0.0);
        QVERIFY(std::fabs(c.Effet() - 5.0) < 1.0 / eh.PixParCm());
    }

    void vitesseBornee() {
        TEhvi c;
        QLabel v;
        c.LabelVitesse = &v;
        c.SetVitesse(-5);
        QCOMPARE(c.Vitesse(), 0.0);
        QCOMPARE(c.SelecteurVitesse().XMarque(), 119);
        c.SetVitesse(5000);
        QCOMPARE(c.Vitesse(), 1200.0);
        QCOMPARE(c.SelecteurVitesse().XMarque(), 195);
        QCOMPARE(v.text(), QStringLiteral("V=1200,00 cm/s"));
        c.SetVitesse(430);
        QCOMPARE(c.Vitesse(), 430.0);
        QCOMPARE(c.SelecteurVitesse().XMarque(), 119 + 27);
        QCOMPARE(v.text(), QStringLiteral("V=430,00 cm/s"));
        // The scale's ends hold beyond them.
        QCOMPARE(c.SelecteurVitesse().ValeurA(50), 0.0);
        QCOMPARE(c.SelecteurVitesse().ValeurA(205), 1200.0);
        QCOMPARE(c.SelecteurVitesse().ValeurA(157), 38 * 1200.0 / 76);
        c.SetVitesse(std::nan(""));
        QCOMPARE(c.Vitesse(), 0.0);
    }

    void inclinaisonBornee() {
        TEhvi c;
        QLabel i;
        c.LabelInclinaison = &i;
        TInclinaison& in = c.SelecteurInclinaison();
        // Horizontal: a sliver along the bottom reaching the left edge.
        c.SetInclinaison(0);
        QCOMPARE(in.P1(), QPoint(114, 95));
        QCOMPARE(in.P2(), QPoint(114, 90));
        QCOMPARE(i.text(), QStringLiteral("I=0,00 deg"));
        c.SetInclinaison(-10);
        QCOMPARE(c.Inclinaison(), 0.0);
        c.SetInclinaison(120);
        QCOMPARE(c.Inclinaison(), 90.0);
        QCOMPARE(in.P1(), QPoint(200, 61));
        QCOMPARE(in.P2(), QPoint(194, 61));
        // Near vertical, the cue leaves through the top edge close to the pivot.
        c.SetInclinaison(85);
        QCOMPARE(in.P1().y(), 61);
        QCOMPARE(in.P1().x(), 200 + Tronque(-34 / std::tan(85 * std::numbers::pi / 180)));
        QVERIFY(in.P1().x() > 190);
        // 20 degrees still leaves through the left edge.
        c.SetInclinaison(20);
        QCOMPARE(in.P1(), QPoint(114, 95 + Tronque(-86 * std::tan(20 * std::numbers::pi / 180))));
        QCOMPARE(i.text(), QStringLiteral("I=20,00 deg"));
        QCOMPARE(in.AngleA(250, 0), 90.0);
        QCOMPARE(in.AngleA(100, 95 - 100), 45.0);
        QVERIFY(in.AngleA(150, 100) < 0.0);
    }

    void masseNonBornee() {
        TEhvi c;
        QLabel m;
        c.LabelMasse = &m;
        Compteurs n;
        n.Branche(c);
        c.SetMasseQueue(-3.4);
        QCOMPARE(c.MasseQueue(), -3.4);
        QCOMPARE(m.text(), QStringLiteral("m=-3 gr"));
        c.SetMasseQueue(520);
        QCOMPARE(m.text(), QStringLiteral("m=520 gr"));
        QCOMPARE(n.m, 2);
        QCOMPARE(n.tout, 2);
        QCOMPARE(n.eh + n.v + n.i, 0);
    }

    void notifications() {
        TEhvi c;
        Compteurs n;
        n.Branche(c);
        TEhvi* expediteur = nullptr;
        c.OnVitesseChange = [&](TEhvi* s) {
            expediteur = s;
            ++n.v;
        };
        c.SetVitesse(700);
        QCOMPARE(expediteur, &c);
        QCOMPARE(n.v, 1);
        QCOMPARE(n.tout, 1);
        c.SetEffet(0.3);
        c.SetInclinaison(3);
        QCOMPARE(n.eh, 1);
        QCOMPARE(n.i, 1);
        QCOMPARE(n.tout, 3);
        // A colour repaints everything and raises every notification once.
        n = {};
        c.OnVitesseChange = [&](TEhvi*) { ++n.v; };
        c.SetclBille(Qt::white);
        QCOMPARE(n.eh, 1);
        QCOMPARE(n.v, 1);
        QCOMPARE(n.i, 1);
        QCOMPARE(n.m, 1);
        QCOMPARE(n.tout, 4);
        // Values survive the repaint.
        QCOMPARE(c.Vitesse(), 700.0);
        QCOMPARE(c.Inclinaison(), 3.0);
        QCOMPARE(c.SelecteurEffetHauteur().CouleurBille, QColor(Qt::white));
    }

    void etiquettesOrdinaires() {
        // Under the C locale the point is the separator.
        QLocale::setDefault(QLocale::c());
        TEhvi c;
        QLabel v;
        c.LabelVitesse = &v;
        v.resize(10, 10); // as small as a label made before its first text
        c.SetVitesse(1500);
        QCOMPARE(v.text(), QStringLiteral("V=1200.00 cm/s"));
        // The label grows with its text: the whole value stays readable.
        QVERIFY(v.width() >= v.fontMetrics().horizontalAdvance(v.text()));
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    void leControleMontreSonImage() {
        TEhvi c;
        c.SetInclinaison(40);
        QCOMPARE(c.grab().toImage().convertToFormat(QImage::Format_RGB32), c.Image());
    }

    void marqueursRestaurentLeFond() {
        TEhvi c;
        const QImage depart = c.Image();
        c.SetEffet(1.5);
        c.SetHauteur(-2.0);
        c.SetVitesse(1100);
        c.SetInclinaison(60);
        QVERIFY(c.Image() != depart);
        c.SetEffet(0);
        c.SetHauteur(0);
        c.SetVitesse(500);
        c.SetInclinaison(0);
        QCOMPARE(c.Image(), depart);
        // Through every inclination and speed in turn, the picture comes back the same.
        for (int d = 0; d <= 90; d += 7) c.SetInclinaison(d);
        for (int v = 0; v <= 1200; v += 37) c.SetVitesse(v);
        c.SetInclinaison(0);
        c.SetVitesse(500);
        QCOMPARE(c.Image(), depart);
    }

    void marqueurHorsDeLaBilleResteChezLui() {
        // Effect and height are not clamped: a contact point far off the ball moves the marker
        // to the picker's edge, never onto the speed scale.
        TEhvi c;
        const QImage depart = c.Image();
        const TRect vitesse = c.SelecteurVitesse().RectExt;
        c.SetEffet(4.5);
        QVERIFY(c.SelecteurEffetHauteur().PixQueue().x() > vitesse.Left);
        QCOMPARE(c.Image().copy(vitesse.VersQRect()), depart.copy(vitesse.VersQRect()));
        c.SetclBille(Qt::yellow);
        c.SetEffet(0.0);
        QCOMPARE(c.Image(), depart);
    }

    void croixEtGraduations() {
        // A tick every centimetre along both arms of the cross, seven pixels long with the last
        // point left out: round(44 / 14.47) - 1 = 2 on each side, none at 3 cm.
        TEhvi c;
        const QImage& im = c.Image();
        const int cx = 52, cy = 52;
        const double ppc = 89.0 / 6.15;
        for (const int i : {-2, -1, 1, 2}) {
            const int X = cx - Arrondi(i * ppc);
            QCOMPARE(im.pixel(X, cy - 3), Rgb(Qt::black));
            QCOMPARE(im.pixel(X, cy + 3), Rgb(Qt::black));
            QCOMPARE(im.pixel(X, cy + 4), Rgb(Qt::yellow));
            const int Y = cy - Arrondi(i * ppc);
            QCOMPARE(im.pixel(cx - 3, Y), Rgb(Qt::black));
            QCOMPARE(im.pixel(cx + 3, Y), Rgb(Qt::black));
            QCOMPARE(im.pixel(cx + 4, Y), Rgb(Qt::yellow));
        }
        // No tick at 3 cm: the face there (or its smooth rim), not a black tick.
        QVERIFY(qGray(im.pixel(cx + Arrondi(3 * ppc), cy - 3)) > 120);
        QVERIFY(qGray(im.pixel(cx - 3, cy - Arrondi(3 * ppc))) > 120);
    }

    void dessinDesSelecteurs() {
        TEhvi c;
        c.SetEffet(0.62);
        c.SetHauteur(1.17);
        c.SetVitesse(430);
        c.SetInclinaison(30);
        const QImage& im = c.Image();
        TEffetHauteur& eh = c.SelecteurEffetHauteur();
        // Ball colour on the face, the black tip around the contact dot in ball colour.
        QCOMPARE(im.pixel(52 - 25, 52 + 25), Rgb(Qt::yellow));
        QCOMPARE(im.pixel(eh.PixImpact()), Rgb(Qt::yellow));
        QCOMPARE(im.pixel(eh.PixImpact() + QPoint(0, -6)), Rgb(Qt::black));
        QCOMPARE(im.pixel(eh.PixQueue() + QPoint(10, 0)), Rgb(Qt::black));
        // The cross and the face's rim.
        QCOMPARE(im.pixel(52 - 30, 52), Rgb(Qt::black));
        QCOMPARE(im.pixel(8, 52), Rgb(Qt::black));
        QCOMPARE(im.pixel(4, 52), Rgb(c.clFond()));
        // The speed triangle points down at the scale; the scale line below it.
        const int x = c.SelecteurVitesse().XMarque();
        QCOMPARE(im.pixel(x, 25), Rgb(Qt::black));
        QCOMPARE(im.pixel(x + 5, 31), Rgb(c.clFond()));
        QCOMPARE(im.pixel(x, 31), Rgb(Qt::black));
        QCOMPARE(im.pixel(150, 42), Rgb(Qt::black));
        // The cue and the pivot's ring.
        QCOMPARE(im.pixel(199, 95), Rgb(c.clFond()));
        QCOMPARE(im.pixel(195, 95), Rgb(Qt::black));
        QCOMPARE(im.pixel(169, 78), Rgb(Qt::black));
        const QString chemin = QCoreApplication::applicationDirPath() + "/ehvi.png";
        QVERIFY(im.save(chemin));
    }

    void souris() {
        TEhvi c;
        Compteurs n;
        n.Branche(c);
        // A press alone sets nothing; a move with the left button held does.
        Souris(&c, QEvent::MouseButtonPress, QPoint(60, 40), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(n.tout, 0);
        Glisse(&c, QPoint(60, 40));
        QCOMPARE(c.SelecteurEffetHauteur().PixImpact(), QPoint(60, 40));
        QCOMPARE(c.Effet(), 8 / (89.0 / 6.15));
        QCOMPARE(c.Hauteur(), 12 / (89.0 / 6.15));
        QCOMPARE(n.eh, 1);
        // Off the face, in the corner of its square: nothing changes.
        Glisse(&c, QPoint(3, 3));
        QCOMPARE(c.SelecteurEffetHauteur().PixImpact(), QPoint(60, 40));
        // Row 51 belongs to the speed scale, not to the inclination.
        Glisse(&c, QPoint(157, 51));
        QCOMPARE(c.Vitesse(), 38 * 1200.0 / 76);
        QCOMPARE(c.Inclinaison(), 0.0);
        Glisse(&c, QPoint(150, 60));
        QVERIFY(std::fabs(c.Inclinaison() - std::atan(35.0 / 50.0) * 180 / std::numbers::pi) <
                1e-9);
        // Below the pivot the angle is negative and held to 0.
        Glisse(&c, QPoint(150, 100));
        QCOMPARE(c.Inclinaison(), 0.0);
        // Without the left button, moves do nothing.
        const int avant = n.tout;
        Souris(&c, QEvent::MouseMove, QPoint(60, 60), Qt::NoButton, Qt::NoButton);
        Souris(&c, QEvent::MouseMove, QPoint(60, 60), Qt::NoButton, Qt::RightButton);
        QCOMPARE(n.tout, avant);
        // On the control's outer edge (not strictly inside a picker), nothing either.
        Glisse(&c, QPoint(104, 20));
        QCOMPARE(n.tout, avant);
    }

    void apresChargementPrendLeMoteur() {
        auto moteur = std::make_unique<TBillardAlveran>();
        moteur->Coup.m = 600;
        moteur->Fisik.SetDimension(2, 3.0);
        TEhvi c;
        c.Moteur = moteur.get();
        Compteurs n;
        n.Branche(c);
        c.ApresChargement();
        QCOMPARE(c.MasseQueue(), 600.0);
        QCOMPARE(c.SelecteurEffetHauteur().Rayon(), 3.0);
        QCOMPARE(c.SelecteurEffetHauteur().PixParCm(), 89.0 / 6.0);
        // The repaint raises each notification once; the mass was taken without its own.
        QCOMPARE(n.m, 1);
        QCOMPARE(n.tout, 4);
    }

    void hauteurDonneeDuDehors() {
        QWidget fenetre;
        fenetre.resize(400, 300);
        TEhvi c(&fenetre, 105);
        c.FixeHauteur(150);
        QCOMPARE(c.width(), 300);
        QCOMPARE(c.SelecteurVitesse().RectExt, (TRect{149, 0, 300, 75}));
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenetre));
        Compteurs n;
        n.Branche(c);
        c.resize(100, 150);
        QCOMPARE(c.width(), 300);
        QCOMPARE(n.tout, 4);
    }
};

QTEST_MAIN(TestEhvi)
#include "test_ehvi.moc"
