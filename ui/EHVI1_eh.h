#pragma once
// The cue-impact pickers draw into a rectangle of their owner's canvas; this one shows the
// cue ball's face as the player sees it and where the cue tip meets it (side effect and
// height). A value given is kept exactly, the marker drawn on the nearest pixel; a value is
// derived from a pixel only when the player places the tip there.

#include "engine/ProcsVecteurs.h"
#include "ui/Canevas.h"

#include <QColor>
#include <QImage>
#include <QPoint>

#include <functional>

class QWidget;

/// What the three pickers share: the owner's canvas, their area, colours and callback.
class TSelecteur {
  public:
    TSelecteur(QWidget* proprietaire, TCanevas& canevas, const QColor& plume, const QColor& fond)
        : Proprietaire(proprietaire), CouleurPlume(plume), CouleurFond(fond), FCanevas(canevas) {}
    virtual ~TSelecteur() = default;
    TSelecteur(const TSelecteur&) = delete;
    TSelecteur& operator=(const TSelecteur&) = delete;

    QWidget* Proprietaire; ///< whose canvas is drawn on
    TRect RectExt;         ///< the picker's whole area
    QColor CouleurPlume;   ///< outline pen (the owner's clPen)
    QColor CouleurFond;    ///< background (the owner's clFond)
    bool Tracee = false;   ///< the value's marker is on the canvas
    /// Called after each change of value, with the picker.
    std::function<void(TSelecteur*)> OnChange;

  protected:
    TCanevas& Canevas() { return FCanevas; }
    /// The picker's area as a blank frame: outline pen, background brush, copy mode.
    TCanevas& DessineCadre() {
        FCanevas.ModePlume = TModePlume::Copie;
        FCanevas.CouleurPlume = CouleurPlume;
        FCanevas.CouleurPinceau = CouleurFond;
        FCanevas.Rectangle(RectExt);
        return FCanevas;
    }
    void Change() {
        if (OnChange) OnChange(this);
    }

  private:
    TCanevas& FCanevas;
};

class TEffetHauteur : public TSelecteur {
  public:
    TEffetHauteur(QWidget* proprietaire, TCanevas& canevas, const QColor& plume, const QColor& fond,
                  const QColor& bille);

    QColor CouleurBille;              ///< the drawn ball (the owner's clBille)
    QColor CouleurMarque = Qt::black; ///< the cue tip

    void FixeRect(const TRect& r);
    void FixeRayon(double rayon);
    /// The pixel lies strictly inside the drawn face.
    bool DansFace(int X, int Y) const;
    /// The contact point under a pixel: (−depth, effect, height) in cm, depth 0 off the ball.
    TVecteur PixelVersFace(QPoint p) const;
    QPoint FaceVersPixel(TVecteur v) const;
    void DessineFond();
    /// Places the contact point at (effect, height) in cm, kept exactly; the marker goes to the
    /// nearest pixel.
    void FixeEffetHauteur(double E, double H);
    /// Places the contact point on a pixel: the values become that pixel's.
    void FixePixel(QPoint p);

    double Rayon() const { return FRayon; } ///< ball radius (cm)
    TRect RectFace() const { return FRectFace; }
    QPoint CentreFace() const { return FCentreFace; }
    double PixParCm() const { return FPixParCm; }
    int R2() const { return FR2; } ///< the face's squared radius in pixels
    int RayonMarque() const { return FRayonMarque; }
    int RayonPoint() const { return FRayonPoint; }
    double FacteurQueue() const { return FFacteurQueue; }
    TVecteur PointImpact() const { return FPointImpact; }
    QPoint PixImpact() const { return FPixImpact; }
    QPoint PixQueue() const { return FPixQueue; }
    double Effet() const { return FEffet; }     ///< cm, as given or as placed
    double Hauteur() const { return FHauteur; } ///< cm, as given or as placed

  private:
    void CalculeTailles();
    TRect CarreMarque() const;
    void EffaceMarque();
    void DessineMarque();
    void Place(QPoint pixImpact);

    double FRayon = 3.075;
    TRect FRectFace;
    QPoint FCentreFace;
    double FPixParCm = 0.0;
    int FR2 = 0;
    int FRayonMarque = 0;
    int FRayonPoint = 0;
    double FFacteurQueue = 1.0;
    TVecteur FPointImpact; ///< the contact point of the marker's pixel
    double FEffet = 0.0;
    double FHauteur = 0.0;
    QPoint FPixImpact;
    QPoint FPixQueue;
    QImage FFond;
};
