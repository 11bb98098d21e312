#include "ui/Canevas.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QPolygon>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Far beyond any picture, small enough for any integer arithmetic done on a coordinate.
constexpr double LimiteCoordonnee = 1e9;

double Borne(double v) {
    if (!std::isfinite(v)) return 0.0;
    return std::clamp(v, -LimiteCoordonnee, LimiteCoordonnee);
}

// 96 dots per inch, in dots per metre.
constexpr int PointsParMetre = 3780;

} // namespace

int Arrondi(double v) {
    return static_cast<int>(std::nearbyint(Borne(v)));
}

int Tronque(double v) {
    return static_cast<int>(std::trunc(Borne(v)));
}

QImage NouvelleImage(int largeur, int hauteur, double echelle) {
    if (!(echelle > 0.0)) echelle = 1.0;
    QImage image(Arrondi(std::max(largeur, 0) * echelle), Arrondi(std::max(hauteur, 0) * echelle),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(echelle);
    // The logical resolution stays 96 dots per inch at any ratio: a font's size in logical
    // pixels does not depend on the screen.
    image.setDotsPerMeterX(PointsParMetre);
    image.setDotsPerMeterY(PointsParMetre);
    image.fill(Qt::white);
    return image;
}

QImage ImageRedimensionnee(const QImage& ancienne, int largeur, int hauteur, double echelle) {
    QImage image = NouvelleImage(largeur, hauteur, echelle);
    if (!image.isNull() && !ancienne.isNull()) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPointF(0, 0), ancienne);
    }
    return image;
}

