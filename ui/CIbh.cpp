#include "ui/CIbh.h"

#include <QPainter>
#include <QResizeEvent>

namespace {

// The text that must fit in the band: the widest coordinates line of three balls and the angle.
const QString Regle = QStringLiteral(
    "0123456789_0123456789_0123456789_0123456789_0123456789_0123456789_0123456789_0123456789");

} // namespace

// ---------------------------------------------------------------- dimensions and colours

double TCIDimensions::Valeur(int index) const {
    return index >= 1 && index <= 4 ? FValeurs[index] : 0.0;
}

void TCIDimensions::SetValeur(int index, double valeur) {
    if (index < 1 || index > 4) return;
    FValeurs[index] = valeur;
    FProprietaire.CalculeGeometrie();
    FProprietaire.Redessine();
}

TCICouleurs::TCICouleurs(TCIBillardHor& proprietaire)
    : FProprietaire(proprietaire), FCouleurs{QColor(),
                                             QColor(114, 72, 72),
                                             QColor(0, 102, 68),
                                             QColor(0, 119, 68),
                                             QColor(Qt::white),
                                             QColor(144, 144, 144),
                                             CouleurFaceBouton(),
                                             QColor(34, 204, 102)} {}

QColor TCICouleurs::Couleur(int index) const {
    return index >= 1 && index <= 7 ? FCouleurs[index] : QColor();
}

void TCICouleurs::SetCouleur(int index, const QColor& c) {
    if (index < 1 || index > 7) return;
    FCouleurs[index] = c;
    FProprietaire.Redessine();
}

// ---------------------------------------------------------------- the control

TCIBillardHor::TCIBillardHor(QWidget* parent, int hauteur)
    : QWidget(parent), FDim(*this), FCl(*this), FImage(NouvelleImage(0, 0)),
      FCanevas(FImage, this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(width(), hauteur);
    FPret = true;
    CalculeGeometrie();
    Redessine();
}

TCIBillardHor::~TCIBillardHor() = default;

void TCIBillardHor::SetbhTypeCadre(TCadre c) {
    FTypeCadre = c;
    Redessine();
}

void TCIBillardHor::SetbhAffCoord(TaffCoord a) {
    FAffCoord = a;
    CalculeGeometrie();
    Redessine();
}

void TCIBillardHor::ApresChargement() {
    CalculeGeometrie();
    Redessine();
}

void TCIBillardHor::FixeHauteur(int hauteur) {
    resize(width(), hauteur);
    if (FPret && FCanevas.Hauteur() != height()) {
        CalculeGeometrie();
        Redessine();
    }
}

void TCIBillardHor::CalculeGeometrie() {
    FPret = false;
    const int H = height();
    const double b = FDim.Bois(), c = FDim.Bandes(), j = FDim.Jeu();

    FCanevas.Police = QFont(QStringLiteral("Arial"));
    FCanevas.Police.setPointSize(8);
    int th = FAffCoord != afVide ? FCanevas.HauteurTexte(QStringLiteral("999")) : 0;

    // A table that cannot be drawn (no room, or dimensions that add up to nothing) collapses
    // to zero size rather than to a negative or infinite one.
    double pixParCm = 0.0;
    int W = 0;
    const auto dimensionne = [&] {
        const double total = 2.0 * (b + c) + j;
        pixParCm = (H - th > 0 && total > 0.0) ? (H - th) / total : 0.0;
        W = std::max(Arrondi(2.0 * pixParCm * (b + c + j)), 0);
    };
    dimensionne();

    if (FAffCoord != afVide) {
        for (int k = th - 1; k >= 3; --k) {
            if (FCanevas.LargeurTexte(Regle) <= W - 4) break;
            FCanevas.Police.setPixelSize(k);
            th = FCanevas.HauteurTexte(QStringLiteral("999"));
            dimensionne();
        }
    }
    FPixParCm = pixParCm;

    FRectBois = {0, 0, W, H - th};
    FRectTexte = {0, H - th, W, H};

    const int wb = Arrondi(FPixParCm * b);
    FRectBandes = {wb, wb, W - wb, H - th - wb};
    const int wc = Arrondi(FPixParCm * c);
    FRectJeu = {FRectBandes.Top + wc, FRectBandes.Top + wc, FRectBandes.Right - wc,
                FRectBandes.Bottom - wc};

    FCentre = QPoint(Arrondi((FRectJeu.Left + FRectJeu.Right) / 2.0),
                     Arrondi((FRectJeu.Top + FRectJeu.Bottom) / 2.0));
    FPixParDiam = (FRectJeu.Right - FRectJeu.Left) / 8.0;

    const int hb = Arrondi(FPixParCm * b / 2.0);
    const int haut = FRectBandes.Top - hb, bas = FRectBandes.Bottom + hb;
    const int droite = FRectBandes.Right + hb, gauche = FRectBandes.Left - hb;
    for (int k = 0; k <= 4; ++k) {
        const int u = Arrondi(k * FPixParDiam);
        FDiamants[5 - k] = QPoint(FCentre.x() - u, haut);
        FDiamants[5 + k] = QPoint(FCentre.x() + u, haut);
        FDiamants[19 + k] = QPoint(FCentre.x() - u, bas);
        FDiamants[19 - k] = QPoint(FCentre.x() + u, bas);
        if (k <= 2) {
            FDiamants[12 - k] = QPoint(droite, FCentre.y() - u);
            FDiamants[12 + k] = QPoint(droite, FCentre.y() + u);
            FDiamants[26 + k] = QPoint(gauche, FCentre.y() - u);
            FDiamants[26 - k] = QPoint(gauche, FCentre.y() + u);
        }
    }

    FMouches[1] = DiamsVersPixels({0.0, 0.0});
    FMouches[2] = DiamsVersPixels({0.0, 2.0});
    FMouches[3] = DiamsVersPixels({0.0, -2.0});
    FMouches[4] = DiamsVersPixels({-0.514, -2.0});
    FMouches[5] = DiamsVersPixels({0.514, -2.0});

    // The resize this raises finds FPret false and does nothing.
    resize(W, H);
    FImage = ImageRedimensionnee(FImage, W, H, devicePixelRatioF());
    FPret = true;
}

