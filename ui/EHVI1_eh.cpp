#include "ui/EHVI1_eh.h"

#include <cmath>

TEffetHauteur::TEffetHauteur(QWidget* proprietaire, TCanevas& canevas, const QColor& plume,
                             const QColor& fond, const QColor& bille)
    : TSelecteur(proprietaire, canevas, plume, fond), CouleurBille(bille),
      FFond(NouvelleImage(0, 0)) {
    CalculeTailles();
}

void TEffetHauteur::FixeRect(const TRect& r) {
    RectExt = r;
    CalculeTailles();
}

void TEffetHauteur::FixeRayon(double rayon) {
    FRayon = rayon;
    CalculeTailles();
}

void TEffetHauteur::CalculeTailles() {
    const int marge = Tronque(RectExt.Width() * 0.08);
    FRectFace = {RectExt.Left + marge, RectExt.Top + marge, RectExt.Right - marge,
                 RectExt.Bottom - marge};
    FCentreFace = QPoint(Tronque((RectExt.Left + RectExt.Right) / 2.0),
                         Tronque((RectExt.Top + RectExt.Bottom) / 2.0));
    const double largeur = FRectFace.Width();
    FPixParCm = FRayon > 0.0 ? largeur / (2.0 * FRayon) : 0.0;
    FR2 = Tronque((largeur / 2.0) * (largeur / 2.0));
    FRayonMarque = Arrondi(0.8 * FPixParCm);
    FRayonPoint = Tronque(FRayonMarque / 4.0);
    FFacteurQueue = FRayon > 0.0 ? (0.6 + FRayon) / FRayon : 1.0;
    FFond = NouvelleImage(2 * FRayonMarque, 2 * FRayonMarque, Canevas().Echelle());
    // What the old marker covered no longer matches the new sizes.
    Tracee = false;
}

bool TEffetHauteur::DansFace(int X, int Y) const {
    const long long dx = FCentreFace.x() - X, dy = FCentreFace.y() - Y;
    return dx * dx + dy * dy < FR2;
}

TVecteur TEffetHauteur::PixelVersFace(QPoint p) const {
    if (FPixParCm <= 0.0) return VecteurNul;
    const double e = (p.x() - FCentreFace.x()) / FPixParCm;
    const double h = (FCentreFace.y() - p.y()) / FPixParCm;
    const double d = FRayon * FRayon - e * e - h * h;
    return d > 0.0 ? TVecteur{-std::sqrt(d), e, h} : TVecteur{0.0, e, h};
}

QPoint TEffetHauteur::FaceVersPixel(TVecteur v) const {
    return QPoint(FCentreFace.x() + Arrondi(v.y * FPixParCm),
                  FCentreFace.y() - Arrondi(v.z * FPixParCm));
}

void TEffetHauteur::DessineFond() {
    TCanevas& cv = DessineCadre();
    cv.CouleurPlume = Qt::black;
    cv.CouleurPinceau = CouleurBille;
    cv.Lisse = true;
    cv.Ellipse(FRectFace);
    cv.Lisse = false;

    const int cx = FCentreFace.x(), cy = FCentreFace.y();
    const int s = Tronque(FRectFace.Width() / 2.0);
    const auto ligne = [&](int x0, int y0, int x1, int y1) {
        cv.DeplaceVers(QPoint(x0, y0));
        cv.LigneVers(QPoint(x1, y1));
    };
    ligne(cx - s, cy, cx + s, cy);
    ligne(cx, cy - s, cx, cy + s);
    if (FPixParCm > 0.0) {
        // One tick per centimetre along both arms of the cross.
        const int n = Arrondi(s / FPixParCm) - 1;
        for (int i = -n; i <= n; ++i) {
            const int X = cx - Arrondi(i * FPixParCm);
            ligne(X, cy - 3, X, cy + 4);
            const int Y = cy - Arrondi(i * FPixParCm);
            ligne(cx - 3, Y, cx + 4, Y);
        }
    }
    Tracee = false;
}

TRect TEffetHauteur::CarreMarque() const {
    return {FPixQueue.x() - FRayonMarque, FPixQueue.y() - FRayonMarque,
            FPixQueue.x() + FRayonMarque, FPixQueue.y() + FRayonMarque};
}

// The marker stays within the picker's area even for a contact point placed off the ball (the
// values are not clamped): it never spills onto the speed or inclination pickers.
void TEffetHauteur::EffaceMarque() {
    const int cote = 2 * FRayonMarque;
    Canevas().Decoupe = RectExt;
    Canevas().CopieRect(CarreMarque(), FFond, {0, 0, cote, cote});
    Canevas().Decoupe.reset();
    Tracee = false;
}

void TEffetHauteur::DessineMarque() {
    const int cote = 2 * FRayonMarque;
    TCanevas fond(FFond);
    fond.CopieRect({0, 0, cote, cote}, Canevas().Image(), CarreMarque());

    TCanevas& cv = Canevas();
    cv.Decoupe = RectExt;
    cv.ModePlume = TModePlume::Copie;
    cv.CouleurPlume = cv.CouleurPinceau = CouleurMarque;
    // Smooth: the marker is erased by putting back what it covered, not by drawing over it.
    cv.Lisse = true;
    cv.Ellipse(CarreMarque());
    cv.CouleurPlume = cv.CouleurPinceau = CouleurBille;
    cv.Ellipse({FPixImpact.x() - FRayonPoint, FPixImpact.y() - FRayonPoint,
                FPixImpact.x() + FRayonPoint, FPixImpact.y() + FRayonPoint});
    cv.Lisse = false;
    cv.Decoupe.reset();
    Tracee = true;
}

void TEffetHauteur::Place(QPoint pixImpact) {
    if (Tracee) EffaceMarque();
    FPixImpact = pixImpact;
    FPointImpact = PixelVersFace(FPixImpact);
    FPixQueue = FaceVersPixel(Mult(FPointImpact, FFacteurQueue));
    DessineMarque();
    Change();
}

void TEffetHauteur::FixeEffetHauteur(double E, double H) {
    FEffet = E;
    FHauteur = H;
    Place(FaceVersPixel({0.0, E, H}));
}

void TEffetHauteur::FixePixel(QPoint p) {
    const TVecteur v = PixelVersFace(p);
    FEffet = v.y;
    FHauteur = v.z;
    Place(p);
}
