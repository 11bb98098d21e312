#pragma once
// The table view with the three balls of a shot: dragging them, keeping them apart, the
// aiming line from the cue ball and its angle, the recorded trajectories drawn as lines or
// replayed as moving balls.

#include "dessin/SchemaCoup.h"
#include "ui/CIbh.h"
#include "ui/CIbi.h"

#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <vector>
#include <optional>

class TBillardAlveran;

class TCIBillardHor3B : public TCIBillardHor {
    Q_OBJECT
  public:
    explicit TCIBillardHor3B(QWidget* parent = nullptr, int hauteur = 310);
    ~TCIBillardHor3B() override;

    // Published properties.
    /// Source of the recorded trajectories and of the table's dimensions; may be none.
    TBillardAlveran* Moteur = nullptr;
    TCIBille* bhBille1() const { return FBille1.get(); } ///< the yellow ball
    TCIBille* bhBille2() const { return FBille2.get(); } ///< the white ball
    TCIBille* bhBille3() const { return FBille3.get(); } ///< the red ball
    bool bhTraceVisee() const { return FTraceVisee; }
    void SetbhTraceVisee(bool b);
    /// A ball's position changed; the sender is that ball.
    std::function<void(TCIBille*)> OnPosBillesChange;
    /// The aiming point changed; the sender is the view.
    std::function<void(TCIBillardHor3B*)> OnViseeChange;
    /// A ball was moved by dragging; the sender is that ball.
    std::function<void(TCIBille*)> OnDragBille;

    /// Set to stop a running replay (the main window's Escape key).
    bool Arret = false;

    /// What the player asks of a replay, read between its steps.
    struct TCommandesRelecture {
        bool Pause = false; ///< the replay waits; a replay started paused waits at record 0
        int Pas = 0;        ///< records to step (+ forward, − back) while paused
        double Vitesse =
            1.0; ///< 1 is the usual pace (0.8 s per second of the shot), 2 twice as fast
    };
    TCommandesRelecture Relecture;
    /// Raised with the record shown each time a paused replay shows a record (on pausing and
    /// at every step).
    std::function<void(int)> OnEtapeRelecture;
    /// Raised when a paused replay runs on again (what was said of the pause is then stale).
    std::function<void()> OnRepriseRelecture;
    bool RelectureEnCours() const { return FRelectureEnCours; }
    /// The record the balls show during a replay.
    int EtapeRelecture() const { return FEtapeRelecture; }

    /// The cue ball: engine ball 1. Engine balls 2 and 3 are its Autres, in order.
    TCIBille* BilleJoueur() const { return FBilleJoueur; }
    void ChoisitBilleJoueur(TCIBille* bille);
    TCIBille* BilleTiree() const { return FBilleTiree; }
    bool TirageEnCours() const { return FTirageEnCours; }
    /// Where a dragged ball's centre may go: the cloth less one ball radius all round.
    TRect RectLibre() const { return FRectLibre; }
    TRect RectAngle() const { return FRectAngle; }
    bool ViseeTracee() const { return FViseeTracee; }
    QPoint ViseeDebut() const { return FViseeDebut; }
    QPoint ViseeFin() const { return FViseeFin; }

    /// As a control loaded from stored properties: the table's geometry and, with an engine,
    /// its cloth width and ball radius.
    void ApresChargement() override;
    void DessineSurcouche() override;
    void EffaceSurcouche(TCIBille* bille) override;

