// The main window's commands that go through its rooms: position files, exports and clipboard,
// the database application, and the tracked shot's fit.

#include "windows/Main.h"

#include "analysis/ComdbAlv.h"
#include "dessin/TexteCoup.h"
#include "ui/CIbh3billes.h"
#include "windows/ActionsPrincipales.h"
#include "windows/FichiersPrincipaux.h"
#include "windows/ImportTrajectoire.h"
#include "windows/LienDbAlv.h"
#include "windows/ParamPhysBox.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>

// ---------------------------------------------------------------------------------------------
// Position files, exports and clipboard

int TMainFrm::SauvePosition() {
    FMoteur->BilleJoueur = FActions->Jaune->isChecked() ? bjJaune : bjBlanche;
    const int resultat = FFichiers->SauvePosition(*FMoteur);
    if (resultat != 0) AfficheNomFichier();
    return resultat;
}

void TMainFrm::AfficheNomFichier() {
    const QString nom =
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(FMoteur->NomFichier))).fileName();
    setWindowTitle(nom.isEmpty() ? QStringLiteral("Démo2D Alveran")
                                 : nom + QStringLiteral(" — Démo2D Alveran"));
}

void TMainFrm::PrendBilleJoueurFichier() {
    // A file that names its cue ball is played with that ball: its engine ball 1 is that one.
    // One that does not is played with the ball in use, which the engine then notes, so that
    // what names balls by colour (routes, captions) names the right ones.
    if (FMoteur->BilleJoueur == bjInconnue) {
        FMoteur->BilleJoueur = FActions->Jaune->isChecked() ? bjJaune : bjBlanche;
        return;
    }
    QAction* choix = FMoteur->BilleJoueur == bjJaune ? FActions->Jaune : FActions->Blanche;
    if (choix->isChecked()) return;
    choix->setChecked(true);
    emit FActions->BilleJoueurChoisie(choix);
}

void TMainFrm::RecadreApresChargement() {
    OublieTrajectoire();
    {
        // The whole stroke the engine holds now, exactly, cue mass included.
        ++FPlacement;
        PlaceBillesEtape(0);
        FCoup = FMoteur->Coup;
        AfficheCoup();
        // Redrawing puts the balls back on their places: not a move of the player's.
        RedessineSansLignes();
        --FPlacement;
    }
}

void TMainFrm::ChargerMnuClick() {
    ValidePartie(); // what the player did before is a step of its own
    FActions->Lignes->setChecked(true);
    // What the file does not hold (or a cancelled dialog) leaves the stroke as it is.
    FMoteur->Coup = FCoup;
    const int variante = FFichiers->ChargePosition(*FMoteur);
    // A stroke file holds positions only: the three balls start at rest, whatever an earlier
    // computation left in record 0. A ".alv2" brings its own velocities and rotations.
    if (variante == 1) BillesAuRepos();
    // The result beside the table was the previous shot's, not this position's.
    if (variante != 0) EffaceResultat();
    if (variante != 0) PrendBilleJoueurFichier();
    RecadreApresChargement();
    if (TraceSimultanee()) Tire();
    if (variante != 0) AfficheNomFichier();
    ValidePartie();
}

int TMainFrm::OuvrePosition(const QString& nom) {
    ValidePartie();
    FMoteur->Coup = FCoup;
    const int variante = FFichiers->OuvrePosition(*FMoteur, nom);
    if (variante == 0) return 0;
    FActions->Lignes->setChecked(true);
    PrendBilleJoueurFichier();
    RecadreApresChargement();
    if (TraceSimultanee()) Tire();
    AfficheNomFichier();
    ValidePartie();
    return variante;
}

void TMainFrm::SauvegarderMnuClick() {
    PositionsVersMoteur();
    FMoteur->Coup = FCoup;
    // The ".alv2" variant writes the velocities and rotations the strike gives.
    FMoteur->ChocQueueBille();
    SauvePosition();
}

void TMainFrm::ExporterSchemaMnuClick() {
    const std::optional<QString> nom = FFichiers->NomSchema();
    if (!nom) return;
    // The diagram shows the shot as set: fired again (as lines) when it changed since.
    if (FModifie || FMoteur->NbEnr == 0) TireEnLignes();
    FFichiers->EcritSchema(SchemaDernierCoup(), *nom);
}