QImage ImageLogique(const QImage& image) {
    if (image.devicePixelRatio() == 1.0) return image;
    const double e = image.devicePixelRatio();
    QImage reduite = image.scaled(Arrondi(image.width() / e), Arrondi(image.height() / e),
                                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    reduite.setDevicePixelRatio(1.0);
    return reduite;
}

QColor CouleurFaceBouton() {
    return QApplication::palette().color(QPalette::Button);
}

TCanevas::TCanevas(QImage& image, QWidget* cible)
    : Police(QStringLiteral("Arial")), FImage(&image), FCible(cible) {
    Police.setPointSize(8);
}

void TCanevas::Signale() {
    if (FCible != nullptr) FCible->update();
}

double TCanevas::Echelle() const {
    return FImage->devicePixelRatio();
}

int TCanevas::Largeur() const {
    return Arrondi(FImage->width() / Echelle());
}

int TCanevas::Hauteur() const {
    return Arrondi(FImage->height() / Echelle());
}

namespace {

/// The first pixel of the bitmap at logical coordinate v.
int Appareil(int v, double echelle) {
    return static_cast<int>(std::floor(v * echelle + 1e-9));
}

} // namespace

QRect TCanevas::PixelsAppareil(int x, int y) const {
    const double e = Echelle();
    return QRect(QPoint(Appareil(x, e), Appareil(y, e)),
                 QPoint(Appareil(x + 1, e) - 1, Appareil(y + 1, e) - 1));
}

void TCanevas::Pixel(int x, int y, QRgb couleur) {
    if (x < 0 || y < 0 || x >= Largeur() || y >= Hauteur()) return;
    if (Decoupe &&
        (x < Decoupe->Left || y < Decoupe->Top || x >= Decoupe->Right || y >= Decoupe->Bottom))
        return;
    const QRect r = PixelsAppareil(x, y) & FImage->rect();
    for (int yy = r.top(); yy <= r.bottom(); ++yy) {
        auto* ligne = reinterpret_cast<QRgb*>(FImage->scanLine(yy));
        for (int xx = r.left(); xx <= r.right(); ++xx) {
            if (ModePlume == TModePlume::NonXor)
                ligne[xx] = 0xff000000u | (~(couleur ^ ligne[xx]) & 0x00ffffffu);
            else
                ligne[xx] = 0xff000000u | couleur;
        }
    }
}

namespace {

/// Fills the bitmap's pixels of a logical rectangle, cut to `limite` (logical), with c.
void RemplitAppareil(QImage& image, const TRect& r, const TRect& limite, QRgb c) {
    const double e = image.devicePixelRatio();
    const int x0 = std::max(Appareil(std::max(r.Left, limite.Left), e), 0);
    const int x1 = std::min(Appareil(std::min(r.Right, limite.Right), e), image.width());
    const int y0 = std::max(Appareil(std::max(r.Top, limite.Top), e), 0);
    const int y1 = std::min(Appareil(std::min(r.Bottom, limite.Bottom), e), image.height());
    for (int y = y0; y < y1; ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(ligne + x0, ligne + std::max(x0, x1), 0xff000000u | c);
    }
}

} // namespace

void TCanevas::Remplit(const TRect& r) {
    RemplitAppareil(*FImage, r, {0, 0, Largeur(), Hauteur()}, CouleurPinceau.rgb());
    Signale();
}

void TCanevas::Rectangle(const TRect& r) {
    if (r.Vide()) return;
    const QRgb plume = CouleurPlume.rgb();
    const QRgb pinceau = CouleurPinceau.rgb();
    if (ModePlume == TModePlume::Copie) {
        // The inside, then the one-pixel border, each pixel written once as in the loop below.
        const TRect limite = Decoupe ? *Decoupe : TRect{0, 0, Largeur(), Hauteur()};
        RemplitAppareil(*FImage, r, limite, pinceau);
        RemplitAppareil(*FImage, {r.Left, r.Top, r.Right, r.Top + 1}, limite, plume);
        RemplitAppareil(*FImage, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, limite, plume);
        RemplitAppareil(*FImage, {r.Left, r.Top, r.Left + 1, r.Bottom}, limite, plume);
        RemplitAppareil(*FImage, {r.Right - 1, r.Top, r.Right, r.Bottom}, limite, plume);
        Signale();
        return;
    }
    for (int y = r.Top; y < r.Bottom; ++y) {
        const bool bordY = y == r.Top || y == r.Bottom - 1;
        for (int x = r.Left; x < r.Right; ++x) {
            const bool bord = bordY || x == r.Left || x == r.Right - 1;
            Pixel(x, y, bord ? plume : pinceau);
        }
    }
    Signale();
}

void TCanevas::Ellipse(const TRect& boite) {
    if (boite.Vide()) return;
    if (Lisse && ModePlume == TModePlume::Copie) {
        EllipseLisse(boite);
        return;
    }
    // In the bitmap's own pixels: at a ratio of 1 these are the logical pixels, and the pen is
    // one pixel wide; above it the pen is as many pixels as one logical pixel holds.
    const double e = Echelle();
    const TRect b{Appareil(boite.Left, e), Appareil(boite.Top, e), Appareil(boite.Right, e),
                  Appareil(boite.Bottom, e)};
    const double a = b.Width() / 2.0;
    const double h = b.Height() / 2.0;
    const double cx = b.Left + a;
    const double cy = b.Top + h;
    const auto dedans = [&](int x, int y) {
        if (x < b.Left || x >= b.Right || y < b.Top || y >= b.Bottom) return false;
        const double u = (x + 0.5 - cx) / a;
        const double v = (y + 0.5 - cy) / h;
        return u * u + v * v <= 1.0;
    };
    const int epaisseur = std::max(1, Arrondi(e));
    const auto bord = [&](int x, int y) {
        for (int k = 1; k <= epaisseur; ++k)
            if (!dedans(x - k, y) || !dedans(x + k, y) || !dedans(x, y - k) || !dedans(x, y + k))
                return true;
        return false;
    };
    const QRgb plume = CouleurPlume.rgb();
    const QRgb pinceau = CouleurPinceau.rgb();
    // Clip the scan to the bitmap and the clipping rectangle: a disc far outside costs nothing.
    const TRect limite = Decoupe ? *Decoupe : TRect{0, 0, Largeur(), Hauteur()};
    const int x0 = std::max({b.Left, Appareil(limite.Left, e), 0});
    const int x1 = std::min({b.Right, Appareil(limite.Right, e), FImage->width()});
    const int y0 = std::max({b.Top, Appareil(limite.Top, e), 0});
    const int y1 = std::min({b.Bottom, Appareil(limite.Bottom, e), FImage->height()});
    for (int y = y0; y < y1; ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(FImage->scanLine(y));
        for (int x = x0; x < x1; ++x) {
            if (!dedans(x, y)) continue;
            const QRgb c = bord(x, y) ? plume : pinceau;
            if (ModePlume == TModePlume::NonXor)
                ligne[x] = 0xff000000u | (~(c ^ ligne[x]) & 0x00ffffffu);
            else
                ligne[x] = 0xff000000u | c;
        }
    }
    Signale();
}

void TCanevas::Prepare(QPainter& p) const {
    p.setCompositionMode(ModePlume == TModePlume::NonXor
                             ? QPainter::RasterOp_NotSourceXorDestination
                             : QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::Antialiasing, Lisse && ModePlume == TModePlume::Copie);
    if (Decoupe) p.setClipRect(Decoupe->VersQRect());
}

void TCanevas::EllipseLisse(const TRect& boite) {
    if (FImage->isNull()) return;
    QPainter p(FImage);
    Prepare(p);
    p.setPen(QPen(CouleurPlume, 1.0));
    p.setBrush(CouleurPinceau);
    // The pen's middle half a pixel inside the box: nothing is drawn outside it.
    p.drawEllipse(
        QRectF(boite.Left + 0.5, boite.Top + 0.5, boite.Width() - 1.0, boite.Height() - 1.0));
    p.end();
    Signale();
}

namespace {

// A one-pixel pen whose lines leave out their last point.
QPen PlumeFine(const QColor& c) {
    QPen pen(c);
    pen.setWidth(0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A line longer than this is first cut to the bitmap (with a margin), so that a corrupt far
// coordinate costs nothing; every line of a picture is far shorter and is drawn exactly.
constexpr int LongueurSansCoupe = 1 << 16;

// Cuts the segment a-b to the bitmap's rectangle widened by one pixel (Liang-Barsky); false
// when nothing of it is left.
bool CoupeLongueLigne(QPoint& a, QPoint& b, int w, int h) {
    const double dx = double(b.x()) - a.x(), dy = double(b.y()) - a.y();
    if (std::max(std::fabs(dx), std::fabs(dy)) <= LongueurSansCoupe) return true;
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() + 1.0, w - a.x() + 0.0, a.y() + 1.0, h - a.y() + 0.0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
    const QPoint na(Arrondi(a.x() + t0 * dx), Arrondi(a.y() + t0 * dy));
    const QPoint nb(Arrondi(a.x() + t1 * dx), Arrondi(a.y() + t1 * dy));
    a = na;
    b = nb;
    return true;
}

QPainter::CompositionMode Composition(TModePlume mode) {
    return mode == TModePlume::NonXor ? QPainter::RasterOp_NotSourceXorDestination
                                      : QPainter::CompositionMode_Source;
}

} // namespace

void TCanevas::Polygone(const QPoint* points, int nombre) {
    if (nombre <= 0 || FImage->isNull()) return;
    QPainter p(FImage);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(Composition(ModePlume));
    if (Decoupe) p.setClipRect(Decoupe->VersQRect());
    p.setBrush(CouleurPinceau);
    if (Echelle() == 1.0) {
        p.setPen(PlumeFine(CouleurPlume));
        p.drawPolygon(points, nombre);
    } else {
        // A pen one logical pixel wide on the pixels the points name, as at a ratio of 1.
        QPen plume(CouleurPlume, 1.0);
        plume.setJoinStyle(Qt::MiterJoin);
        p.setPen(plume);
        p.translate(0.5, 0.5);
        p.drawPolygon(points, nombre);
    }
    p.end();
    Signale();
}

void TCanevas::LigneAppareil(QPoint debut, QPoint fin) {
    QPainter p(FImage);
    Prepare(p);
    QPen plume(CouleurPlume, 1.0);
    plume.setCapStyle(Qt::FlatCap);
    p.setPen(plume);
    // From the middle of the first pixel to the middle of the last.
    p.drawLine(QPointF(debut) + QPointF(0.5, 0.5), QPointF(fin) + QPointF(0.5, 0.5));
    p.end();
    Signale();
}

void TCanevas::LigneVers(QPoint fin) {
    const QPoint debut = FPosition;
    FPosition = fin;
    if (debut == fin || FImage->isNull()) return;
    if (Echelle() != 1.0 || (Lisse && ModePlume == TModePlume::Copie)) {
        QPoint a = debut, b = fin;
        if (!CoupeLongueLigne(a, b, Largeur(), Hauteur())) return;
        LigneAppareil(a, b);
        return;
    }
    // The pixels are chosen here, from the first point (included) to the last (excluded),
    // whatever the direction; the painter only puts them down with the pen's combination.
    // Long lines (the aiming line runs far outside the picture) keep only the pixels that fall
    // on the bitmap.
    QPolygon points;
    const int w = FImage->width(), h = FImage->height();
    QPoint a = debut, b = fin;
    if (!CoupeLongueLigne(a, b, w, h)) return;
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), sx = x < b.x() ? 1 : -1;
    const int dy = -std::abs(b.y() - y), sy = y < b.y() ? 1 : -1;
    long long erreur = static_cast<long long>(dx) + dy;
    while (x != b.x() || y != b.y()) {
        if (x >= 0 && y >= 0 && x < w && y < h) points.append(QPoint(x, y));
        const long long e2 = 2 * erreur;
        if (e2 >= dy) {
            erreur += dy;
            x += sx;
        }
        if (e2 <= dx) {
            erreur += dx;
            y += sy;
        }
    }
    if (points.isEmpty()) return;
    QPainter p(FImage);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(Composition(ModePlume));
    if (Decoupe) p.setClipRect(Decoupe->VersQRect());
    p.setPen(PlumeFine(CouleurPlume));
    p.drawPoints(points);
    p.end();
    Signale();
}

void TCanevas::TexteRect(const TRect& r, int x, int y, const QString& texte) {
    Remplit(r);
    if (r.Vide() || FImage->isNull()) return;
    QPainter p(FImage);
    p.setClipRect(r.VersQRect());
    p.setFont(Police);
    p.setPen(Qt::black);
    p.drawText(x, y + Metrique().ascent(), texte);
    p.end();
    Signale();
}

QFontMetrics TCanevas::Metrique() const {
    // A bitmap of no size still measures text as a bitmap of its kind would.
    if (FImage->isNull()) {
        const QImage reference = NouvelleImage(1, 1);
        return QFontMetrics(Police, &reference);
    }
    return QFontMetrics(Police, FImage);
}

int TCanevas::HauteurTexte(const QString& /*texte*/) const {
    // The height of a line of this font: the same for every text, as on any canvas.
    return Metrique().height();
}

int TCanevas::LargeurTexte(const QString& texte) const {
    return Metrique().horizontalAdvance(texte);
}

void TCanevas::CopieRect(const TRect& vers, const QImage& source, const TRect& depuis) {
    if (vers.Vide() || FImage->isNull() || source.isNull()) return;
    const double es = source.devicePixelRatio();
    const int largeurSource = Arrondi(source.width() / es);
    const int hauteurSource = Arrondi(source.height() / es);
    // Pixel for pixel: cut both rectangles alike wherever either leaves its bitmap, so that
    // what is saved near an edge goes back to exactly the same place.
    int sx = depuis.Left, sy = depuis.Top, dx = vers.Left, dy = vers.Top;
    int w = std::min(vers.Width(), depuis.Width()), h = std::min(vers.Height(), depuis.Height());
    const auto coupe = [](int& s, int& d, int& n, int tailleS, int dMin, int dMax) {
        const int avant = std::max({0, -s, dMin - d});
        s += avant;
        d += avant;
        n -= avant;
        n = std::min({n, tailleS - s, dMax - d});
    };
    const TRect cible = Decoupe ? *Decoupe : TRect{0, 0, Largeur(), Hauteur()};
    coupe(sx, dx, w, largeurSource, std::max(cible.Left, 0), std::min(cible.Right, Largeur()));
    coupe(sy, dy, h, hauteurSource, std::max(cible.Top, 0), std::min(cible.Bottom, Hauteur()));
    if (w <= 0 || h <= 0) return;
    QPainter p(FImage);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (es == 1.0 && Echelle() == 1.0)
        p.drawImage(QPoint(dx, dy), source, QRect(sx, sy, w, h));
    else
        p.drawImage(QRectF(dx, dy, w, h), source, QRectF(sx * es, sy * es, w * es, h * es));
    p.end();
    Signale();
}
