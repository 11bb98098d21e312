#pragma once
// The dialogs service of the window tests: file dialogs answered from a script, message boxes
// recorded instead of shown.

#include "ui/Dialogues.h"

#include <deque>
#include <vector>

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
    /// The next dialog choosing several files answers these (an empty list cancels it).
    void AjouteReponses(const QStringList& noms) { ReponsesMultiples.push_back(noms); }
    /// The next file dialog is cancelled.
    void AjouteAnnulation() { Reponses.push_back({true, {}}); }

    /// The next question is answered "Oui" (true) or "Non"; with none scripted it is "Oui".
    void AjouteReponseQuestion(bool oui) { ReponsesQuestions.push_back(oui); }

    std::vector<TMessageVu> Messages;         ///< every box shown, in order
    std::vector<QString> Questions;           ///< the text of every question asked
    std::vector<QStringList> FiltresDemandes; ///< the filters of every file dialog opened

    void Message(QWidget* parent, const QString& titre, const QString& texte,
                 TTypeMessage type) override;
    bool Question(QWidget* parent, const QString& titre, const QString& texte) override;
    std::optional<TChoixFichier> FichierASauver(QWidget* parent,
                                                const QStringList& filtres) override;
    std::optional<TChoixFichier> FichierAOuvrir(QWidget* parent,
                                                const QStringList& filtres) override;
    QStringList FichiersAOuvrir(QWidget* parent, const QStringList& filtres) override;

  private:
    struct TReponse {
        bool Annulee = true;
        TChoixFichier Choix;
    };
    std::optional<TChoixFichier> Suivante(const QStringList& filtres);
    std::deque<TReponse> Reponses; ///< an empty script cancels
    std::deque<QStringList> ReponsesMultiples;
    std::deque<bool> ReponsesQuestions;
};