TSchemaCoup TMainFrm::SchemaDernierCoup() const {
    TSchemaCoup schema;
    schema.Moteur = FMoteur.get();
    for (int n = 1; n <= 3; ++n) schema.Couleurs[static_cast<size_t>(n - 1)] = BilleMoteur(n)->cl();
    const QString resultat = FTexteResultat.isEmpty()
                                 ? TexteResultat(ResultatMoteur(*FMoteur), QLocale())
                                 : FTexteResultat;
    schema.Legende = LegendeCoup(*FMoteur, resultat, QLocale());
    schema.NumerosDiamants = FActions->DiamantsBandes->isChecked();
    return schema;
}

void TMainFrm::ParamPhysMnuClick() {
    // A box that did not convert leaves the table's dimensions as they were.
    if (!EditeParametres(FMoteur->Fisik, this, FDialogues)) return;
    FBillardGraph->bhDim().SetJeu(FMoteur->Fisik.largeurJeu());
    FBillardGraph->bhDim().SetRayonBilles(FMoteur->Fisik.RayonBilles());
}

void TMainFrm::CopierMnuClick() {
    PositionsVersMoteur();
    FMoteur->Coup = FCoup;
    TFichiersMain::Copie(*FMoteur);
}

void TMainFrm::CollerMnuClick() {
    ValidePartie();
    // What the text does not hold stays as the player set it.
    FMoteur->Coup = FCoup;
    std::string manquants;
    if (!FFichiers->Colle(*FMoteur, manquants)) return;
    BillesAuRepos();
    PlaceEtape(0);
    Tire();
    ValidePartie();
    FFichiers->SignaleManquants(manquants);
}

// ---------------------------------------------------------------------------------------------
// The database application

void TMainFrm::EnvoieCoupDb() {
    FLienDbAlv->Envoie(PrepareCoupDb(*FMoteur, FDerniers, FActions->dbAlvQueue->isChecked()));
}

void TMainFrm::ExporteVitesses() {
    const bool queue = FActions->dbAlvQueue->isChecked();
    const bool vitesse = FActions->dbAlvVitesse->isChecked();
    FActions->dbAlvVitesse->setChecked(true);
    FDerniers.d = 0.0;
    CalculeCaracteristiques(*FMoteur, FDerniers);
    EnvoieCoupDb();
    // Both may have been unchecked: the exclusive group must not force one back on.
    FActions->dbAlvQueue->setChecked(queue);
    FActions->dbAlvVitesse->setChecked(vitesse);
}

void TMainFrm::RecoitBlocDb(const QByteArray& bloc) {
    FLienDbAlv->Recoit(bloc);
}

void TMainFrm::CoupRecuDb(const TCoupDb& bloc) {
    // A block carries at most the cue ball's motion: the object balls start at rest, as on a
    // fresh engine. What it does not carry of the stroke stays as the player set it.
    ValidePartie();
    BillesAuRepos();
    FMoteur->Coup = FCoup;
    const int32_t type = RecoitCoupDb(*FMoteur, bloc);
    EffaceResultat();
    FActions->Lignes->setChecked(true);
    RecadreApresChargement();
    if (type == tcQueue) {
        Tire();
    } else {
        FMoteur->CalculeTrajets();
        // Only the "Lignes" command follows: the recording is complete but not drawn.
        FActions->Lignes->setChecked(true);
        RedessineSansLignes();
    }
    ValidePartie();
}

// ---------------------------------------------------------------------------------------------
// Tracked shots

bool TMainFrm::ImporteTrajectoire(const QString& nom) {
    return FImport->Importe(nom, FMoteur->Fisik);
}

void TMainFrm::OublieTrajectoire() {
    FImport->Oublie();
}

bool TMainFrm::TrajectoireChargee() const {
    return FImport->Chargee();
}

TTacheFond& TMainFrm::TacheAjustement() const {
    return FImport->Tache();
}

void TMainFrm::AppliqueAjustement(const TResultatAjustement& resultat) {
    // The fitted stroke is the stroke, exactly: the shot drawn is the shot the fit scored.
    PlaceCoup(*FMoteur, FImport->Mesure(), resultat.Coup);
    {
        ++FPlacement;
        PlaceBillesEtape(0);
        --FPlacement;
    }
    JoueCoup(FMoteur->Coup);
    if (FMoteur->QueueInsoluble) return;
    FEcartMesure = FImport->Ecart(FMoteur->Fisik, resultat.Coup);
    FTexteResultat += TexteEcartMesure(FEcartMesure, QLocale()) + QLatin1Char('\r');
    AfficheResultat();
}
