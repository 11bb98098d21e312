#pragma once
// The numerical view: every record of the last computation, one at a time, as numbers (the
// three balls' position, velocity and rotation, their motion states, the impact, the adhesion,
// the time), the balls of the main table moved to that instant, and a new computation from the
// values as edited.

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;
class TServicesMain;

class TVueNumFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TVueNumFrm(TServicesMain& services, QWidget* parent = nullptr);

    QWidget *Pnl1, *Pnl2, *Pnl3; ///< engine balls 1 (cue ball), 2 and 3
    QLabel *EtatLbl1, *EtatLbl2, *EtatLbl3;
    /// The nine group titles (Position, Vitesse, Rotation of each ball), tags 11 … 33.
    std::array<QLabel*, 9> Titres{};
    QSlider* BarPos; ///< record index, 0 to NbEnr
    QToolButton* LeftBtn;
    QToolButton* RightBtn;
    QLabel *TypeChocLbl, *AdhLbl, *ChocLbl, *dtNegLbl;
    QPushButton* CalculTrajetsBtn; ///< "Feu !"
    QPushButton* CopyBtn;          ///< "&Copier"

    /// The value box of a panel (1 to 3) by tag.
    QLineEdit* Boite(int panel, int tag) const;

    /// Refreshes the view after a shot: slider range 0..NbEnr, position at the record where
    /// the main window left the balls, list of impacts.
    void FormShow();
    /// Shows record i of the three balls.
    void AfficheEnregistrement(int i);
    /// The slider on record i of the engine's current recording (its range brought up to
    /// date first), as when the player moves it: a replay stepped in the main window.
    void MontreEnregistrement(int i);
    /// The three panels, as typed, become record 0. False (and an error box) at a box whose
    /// text is not a number.
    bool PanelsVersMoteur();
    /// Shows the record under the slider and moves the main table's balls there.
    void BarPosChange();
    void LeftBtnClick(QToolButton* sender);
    /// Computes the trajectories from the panels without a cue strike. Without a sender (F9)
    /// the shot is always sent to the database application, otherwise only with "Auto".
    void CalculTrajetsBtnClick(QObject* sender);
    /// One record of ball 1 to the clipboard as 17 lines.
    void CopyBtnClick();
    /// A group title double-clicked: the vector editor on that vector of that record.
    void Label31DblClick(QLabel* sender);
    /// The records with an impact, and those whose time goes backwards.
    void ListeChocs();
    /// The 17 lines that CopyBtnClick puts on the clipboard.
    QString TexteCopie() const;

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void showEvent(QShowEvent* evenement) override;

  private:
    QWidget* CreePanel(int bille, int x, int y, int premiereBoite,
                       const std::array<int, 3>& numerosTitres);
    TServicesMain& Services;
    bool FSansPlacement = false; ///< the view is being opened: the table's balls stay put
};
