#pragma once
// The calibration window: one physical coefficient at a time is moved around the value it had
// when it was picked, and the current shot is fired again in the main window at every move,
// until the trajectory has the shape wanted. The tested value stays in the engine.

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;
class TServicesMain;
class TPARAMPHYS;
class TAjusteConstantesFrm;

class TCalibreFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TCalibreFrm(TServicesMain& services, QWidget* parent = nullptr);
    ~TCalibreFrm() override;

    static constexpr int NbCoefficients = 14;
    /// The published index (TPARAMPHYS::Parametre) of the coefficient at a list position;
    /// gravity (18) for a position outside the list.
    static int IndiceCoefficient(int position);

    QComboBox* FisikList;      ///< the fourteen coefficients
    QLineEdit* incrfTxt;       ///< value of one step of the bar
    QLabel* CoeffLbl;          ///< the value being tested
    QSlider* BarPos;           ///< −20 … +20 steps around the initial value
    QToolButton* LeftBtn;      ///< one step down (tag −1)
    QToolButton* RightBtn;     ///< one step up (tag +1)
    QLabel* CoeffIniLbl;       ///< the initial value
    QToolButton* SpeedButton1; ///< "Rétablir": bar back to 0
    QToolButton* AjusteBtn;    ///< "Ajuster sur les trajectoires…"

    /// The constants fit on tracked shots, opened by AjusteBtn (created at its first use).
    TAjusteConstantesFrm* AjusteFrm() const { return FAjusteFrm; }
    void AjusteBtnClick();

    /// The value the selected coefficient had when it was picked.
    long double ValeurInitiale = 0.0L;

    /// Takes the selected coefficient's current value as the initial one; when a control sent
    /// the change (`sender` not null) the bar goes back to 0.
    void FisikListChange(QObject* sender);
    /// Writes bar × increment + initial value and fires the shot in the main window.
    void BarPosChange();
    /// Moves the bar by the tag (−1 or +1) of the button, within its range.
    void LeftBtnClick(QToolButton* sender);
    void SpeedButton1Click();

    /// The selected coefficient's value in the engine.
    double Coefficient() const;
    /// Writes the selected coefficient (nothing without a valid selection).
    void SetCoefficient(double valeur);

  private:
    void FormCreate();
    TPARAMPHYS& Fisik() const;
    TServicesMain& Services;
    TAjusteConstantesFrm* FAjusteFrm = nullptr; ///< owned as a child window
};
