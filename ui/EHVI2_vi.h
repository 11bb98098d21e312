#pragma once
// Two of the cue-impact pickers: the cue speed on a horizontal scale, and the cue's
// inclination over the cloth seen from the side.

#include "ui/EHVI1_eh.h"

#include <QPoint>

/// The cue speed: a triangle pointing down at a horizontal scale from 0 to VMax.
class TVitesse : public TSelecteur {
  public:
    using TSelecteur::TSelecteur;

    double VMax = 1200.0; ///< top of the scale (cm/s)

    void FixeRect(const TRect& r);
    void DessineFond();
    /// Strictly inside RectExt.
    bool Contient(int X, int Y) const;
    /// The speed under a horizontal pixel, the scale's ends holding beyond them.
    double ValeurA(int X) const;
    /// Sets the speed, held to [0, VMax].
    void FixeVitesse(double v);

    double Vitesse() const { return FVitesse; } ///< cm/s
    TRect RectInt() const { return FRectInt; }
    int DemiBase() const { return FDemiBase; }
    int XMarque() const { return FXMarque; }

  private:
    void DessineMarque(const QColor& c);

    TRect FRectInt;
    int FDemiBase = 0;
    double FVitesse = 0.0;
    int FXMarque = 0;
};

/// The cue's inclination: a thin triangle rising from the pivot where the cue meets the ball,
/// from 0 (horizontal) to 90 degrees (vertical).
class TInclinaison : public TSelecteur {
  public:
    using TSelecteur::TSelecteur;

    void FixeRect(const TRect& r);
    void DessineFond();
    /// Strictly inside RectExt.
    bool Contient(int X, int Y) const;
    /// The inclination pointed at from the pivot (degrees; negative below it).
    double AngleA(int X, int Y) const;
    /// Sets the inclination, held to [0, 90].
    void FixeInclinaison(double d);

    double Inclinaison() const { return FInclinaison; } ///< degrees
    QPoint Pivot() const { return FPivot; }
    TRect RectInt() const { return FRectInt; }
    QPoint P1() const { return FP1; }
    QPoint P2() const { return FP2; }

  private:
    void DessineQueue(const QColor& c);

    QPoint FPivot;
    TRect FRectInt;
    double FInclinaison = 0.0;
    QPoint FP1, FP2;
};