void TCIBillardHor::Redessine() {
    TCanevas& cv = FCanevas;
    cv.ModePlume = TModePlume::Copie;

    cv.CouleurPlume = cv.CouleurPinceau = FCl.clFondText();
    cv.Rectangle(FRectTexte);

    cv.CouleurPlume = Qt::black;
    cv.CouleurPinceau = FCl.clBois();
    cv.Rectangle(FRectBois);
    cv.CouleurPinceau = FCl.clBandes();
    cv.Rectangle(FRectBandes);
    cv.CouleurPlume = FCl.clRectJeu();
    cv.CouleurPinceau = FCl.clJeu();
    cv.Rectangle(FRectJeu);

    const int rd = Tronque(FDim.Bandes() * FPixParCm / 5.0);
    const auto point = [&](QPoint p) {
        cv.Ellipse({p.x() - rd, p.y() - rd, p.x() + rd, p.y() + rd});
    };
    cv.CouleurPlume = cv.CouleurPinceau = FCl.clDiams();
    for (int k = 1; k <= 28; ++k) point(FDiamants[k]);
    cv.CouleurPlume = cv.CouleurPinceau = FCl.clMouches();
    for (int k = 1; k <= 5; ++k) point(FMouches[k]);

    cv.CouleurPlume = FCl.clMouches();
    if (FTypeCadre == cMouches) {
        for (int k = 2; k <= 8; ++k) {
            cv.DeplaceVers(QPoint(FDiamants[k].x(), FRectJeu.Top + 1));
            cv.LigneVers(QPoint(FDiamants[24 - k].x(), FRectJeu.Bottom));
        }
        for (int k = 11; k <= 13; ++k) {
            cv.DeplaceVers(QPoint(FRectJeu.Right - 2, FDiamants[k].y()));
            cv.LigneVers(QPoint(FRectJeu.Left, FDiamants[38 - k].y()));
        }
    }
    DessineSurcouche();
}

QPoint TCIBillardHor::DiamsVersPixels(TPointTable p) const {
    return QPoint(FCentre.x() + Arrondi(p.y * FPixParDiam),
                  FCentre.y() + Arrondi(p.x * FPixParDiam));
}

TPointTable TCIBillardHor::PixelsVersDiams(QPoint p) const {
    return {(p.y() - FCentre.y()) / FPixParDiam, (p.x() - FCentre.x()) / FPixParDiam};
}

QPoint TCIBillardHor::CmVersPixels(TPointTable p) const {
    return QPoint(FCentre.x() + Arrondi(p.y * FPixParCm), FCentre.y() + Arrondi(p.x * FPixParCm));
}

TPointTable TCIBillardHor::PixelsVersCm(QPoint p) const {
    return {(p.y() - FCentre.y()) / FPixParCm, (p.x() - FCentre.x()) / FPixParCm};
}

void TCIBillardHor::paintEvent(QPaintEvent* /*e*/) {
    // Moved to a screen of another scaling: the picture is painted again at its resolution
    // (the lines drawn on it are lost, as after any repaint of the table).
    if (FPret && devicePixelRatioF() != FImage.devicePixelRatio()) {
        FImage = NouvelleImage(width(), height(), devicePixelRatioF());
        Redessine();
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0), FImage);
}

void TCIBillardHor::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (OnResize) OnResize(this);
    // The geometry depends on the height only, and the width is always derived from it: a
    // size that differs from the picture's means a change from outside.
    if (FPret && (FCanevas.Hauteur() != height() || FCanevas.Largeur() != width())) {
        CalculeGeometrie();
        Redessine();
    }
}
