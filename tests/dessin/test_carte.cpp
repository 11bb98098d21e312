// The solution-search map: cells coloured by family for one speed and height, shaded by count
// for all of them, the cell geometry both ways, text drawn without a display, the PNG file.

#include "dessin/CarteSolutions.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

/// A 10-aim × 3-effect × 2-height × 2-speed search from hand-made outcomes.
TGrilleRecherche Grille() {
    TGrilleRecherche g;
    g.AngleOx = {0, 10, 1};
    g.Effet = {-1, 1, 3};
    g.Hauteur = {0, 1, 2};
    g.Vq = {300, 400, 2};
    return g;
}

TCoupsRecherche Coups() {
    TCoupsRecherche c;
    c.Dimensions = DimensionsRecherche(Grille());
    c.Sequences = {"2NES3", "3NOS2"};
    c.Codes.assign(static_cast<size_t>(c.Dimensions.NbPoints()), 0);
    const auto marque = [&](std::array<int32_t, 4> i, uint32_t code) {
        c.Codes[static_cast<size_t>(c.Dimensions.Indice(i))] = code;
    };
    // Height 0, speed 1: a family of three of 2NES3 at aims 1-3 of the middle effect, and a
    // lone 3NOS2 stroke at aim 7 of the top effect.
    for (int32_t a : {1, 2, 3}) marque({a, 1, 0, 1}, 1);
    marque({7, 2, 0, 1}, 2);
    // The same aim and effect as the family's first stroke, at the three other slices.
    marque({1, 1, 1, 1}, 1);
    marque({1, 1, 0, 0}, 2);
    marque({1, 1, 1, 0}, 2);
    return c;
}

QColor Pixel(const QImage& image, QPoint p) {
    return QColor(image.pixel(p));
}

} // namespace

class TestCarte : public QObject {
    Q_OBJECT

  private slots:
    void CellulesDeLaCoupeParFamille() {
        const TSolutions s = RoutesEtFamilles(Coups(), false, 3);
        const QImage image = DessineCarte(Grille(), s, {false, 1, 0});
        const TGeometrieCarte g = GeometrieCarte(DimensionsRecherche(Grille()));
        QVERIFY(image.rect().contains(g.Zone));
        // The listed family: the first colour of the palette, on its three cells.
        for (int a : {1, 2, 3}) QCOMPARE(Pixel(image, g.Cellule(a, 1).center()), CouleurFamille(0));
        // The lone stroke is in a family below the minimum: grey.
        QCOMPARE(Pixel(image, g.Cellule(7, 2).center()), CouleurIsoles);
        QCOMPARE(Pixel(image, g.Cellule(5, 1).center()), CouleurVide);
        // Another slice shows other strokes.
        const QImage autre = DessineCarte(Grille(), s, {false, 0, 1});
        QCOMPARE(Pixel(autre, g.Cellule(2, 1).center()), CouleurVide);
        QVERIFY(Pixel(autre, g.Cellule(1, 1).center()) != CouleurVide);
    }

    void LegendeNommeLesBillesSelonLaBilleJoueur() {
        // The same cut with the white and the yellow cue ball: the cells agree, the legend's
        // ball names do not, since the engine's "2" and "3" are other balls.
        const TSolutions s = RoutesEtFamilles(Coups(), false, 3);
        const QImage blanche = DessineCarte(Grille(), s, {false, 1, 0}, bjBlanche);
        const QImage jaune = DessineCarte(Grille(), s, {false, 1, 0}, bjJaune);
        const TGeometrieCarte g = GeometrieCarte(DimensionsRecherche(Grille()));
        QCOMPARE(blanche.size(), jaune.size());
        QCOMPARE(blanche.copy(g.Zone), jaune.copy(g.Zone));
        QVERIFY(blanche != jaune);
        QCOMPARE(DessineCarte(Grille(), s, {false, 1, 0}), blanche);
    }

    void ToutesLesCoupesParNombreDeCoupsReussis() {
        const TSolutions s = RoutesEtFamilles(Coups(), false, 3);
        const TCoupeCarte toutes;
        const auto contenu = ContenuCarte(DimensionsRecherche(Grille()), s, toutes);
        QCOMPARE(contenu[1 * 10 + 1], 4);
        QCOMPARE(contenu[1 * 10 + 2], 1);
        const QImage image = DessineCarte(Grille(), s, toutes);
        const TGeometrieCarte g = GeometrieCarte(DimensionsRecherche(Grille()));
        QCOMPARE(Pixel(image, g.Cellule(1, 1).center()), CouleurCompte(4, 4));
        QCOMPARE(Pixel(image, g.Cellule(2, 1).center()), CouleurCompte(1, 4));
        QCOMPARE(Pixel(image, g.Cellule(0, 0).center()), CouleurVide);
        // More scoring strokes, a darker shade.
        QVERIFY(CouleurCompte(4, 4).lightness() < CouleurCompte(1, 4).lightness());
    }

    void GeometrieDansLesDeuxSens() {
        const TGeometrieCarte g = GeometrieCarte(DimensionsRecherche(Grille()));
        // The largest effect on top, aims from left to right.
        QVERIFY(g.Cellule(0, 2).top() < g.Cellule(0, 0).top());
        QVERIFY(g.Cellule(0, 0).left() < g.Cellule(9, 0).left());
        for (int a = 0; a < 10; ++a)
            for (int e = 0; e < 3; ++e) {
                int angle = -1, effet = -1;
                QVERIFY(g.CelluleEn(g.Cellule(a, e).center(), angle, effet));
                QCOMPARE(angle, a);
                QCOMPARE(effet, e);
            }
        int angle = 0, effet = 0;
        QVERIFY(!g.CelluleEn(g.Zone.topLeft() - QPoint(1, 1), angle, effet));
        QVERIFY(!g.CelluleEn(g.Zone.bottomRight() + QPoint(1, 1), angle, effet));
    }

    void TexteDessineSansAffichage() {
        const QImage image =
            DessineCarte(Grille(), RoutesEtFamilles(Coups(), false, 3), {false, 1, 0});
        // The title band above the cells holds dark pixels of text.
        int sombres = 0;
        const TGeometrieCarte g = GeometrieCarte(DimensionsRecherche(Grille()));
        for (int y = 0; y < g.Zone.top() - 2; ++y)
            for (int x = 0; x < image.width(); ++x)
                sombres += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        QVERIFY(sombres > 50);
    }

    void FichierPng() {
        QTemporaryDir dossier;
        const std::string chemin = dossier.filePath(QStringLiteral("carte.png")).toStdString();
        const TSolutions s = RoutesEtFamilles(Coups(), false, 1);
        QCOMPARE(QString::fromStdString(EnregistreCarte(chemin, Grille(), s, {})), QString());
        QImage lue(QString::fromStdString(chemin));
        QVERIFY(!lue.isNull());
        QCOMPARE(lue.size(), DessineCarte(Grille(), s, {}).size());
        QVERIFY(!EnregistreCarte(dossier.filePath(QStringLiteral("absent/carte.png")).toStdString(),
                                 Grille(), s, {})
                     .empty());
    }
};

QTEST_MAIN(TestCarte)
#include "test_carte.moc"
