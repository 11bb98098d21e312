#pragma once
// A tracked shot brought into the main window: its file read and checked, its samples ready to
// draw as dots, and the stroke fitted to it in the background. The main window places the balls
// and fires; this part only reads, fits and reports.

#include "analysis/AjustementCoup.h"
#include "ui/CIbh3billes.h"
#include "ui/Dialogues.h"
#include "windows/TacheFond.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>

class QWidget;

/// The result line of a shot fitted to a tracked one: its RMSE against the samples (cm).
QString TexteEcartMesure(double rmse, const QLocale& locale);

class TImportTrajectoire : public QObject {
    Q_OBJECT
  public:
    /// `parent` owns the message boxes and the progress window.
    TImportTrajectoire(QWidget* parent, TDialogues& dialogues);
    ~TImportTrajectoire() override;

    /// Reads a tracked shot for the table of `fisik`. A file that cannot be read or is refused
    /// says why in a box and changes nothing; otherwise Importee follows.
    bool Importe(const QString& nom, const TPARAMPHYS& fisik);
    /// Through the open dialog.
    void ImporteDepuisDialogue(const TPARAMPHYS& fisik);
    /// Forgets the tracked shot: nothing left to fit or to draw.
    void Oublie();
    /// Starts fitting the loaded shot's stroke on a copy of `moteur` (its cue mass and
    /// inclination kept); Ajuste follows unless another shot is loaded or forgotten meanwhile.
    void LanceAjustement(const TBillardAlveran& moteur);
    /// The RMSE of `coup` against the loaded shot's samples (cm), on a fresh engine of `fisik`.
    double Ecart(const TPARAMPHYS& fisik, const TCoupAjuste& coup) const;

    bool Chargee() const { return FCoupMesure != nullptr; }
    const TCoupMesure& Mesure() const { return *FCoupMesure; }
    /// Whether "Ajuster le coup" can start now.
    bool AjustementPossible() const;
    TTacheFond& Tache() { return *FTache; }

  signals:
    /// A tracked shot loaded: where its balls start (cm, indexed 1 to 3) and its samples.
    void Importee(const std::array<TPointTable, 4>& departs, const TCIBillardHor3B::TReleves& r);
    void Oubliee();
    /// The fit of the tracked shot still loaded ended with `resultat`.
    void Ajuste(const TResultatAjustement& resultat);
    /// "Ajuster le coup" became possible or impossible.
    void AjustementPossibleChange(bool possible);

  private:
    QWidget* FParent;
    TDialogues& FDialogues;
    std::unique_ptr<TCoupMesure> FCoupMesure;
    std::unique_ptr<TTacheFond> FTache;
    int FNumero = 0; ///< changes with every tracked shot loaded or forgotten
};
