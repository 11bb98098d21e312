#pragma once
// The control in which the user sets the cue stroke: the cue ball's face with the cue tip on
// the left, the speed scale above the inclination view on the right. The cue mass has no
// picture. Each value is written into its label, if the form gave one, and raises its own
// notification followed by OnEhviChange.

#include "ui/Canevas.h"
#include "ui/EHVI1_eh.h"
#include "ui/EHVI2_vi.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class TBillardAlveran;

class TEhvi : public QWidget {
    Q_OBJECT
  public:
    /// A control `hauteur` pixels high and twice as wide.
    explicit TEhvi(QWidget* parent = nullptr, int hauteur = 105);
    ~TEhvi() override;

    // Published notifications, each with the control as sender.
    std::function<void(TEhvi*)> OnEffetHauteurChange;
    std::function<void(TEhvi*)> OnVitesseChange;
    std::function<void(TEhvi*)> OnInclinaisonChange;
    std::function<void(TEhvi*)> OnMasseQueueChange;
    /// Raised after each of the four above.
    std::function<void(TEhvi*)> OnEhviChange;
    /// Raised first when the control is resized, before the layout follows.
    std::function<void(TEhvi*)> OnResize;

    /// Gives the ball radius and the cue mass when loaded; may be none.
    TBillardAlveran* Moteur = nullptr;
    // Where the values are written; each may be none.
    QLabel* LabelEffetHauteur = nullptr;
    QLabel* LabelVitesse = nullptr;
    QLabel* LabelInclinaison = nullptr;
    QLabel* LabelMasse = nullptr;

    // Colours, by index 0 (clFond), 1 (clPen), 2 (clBille).
    QColor Couleur(int index) const;
    void SetCouleur(int index, const QColor& c);
    QColor clFond() const { return FCouleurs[0]; }  ///< background of the three pickers
    QColor clPen() const { return FCouleurs[1]; }   ///< outline pen of the three pickers
    QColor clBille() const { return FCouleurs[2]; } ///< the drawn ball
    void SetclFond(const QColor& c) { SetCouleur(0, c); }
    void SetclPen(const QColor& c) { SetCouleur(1, c); }
    void SetclBille(const QColor& c) { SetCouleur(2, c); }

    // The stroke. Effect and height read back exactly as given; dragging the tip or moving it
    // with DecaleEffetHauteur gives the values of the pixel it lands on.
    double Effet() const { return FEh->Effet(); }     ///< side effect (cm)
    double Hauteur() const { return FEh->Hauteur(); } ///< height (cm)
    void SetEffet(double v);
    void SetHauteur(double v);
    /// Both at once, with one notification.
    void SetEffetHauteur(double effet, double hauteur);
    /// Moves the tip by (dEffet, dHauteur) cm onto the nearest pixel of the face, as a drag
    /// would place it.
    void DecaleEffetHauteur(double dEffet, double dHauteur);
    double Vitesse() const { return FVi->Vitesse(); } ///< cm/s, 0 to 1200
    void SetVitesse(double v);
    double Inclinaison() const { return FIn->Inclinaison(); } ///< degrees, 0 to 90
    void SetInclinaison(double v);
    double MasseQueue() const { return FMasseQueue; } ///< g, never clamped
    void SetMasseQueue(double v);

    /// Places the three pickers for the control's height and sets its width.
    void Placement();
    /// Draws every picker again with its value; every notification runs once.
    void RedessineTout();
    /// As a control loaded from stored properties: with an engine, its ball radius and (without
    /// notification) its cue mass; then layout and repaint.
    void ApresChargement();
    /// Gives the control a new height; the layout follows at once, even while hidden.
    void FixeHauteur(int hauteur);

    TEffetHauteur& SelecteurEffetHauteur() { return *FEh; }
    TVitesse& SelecteurVitesse() { return *FVi; }
    TInclinaison& SelecteurInclinaison() { return *FIn; }
    const QImage& Image() const { return FImage; }

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

  private:
    void EffetHauteurChange();
    void VitesseChange();
    void InclinaisonChange();
    void MasseQueueChange();
    static void Ecrit(QLabel* label, const QString& texte);
    static void Signale(const std::function<void(TEhvi*)>& f, TEhvi* t) {
        if (f) f(t);
    }

    QColor FCouleurs[3];
    double FMasseQueue = 520.0;
    bool FEnPlacement = true;
    QImage FImage;
    TCanevas FCanevas;
    std::unique_ptr<TEffetHauteur> FEh;
    std::unique_ptr<TVitesse> FVi;
    std::unique_ptr<TInclinaison> FIn;
};