    /// Aims at a pixel (the user's mouse or keys): the angle is read from the pixels again.
    void ViseePoint(QPoint p);
    /// Aims at an angle (radians, from the table's +x towards +y). The view keeps that exact
    /// angle until the user aims again: the line's far end is rounded to pixels, and an angle
    /// read back from them would differ from a file's or the engine's in the fifth digit.
    void ViseAngle(double a);
    void ViseAngleDeg(double d);
    /// The aiming angle in radians, from +x (down the screen) towards +y (right): the exact
    /// angle last given to ViseAngle, or the one of the line's pixels after ViseePoint.
    double AngleVisee() const;
    /// Whether AngleVisee is an angle given exactly rather than read from pixels.
    bool AngleExact() const { return FAngleExact.has_value(); }
    double AngleViseeDeg() const;
    /// The angle text written in the band ("AngleOx: 98,64" in French).
    QString TexteAngle() const;
    /// Takes the aiming line off the picture. The line is drawn over the picture when the
    /// control is painted, smooth, never into the bitmap: taking it off leaves the picture as
    /// it was, exactly.
    void EffaceVisee();
    /// The picture as shown, the aiming line on it: what is saved as an image.
    QImage ImageAvecVisee() const;
    /// The first ball (1, 2, 3) on that pixel, or none.
    TCIBille* BilleEnPixel(int X, int Y) const;
    /// Moves a dropped ball off the ball it overlaps, if a free place is near.
    void DegageBille(TCIBille* b);

    /// Draws engine ball n's (1..3) recorded path in that colour, smooth, by the shot
    /// diagram's painter.
    void DessineTrajet(int n, const QColor& couleur);
    /// Small arrowheads along engine ball n's path, the way the ball went.
    void DessineSensTrajet(int n, const QColor& couleur);
    /// The cue ball's cushion contacts numbered 1, 2, 3 … beside the cushions.
    void DessineNumerosBandes();
    /// Each cushion contact of the cue ball with its diamond number on that rail.
    void DessineDiamantsBandes();
    /// The table frame as the diagram's painter takes it: centimetres to the middle of the
    /// control's pixels.
    TRepere Repere() const;
    /// Replays the recorded trajectory with moving balls, at 0.8 s per second of the shot
    /// (divided by Relecture.Vitesse) less the measured cost of one frame; pending events run
    /// between steps. While Relecture.Pause is set the replay waits for events, stepping by
    /// Relecture.Pas; Arret ends it, paused or not.
    void AnimeTrajets();
    /// The cost of one frame measured by the last replay (ms).
    int CoutImage() const { return FCoutImage; }

    /// Measured positions of a tracked shot (cm), per engine ball 1 to 3 (index 0 unused):
    /// drawn under the balls as small dots in their colours at every repaint, until replaced
    /// by empty lists. The caller repaints.
    using TReleves = std::array<std::vector<TPointTable>, 4>;
    void FixeReleves(TReleves releves) { FReleves = std::move(releves); }
    const TReleves& Releves() const { return FReleves; }
    /// An attempt compared with the stroke meant: its cushion-by-cushion distances drawn over
    /// the dots at every repaint, until replaced by nothing. The caller repaints.
    void FixeComparaison(std::optional<TComparaisonTentative> c) { FComparaison = std::move(c); }
    const std::optional<TComparaisonTentative>& Comparaison() const { return FComparaison; }
    /// Whether any tracked position is shown.
    bool RelevesAffiches() const;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void DessineLigneVisee();
    void DessineReleves();
    /// The three balls at record i of the engine, cue ball first.
    void PlaceBillesRelecture(int i);
    /// A paused replay: waits for the player, shows each step. False when it is stopped.
    bool AttendEnPause(int& i, int nbEnr);
    /// Moves the line's far end to `fin` and redraws it, the angle text and the notification.
    void TraceVisee(QPoint fin);

    std::unique_ptr<TCIBille> FBille1, FBille2, FBille3;
    TCIBille* FBilleJoueur = nullptr;
    TCIBille* FBilleTiree = nullptr;
    bool FTirageEnCours = false;
    bool FTraceVisee = true;
    bool FViseeTracee = false;
    QPoint FViseeDebut, FViseeFin;
    std::optional<double> FAngleExact; ///< the angle given to ViseAngle (rad)
    TRect FRectLibre, FRectAngle;
    int FCoutImage = 0;
    TReleves FReleves;
    std::optional<TComparaisonTentative> FComparaison;
    bool FRelectureEnCours = false;
    int FEtapeRelecture = 0;
};
