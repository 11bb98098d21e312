#include "windows/FichiersPrincipaux.h"

#include "dessin/EcritImage.h"
#include "ui/Canevas.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

namespace {

const QStringList FiltresPosition = {QStringLiteral("Queue et positions (*.alv)"),
                                     QStringLiteral("Pos vitesses et rotations (*.alv2)")};

/// The name with its extension (from the last "." of its last component) replaced, or added.
QString ChangeExtension(const QString& nom, const QString& extension) {
    const int separateur = static_cast<int>(nom.lastIndexOf(QLatin1Char('/')));
    const int point = static_cast<int>(nom.lastIndexOf(QLatin1Char('.')));
    if (point > separateur) return nom.left(point) + extension;
    return nom + extension;
}

/// The extension of a name, "." included, or nothing.
QString Extension(const QString& nom) {
    const int separateur = static_cast<int>(nom.lastIndexOf(QLatin1Char('/')));
    const int point = static_cast<int>(nom.lastIndexOf(QLatin1Char('.')));
    return point > separateur ? nom.mid(point) : QString();
}

std::string NomFichierNatif(const QString& nom) {
    return QFile::encodeName(nom).toStdString();
}

} // namespace

void TFichiersMain::Erreur(const QString& texte) {
    FDialogues.Message(FParent, QStringLiteral("Erreur"), texte, tmErreur);
}

int TFichiersMain::SauvePosition(TBillardAlveran& moteur) {
    const std::optional<TChoixFichier> choix = FDialogues.FichierASauver(FParent, FiltresPosition);
    if (!choix) return 0;
    std::string erreur;
    int resultat;
    if (choix->IndiceFiltre == 0 ||
        Extension(choix->Nom).compare(QStringLiteral(".alv"), Qt::CaseInsensitive) == 0) {
        resultat = moteur.EcritPositionQueue(
            NomFichierNatif(ChangeExtension(choix->Nom, QStringLiteral(".alv"))), erreur);
    } else {
        resultat = moteur.EcritPositionVitesses(
            NomFichierNatif(ChangeExtension(choix->Nom, QStringLiteral(".alv2"))), erreur);
    }
    if (!erreur.empty()) Erreur(QString::fromUtf8(erreur));
    return resultat;
}

int TFichiersMain::ChargePosition(TBillardAlveran& moteur) {
    const std::optional<TChoixFichier> choix = FDialogues.FichierAOuvrir(FParent, FiltresPosition);
    if (!choix) return 0;
    return LitPosition(moteur, NomFichierNatif(choix->Nom));
}

int TFichiersMain::OuvrePosition(TBillardAlveran& moteur, const QString& nom) {
    // The open dialog only offers files that exist; a name from the command line may not,
    // and reading it would silently put every ball at the origin.
    const QFileInfo fichier(nom);
    if (!fichier.isFile() || !fichier.isReadable()) {
        Erreur(QStringLiteral("Impossible de lire %1").arg(nom));
        return 0;
    }
    return LitPosition(moteur, NomFichierNatif(fichier.absoluteFilePath()));
}

int TFichiersMain::LitPosition(TBillardAlveran& moteur, const std::string& nom) {
    TRapportLecture rapport;
    const int variante = moteur.LitPosition(nom, rapport);
    // A file that could not be read (gone, a folder, too large) changed nothing: say why
    // rather than show the old position as if it were the file's.
    if (!rapport.Erreur.empty()) Erreur(QString::fromStdString(rapport.Erreur));
    return variante;
}

void TFichiersMain::SauveImage(const QImage& image) {
    const std::optional<TChoixFichier> choix =
        FDialogues.FichierASauver(FParent, {QStringLiteral("Bitmaps (*.bmp)")});
    if (!choix) return;
    const QString nom = ChangeExtension(choix->Nom, QStringLiteral(".bmp"));
    // At one pixel per logical pixel whatever the screen's scaling, as the picture is defined.
    if (!EcritImage(ImageLogique(image), nom, "BMP").isEmpty())
        Erreur(QStringLiteral("Impossible d'écrire dans %1").arg(nom));
}

std::optional<QString> TFichiersMain::NomSchema() {
    const QStringList filtres = {QStringLiteral("Schéma SVG (*.svg)"),
                                 QStringLiteral("Schéma PNG (*.png)")};
    const std::optional<TChoixFichier> choix = FDialogues.FichierASauver(FParent, filtres);
    if (!choix) return std::nullopt;
    // A name ending in .svg or .png says it all; otherwise the selected type gives the ending.
    const QString extension = Extension(choix->Nom).toLower();
    if (extension == QStringLiteral(".svg") || extension == QStringLiteral(".png"))
        return choix->Nom;
    return ChangeExtension(choix->Nom, choix->IndiceFiltre == 1 ? QStringLiteral(".png")
                                                                : QStringLiteral(".svg"));
}

void TFichiersMain::EcritSchema(const TSchemaCoup& schema, const QString& nom) {
    QString erreur;
    if (!::EcritSchema(schema, nom, erreur)) Erreur(erreur);
}

void TFichiersMain::Copie(const TBillardAlveran& moteur) {
    QGuiApplication::clipboard()->setText(QString::fromUtf8(moteur.TextePressePapiers()));
}

bool TFichiersMain::Colle(TBillardAlveran& moteur, std::string& manquants) {
    manquants.clear();
    const QClipboard* pressePapiers = QGuiApplication::clipboard();
    const QMimeData* donnees = pressePapiers->mimeData();
    if (!donnees || !donnees->hasText()) return true;
    const TResultatCollage r = moteur.CollePressePapiersTexte(pressePapiers->text().toStdString());
    if (r.Arrete()) {
        Erreur(QString::fromUtf8(r.Erreur));
        return false;
    }
    manquants = r.Manquants;
    return true;
}

void TFichiersMain::SignaleManquants(const std::string& manquants) {
    if (manquants.empty()) return;
    FDialogues.Message(FParent, QStringLiteral("Avertissement"),
                       QStringLiteral("certains paramètres étaient absents du presse-papier et "
                                      "n'ont pas été changés :\r\n") +
                           QString::fromUtf8(manquants),
                       tmAvertissement);
}
