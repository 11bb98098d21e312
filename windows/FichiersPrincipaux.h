#pragma once
// The main window's files and clipboard: position files (".alv" stroke and positions, ".alv2"
// positions, velocities and rotations), the table's picture, the shot's diagram and the shot as
// text. Every failure is told in a box naming why; the engine is changed only by what was read.

#include "dessin/SchemaCoup.h"
#include "engine/C8_BillardAlveran.h"
#include "ui/Dialogues.h"

#include <QImage>
#include <QString>

#include <optional>
#include <string>

class QWidget;

class TFichiersMain {
  public:
    /// `parent` owns the dialogs and message boxes.
    TFichiersMain(QWidget* parent, TDialogues& dialogues)
        : FParent(parent), FDialogues(dialogues) {}

    /// Writes the engine's position through the save dialog: 0 (cancelled or failed), 1 or 2.
    int SauvePosition(TBillardAlveran& moteur);
    /// Reads a position through the open dialog into the engine: 0, 1 or 2.
    int ChargePosition(TBillardAlveran& moteur);
    /// Reads the position file `nom` (a name the user gave, maybe not an existing file) into the
    /// engine: 0, 1 or 2 as the engine's reading; a file that cannot be read changes nothing
    /// and says so.
    int OuvrePosition(TBillardAlveran& moteur, const QString& nom);

    /// The table's picture as ".bmp", through the save dialog.
    void SauveImage(const QImage& image);
    /// The diagram's file name, through the save dialog: ".svg" or ".png" by the name typed or
    /// by the type chosen; nothing when cancelled.
    std::optional<QString> NomSchema();
    void EcritSchema(const TSchemaCoup& schema, const QString& nom);

    /// The engine's shot on the clipboard, as text.
    static void Copie(const TBillardAlveran& moteur);
    /// The clipboard's shot into the engine. False when the text was refused (said in a box);
    /// otherwise `manquants` names the values the text did not hold, left as they were.
    bool Colle(TBillardAlveran& moteur, std::string& manquants);
    /// The warning for the values a pasted text did not hold.
    void SignaleManquants(const std::string& manquants);

  private:
    int LitPosition(TBillardAlveran& moteur, const std::string& nom);
    void Erreur(const QString& texte);

    QWidget* FParent;
    TDialogues& FDialogues;
};
