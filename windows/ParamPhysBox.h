#pragma once
// The physical constants dialog: the nineteen published constants in edit boxes; on "OK" only
// the boxes the user changed are written back, so the others keep their exact values.

#include <QDialog>

#include <array>

#include <QString>

class QLineEdit;
class QPushButton;
class TDialogues;
class TPARAMPHYS;

class TParamPhysDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int NbChamps = 19;

    explicit TParamPhysDlg(QWidget* parent = nullptr);

    /// Edit1 … Edit19: the published constants in published order (Edit1 is largeurJeu).
    std::array<QLineEdit*, NbChamps> Edits{};
    QPushButton* BitBtn1;         ///< "OK"
    QPushButton* BitBtn2;         ///< "Annul."
    QPushButton* DefautBtn;       ///< "Defaut"
    QPushButton* TableDeMatchBtn; ///< "Table de match (mesurée)"

    /// Each box gets its constant's current value; every modified mark is left cleared.
    void Remplit(const TPARAMPHYS& fisik);
    /// Every box gets its default value and its modified mark.
    void DefautBtnClick();
    /// Every box gets the measured match table's value and its modified mark.
    void TableDeMatchBtnClick();
    /// Writes the boxes that carry the modified mark, in order; at a box whose text is not a
    /// number, reports it through `dialogues` and stops (the earlier boxes stay written).
    bool Applique(TPARAMPHYS& fisik, TDialogues& dialogues);

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
};

/// Shows the dialog modally for these constants and applies what the user changed. False when
/// a box did not convert (the caller then leaves the table view's dimensions alone). Message
/// boxes go through `dialogues`, the real ones when null.
bool EditeParametres(TPARAMPHYS& fisik, QWidget* parent, TDialogues* dialogues = nullptr);

/// A constant's box in the dialog: the frame it sits in and its label there.
struct TLibelleConstante {
    const char* Groupe;
    const char* Libelle;
};
/// The dialog's labels of the nineteen constants, in published order.
inline constexpr TLibelleConstante LibellesConstantes[19] = {
    {"Dimensions", "Largeur surf. jeu :"},
    {"Dimensions", "Hauteur bandes :"},
    {"Dimensions", "Rayon billes :"},
    {"Dimensions", "Masse billes :"},
    {"Dimensions", "Vitesse rebond nul"},
    {"Frottements Bille-Tapis", "glissementt"},
    {"Frottements Bille-Tapis", "pivotement "},
    {"Frottements Bille-Tapis", "roulement "},
    {"Frottements Bille-Tapis", "choc "},
    {"Frottements", "bille-bille"},
    {"Frottements", "bille-bande"},
    {"Elasticités", "Bille-Tapis"},
    {"Elasticités", "bille-bille"},
    {"Elasticités", "bille-bande"},
    {"Elasticités", "queue-bille (perte Ec)"},
    {"Durées", "fréquence analyse"},
    {"Durées", "fréquence enregistr."},
    {"Durées", "durée maximum"},
    {"", "pesanteur"},
};
/// "Elasticités : bille-bande": a constant named as the dialog shows it, for other windows.
QString LibelleConstante(int indice);
