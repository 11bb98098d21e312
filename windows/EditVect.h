#pragma once
// The vector editor: one recorded vector of the engine (a ball's position, velocity or
// rotation at one record) typed as a norm and two angles. The numerical view chooses the
// vector; the editor changes it in place, shows the record again and, with "jouer les modifs",
// recomputes the trajectories from it.

#include "engine/ProcsVecteurs.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class TServicesMain;

class TEditVectFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TEditVectFrm(TServicesMain& services, QWidget* parent = nullptr);

    QLabel* NoBilleLbl; ///< ball number
    QLabel* pvrLbl;     ///< which vector ("Position", "Vitesse", "Rotation")
    QLabel* IndiceLbl;  ///< record index
    QLineEdit* nEdit;   ///< norm (tag 1)
    QLineEdit* OxEdit;  ///< angle from x in the horizontal plane, degrees (tag 2)
    QLineEdit* OzEdit;  ///< elevation over the horizontal plane, degrees (tag 3)
    QCheckBox* JouerCheck;

    /// Sets the vector to edit and its three labels, then fills the fields.
    void Edite(int bille, const QString& quoi, TVecteur* vecteur, int indice);
    TVecteur* VecteurEdite() const { return FVecteurEdite; }

    /// Norm and angles of the edited vector into the fields.
    void FormActivate();
    /// Applies a field whose text was modified since it was last applied; false when its text
    /// is not a number (an error box, nothing changed) or there was nothing to apply.
    bool Applique(QLineEdit* champ);

  signals:
    /// A vector was changed in place; `rejouer` when the trajectories are to be recomputed
    /// from it ("jouer les modifs").
    void VecteurModifie(bool rejouer);

  protected:
    bool event(QEvent* evenement) override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

  private:
    TServicesMain& Services;
    TVecteur* FVecteurEdite = nullptr;
};
