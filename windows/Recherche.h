#pragma once
// The solution-search window: which strokes make the point from the main window's position.
// Every stroke of a grid (aim, side effect, height, cue speed) is fired on copies of the main
// window's engine in worker threads, then the scoring strokes are grouped into routes and
// families and the largest families get their tolerance count, also in the background. The
// window polls the work, so it stays responsive and can be interrupted; what was found before
// an interruption is shown. A family or a cell of the map, clicked, is played in the main
// window.

#include "analysis/PipelineRecherche.h"
#include "analysis/RechercheFamilles.h"
#include "analysis/RechercheSolutions.h"
#include "dessin/CarteSolutions.h"

#include <QElapsedTimer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class QCheckBox;
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
    QLabel* LegendeRoutesLbl;   ///< what the route letters and ball numbers stand for
    QComboBox* VitesseCbx;      ///< the map's speed, or "toutes"
    QComboBox* HauteurCbx;      ///< the map's height (unused with "toutes")
    QLabel* CarteImg;           ///< the map; a click on a cell plays its stroke
    QPushButton* EnregistreBtn; ///< "Enregistrer la carte…"

    // Chances: for the player chosen ("—": none), each of the first families gets its safest
    // stroke and its chance ("Réussite"), clicking a family plays that stroke, and the map
    // can show the chance of each scoring stroke of its cut.
    QComboBox* JoueurCbx;       ///< "—", the presets, "Mon jeu" when stored
    QSpinBox* FamillesChanceUD; ///< families given a chance, in rank order
    QCheckBox* CarteChanceChk;  ///< "Carte des chances"
    /// Plays family `numero`: its safest stroke exactly once known, its central stroke else.
    void JoueFamille(int32_t numero);
    /// Sorts the tree by a column, numbers as numbers; "Réussite" safest first.
    void TrieColonne(int colonne);
    /// The chance of each cell of the current cut (−1: nothing scores there), once computed.
    const std::vector<double>& ChancesCarte() const { return FChancesCarte; }

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
    void FinRecherche();
    void Verrouille(bool verrou);
    void RemplitArbre();
    void RemplitCoupes();
    void DessineCarteCourante();
    void CalculeChancesCarte();
    void ArreteChancesCarte();

    TServicesMain& Services;
    /// Firing, grouping and characterising, in the background.
    std::unique_ptr<TPipelineRecherche> FPipeline;
    /// The engine copy searched: its position, inclination, cue mass and game mode are the
    /// main window's when "Chercher" was pressed.
    std::unique_ptr<TBillardAlveran> FMoteur;
    TValeursRecherche FValeurs;
    TDimensionsRecherche FDimensions;
    TGeometrieCarte FGeometrie;
    std::optional<TJoueur> FJoueur; ///< the player of the last search, if any
    std::vector<double> FChancesCarte;
    TCoupeCarte FCoupeChances; ///< the cut FChancesCarte belongs to
    std::thread FFilCarte;
    std::atomic<bool> FArretCarte{false};
    int FGenerationCarte = 0; ///< the map computation whose result is awaited
    int FColonneTri = -1;
    Qt::SortOrder FOrdreTri = Qt::AscendingOrder;
    QImage FCarte;
    QTimer* FSonde;
    QElapsedTimer FDebut;
};
