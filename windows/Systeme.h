#pragma once
// The window "Système des diamants": the chart of the table with the main window's current
// constants against the corner-five system (T = D − F), for a stroke chosen here (running
// side, height and speed). The 43 shots and the search of the best side run on a worker
// thread; the window stays responsive and shows the picture once they are done. The picture
// is saved as PNG or SVG.

#include "analysis/SystemeDiamants.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <future>
#include <memory>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTimer;
class TServicesMain;

class TSystemeFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TSystemeFrm(TServicesMain& services, QWidget* parent = nullptr);
    ~TSystemeFrm() override;

    QDoubleSpinBox* EffetEdt;   ///< running side, fraction of the radius
    QDoubleSpinBox* HauteurEdt; ///< tip height, fraction of the radius
    QComboBox* VitesseCbx;      ///< "lente", "moyenne", "rapide"
    QPushButton* CalculeBtn;    ///< "Calculer": the chart with the current constants
    QPushButton* EnregistreBtn; ///< "Enregistrer l'image…" (PNG or SVG)
    QLabel* EtatLbl;            ///< what is being done, or the chart's figures
    QLabel* ImageLbl;           ///< the picture, scaled to the window

    /// Starts the chart with the engine's current constants (ignored while one runs).
    void Calcule();
    /// True while the shots are being fired.
    bool EnCours() const { return FTravail.valid(); }
    /// The last chart computed (empty before the first).
    const TResultatSysteme& Resultat() const { return FResultat; }
    /// Writes the picture of the last chart; false with `erreur` set when it could not.
    bool Enregistre(const QString& nom, QString& erreur) const;

  signals:
    /// A chart has been computed and shown (or found impossible).
    void CalculTermine();

  protected:
    void showEvent(QShowEvent* evenement) override;
    void resizeEvent(QResizeEvent* evenement) override;

  private:
    struct TCalcul {
        TResultatSysteme Resultat;
        TEffetSysteme Meilleur;
    };
    void Sonde();
    void Affiche();
    void EnregistreClick();

    TServicesMain& Services;
    std::unique_ptr<TBillardAlveran> FModele; ///< the constants of the chart shown
    std::future<TCalcul> FTravail;
    std::atomic<bool> FArret{false};
    QTimer* FSonde;
    TResultatSysteme FResultat;
    TEffetSysteme FMeilleur;
    QImage FImage;
};
