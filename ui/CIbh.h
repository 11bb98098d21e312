#pragma once
// The drawn carom table seen from above, long side horizontal: wood, cushions, cloth, the 28
// diamonds and the five spots, the optional grid, and a text band under the table. It owns
// the conversions between the control's pixels, diamonds and centimetres. Everything is
// painted into the control's own bitmap; the widget only shows that bitmap.

#include "ui/Canevas.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>

class TCIBille;
class TCIBillardHor;

/// A point of the table, origin at the centre of the cloth: x across the table (down on the
/// screen), y along it (right on the screen); in centimetres or in diamonds.
struct TPointTable {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const TPointTable&) const = default;
};

/// What the grid between opposite diamonds draws: only cMouches draws lines.
enum TCadre { cVide, cMouches, cPCoins, cGCoins };
/// How ball coordinates are written in the text band (afVide: no band at all).
enum TaffCoord { afVide, afDiams, afCm };

/// The table's dimensions in centimetres, by property index 1 to 4. Any change recomputes the
/// owner's geometry and repaints it.
class TCIDimensions {
  public:
    explicit TCIDimensions(TCIBillardHor& proprietaire) : FProprietaire(proprietaire) {}

    double Valeur(int index) const;
    void SetValeur(int index, double valeur);

    double Bois() const { return FValeurs[1]; }        ///< width of the wooden frame (cm)
    double Bandes() const { return FValeurs[2]; }      ///< cushion width seen from above (cm)
    double Jeu() const { return FValeurs[3]; }         ///< cloth width, half its length (cm)
    double RayonBilles() const { return FValeurs[4]; } ///< ball radius (cm)
    void SetBois(double v) { SetValeur(1, v); }
    void SetBandes(double v) { SetValeur(2, v); }
    void SetJeu(double v) { SetValeur(3, v); }
    void SetRayonBilles(double v) { SetValeur(4, v); }

  private:
    TCIBillardHor& FProprietaire;
    double FValeurs[5] = {0.0, 7.75, 5.0, 142.25, 3.0625};
};

/// The table's colours, by property index 1 to 7. Any change repaints the owner.
class TCICouleurs {
  public:
    explicit TCICouleurs(TCIBillardHor& proprietaire);

    QColor Couleur(int index) const;
    void SetCouleur(int index, const QColor& c);

    QColor clBois() const { return FCouleurs[1]; }     ///< wood fill
    QColor clBandes() const { return FCouleurs[2]; }   ///< cushion fill
    QColor clJeu() const { return FCouleurs[3]; }      ///< cloth fill
    QColor clDiams() const { return FCouleurs[4]; }    ///< diamonds
    QColor clMouches() const { return FCouleurs[5]; }  ///< spots and grid lines
    QColor clFondText() const { return FCouleurs[6]; } ///< background of the text band
    QColor clRectJeu() const { return FCouleurs[7]; }  ///< outline of the cloth
    void SetclBois(const QColor& c) { SetCouleur(1, c); }
    void SetclBandes(const QColor& c) { SetCouleur(2, c); }
    void SetclJeu(const QColor& c) { SetCouleur(3, c); }
    void SetclDiams(const QColor& c) { SetCouleur(4, c); }
    void SetclMouches(const QColor& c) { SetCouleur(5, c); }
    void SetclFondText(const QColor& c) { SetCouleur(6, c); }
    void SetclRectJeu(const QColor& c) { SetCouleur(7, c); }

  private:
    TCIBillardHor& FProprietaire;
    QColor FCouleurs[8];
};

class TCIBillardHor : public QWidget {
    Q_OBJECT
  public:
    /// The table for a control `hauteur` pixels high; its width follows from the geometry.
    explicit TCIBillardHor(QWidget* parent = nullptr, int hauteur = 310);
    ~TCIBillardHor() override;

    // Published properties.
    TCIDimensions& bhDim() { return FDim; }
    const TCIDimensions& bhDim() const { return FDim; }
    TCICouleurs& bhCl() { return FCl; }
    const TCICouleurs& bhCl() const { return FCl; }
    TCadre bhTypeCadre() const { return FTypeCadre; }
    void SetbhTypeCadre(TCadre c);
    TaffCoord bhAffCoord() const { return FAffCoord; }
    void SetbhAffCoord(TaffCoord a);

    /// Raised first when the control is resized, before the geometry follows.
    std::function<void(TCIBillardHor*)> OnResize;

    /// Recomputes the geometry from the control's height and bhDim, and sets its width.
    void CalculeGeometrie();
    /// Paints the whole table, then the overlay.
    void Redessine();
    /// What a control loaded from stored properties does: geometry, then a repaint.
    virtual void ApresChargement();
    /// Gives the control a new height; the geometry and width follow at once, even while the
    /// control is hidden (a hidden widget's resize is otherwise only seen when shown).
    void FixeHauteur(int hauteur);

    /// Drawn over the table at the end of each repaint; nothing here.
    virtual void DessineSurcouche() {}
    /// Erases the overlay before a ball's pixels are touched; nothing here.
    virtual void EffaceSurcouche(TCIBille* /*bille*/) {}

    // Conversions between pixels, diamonds and centimetres.
    QPoint DiamsVersPixels(TPointTable p) const;
    TPointTable PixelsVersDiams(QPoint p) const;
    QPoint CmVersPixels(TPointTable p) const;
    TPointTable PixelsVersCm(QPoint p) const;

    // Derived geometry.
    double PixParCm() const { return FPixParCm; }     ///< pixels per centimetre
    double PixParDiam() const { return FPixParDiam; } ///< pixels per diamond
    TRect RectBois() const { return FRectBois; }      ///< outer edge of the wood
    TRect RectBandes() const { return FRectBandes; }  ///< outer edge of the cushions
    TRect RectJeu() const { return FRectJeu; }        ///< the cloth
    TRect RectTexte() const { return FRectTexte; }    ///< the text band under the table
    QPoint Centre() const { return FCentre; }         ///< pixel of the table origin
    /// Diamond centre k, 1 to 28, clockwise from the top-left corner.
    QPoint Diamant(int k) const { return FDiamants[k]; }
    /// Spot centre k, 1 to 5.
    QPoint Mouche(int k) const { return FMouches[k]; }
    /// The geometry is complete (false only while it is recomputed).
    bool Pret() const { return FPret; }

    TCanevas& Canevas() { return FCanevas; }
    /// The picture: table, balls, lines, aim line and text band.
    const QImage& Image() const { return FImage; }

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    TCIDimensions FDim;
    TCICouleurs FCl;
    TCadre FTypeCadre = cMouches;
    TaffCoord FAffCoord = afDiams;

    double FPixParCm = 0.0;
    double FPixParDiam = 0.0;
    TRect FRectBois, FRectBandes, FRectJeu, FRectTexte;
    QPoint FCentre;
    QPoint FDiamants[29];
    QPoint FMouches[6];
    bool FPret = false;

    QImage FImage;
    TCanevas FCanevas;
};
