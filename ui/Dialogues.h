#pragma once
// The message boxes and file dialogs of the program, behind one small service so that the
// windows can be driven without a person (tests answer them from a script).

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

class QWidget;

/// Kind of a message box; it chooses the icon only, the caption is given by the caller.
enum TTypeMessage { tmErreur, tmAvertissement, tmInformation };

/// A file chosen in an open or save dialog.
struct TChoixFichier {
    QString Nom;          ///< the name as the user typed or picked it (no extension added)
    int IndiceFiltre = 0; ///< index, from 0, of the file type selected in the dialog
};

/// The service itself. Filters are "Description (*.ext)" texts, one per file type.
class TDialogues {
  public:
    virtual ~TDialogues() = default;
    /// A modal box with one "OK" button.
    virtual void Message(QWidget* parent, const QString& titre, const QString& texte,
                         TTypeMessage type) = 0;
    /// The save-file dialog: the first type selected, no default extension, no overwrite
    /// question. Nothing when the user cancels.
    virtual std::optional<TChoixFichier> FichierASauver(QWidget* parent,
                                                        const QStringList& filtres) = 0;
    /// The open-file dialog. Nothing when the user cancels.
    virtual std::optional<TChoixFichier> FichierAOuvrir(QWidget* parent,
                                                        const QStringList& filtres) = 0;
};

/// The real boxes and dialogs.
class TDialoguesQt : public TDialogues {
  public:
    void Message(QWidget* parent, const QString& titre, const QString& texte,
                 TTypeMessage type) override;
    std::optional<TChoixFichier> FichierASauver(QWidget* parent,
                                                const QStringList& filtres) override;
    std::optional<TChoixFichier> FichierAOuvrir(QWidget* parent,
                                                const QStringList& filtres) override;
};

/// Answers from a script, and a record of every box shown and every dialog opened.
class TDialoguesScriptes : public TDialogues {
  public:
    struct TMessageVu {
        QString Titre;
        QString Texte;
        TTypeMessage Type;
    };

    /// The next file dialog (open or save) answers this choice; nothing means "cancel".
    void AjouteReponse(const QString& nom, int indiceFiltre = 0) {
        Reponses.push_back({false, {nom, indiceFiltre}});
    }
    /// The next file dialog is cancelled.
    void AjouteAnnulation() { Reponses.push_back({true, {}}); }

    std::vector<TMessageVu> Messages;         ///< every box shown, in order
    std::vector<QStringList> FiltresDemandes; ///< the filters of every file dialog opened

    void Message(QWidget* parent, const QString& titre, const QString& texte,
                 TTypeMessage type) override;
    std::optional<TChoixFichier> FichierASauver(QWidget* parent,
                                                const QStringList& filtres) override;
    std::optional<TChoixFichier> FichierAOuvrir(QWidget* parent,
                                                const QStringList& filtres) override;

  private:
    struct TReponse {
        bool Annulee = true;
        TChoixFichier Choix;
    };
    std::optional<TChoixFichier> Suivante(const QStringList& filtres);
    std::deque<TReponse> Reponses; ///< an empty script cancels
};
