// The drawn table, its balls and the three-ball view: geometry, conversions, drawing that
// restores what it covered, the mouse, and the trajectories of a real engine.

#include "engine/C8_BillardAlveran.h"
#include "ui/CIbh.h"
#include "ui/CIbh3billes.h"
#include "ui/CIbi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLocale>
#include <QTest>

#include <QCursor>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

// Pixels of the picture inside a rectangle (the table without its text band, for instance).
QImage Zone(const QImage& image, const TRect& r) {
    return image.copy(r.VersQRect());
}

QRgb Rgb(const QColor& c) {
    return c.rgb() | 0xff000000u;
}

std::unique_ptr<TBillardAlveran> MoteurVide() {
    return std::make_unique<TBillardAlveran>();
}

void PoseEnr(TBillardAlveran& m, int i, int b, double x, double y) {
    m.Trajets[b][i].Position = TVecteur{x, y, 3.075};
}

} // namespace

class TestTable : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // ---------------------------------------------------------------- geometry

    void geometrieSansTexte() {
        TCIBillardHor v(nullptr, 310);
        v.SetbhAffCoord(afVide);
        QCOMPARE(v.height(), 310);
        QVERIFY(std::fabs(v.PixParCm() - 310.0 / 167.75) < 1e-12);
        QCOMPARE(v.width(), 573);
        QCOMPARE(v.Image().width(), 573);
        QCOMPARE(v.RectBois(), (TRect{0, 0, 573, 310}));
        QCOMPARE(v.RectBandes(), (TRect{14, 14, 559, 296}));
        QCOMPARE(v.RectJeu(), (TRect{23, 23, 550, 287}));
        QVERIFY(v.RectTexte().Vide());
        // 286.5 goes to the even neighbour.
        QCOMPARE(v.Centre(), QPoint(286, 155));
        QCOMPARE(v.PixParDiam(), 65.875);
        QVERIFY(v.Pret());
    }

    void diamantsEtMouches() {
        TCIBillardHor v(nullptr, 310);
        v.SetbhAffCoord(afVide);
        const TRect bandes = v.RectBandes();
        // Seven pixels out from the cushions' outer edge, on every side.
        for (int k = 1; k <= 9; ++k) QCOMPARE(v.Diamant(k).y(), bandes.Top - 7);
        for (int k = 15; k <= 23; ++k) QCOMPARE(v.Diamant(k).y(), bandes.Bottom + 7);
        for (int k = 10; k <= 14; ++k) QCOMPARE(v.Diamant(k).x(), bandes.Right + 7);
        for (int k = 24; k <= 28; ++k) QCOMPARE(v.Diamant(k).x(), bandes.Left - 7);
        // Clockwise from the top-left corner: the corners, then the middles of the sides.
        QCOMPARE(v.Diamant(1).x(), 286 - 264);
        QCOMPARE(v.Diamant(9).x(), 286 + 264);
        QCOMPARE(v.Diamant(12).y(), 155);
        QCOMPARE(v.Diamant(15).x(), 286 + 264);
        QCOMPARE(v.Diamant(23).x(), 286 - 264);
        QCOMPARE(v.Diamant(28).y(), 155 - 132);
        QCOMPARE(v.Mouche(1), v.Centre());
        QCOMPARE(v.Mouche(2), QPoint(286 + 132, 155));
        QCOMPARE(v.Mouche(5), v.DiamsVersPixels({0.514, -2.0}));

        // Diamond radius truncate(5 × 1.848 / 5) = 1: a 2 × 2 dot left and above the centre.
        const QImage& im = v.Image();
        const QPoint d = v.Diamant(3);
        for (const QPoint p : {d, d + QPoint(-1, -1), d + QPoint(-1, 0), d + QPoint(0, -1)})
            QCOMPARE(im.pixel(p), Rgb(Qt::white));
        QCOMPARE(im.pixel(d + QPoint(1, 0)), Rgb(v.bhCl().clBois()));
        QCOMPARE(im.pixel(d + QPoint(0, 1)), Rgb(v.bhCl().clBois()));
    }

    void peintureDeLaTable() {
        TCIBillardHor v(nullptr, 310);
        v.SetbhAffCoord(afVide);
        const QImage& im = v.Image();
        QCOMPARE(im.format(), QImage::Format_RGB32);
        // Black outlines of wood and cushions, the cloth's own outline, the fills inside.
        QCOMPARE(im.pixel(0, 0), Rgb(Qt::black));
        QCOMPARE(im.pixel(572, 309), Rgb(Qt::black));
        QCOMPARE(im.pixel(5, 100), Rgb(v.bhCl().clBois()));
        QCOMPARE(im.pixel(14, 100), Rgb(Qt::black));
        QCOMPARE(im.pixel(18, 100), Rgb(v.bhCl().clBandes()));
        QCOMPARE(im.pixel(23, 100), Rgb(v.bhCl().clRectJeu()));
        QCOMPARE(im.pixel(549, 100), Rgb(v.bhCl().clRectJeu()));
        QCOMPARE(im.pixel(316, 185), Rgb(v.bhCl().clJeu()));
        // The centre spot and the grid through it.
        QCOMPARE(im.pixel(v.Centre()), Rgb(v.bhCl().clMouches()));
        QCOMPARE(im.pixel(v.Centre().x(), 60), Rgb(v.bhCl().clMouches()));
        QCOMPARE(im.pixel(60, v.Centre().y()), Rgb(v.bhCl().clMouches()));
        // Vertical grid lines start one pixel below the cloth's top edge and stop before its
        // bottom edge; horizontal ones start two pixels inside the right edge.
        QCOMPARE(im.pixel(v.Centre().x(), 23), Rgb(v.bhCl().clRectJeu()));
        QCOMPARE(im.pixel(v.Centre().x(), 24), Rgb(v.bhCl().clMouches()));
        QCOMPARE(im.pixel(v.Centre().x(), 286), Rgb(v.bhCl().clMouches()));
        QCOMPARE(im.pixel(v.Centre().x(), 287), Rgb(v.bhCl().clBandes()));
        QCOMPARE(im.pixel(548, v.Centre().y()), Rgb(v.bhCl().clMouches()));
        QCOMPARE(im.pixel(549, v.Centre().y()), Rgb(v.bhCl().clRectJeu()));

        const QString chemin = QCoreApplication::applicationDirPath() + "/table_vide.png";
        QVERIFY(im.save(chemin));
    }

    void cadresSansLignes() {
        TCIBillardHor v(nullptr, 310);
        const QImage mouches = v.Image();
        v.SetbhTypeCadre(cVide);
        const QImage vide = v.Image();
        QVERIFY(vide != mouches);
        v.SetbhTypeCadre(cPCoins);
        QCOMPARE(v.Image(), vide);
        v.SetbhTypeCadre(cGCoins);
        QCOMPARE(v.Image(), vide);
    }

    void bandeDeTexte() {
        TCIBillardHor v(nullptr, 310);
        QCOMPARE(v.bhAffCoord(), afDiams);
        const int th = v.RectTexte().Height();
        QVERIFY(th > 0);
        QCOMPARE(v.RectTexte().Bottom, 310);
        QCOMPARE(v.RectBois().Bottom, 310 - th);
        // The band's height is taken off first: a smaller table than without it.
        QVERIFY(v.width() < 573);
        QVERIFY(std::fabs(v.PixParCm() - (310.0 - th) / 167.75) < 1e-12);
        QCOMPARE(v.Image().pixel(5, 309), Rgb(v.bhCl().clFondText()));
    }

    void policeAjusteeALaLargeur() {
        // At 150 pixels the ruler of digits does not fit at the default size: the font shrinks,
        // the band gets lower and the table larger than with the first band.
        TCIBillardHor v(nullptr, 150);
        QImage image = NouvelleImage(1, 1);
        TCanevas essai(image);
        const int thDefaut = essai.HauteurTexte("999");
        const int th = v.RectTexte().Height();
        QVERIFY(th > 0);
        QVERIFY(th < thDefaut);
        QVERIFY(v.RectBois().Bottom > 150 - thDefaut);
        QVERIFY(std::fabs(v.PixParCm() - (150.0 - th) / 167.75) < 1e-12);
    }

    void conversions() {
        TCIBillardHor v(nullptr, 310);
        v.SetbhAffCoord(afVide);
        QCOMPARE(v.DiamsVersPixels({0, 0}), v.Centre());
        QCOMPARE(v.DiamsVersPixels({0, 4}), QPoint(v.RectJeu().Right, v.Centre().y()));
        QCOMPARE(v.DiamsVersPixels({2, 0}), QPoint(v.Centre().x(), v.RectJeu().Bottom));
        // x is drawn down the screen, y to the right.
        QCOMPARE(v.CmVersPixels({10, 0}), QPoint(286, 155 + 18));
        QCOMPARE(v.CmVersPixels({0, -10}), QPoint(286 - 18, 155));
        for (const TPointTable p :
             {TPointTable{0.37, -1.93}, TPointTable{-1.2, 3.71}, TPointTable{1.99, 0.01}}) {
            const TPointTable d = v.PixelsVersDiams(v.DiamsVersPixels(p));
            QVERIFY(std::fabs(d.x - p.x) <= 0.5 / v.PixParDiam());
            QVERIFY(std::fabs(d.y - p.y) <= 0.5 / v.PixParDiam());
            const TPointTable c = v.PixelsVersCm(v.CmVersPixels(p));
            QVERIFY(std::fabs(c.x - p.x) <= 0.5 / v.PixParCm());
            QVERIFY(std::fabs(c.y - p.y) <= 0.5 / v.PixParCm());
        }
        // A pixel goes to diamonds and back to itself exactly.
        const QPoint P(400, 77);
        QCOMPARE(v.DiamsVersPixels(v.PixelsVersDiams(P)), P);
        QCOMPARE(v.CmVersPixels(v.PixelsVersCm(P)), P);
    }

    void couleursEtDimensions() {
        TCIBillardHor v(nullptr, 310);
        v.SetbhAffCoord(afVide);
        const TRect jeu = v.RectJeu();
        v.bhCl().SetclJeu(QColor(10, 20, 30));
        QCOMPARE(v.RectJeu(), jeu);
        QCOMPARE(v.Image().pixel(316, 185), qRgb(10, 20, 30));
        // A wider cloth makes a smaller scale on the same height.
        const int largeur = v.width();
        v.bhDim().SetJeu(200.0);
        QVERIFY(v.PixParCm() < 310.0 / 167.75);
        QVERIFY(v.width() != largeur);
        QCOMPARE(v.bhDim().Valeur(3), 200.0);
    }

    void hauteurDonneeDuDehors() {
        // Inside a window, as in the program: a top-level widget would be held to the screen.
        QWidget fenetre;
        fenetre.resize(1000, 600);
        TCIBillardHor v(&fenetre, 310);
        v.SetbhAffCoord(afVide);
        v.FixeHauteur(400);
        QCOMPARE(v.height(), 400);
        QCOMPARE(v.Image().height(), 400);
        QCOMPARE(v.width(), Arrondi(2.0 * 400.0 / 167.75 * 155.0));
        // A width given from outside is overwritten by the geometry.
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenetre));
        int notifications = 0;
        v.OnResize = [&](TCIBillardHor*) { ++notifications; };
        v.resize(100, 400);
        QVERIFY(notifications >= 1);
        QCOMPARE(v.width(), Arrondi(2.0 * 400.0 / 167.75 * 155.0));
        QCOMPARE(v.Image().width(), v.width());
    }

    void tailleImpossible() {
        // No room for anything, or dimensions adding up to nothing: an empty table, no crash.
        TCIBillardHor v(nullptr, 5);
        QVERIFY(v.width() >= 0 && v.width() < 5);
        QVERIFY(v.PixParCm() >= 0.0);
        v.SetbhAffCoord(afVide);
        QCOMPARE(v.width(), Arrondi(2.0 * 5.0 / 167.75 * 155.0));
        v.FixeHauteur(310);
        v.bhDim().SetBois(0.0);
        v.bhDim().SetBandes(0.0);
        v.bhDim().SetJeu(0.0);
        QCOMPARE(v.PixParCm(), 0.0);
        QCOMPARE(v.width(), 0);
        v.bhDim().SetJeu(142.25);
        QVERIFY(v.width() > 0);
    }

    // ---------------------------------------------------------------- balls

    void billesParDefaut() {
        TCIBillardHor3B v(nullptr, 310);
        QCOMPARE(v.bhBille1()->cl(), QColor(Qt::yellow));
        QCOMPARE(v.bhBille2()->cl(), QColor(Qt::white));
        QCOMPARE(v.bhBille3()->cl(), QColor(Qt::red));
        QCOMPARE(v.bhBille1()->PosDiams(), (TPointTable{0, -2}));
        QCOMPARE(v.bhBille2()->PosDiams(), (TPointTable{0.514, -2}));
        QCOMPARE(v.bhBille3()->PosDiams(), (TPointTable{0, 2}));
        QCOMPARE(v.BilleJoueur(), v.bhBille2());
        // White cue ball: white, red, yellow; yellow cue ball: yellow, white, red.
        QCOMPARE(v.bhBille2()->Autres[0], v.bhBille3());
        QCOMPARE(v.bhBille2()->Autres[1], v.bhBille1());
        QCOMPARE(v.bhBille1()->Autres[0], v.bhBille2());
        QCOMPARE(v.bhBille1()->Autres[1], v.bhBille3());
        QVERIFY(v.bhTraceVisee());
        v.EffaceVisee();
        // Each ball is drawn in its colour, with a black rim (smooth: nearly black).
        const QImage& im = v.Image();
        for (TCIBille* b : {v.bhBille1(), v.bhBille2(), v.bhBille3()}) {
            QVERIFY(b->Dessinee());
            QCOMPARE(b->r(), Arrondi(3.0625 * v.PixParCm()));
            QCOMPARE(im.pixel(b->PosPixels() + QPoint(1, 2)), Rgb(b->cl()));
            QVERIFY(qGray(im.pixel(b->PosPixels() + QPoint(b->r() - 1, 0))) < 40);
        }
    }

    void placeDiamsEtCm() {
        TCIBillardHor3B v(nullptr, 310);
        TCIBille* b = v.bhBille2();
        b->PlaceDiams({0.514, -2});
        QVERIFY(std::fabs(b->PosCm().x - 18.279125) < 1e-12);
        QVERIFY(std::fabs(b->PosCm().y - -71.125) < 1e-12);
        b->PlaceCm({-35.5625, 71.125});
        QVERIFY(std::fabs(b->x() - -1.0) < 1e-12);
        QVERIFY(std::fabs(b->y() - 2.0) < 1e-12);
        QCOMPARE(b->PosPixels(), v.CmVersPixels({-35.5625, 71.125}));
        // After a pixel placement the coordinates follow the pixel only.
        b->PlacePixels(QPoint(v.Centre().x() + 7, v.Centre().y() - 3));
        QVERIFY(std::fabs(b->y() * v.PixParDiam() - 7.0) < 1e-9);
        QVERIFY(std::fabs(b->x() * v.PixParDiam() - -3.0) < 1e-9);
        QVERIFY(std::fabs(b->PosCm().y * v.PixParCm() - 7.0) < 1e-9);
    }

    void texteDesCoordonnees() {
        TCIBillardHor3B v(nullptr, 310);
        QCOMPARE(v.bhBille2()->TexteCoord(), QStringLiteral("X: 0,51 ; Y: -2,00"));
        v.SetbhAffCoord(afCm);
        QCOMPARE(v.bhBille2()->AffCoord(), afCm);
        QCOMPARE(v.bhBille2()->TexteCoord(), QStringLiteral("X: 18,28 ; Y: -71,13"));
        v.bhBille3()->DeplaceCm({1234.567, 0.0});
        // Five significant digits, then two decimals with grouped thousands.
        QCOMPARE(v.bhBille3()->TexteCoord(),
                 QString("X: 1") + QLocale().groupSeparator() + "234,60 ; Y: 0,00");
    }

    void bandeEnColonnes() {
        // Four columns of a truncated quarter of the band's width; in each of the first three a
        // square of the band's height holds a disc of the ball's colour, then its coordinates.
        TCIBillardHor3B v(nullptr, 310);
        const TRect t = v.RectTexte();
        const int h = t.Height();
        const int q = t.Width() / 4;
        QCOMPARE(v.bhBille1()->RectCoord, (TRect{h, t.Top, q, t.Bottom}));
        QCOMPARE(v.bhBille2()->RectCoord, (TRect{h + q, t.Top, 2 * q, t.Bottom}));
        QCOMPARE(v.bhBille3()->RectCoord, (TRect{h + 2 * q, t.Top, 3 * q, t.Bottom}));
        QCOMPARE(v.RectAngle(), (TRect{h + 3 * q, t.Top, t.Right, t.Bottom}));
        for (TCIBille* b : {v.bhBille1(), v.bhBille2(), v.bhBille3()}) {
            QCOMPARE(v.Image().pixel(b->RectCoord.Left - h / 2, t.Top + h / 2), Rgb(b->cl()));
            QCOMPARE(v.Image().pixel(b->RectCoord.Left - h, t.Top + h / 2),
                     Rgb(v.bhCl().clFondText()));
        }
    }

    void positionIdentiqueNotifieeUneFois() {
        TCIBillardHor3B v(nullptr, 310);
        int n = 0;
        TCIBille* expediteur = nullptr;
        v.OnPosBillesChange = [&](TCIBille* b) {
            ++n;
            expediteur = b;
        };
        v.bhBille3()->Setx(v.bhBille3()->x());
        QCOMPARE(n, 1);
        QCOMPARE(expediteur, v.bhBille3());
        QVERIFY(v.bhBille3()->Dessinee());
    }

    void billeDeplaceeRestaureLaTable() {
        TCIBillardHor3B v(nullptr, 310);
        v.SetbhTraceVisee(false);
        const QImage avant = v.Image();
        TCIBille* b = v.bhBille3();
        const TPointTable origine = b->PosDiams();
        b->DeplaceDiams({1.0, 1.0});
        QVERIFY(v.Image() != avant);
        QCOMPARE(v.Image().pixel(v.DiamsVersPixels({1, 1})), Rgb(Qt::red));
        QCOMPARE(v.Image().pixel(b->PosPixels().x(), v.DiamsVersPixels(origine).y() + 1),
                 avant.pixel(b->PosPixels().x(), v.DiamsVersPixels(origine).y() + 1));
        b->DeplaceDiams(origine);
        QCOMPARE(v.Image(), avant);
    }

    void billeHorsDeLImage() {
        // A ball that left the table (a replay can put it anywhere) across the picture's edge,
        // far outside, or at no number at all: it comes back leaving the picture as it was.
        TCIBillardHor3B v(nullptr, 310);
        v.SetbhTraceVisee(false);
        const QImage avant = v.Image();
        TCIBille* b = v.bhBille1();
        const TPointTable origine = b->PosDiams();
        b->DeplacePixels(QPoint(v.width() - 2, 1));
        QCOMPARE(v.Image().pixel(v.width() - 3, 2), Rgb(Qt::yellow));
        b->DeplaceCm({1e7, -1e7});
        b->DeplaceCm({std::nan(""), 0.0});
        b->DeplaceDiams(origine);
        QCOMPARE(v.Image(), avant);
    }

    void leControleMontreSonImage() {
        TCIBillardHor3B v(nullptr, 310);
        v.ViseAngleDeg(30);
        // The picture with the aiming line drawn over it.
        QCOMPARE(v.grab().toImage().convertToFormat(QImage::Format_RGB32), v.ImageAvecVisee());
    }

    void chevaucheEtContient() {
        TCIBillardHor3B v(nullptr, 310);
        TCIBille* b1 = v.bhBille1();
        TCIBille* b2 = v.bhBille2();
        TCIBille* b3 = v.bhBille3();
        const int r = b1->r();
        b3->PlacePixels(b2->PosPixels() + QPoint(r, 0));
        // Both others within one diameter: the first of Autres wins.
        QCOMPARE(b1->Chevauche(b2->PosPixels() + QPoint(r / 2, 0)), b2);
        QCOMPARE(b2->Chevauche(b2->PosPixels()), b3);
        // Exactly one diameter away still overlaps; one pixel more does not.
        QCOMPARE(b1->Chevauche(b3->PosPixels() + QPoint(2 * r, 0)), b3);
        QCOMPARE(b1->Chevauche(b3->PosPixels() + QPoint(2 * r + 1, 0)), nullptr);
        // A ball never overlaps itself.
        QVERIFY(b1->Chevauche(b1->PosPixels()) != b1);
        QVERIFY(b2->Contient(b2->PosPixels().x() + r, b2->PosPixels().y()));
        QVERIFY(!b2->Contient(b2->PosPixels().x() + r, b2->PosPixels().y() + 1));
        // A press on a spot covered by two balls takes the lower-numbered one.
        b1->PlacePixels(b2->PosPixels() + QPoint(0, 2));
        QCOMPARE(v.BilleEnPixel(b2->PosPixels().x(), b2->PosPixels().y() + 1), b1);
        QCOMPARE(v.BilleEnPixel(v.Centre().x(), v.Centre().y() + 100), nullptr);
    }

    void sansCoordonneesLaBandeResteTelle() {
        TCIBillardHor3B v(nullptr, 310);
        v.bhBille1()->SetAffCoord(afVide);
        QCOMPARE(v.bhBille1()->TexteCoord(), QString());
        const QImage bande = Zone(v.Image(), v.bhBille1()->RectCoord);
        v.bhBille1()->DeplaceDiams({0.5, 0.5});
        QCOMPARE(Zone(v.Image(), v.bhBille1()->RectCoord), bande);
        // Another ball's coordinates are still written.
        const QImage bande2 = Zone(v.Image(), v.bhBille2()->RectCoord);
        v.bhBille2()->DeplaceDiams({-0.5, 0.5});
        QVERIFY(Zone(v.Image(), v.bhBille2()->RectCoord) != bande2);
    }

    // ---------------------------------------------------------------- aiming

    void texteDeLAngle_data() {
        QTest::addColumn<QPoint>("decalage");
        QTest::addColumn<QString>("texte");
        QTest::newRow("dessous") << QPoint(0, 100) << "AngleOx: 0,00";
        QTest::newRow("droite") << QPoint(100, 0) << "AngleOx: 90,00";
        QTest::newRow("gauche") << QPoint(-100, 0) << "AngleOx: -90,00";
        QTest::newRow("dessus") << QPoint(0, -100) << "AngleOx: 180,00";
        QTest::newRow("oblique") << QPoint(100, -15) << "AngleOx: 98,53";
    }
    void texteDeLAngle() {
        QFETCH(QPoint, decalage);
        QFETCH(QString, texte);
        TCIBillardHor3B v(nullptr, 310);
        v.ViseePoint(v.BilleJoueur()->PosPixels() + decalage);
        QCOMPARE(v.TexteAngle(), texte);
    }

    void viseeParAngle() {
        TCIBillardHor3B v(nullptr, 310);
        int n = 0;
        v.OnViseeChange = [&](TCIBillardHor3B* s) {
            QCOMPARE(s, &v);
            ++n;
        };
        v.ViseAngleDeg(98.64);
        QCOMPARE(n, 1);
        QCOMPARE(v.ViseeDebut(), v.BilleJoueur()->PosPixels());
        QCOMPARE(v.ViseeFin(),
                 v.ViseeDebut() + QPoint(Arrondi(std::sin(98.64 * std::numbers::pi / 180) * 1e4),
                                         Arrondi(std::cos(98.64 * std::numbers::pi / 180) * 1e4)));
        QVERIFY(std::fabs(v.AngleViseeDeg() - 98.64) < 0.01);
        QCOMPARE(v.TexteAngle(), QStringLiteral("AngleOx: 98,64"));
        QVERIFY(v.ViseeTracee());
    }

    void ligneDeViseeParDessusLImage() {
        TCIBillardHor3B v(nullptr, 310);
        v.EffaceVisee();
        const TRect table = v.RectBois();
        const QImage sans = Zone(v.Image(), table);
        v.ViseePoint(QPoint(500, 40));
        QVERIFY(v.ViseeTracee());
        // Drawn over the picture, not into it: the bitmap keeps the table as it was.
        QCOMPARE(Zone(v.Image(), table), sans);
        const QImage avec = Zone(v.ImageAvecVisee(), table);
        QVERIFY(avec != sans);
        // Near the middle of the line a pixel is dark, and its neighbours blend into the cloth.
        const QPoint c = v.BilleJoueur()->PosPixels();
        const QPoint milieu((c.x() + 500) / 2, (c.y() + 40) / 2);
        int sombre = 255;
        bool melange = false;
        const int jeu = qGray(Rgb(v.bhCl().clJeu()));
        for (int dy = -2; dy <= 2; ++dy) {
            const int g = qGray(v.ImageAvecVisee().pixel(milieu + QPoint(0, dy)));
            sombre = std::min(sombre, g);
            melange |= g > 5 && g < jeu - 5;
        }
        QVERIFY(sombre < 30);
        QVERIFY(melange);
        v.EffaceVisee();
        QVERIFY(!v.ViseeTracee());
        QCOMPARE(Zone(v.ImageAvecVisee(), table), sans);
        // Erasing twice does not draw it back.
        v.EffaceVisee();
        QCOMPARE(Zone(v.ImageAvecVisee(), table), sans);
    }

    void viseeHorsDeLaBandeDeTexte() {
        // Texts are written in the band while the line is on the picture; the line stays on
        // the table, so erasing it leaves the band as a clean write of the same texts would.
        TCIBillardHor3B v(nullptr, 310);
        const TRect bande = v.RectTexte();
        const TRect angle = v.RectAngle();
        v.ViseePoint(QPoint(angle.Left + 20, angle.Top + 6));
        QVERIFY(v.ViseeTracee());
        const QImage avecLigne = Zone(v.Image(), bande);
        v.EffaceVisee();
        const QImage effacee = Zone(v.Image(), bande);
        QCOMPARE(avecLigne, effacee);
        // Written again without any line: the same pixels.
        v.SetbhTraceVisee(false);
        QCOMPARE(Zone(v.Image(), bande), effacee);

        // Straight down through the cue ball's own coordinates, rewritten under the line.
        v.SetbhTraceVisee(true);
        TCIBille* b = v.BilleJoueur();
        v.ViseePoint(QPoint(b->PosPixels().x(), bande.Bottom - 2));
        QVERIFY(b->RectCoord.Left < b->PosPixels().x() && b->PosPixels().x() < b->RectCoord.Right);
        // The line still runs down the table to its outer edge, and not into the band.
        QVERIFY(qGray(v.ImageAvecVisee().pixel(b->PosPixels().x(), v.RectBois().Bottom - 1)) < 60);
        QCOMPARE(Zone(v.ImageAvecVisee(), bande), Zone(v.Image(), bande));
        b->SetAffCoord(afCm);
        v.EffaceVisee();
        const QImage cm = Zone(v.Image(), bande);
        b->SetAffCoord(afCm);
        QCOMPARE(Zone(v.Image(), bande), cm);
    }

    void viseeNonTracee() {
        TCIBillardHor3B v(nullptr, 310);
        v.SetbhTraceVisee(false);
        QVERIFY(!v.ViseeTracee());
        const QImage sans = Zone(v.Image(), v.RectBois());
        int n = 0;
        v.OnViseeChange = [&](TCIBillardHor3B*) { ++n; };
        v.ViseePoint(v.BilleJoueur()->PosPixels() + QPoint(100, 0));
        QCOMPARE(n, 1);
        QCOMPARE(v.ViseeFin(), v.BilleJoueur()->PosPixels() + QPoint(100, 0));
        QCOMPARE(v.TexteAngle(), QStringLiteral("AngleOx: 90,00"));
        QCOMPARE(Zone(v.Image(), v.RectBois()), sans);
        v.SetbhTraceVisee(true);
        QVERIFY(v.ViseeTracee());
    }

    void changementDeBilleJoueur() {
        TCIBillardHor3B v(nullptr, 310);
        v.ViseAngleDeg(45);
        v.EffaceVisee();
        v.ChoisitBilleJoueur(v.bhBille1());
        QCOMPARE(v.BilleJoueur(), v.bhBille1());
        QCOMPARE(v.ViseeDebut(), v.bhBille1()->PosPixels());
        QVERIFY(std::fabs(v.AngleViseeDeg() - 45.0) < 0.01);
    }

    // ---------------------------------------------------------------- the mouse

    void glisserContreLaBande() {
        TCIBillardHor3B v(nullptr, 310);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        TCIBille* b = v.bhBille3();
        int drags = 0, positions = 0;
        v.OnDragBille = [&](TCIBille* s) {
            QCOMPARE(s, b);
            ++drags;
        };
        v.OnPosBillesChange = [&](TCIBille*) { ++positions; };
        QTest::mousePress(&v, Qt::LeftButton, {}, b->PosPixels());
        QVERIFY(v.TirageEnCours());
        QCOMPARE(v.BilleTiree(), b);
        QVERIFY(QGuiApplication::overrideCursor() != nullptr);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
        QTest::mouseMove(&v, QPoint(v.width() - 2, v.RectJeu().Top - 5));
        QCOMPARE(b->PosPixels(), QPoint(v.RectLibre().Right, v.RectLibre().Top));
        // The ball's edge lies on the cloth's edge.
        QCOMPARE(b->PosPixels().x() + b->r(), v.RectJeu().Right);
        QCOMPARE(b->PosPixels().y() - b->r(), v.RectJeu().Top);
        QTest::mouseRelease(&v, Qt::LeftButton, {}, QPoint(v.width() - 2, v.RectJeu().Top - 5));
        QVERIFY(!v.TirageEnCours());
        QCOMPARE(v.BilleTiree(), nullptr);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(drags, 1);
        QCOMPARE(positions, 1);
        // The dragged ball erased the aiming line.
        QVERIFY(!v.ViseeTracee());
    }

    void lacherSurUneAutreBille() {
        TCIBillardHor3B v(nullptr, 310);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        TCIBille* b = v.bhBille1();
        const QPoint cible = v.bhBille3()->PosPixels();
        QTest::mousePress(&v, Qt::LeftButton, {}, b->PosPixels());
        QTest::mouseMove(&v, cible);
        QCOMPARE(b->PosPixels(), cible);
        QTest::mouseRelease(&v, Qt::LeftButton, {}, cible);
        // Straight up the screen is exactly one diameter away, which still overlaps; the next
        // try, 6 degrees clockwise, is free.
        const int D = 2 * b->r();
        const double a = -std::numbers::pi / 2 + std::numbers::pi / 30;
        QCOMPARE(b->PosPixels(),
                 cible + QPoint(Arrondi(std::cos(a) * D), Arrondi(std::sin(a) * D)));
        QCOMPARE(b->Chevauche(b->PosPixels()), nullptr);
    }

    void degagementDansLeCoin() {
        // A ball dropped on another in a corner of the free area turns until it is inside.
        TCIBillardHor3B v(nullptr, 310);
        TCIBille* b = v.bhBille1();
        TCIBille* o = v.bhBille3();
        const TRect libre = v.RectLibre();
        o->DeplacePixels(QPoint(libre.Left, libre.Top));
        b->DeplacePixels(QPoint(libre.Left + 1, libre.Top));
        v.DegageBille(b);
        const QPoint p = b->PosPixels();
        QCOMPARE(b->Chevauche(p), nullptr);
        QVERIFY(libre.Left < p.x() && p.x() < libre.Right);
        QVERIFY(libre.Top < p.y() && p.y() < libre.Bottom);
    }

    void clicHorsBilleVise() {
        TCIBillardHor3B v(nullptr, 310);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        const QPoint c = v.BilleJoueur()->PosPixels();
        QTest::mousePress(&v, Qt::LeftButton, {}, c + QPoint(0, 60));
        QVERIFY(!v.TirageEnCours());
        QCOMPARE(v.ViseeFin(), c + QPoint(0, 60));
        QTest::mouseMove(&v, c + QPoint(60, 0));
        QCOMPARE(v.ViseeFin(), c + QPoint(60, 0));
        QCOMPARE(v.TexteAngle(), QStringLiteral("AngleOx: 90,00"));
        QTest::mouseRelease(&v, Qt::LeftButton, {}, c + QPoint(60, 0));
        // The right button does nothing.
        QTest::mousePress(&v, Qt::RightButton, {}, c + QPoint(0, 60));
        QCOMPARE(v.ViseeFin(), c + QPoint(60, 0));
        QTest::mouseRelease(&v, Qt::RightButton, {}, c + QPoint(0, 60));
    }

    // ---------------------------------------------------------------- engine records

    void apresChargementPrendLeMoteur() {
        auto m = MoteurVide();
        TCIBillardHor3B v(nullptr, 310);
        v.Moteur = m.get();
        v.ApresChargement();
        QCOMPARE(v.bhDim().Jeu(), m->Fisik.largeurJeu());
        QCOMPARE(v.bhDim().RayonBilles(), m->Fisik.RayonBilles());
        QCOMPARE(v.bhBille1()->r(), Arrondi(3.075 * v.PixParCm()));
    }

    void dessineTrajet() {
        auto m = MoteurVide();
        TCIBillardHor3B v(nullptr, 310);
        v.Moteur = m.get();
        v.EffaceVisee();
        m->NbEnr = 2;
        PoseEnr(*m, 0, 2, 0.0, 0.0);
        PoseEnr(*m, 1, 2, 0.0, 30.0);
        PoseEnr(*m, 2, 2, 20.0, 30.0);
        // Record 3 lies beyond NbEnr and must not be drawn.
        PoseEnr(*m, 3, 2, -20.0, -30.0);
        const QColor c(1, 2, 3);
        const QImage fond = v.Image();
        v.DessineTrajet(2, c);
        const QImage& im = v.Image();
        // Smooth: where the line crosses a column or a row, the nearest pixel is nearly the
        // line's colour and a neighbour blends it with the cloth.
        const TRepere r = v.Repere();
        const auto traverse = [&](QPointF p, QPoint travers) {
            const QPoint q = p.toPoint();
            int plusSombre = 255;
            bool melange = false;
            for (int k = -2; k <= 2; ++k) {
                const int g = qGray(im.pixel(q + k * travers));
                plusSombre = std::min(plusSombre, g);
                melange |= g > 10 && g < qGray(fond.pixel(q + k * travers)) - 10;
            }
            return std::pair{plusSombre < 25, melange};
        };
        // Along +y on the centre line: exactly on a row of pixels, so dark and sharp.
        QVERIFY(traverse(r.VersPixels(0, 15), QPoint(0, 1)).first);
        // Along +x at 30 cm, between two columns: dark, and blended on its sides.
        const auto [sombre, melange] = traverse(r.VersPixels(10, 30), QPoint(1, 0));
        QVERIFY(sombre);
        QVERIFY(melange);
        QCOMPARE(im.pixel(v.CmVersPixels({-10, -15})), fond.pixel(v.CmVersPixels({-10, -15})));
        // Without an engine nothing is drawn.
        const QImage avant = v.Image();
        v.Moteur = nullptr;
        v.DessineTrajet(2, Qt::blue);
        QCOMPARE(v.Image(), avant);
    }

    void repriseDeZeroEnregistrement() {
        auto m = MoteurVide();
        TCIBillardHor3B v(nullptr, 310);
        v.Moteur = m.get();
        m->NbEnr = 0;
        PoseEnr(*m, 1, 1, 50.0, 50.0);
        const QPoint a = v.bhBille1()->PosPixels(), b = v.bhBille2()->PosPixels(),
                     c = v.bhBille3()->PosPixels();
        QElapsedTimer t;
        t.start();
        v.AnimeTrajets();
        QVERIFY(t.elapsed() < 2000);
        QCOMPARE(v.bhBille1()->PosPixels(), a);
        QCOMPARE(v.bhBille2()->PosPixels(), b);
        QCOMPARE(v.bhBille3()->PosPixels(), c);
    }

    void repriseSautantLesChocsTapis() {
        auto m = MoteurVide();
        TCIBillardHor3B v(nullptr, 310);
        v.Moteur = m.get();
        m->NbEnr = 3;
        for (int i = 0; i <= 3; ++i) {
            m->Temps[i] = 0.05 * i;
            PoseEnr(*m, i, 1, 0.0, 10.0 * i);
            PoseEnr(*m, i, 2, 20.0, 10.0 * i);
            PoseEnr(*m, i, 3, -20.0, 10.0 * i);
        }
        m->TypesChoc[3] = cBilleTapis;
        // Engine ball 1 is the cue ball (white), 2 its first other (red), 3 the second (yellow).
        QVector<TPointTable> vues;
        v.OnPosBillesChange = [&](TCIBille* s) {
            if (s == v.bhBille2()) vues.push_back(s->PosCm());
        };
        QElapsedTimer t;
        t.start();
        v.AnimeTrajets();
        const qint64 duree = t.elapsed();
        const int f = v.CoutImage();
        // Records 1 and 2 wait 40 ms less the frame cost each; record 3 is skipped.
        QVERIFY(duree >= 2 * std::max(0, 40 - f) - 5);
        QCOMPARE(v.bhBille2()->PosCm(), (TPointTable{0.0, 20.0}));
        QCOMPARE(v.bhBille3()->PosCm(), (TPointTable{20.0, 20.0}));
        QCOMPARE(v.bhBille1()->PosCm(), (TPointTable{-20.0, 20.0}));
        QCOMPARE(vues.last(), (TPointTable{0.0, 20.0}));
    }

    void arretInterrompLaReprise() {
        auto m = MoteurVide();
        TCIBillardHor3B v(nullptr, 310);
        v.Moteur = m.get();
        m->NbEnr = 5;
        for (int i = 0; i <= 5; ++i) {
            m->Temps[i] = 0.01 * i;
            PoseEnr(*m, i, 1, 0.0, 5.0 * i);
        }
        // The main window's Escape arrives while pending events run after record 2.
        int etapes = 0;
        v.OnPosBillesChange = [&](TCIBille* s) {
            if (s == v.BilleJoueur() && s->PosCm().y > 0 && ++etapes == 2)
                QMetaObject::invokeMethod(
                    &v, [&] { v.Arret = true; }, Qt::QueuedConnection);
        };
        v.AnimeTrajets();
        QCOMPARE(v.BilleJoueur()->PosCm(), (TPointTable{0.0, 10.0}));
        QVERIFY(v.Arret);
    }

    void coupDuMoteurTraceEtRejoue() {
        // The main window's default shot, fired by the real engine from the view's balls.
        auto m = MoteurVide();
        TCIBillardHor3B v(nullptr, 310);
        v.Moteur = m.get();
        v.ApresChargement();
        v.ViseAngleDeg(98.64);
        TCIBille* const billes[4] = {nullptr, v.BilleJoueur(), v.BilleJoueur()->Autres[0],
                                     v.BilleJoueur()->Autres[1]};
        for (int b = 1; b <= 3; ++b) PoseEnr(*m, 0, b, billes[b]->PosCm().x, billes[b]->PosCm().y);
        m->Coup.Effet = 0.621910112359551;
        m->Coup.Hauteur = 1.1747191011236;
        m->Coup.Vq = 430;
        m->Coup.AngleOx = v.AngleVisee();
        m->TireCoup();
        QVERIFY(m->NbEnr > 10);
        v.EffaceVisee();
        for (int b = 1; b <= 3; ++b) v.DessineTrajet(b, billes[b]->cl().darker(b == 1 ? 100 : 150));
        // The cue ball's line leaves it along the aim: right and a little up the screen.
        const QPoint depart =
            v.CmVersPixels({m->Trajets[1][0].Position.x, m->Trajets[1][0].Position.y});
        const QPoint plusLoin =
            v.CmVersPixels({m->Trajets[1][1].Position.x, m->Trajets[1][1].Position.y});
        QVERIFY(plusLoin.x() > depart.x());
        QVERIFY(plusLoin.y() <= depart.y());
        const QPoint pres = depart + QPoint(v.bhBille1()->r() + 2, 0);
        int plusClair = 0;
        for (int dy = -1; dy <= 1; ++dy)
            plusClair = std::max(plusClair, qGray(v.Image().pixel(pres + QPoint(0, dy))));
        QVERIFY(plusClair > 200); // the white line, smooth, on the green cloth
        QVERIFY(v.Image().save(QCoreApplication::applicationDirPath() + "/table_traces.png"));

        // A hundred times faster than the shot, to keep the test short.
        for (int i = 0; i <= m->NbEnr; ++i) m->Temps[i] *= 0.01;
        v.AnimeTrajets();
        const int n = m->NbEnr;
        QVERIFY(m->TypesChoc[n] != cBilleTapis);
        for (int b = 1; b <= 3; ++b)
            QCOMPARE(billes[b]->PosCm(),
                     (TPointTable{m->Trajets[b][n].Position.x, m->Trajets[b][n].Position.y}));
    }

    void imageDeLaTableAvecBilles() {
        TCIBillardHor3B v(nullptr, 310);
        v.ViseAngleDeg(98.64);
        const QImage& im = v.Image();
        QCOMPARE(im.pixel(v.bhBille3()->PosPixels() + QPoint(1, 2)), Rgb(Qt::red));
        QCOMPARE(im.pixel(v.Diamant(7)), Rgb(Qt::white));
        QCOMPARE(im.pixel(v.Centre() + QPoint(30, 30)), Rgb(v.bhCl().clJeu()));
        const QString chemin = QCoreApplication::applicationDirPath() + "/table_billes.png";
        QVERIFY(im.save(chemin));
    }
};

QTEST_MAIN(TestTable)
#include "test_table.moc"
