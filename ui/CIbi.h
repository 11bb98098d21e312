#pragma once
// One ball drawn on a table view: a disc of its colour that saves the pixels it covers, so
// that it moves without a repaint of the table, and its coordinates in the view's text band.
// Its position is held in pixels, diamonds and centimetres at once.

#include "ui/CIbh.h"

#include <QColor>
#include <QImage>
#include <QPoint>

#include <array>
#include <functional>

class TCIBille {
  public:
    TCIBille(TCIBillardHor& vue, const QColor& couleur);

    // Published properties.
    double x() const { return FDiams.x; } ///< across the table (diamonds)
    double y() const { return FDiams.y; } ///< along the table (diamonds)
    void Setx(double v) { DeplaceDiams({v, FDiams.y}); }
    void Sety(double v) { DeplaceDiams({FDiams.x, v}); }
    QColor cl() const { return FCouleur; }
    void Setcl(const QColor& c);
    TaffCoord AffCoord() const { return FAffCoord; }
    void SetAffCoord(TaffCoord a);
    /// Raised after every change of position, with the ball as sender.
    std::function<void(TCIBille*)> OnPosChange;

    /// Where the coordinate text is written (set by the view).
    TRect RectCoord;
    /// The two other balls of the same view, in a fixed order.
    std::array<TCIBille*, 2> Autres{nullptr, nullptr};

    TCIBillardHor& Vue() const { return FVue; }
    QPoint PosPixels() const { return FPosPixels; }
    TPointTable PosCm() const { return FPosCm; }
    TPointTable PosDiams() const { return FDiams; }
    int r() const { return FR; } ///< radius in pixels
    bool Dessinee() const { return FDessinee; }

    /// Takes the view's ball radius and coordinate mode and draws the ball again where it is,
    /// without erasing the old disc (the view has just been repainted).
    void MetAJourTaille();
    /// The pixel lies on the disc.
    bool Contient(int X, int Y) const;
    /// The first of the two other balls whose centre is within one diameter of (X, Y).
    TCIBille* Chevauche(int X, int Y) const;
    TCIBille* Chevauche(QPoint p) const { return Chevauche(p.x(), p.y()); }

    // Placing without drawing; each raises OnPosChange.
    void PlacePixels(QPoint p);
    void PlaceDiams(TPointTable p);
    void PlaceCm(TPointTable p);

    // Moving with the disc erased and drawn again.
    void DeplacePixels(QPoint p);
    void DeplaceDiams(TPointTable p);
    void DeplaceCm(TPointTable p);

    /// Saves the pixels under the disc, draws it and writes the coordinates.
    void Dessine();
    /// Puts back what the disc covered (only when it is drawn).
    void Efface();
    /// Writes the coordinates in RectCoord as AffCoord says.
    void AfficheCoord();
    /// The text AfficheCoord writes ("X: 0,51 ; Y: -2,00" in French); empty with afVide.
    QString TexteCoord() const;

  private:
    TRect Boite() const;
    void SignalePosition();

    TCIBillardHor& FVue;
    QColor FCouleur;
    TaffCoord FAffCoord = afDiams;
    QImage FFond;
    int FR = 0;
    int FR2 = 0;
    int FDiam2 = 0;
    QPoint FPosPixels;
    TPointTable FPosCm;
    TPointTable FDiams;
    bool FDessinee = false;
};
