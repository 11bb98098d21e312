#include "ui/Dialogues.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

void TDialoguesQt::Message(QWidget* parent, const QString& titre, const QString& texte,
                           TTypeMessage type) {
    QMessageBox::Icon icone = QMessageBox::Information;
    if (type == tmErreur) icone = QMessageBox::Critical;
    if (type == tmAvertissement) icone = QMessageBox::Warning;
    QMessageBox boite(icone, titre, texte, QMessageBox::Ok, parent);
    boite.exec();
}

bool TDialoguesQt::Question(QWidget* parent, const QString& titre, const QString& texte) {
    QMessageBox boite(QMessageBox::Question, titre, texte, QMessageBox::Yes | QMessageBox::No,
                      parent);
    boite.setDefaultButton(QMessageBox::No);
    return boite.exec() == QMessageBox::Yes;
}

namespace {

/// The folder of the last file chosen, kept between runs in the user's Qt settings.
constexpr const char* CleDernierDossier = "dialogues/dernierDossier";

/// The dialog opens where the player last chose a file (when that folder still exists).
void OuvreDansLeDernierDossier(QFileDialog& dialogue) {
    const QString dossier = QSettings().value(QString::fromLatin1(CleDernierDossier)).toString();
    if (!dossier.isEmpty() && QFileInfo(dossier).isDir()) dialogue.setDirectory(dossier);
}

void RetientDossier(const QString& fichier) {
    QSettings().setValue(QString::fromLatin1(CleDernierDossier), QFileInfo(fichier).absolutePath());
}

std::optional<TChoixFichier> Dialogue(QWidget* parent, const QStringList& filtres,
                                      QFileDialog::AcceptMode mode) {
    QFileDialog dialogue(parent);
    OuvreDansLeDernierDossier(dialogue);
    dialogue.setAcceptMode(mode);
    dialogue.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                         : QFileDialog::ExistingFile);
    // The caller decides the extension and the overwrite: the dialog adds and asks nothing.
    dialogue.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialogue.setDefaultSuffix(QString());
    dialogue.setNameFilters(filtres);
    if (!filtres.isEmpty()) dialogue.selectNameFilter(filtres.first());
    if (dialogue.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList noms = dialogue.selectedFiles();
    if (noms.isEmpty() || noms.first().isEmpty()) return std::nullopt;
    RetientDossier(noms.first());
    TChoixFichier choix;
    choix.Nom = noms.first();
    choix.IndiceFiltre =
        std::max(0, static_cast<int>(filtres.indexOf(dialogue.selectedNameFilter())));
    return choix;
}

} // namespace

std::optional<TChoixFichier> TDialoguesQt::FichierASauver(QWidget* parent,
                                                          const QStringList& filtres) {
    return Dialogue(parent, filtres, QFileDialog::AcceptSave);
}

std::optional<TChoixFichier> TDialoguesQt::FichierAOuvrir(QWidget* parent,
                                                          const QStringList& filtres) {
    return Dialogue(parent, filtres, QFileDialog::AcceptOpen);
}

QStringList TDialoguesQt::FichiersAOuvrir(QWidget* parent, const QStringList& filtres) {
    QFileDialog dialogue(parent);
    OuvreDansLeDernierDossier(dialogue);
    dialogue.setAcceptMode(QFileDialog::AcceptOpen);
    dialogue.setFileMode(QFileDialog::ExistingFiles);
    dialogue.setNameFilters(filtres);
    if (!filtres.isEmpty()) dialogue.selectNameFilter(filtres.first());
    if (dialogue.exec() != QDialog::Accepted) return {};
    const QStringList noms = dialogue.selectedFiles();
    if (!noms.isEmpty()) RetientDossier(noms.first());
    return noms;
}
