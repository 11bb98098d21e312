#pragma once
// Fitting physical constants to tracked shots, from the calibration window: the user picks
// tracked files and the constants to fit, the fit runs in the background, the window shows
// the shots' RMSE before and after (and that of the shots kept out of the fit), and the new
// values reach the engine only when the user applies them.

#include "analysis/AjustementConstantes.h"

#include <QDialog>
#include <QStringList>

#include <memory>
#include <vector>

class QCheckBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TServicesMain;
class TTacheFond;

class TAjusteConstantesFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TAjusteConstantesFrm(TServicesMain& services, QWidget* parent = nullptr);
    ~TAjusteConstantesFrm() override;

    /// The constants offered, by published index, in the order of their boxes.
    static const std::vector<int>& IndicesProposes();

    QPushButton* FichiersBtn;           ///< "Fichiers…": the tracked files, several at once
    QListWidget* FichiersLst;           ///< the files chosen
    std::vector<QCheckBox*> Constantes; ///< one box per offered constant, its published name
    QSpinBox* HorsAjustementSpin;       ///< share of the shots kept out of the fit (%)
    QPushButton* LancerBtn;             ///< "Ajuster"
    QPushButton* AppliquerBtn;          ///< "Appliquer": the fitted values into the engine
    QPlainTextEdit* ResultatsTxt;       ///< before/after figures

    /// How thorough the fit is; the window's defaults suit a few dozen shots.
    TOptionsConstantes Options;
    TTacheFond& Tache() { return *FTache; }

    void FichiersBtnClick();
    /// Reads the files and starts the fit; a refused file or choice says why and starts
    /// nothing.
    bool LancerBtnClick();
    void AppliquerBtnClick();
    /// The constants fitted by the last run, by published index (empty before any).
    const std::vector<int>& IndicesAjustes() const { return FIndices; }
    const std::vector<double>& ValeursAjustees() const { return FValeurs; }

  signals:
    /// The engine's constants changed.
    void ConstantesAppliquees();

  private:
    struct TTravail;
    void Termine();

    TServicesMain& Services;
    std::unique_ptr<TTacheFond> FTache;
    std::shared_ptr<TTravail> FTravail;
    std::vector<int> FIndices;
    std::vector<double> FValeurs;
};
