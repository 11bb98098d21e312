#include "support/DialoguesScriptes.h"

void TDialoguesScriptes::Message(QWidget*, const QString& titre, const QString& texte,
                                 TTypeMessage type) {
    Messages.push_back({titre, texte, type});
}

bool TDialoguesScriptes::Question(QWidget*, const QString&, const QString& texte) {
    Questions.push_back(texte);
    if (ReponsesQuestions.empty()) return true;
    const bool oui = ReponsesQuestions.front();
    ReponsesQuestions.pop_front();
    return oui;
}

std::optional<TChoixFichier> TDialoguesScriptes::Suivante(const QStringList& filtres) {
    FiltresDemandes.push_back(filtres);
    if (Reponses.empty()) return std::nullopt;
    const TReponse reponse = Reponses.front();
    Reponses.pop_front();
    if (reponse.Annulee) return std::nullopt;
    return reponse.Choix;
}

std::optional<TChoixFichier> TDialoguesScriptes::FichierASauver(QWidget*,
                                                                const QStringList& filtres) {
    return Suivante(filtres);
}

std::optional<TChoixFichier> TDialoguesScriptes::FichierAOuvrir(QWidget*,
                                                                const QStringList& filtres) {
    return Suivante(filtres);
}

QStringList TDialoguesScriptes::FichiersAOuvrir(QWidget*, const QStringList& filtres) {
    FiltresDemandes.push_back(filtres);
    if (ReponsesMultiples.empty()) return {};
    const QStringList noms = ReponsesMultiples.front();
    ReponsesMultiples.pop_front();
    return noms;
}
