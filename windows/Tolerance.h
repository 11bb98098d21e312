#pragma once
// The tolerance window: how hard a point is for a player of a given precision. The shot is
// fired over a six-dimensional grid of small variations of the stroke and the trials whose
// point is made are counted. The count runs on copies of the main window's engine in worker
// threads; the window polls their progress, so it stays responsive and can be interrupted.

#include "analysis/ToleranceCalcul.h"

#include <QElapsedTimer>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class TServicesMain;

class TToleranceFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TToleranceFrm(TServicesMain& services, QWidget* parent = nullptr);
    ~TToleranceFrm() override;

    // One row per stroke parameter, levels 1 to 6: effect, height, aim, speed, inclination,
    // cue mass. Central values and increments in the window's units (cm, cm, degrees, cm/s,
    // degrees, g).
    QLineEdit *eTxt, *hTxt, *aTxt, *vTxt, *iTxt, *mTxt;
    QLineEdit *deTxt, *dhTxt, *daTxt, *dvTxt, *diTxt, *dmTxt;
    QSpinBox *eUD, *hUD, *aUD, *vUD, *iUD, *mUD; ///< trials on each side, 0 to 100
    QPushButton* DemarreBtn;                     ///< "Calculer"
    QPushButton* StopBtn;                        ///< "Interrompre", also Escape
    QLabel* ResultLbl;                           ///< successes
    QLabel* MaxLbl;                              ///< "/ " and the grid's total
    QLabel* TempsLbl;                            ///< remaining time
    QProgressBar* ProgressBar1;
    /// Under the bar: after an interruption, how many trials of the grid were done.
    QLabel* EtatLbl;

    // Evaluation state. The counters are 64-bit: six counts of 100 make 201^6 trials, beyond
    // 32 bits, and such a grid is counted rather than refused.
    qint64 NbEssaisTotal = 0; ///< product over the six levels of (2 × count + 1)
    qint64 NbEssaisFaits = 0; ///< upward mass trials fired so far
    qint64 NbReussis = 0;     ///< successes so far (of the trials done when interrupted)
    std::array<double, NbNiveauxTolerance> Centres{};    ///< engine units
    std::array<double, NbNiveauxTolerance> Increments{}; ///< engine units
    bool EnCours = false;                                ///< an evaluation is running
    /// Time of one trial on this machine (ms), measured by firing a few strokes of the grid
    /// when the window first shows and again at each "Calculer"; < 0 until measured.
    double DureeTirMs = -1.0;
    /// Threads that share an evaluation (the estimate divides by them).
    int NbFils = 1;
    /// Off, the trial time is the one set in DureeTirMs (tests set it so).
    bool MesureDuree = true;

    /// Initial increments and counts, total and first estimate.
    void FormCreate();
    /// Central values from the main window (ball positions into the engine first), unless an
    /// evaluation is running.
    void FormActivate();
    /// Total and initial estimate (measured time per trial) from the six counts.
    void eUDClick();
    /// Reads the grid and starts an evaluation; returns at once, the window follows it.
    void DemarreBtnClick();
    /// Asks the running evaluation to stop before its next combination.
    void StopBtnClick();

  signals:
    /// The evaluation started by DemarreBtnClick has ended (finished or interrupted).
    void EvaluationTerminee();

  protected:
    bool event(QEvent* evenement) override;

    /// Above this estimate (ms) "Calculer" asks before starting.
    static constexpr qint64 EstimationSansQuestion = 60 * 1000;

  private:
    void Sonde();
    void Fin();
    QString TexteEstimationInitiale() const;
    qint64 EstimationInitialeMs() const;
    /// Times a few strokes of `grille` from the main window's position (about 0.1 s).
    void MesureDureeTir(const TGrilleTolerance& grille);
    /// A count or an increment changed: the result shown was another grid's.
    void EffaceResultat();
    /// The result labels as wide as their text, the window widened to show them whole.
    void AjusteLargeurs();
    /// The grid's fields are locked while an evaluation runs.
    void Verrouille(bool verrou);

    TServicesMain& Services;
    std::array<QLineEdit*, NbNiveauxTolerance> FCentresTxt{};
    std::array<QLineEdit*, NbNiveauxTolerance> FIncrementsTxt{};
    std::array<QSpinBox*, NbNiveauxTolerance> FNombresUD{};
    /// The central values exactly as the main window gave them (engine units), and the texts
    /// written for them: an untouched text stands for its exact value, which 15 digits of
    /// degrees do not always give back.
    std::array<double, NbNiveauxTolerance> FCentresExacts{};
    std::array<QString, NbNiveauxTolerance> FCentresEcrits{};
    std::unique_ptr<TEvaluationParallele<TBillardAlveran>> FEvaluation;
    QTimer* FSonde;
    QElapsedTimer FDebut;
    int FLargeurMin = 0; ///< the window's width as laid out
};
