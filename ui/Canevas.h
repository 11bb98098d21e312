#pragma once
// Drawing on an off-screen bitmap with the pixel rules every drawn control relies on:
// rectangles and ellipses given by their bounding box with the right and bottom edges
// excluded, lines that include their first point and not their last, text clipped to a
// rectangle on an opaque background, and a pen that either copies or inverts (not-xor).

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

/// Rounds to the nearest integer, halves to the even neighbour. Non-finite values give 0 and
/// huge ones are held to ±1e9 so that a corrupt coordinate never overflows an int.
int Arrondi(double v);
/// Drops the fraction (towards zero), with the same protection as Arrondi.
int Tronque(double v);

/// An integer rectangle given by its edges; Right and Bottom lie just outside it.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Vide() const { return Right <= Left || Bottom <= Top; }
    /// The same rectangle moved by (dx, dy).
    TRect Decale(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    QRect VersQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TRect&) const = default;
};

/// How the pen combines with what is already on the bitmap.
enum class TModePlume {
    Copie, ///< the pixel takes the pen colour
    NonXor ///< the pixel becomes not (pen xor pixel): drawing twice restores it exactly
};

/// A pen, a brush, a font and the drawing operations on one bitmap. The bitmap belongs to
/// the control; the canvas only refers to it, so the control may replace the bitmap (a new
/// size) without rebuilding its canvas.
///
/// Every coordinate is in the control's logical pixels. The bitmap may hold more pixels than
/// that (its device pixel ratio, the screen's scaling): shapes are then drawn at the bitmap's
/// own resolution, one logical pixel of pen being as many pixels of the bitmap. At a ratio of
/// 1 each logical pixel is one pixel of the bitmap, chosen exactly as described below.
class TCanevas {
  public:
    /// `cible`, when given, is asked to repaint after each drawing operation.
    explicit TCanevas(QImage& image, QWidget* cible = nullptr);

    QColor CouleurPlume = Qt::black;
    QColor CouleurPinceau = Qt::white;
    TModePlume ModePlume = TModePlume::Copie;
    QFont Police;
    /// When set, shapes, lines and copies touch no pixel outside this rectangle.
    std::optional<TRect> Decoupe;
    /// Ellipses and lines drawn smooth (antialiased), a one-pixel pen centred on the pixels'
    /// centres, instead of whole pixels. In copy mode only: a not-xor drawing stays exact.
    bool Lisse = false;

    /// Pixels of the bitmap per logical pixel.
    double Echelle() const;
    /// The bitmap's size in logical pixels.
    int Largeur() const;
    int Hauteur() const;

    /// Outline with the pen, inside with the brush.
    void Rectangle(const TRect& r);
    /// The brush alone over the whole rectangle.
    void Remplit(const TRect& r);
    /// The ellipse inscribed in the box: a pixel belongs to it when its centre lies inside;
    /// the pixels on its border take the pen, the others the brush.
    void Ellipse(const TRect& boite);
    /// A filled polygon outlined with the pen.
    void Polygone(const QPoint* points, int nombre);
    /// Moves the pen without drawing.
    void DeplaceVers(QPoint p) { FPosition = p; }
    /// A line from the pen's position (included) to p (excluded); the pen then stands at p.
    void LigneVers(QPoint p);
    QPoint PositionPlume() const { return FPosition; }
    /// Fills r with the brush, then writes the text in black with its top-left corner at
    /// (x, y), clipped to r.
    void TexteRect(const TRect& r, int x, int y, const QString& texte);
    int HauteurTexte(const QString& texte) const;
    int LargeurTexte(const QString& texte) const;
    /// Copies `source` (from its rectangle `depuis`) onto this bitmap at `vers`, pixels as
    /// they are; parts outside either bitmap are left out.
    void CopieRect(const TRect& vers, const QImage& source, const TRect& depuis);

    QImage& Image() { return *FImage; }
    const QImage& Image() const { return *FImage; }

  private:
    QFontMetrics Metrique() const;
    void Pixel(int x, int y, QRgb couleur);
    /// The bitmap's pixels covering logical pixel (x, y) (more than one above a ratio of 1).
    QRect PixelsAppareil(int x, int y) const;
    /// A painter on the bitmap with the pen's combination and the clipping set.
    void Prepare(QPainter& p) const;
    void EllipseLisse(const TRect& boite);
    void LigneAppareil(QPoint debut, QPoint fin);
    void Signale();

    QImage* FImage;
    QWidget* FCible;
    QPoint FPosition;
};

/// A new bitmap of the control's kind (32-bit RGB, 96 dots per inch so that point sizes of
/// fonts give the same pixels everywhere), filled with white, `largeur` × `hauteur` logical
/// pixels at `echelle` pixels of the bitmap each.
QImage NouvelleImage(int largeur, int hauteur, double echelle = 1.0);
/// The bitmap resized (logical pixels) at a ratio: what fits is kept at the top-left corner
/// (scaled when the ratio changes), the rest is white.
QImage ImageRedimensionnee(const QImage& ancienne, int largeur, int hauteur, double echelle = 1.0);
/// The picture at one pixel per logical pixel, as the control would paint it at a ratio of 1
/// (a smooth reduction above it): what is saved to a file.
QImage ImageLogique(const QImage& image);
/// The window system's button-face colour.
QColor CouleurFaceBouton();
