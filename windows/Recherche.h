#pragma once
// The solution-search window: which strokes make the point from the main window's position.
// Every stroke of a grid (aim, side effect, height, cue speed) is fired on copies of the main
// window's engine in worker threads, then the scoring strokes are grouped into routes and
// families and the largest families get their tolerance count, also in the background. The
// window polls the work, so it stays responsive and can be interrupted; what was found before
// an interruption is shown. A family or a cell of the map, clicked, is played in the main
// window.

#include "analysis/RechercheFamilles.h"
#include "analysis/RechercheSolutions.h"
#include "dessin/CarteSolutions.h"

#include <QElapsedTimer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TServicesMain;

class TRechercheFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TRechercheFrm(TServicesMain& services, QWidget* parent = nullptr);
    ~TRechercheFrm() override;

    // The grid: aim from / to / step (degrees), the other axes from / to (cm, cm/s) and their
    // number of values.
    QLineEdit *ViseeDeTxt, *ViseeATxt, *ViseePasTxt;
    QLineEdit *EffetDeTxt, *EffetATxt, *HauteurDeTxt, *HauteurATxt, *VitesseDeTxt, *VitesseATxt;
    QSpinBox *EffetUD, *HauteurUD, *VitesseUD;
    QSpinBox* MinFamilleUD;  ///< smaller families are counted as isolated strokes
    QSpinBox* ToleranceUD;   ///< the K largest families get their tolerance count
    QPushButton* ChercheBtn; ///< "Chercher"
    QPushButton* StopBtn;    ///< "Interrompre", also Escape
    QProgressBar* ProgressBar1;
    QLabel* EtatLbl; ///< strokes fired and scoring, then how the search ended
    /// Routes (sequence, scoring strokes, isolated strokes), each unfolding into its families
    /// (size, aim range, tolerance when computed).
    QTreeWidget* RoutesArb;
    QComboBox* VitesseCbx;      ///< the map's speed, or "toutes"
    QComboBox* HauteurCbx;      ///< the map's height (unused with "toutes")
    QLabel* CarteImg;           ///< the map; a click on a cell plays its stroke
    QPushButton* EnregistreBtn; ///< "Enregistrer la carte…"

    /// Where a search stands: at rest, firing the strokes, or grouping and counting families.
    enum class TPhase { Repos, Tirs, Familles };
    TPhase Phase = TPhase::Repos;
    bool Interrompue = false; ///< the last search was stopped before its end
    /// Outcome of the last search (routes and families shown in the tree and on the map).
    TGrilleRecherche Grille;
    TCoupsRecherche Coups;
    TSolutions Solutions;

    /// Reads the grid, takes the main window's position and stroke, and starts the search;
    /// returns at once, the window follows it.
    /// Reads the grid, announces its strokes and their estimated time (asking above
    /// EstimationSansQuestion), then starts the search.
    void ChercheBtnClick();
    /// Above this estimate (ms) "Chercher" asks before starting.
    static constexpr qint64 EstimationSansQuestion = 60 * 1000;
    /// Asks the running search (or the tolerance counts after it) to stop.
    void StopBtnClick();
    /// Puts grid point `indice` of the last search into the main window and fires it as lines.
    void JoueCoup(int64_t indice);
    /// The scoring stroke played for map cell (angle, effet) of the current cut: the one of
    /// the chosen speed and height, or with "toutes" the one of the highest-ranked family;
    /// −1 when nothing scores there.
    int64_t CoupDeCellule(int angle, int effet) const;
    /// The map's cut as the two lists choose it.
    TCoupeCarte Coupe() const;
    /// "Enregistrer la carte…": the map as PNG, through the save dialog.
    void EnregistreCarteClick();
    /// The grid as the fields give it; false (and a message) when a field is not a number or
    /// the grid is not usable. Fields left as they were give their exact starting values.
    bool LitGrille(TGrilleRecherche& grille);

  signals:
    /// The search started by ChercheBtnClick has ended (finished or interrupted).
    void RechercheTerminee();

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

  private:
    void Sonde();
    void FinTirs();
    void FinFamilles();
    void Verrouille(bool verrou);
    void RemplitArbre();
    void RemplitCoupes();
    void DessineCarteCourante();

    TServicesMain& Services;
    std::unique_ptr<TRechercheSolutions> FRecherche;
    /// The engine copy searched: its position, inclination, cue mass and game mode are the
    /// main window's when "Chercher" was pressed.
    std::unique_ptr<TBillardAlveran> FMoteur;
    std::thread FFamilles; ///< routes, families and their tolerance counts
    std::atomic<bool> FArretFamilles{false};
    std::atomic<bool> FFamillesFinies{false};
    std::atomic<int64_t> FFaitsTolerance{0}, FTotalTolerance{0};
    bool FToleranceAbandonnee = false;
    TValeursRecherche FValeurs;
    TDimensionsRecherche FDimensions;
    TGeometrieCarte FGeometrie;
    QImage FCarte;
    QTimer* FSonde;
    QElapsedTimer FDebut;
};
