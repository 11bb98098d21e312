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

QImage NouvelleImage(int largeur, int hauteur) {
    QImage image(std::max(largeur, 0), std::max(hauteur, 0), QImage::Format_RGB32);
    image.setDotsPerMeterX(PointsParMetre);
    image.setDotsPerMeterY(PointsParMetre);
    image.fill(Qt::white);
    return image;
}

QImage ImageRedimensionnee(const QImage& ancienne, int largeur, int hauteur) {
    QImage image = NouvelleImage(largeur, hauteur);
    if (!image.isNull() && !ancienne.isNull()) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, ancienne);
    }
    return image;
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

void TCanevas::Pixel(int x, int y, QRgb couleur) {
    if (x < 0 || y < 0 || x >= FImage->width() || y >= FImage->height()) return;
    if (Decoupe &&
        (x < Decoupe->Left || y < Decoupe->Top || x >= Decoupe->Right || y >= Decoupe->Bottom))
        return;
    auto* ligne = reinterpret_cast<QRgb*>(FImage->scanLine(y));
    if (ModePlume == TModePlume::NonXor)
        ligne[x] = 0xff000000u | (~(couleur ^ ligne[x]) & 0x00ffffffu);
    else
        ligne[x] = 0xff000000u | couleur;
}

void TCanevas::Remplit(const TRect& r) {
    const int x0 = std::max(r.Left, 0), x1 = std::min(r.Right, FImage->width());
    const int y0 = std::max(r.Top, 0), y1 = std::min(r.Bottom, FImage->height());
    const QRgb c = CouleurPinceau.rgb();
    for (int y = y0; y < y1; ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(FImage->scanLine(y));
        std::fill(ligne + x0, ligne + std::max(x0, x1), 0xff000000u | c);
    }
    Signale();
}

void TCanevas::Rectangle(const TRect& r) {
    if (r.Vide()) return;
    const QRgb plume = CouleurPlume.rgb();
    const QRgb pinceau = CouleurPinceau.rgb();
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
    const double a = boite.Width() / 2.0;
    const double b = boite.Height() / 2.0;
    const double cx = boite.Left + a;
    const double cy = boite.Top + b;
    const auto dedans = [&](int x, int y) {
        if (x < boite.Left || x >= boite.Right || y < boite.Top || y >= boite.Bottom) return false;
        const double u = (x + 0.5 - cx) / a;
        const double v = (y + 0.5 - cy) / b;
        return u * u + v * v <= 1.0;
    };
    const QRgb plume = CouleurPlume.rgb();
    const QRgb pinceau = CouleurPinceau.rgb();
    // Clip the scan to the bitmap: a disc far outside costs nothing.
    const int x0 = std::max(boite.Left, 0), x1 = std::min(boite.Right, FImage->width());
    const int y0 = std::max(boite.Top, 0), y1 = std::min(boite.Bottom, FImage->height());
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!dedans(x, y)) continue;
            const bool bord =
                !dedans(x - 1, y) || !dedans(x + 1, y) || !dedans(x, y - 1) || !dedans(x, y + 1);
            Pixel(x, y, bord ? plume : pinceau);
        }
    }
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
    p.setPen(PlumeFine(CouleurPlume));
    p.setBrush(CouleurPinceau);
    p.drawPolygon(points, nombre);
    p.end();
    Signale();
}

void TCanevas::LigneVers(QPoint fin) {
    const QPoint debut = FPosition;
    FPosition = fin;
    if (debut == fin || FImage->isNull()) return;
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
    const TRect cible = Decoupe ? *Decoupe : TRect{0, 0, FImage->width(), FImage->height()};
    coupe(sx, dx, w, source.width(), std::max(cible.Left, 0),
          std::min(cible.Right, FImage->width()));
    coupe(sy, dy, h, source.height(), std::max(cible.Top, 0),
          std::min(cible.Bottom, FImage->height()));
    if (w <= 0 || h <= 0) return;
    QPainter p(FImage);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(dx, dy), source, QRect(sx, sy, w, h));
    p.end();
    Signale();
}
