#pragma once
// The numeric cue editor: the six stroke values typed as numbers where the mouse is too
// coarse.

#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;
class TServicesMain;

class TQueueNumFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TQueueNumFrm(TServicesMain& services, QWidget* parent = nullptr);

    QLineEdit* Eedit = nullptr; ///< effect (cm)
    QLineEdit* hEdit = nullptr; ///< height (cm)
    QLineEdit* Vedit = nullptr; ///< cue speed (cm/s)
    QLineEdit* Iedit = nullptr; ///< inclination (degrees)
    QLineEdit* Aedit = nullptr; ///< aim angle (degrees)
    QLineEdit* mEdit = nullptr; ///< cue mass (g)
    QToolButton* FeuBtn = nullptr;

    /// Fills every field from the main window's controls.
    void Remplit();
    /// Converts a field's text and gives its value to the main window's control; an error box
    /// and no change when the text is not a number or lies outside the control's range (the
    /// field then shows the value in force again). False in that case.
    bool Applique(QLineEdit* champ);
    /// Why a value cannot go into a field's control, or nothing when it can.
    QString Refus(const QLineEdit* champ, double valeur);

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void showEvent(QShowEvent* evenement) override;

  private:
    QLineEdit* CreeChamp(const QString& nom, const QString& libelle, int x, int y);
    TServicesMain& Services;
};
