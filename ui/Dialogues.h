#pragma once
// The message boxes and file dialogs of the program, behind one small service so that the
// windows can be driven without a person (tests answer them from a script).

#include <QString>
#include <QStringList>

#include <optional>

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
    /// A modal question with "Oui" and "Non" ("Non" the default): true for "Oui".
    virtual bool Question(QWidget* parent, const QString& titre, const QString& texte) = 0;
    /// The save-file dialog: the first type selected, no default extension, no overwrite
    /// question. Nothing when the user cancels.
    virtual std::optional<TChoixFichier> FichierASauver(QWidget* parent,
                                                        const QStringList& filtres) = 0;
    /// The open-file dialog. Nothing when the user cancels.
    virtual std::optional<TChoixFichier> FichierAOuvrir(QWidget* parent,
                                                        const QStringList& filtres) = 0;
    /// The open-file dialog choosing several files at once. Nothing when the user cancels.
    /// Without its own, a service answers with the one file of FichierAOuvrir.
    virtual QStringList FichiersAOuvrir(QWidget* parent, const QStringList& filtres) {
        const std::optional<TChoixFichier> choix = FichierAOuvrir(parent, filtres);
        return choix ? QStringList{choix->Nom} : QStringList{};
    }
};

/// The real boxes and dialogs.
class TDialoguesQt : public TDialogues {
  public:
    void Message(QWidget* parent, const QString& titre, const QString& texte,
                 TTypeMessage type) override;
    bool Question(QWidget* parent, const QString& titre, const QString& texte) override;
    std::optional<TChoixFichier> FichierASauver(QWidget* parent,
                                                const QStringList& filtres) override;
    std::optional<TChoixFichier> FichierAOuvrir(QWidget* parent,
                                                const QStringList& filtres) override;
    QStringList FichiersAOuvrir(QWidget* parent, const QStringList& filtres) override;
};
