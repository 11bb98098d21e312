#pragma once
// The program's top-level window: it owns the engine, the table view and the cue-impact
// control, keeps the engine's inputs in step with what the user sees, fires the shot and
// shows its result, and offers the menus and the keyboard commands.

#include "analysis/AjustementCoup.h"
#include "analysis/CalculD13.h"
#include "dessin/SchemaCoup.h"
#include "dessin/TexteCoup.h"
#include "engine/C8_BillardAlveran.h"
#include "transport/TransportDbAlv.h"
#include "ui/Dialogues.h"
#include "windows/Annulation.h"
#include "windows/Services.h"
#include "windows/TacheFond.h"

#include <QImage>
#include <QLocale>
#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;
class TCIBillardHor3B;
class TCIBille;
class TEhvi;
class TVueNumFrm;
class TCalibreFrm;
class TToleranceFrm;
class TRechercheFrm;
class TSystemeFrm;
class TChancesCoup;
class ThlpFrm;
class TQueueNumFrm;
class TEditVectFrm;

/// The result line of a shot fitted to a tracked one: its RMSE against the samples (cm).
QString TexteEcartMesure(double rmse, const QLocale& locale);
/// The result text's lines of an attempt against the stroke meant: the cushions reached, then
/// the distance at each cushion both reached.
QStringList TextesComparaison(const struct TComparaisonTentative& c, const QLocale& locale);

/// Steps of the aim keys (degrees), each times the arrows' step (keypad + and −): A + ← or →
/// turns the aim by the fine step, A + ↑ or ↓ by the coarse one.
inline constexpr double PasViseeFin = 0.01, PasViseeGros = 1.0;
/// The aim (degrees, in (−180, 180]) after an arrow held with A: → and ↑ turn it up, ← and ↓
/// down; the result is a whole number of hundredths.
double AngleApresFleche(double degres, int dx, int dy);

class TMainFrm : public QMainWindow, public TServicesMain {
    Q_OBJECT

  private:
    std::unique_ptr<TBillardAlveran> FMoteur; // first: the controls below refer to it

  public:
    /// `dialogues` answers the message boxes and file dialogs; the real ones when null.
    explicit TMainFrm(TDialogues* dialogues = nullptr, QWidget* parent = nullptr);
    ~TMainFrm() override;

    /// Creates the secondary windows in their start-up order (numerical view, calibration,
    /// tolerance, solution search, help, numeric cue editor, vector editor). Called once, after
    /// construction.
    void CreeFenetres();

    // Owned components.
    TBillardAlveran& Moteur;
    TCIBillardHor3B* BillardGraph = nullptr;
    QWidget* EhviPanel = nullptr;
    TEhvi* Ehvi1 = nullptr;
    QLabel* Vlbl = nullptr;
    QLabel* EHlbl = nullptr;
    QLabel* Ilbl = nullptr;
    QLabel* MasseLbl = nullptr;
    QLabel* Qimg = nullptr; ///< shows QimgImage, the contact preview
    QToolButton* TrajetBtn = nullptr;
    QLabel* PointLbl = nullptr;
    QLabel* Label1 = nullptr;

    // Secondary windows (created by CreeFenetres, alive until the program ends).
    std::unique_ptr<TVueNumFrm> VueNumFrm;
    std::unique_ptr<TCalibreFrm> CalibreFrm;
    std::unique_ptr<TToleranceFrm> ToleranceFrm;
    std::unique_ptr<TRechercheFrm> RechercheFrm;
    std::unique_ptr<TSystemeFrm> SystemeFrm;
    std::unique_ptr<ThlpFrm> HlpFrm;
    std::unique_ptr<TQueueNumFrm> QueueNumFrm;
    std::unique_ptr<TEditVectFrm> EditVectFrm;

    // Window state.
    int Increment = 1;   ///< step of the arrow keys, at least 1
    int ToucheTenue = 0; ///< Qt key code of the command key held down, 0 for none
    bool LignesTracees = false;
    bool CoupEnCours = false;
    bool Modifie = false;
    int EtapeAffichee = 0; ///< record at which the last shot left the balls
    int HauteurPrec = 0;   ///< window height at the last resize
    /// Last shot characteristics (D13, P13, d, contre, cushion count), kept for the export.
    TCaracteristiques Derniers;

    // Services used by the other windows.
    TBillardAlveran& MoteurPartage() override { return Moteur; }
    TCoupCourant CoupCourant() const override;
    void FixeValeurCoup(TValeurCoup valeur, double v) override;
    void JoueCoupExact(const TCoupQueue& coup) override;
    int EtapeCourante() const override { return EtapeAffichee; }
    bool EffacementLignes() const override;
    bool EnvoiAutomatique() const override;
    void TireEnLignes() override;
    void EditeVecteur(int bille, const QString& quoi, TVecteur* vecteur, int indice) override;
    void PositionsVersMoteur() override;
    void CoupVersMoteur();
    void PlaceBillesEtape(int i) override;
    void PlaceEtape(int i);
    void FixeModif(bool b);
    /// Velocity and rotation 0 in record 0 for the three balls: a shot that starts afresh.
    void BillesAuRepos();
    /// Colours of engine balls 2 and 3 that move in record 0 (set by the numerical view).
    QStringList BillesEnMouvement() const;
    /// "jaune", "blanche" or "rouge".
    QString NomCouleur(const TCIBille* bille) const;
    /// Empties the result text beside the table.
    void EffaceResultat();
    /// The ball drawn as engine ball n (1 = the cue ball, 2 and 3 its other balls).
    TCIBille* BilleMoteur(int n) const;

    // The shot.
    void Tire() override;
    void EffaceLignes() override;
    /// A clean table: repaints it and forgets the lines.
    void RedessineSansLignes();
    void DessineLignes() override;
    void ExporteVitesses() override;
    void CommandeF9();
    /// The contact preview redrawn, then, outside a shot, the shot marked as modified (and
    /// fired again in live mode).
    void ApercuContact();
    /// The contact preview's picture alone.
    void DessineApercu();
    /// Builds the shot block from the engine and the last characteristics and starts sending
    /// it to the database application; EnvoiDbTermine reports the outcome.
    void EnvoieCoupDb();
    /// An error box when a shot sent to the database application was not stored: it is not
    /// running, did not answer, refused the shot, or runs under another user.
    void EnvoiDbTermine(quint64 numero, TTransportDbAlv::TEnvoi etat, quint64 reponse);
    /// A block received from the database application; blocks not of 296 bytes are ignored.
    void RecoitBlocDb(const QByteArray& bloc);

    /// "Trace simultanée" and "Lignes" states, read by the analysis windows.
    bool TraceSimultanee() const;
    bool Lignes() const;

    /// The contact preview's picture.
    const QImage& QimgImage() const { return FQimgImage; }
    /// The result text of the last shot, lines ended by CR.
    const QString& TexteDernierResultat() const { return FTexteResultat; }
    /// "Chances de réussite" and the player choice.
    TChancesCoup& Chances() { return *FChances; }

    TDialogues& Dialogues() override { return *FDialogues; }
    /// The tip shown over a drawn part of the cue control or the table (at pixel p of that
    /// control), naming the keys that change it; empty where there is none.
    QString InfoBulle(const QWidget* controle, QPoint p) const;

    /// The transport to the database application, listening for blocks sent back.
    TTransportDbAlv& Transport() { return *FTransport; }
    /// The server name the shot blocks are sent to (the database application's).
    QString NomServeurDbAlv;

    // Menu handlers.
    void ChargerMnuClick();
    void SauvegarderMnuClick();
    void SauverImageMnuClick();
    /// The shot's diagram as ".svg" or ".png", through the save dialog.
    void ExporterSchemaMnuClick();
    /// The diagram of the engine's last shot, in the balls' colours, with the result text.
    TSchemaCoup SchemaDernierCoup() const;
    void ParamPhysMnuClick();
    void CopierMnuClick();
    void CollerMnuClick();
    void BilleJoueurMnuClick(QAction* item);
    void DessinTrajetsMnuClick();
    void ModeDeJeuMnuClick(QAction* item);
    void AffichePosMnuClick(QAction* item);
    void VitesseRelectureMnuClick(QAction* item);
    /// "Numéroter les bandes" or "Sens de parcours" flipped: remembered, and the lines on the
    /// table drawn again accordingly.
    void AidesTraceMnuClick();
    /// A paused replay shows record i: the numerical view, when open, shows it too, and the
    /// text beside the table says where the replay stands.
    void EtapeRelecture(int i);

    /// Saves a position through the save dialog: 0 (cancelled or failed), 1 or 2.
    int SauvePosition();
    /// Loads a position through the open dialog: 0, 1 or 2.
    int ChargePosition();
    /// Loads the position file `nom` as "Charger une position" does once its dialog has
    /// answered: how a file named on the command line (a double-click on it) opens. 0, 1 or 2
    /// as the engine's reading; a file that cannot be read changes nothing and says so.
    int OuvrePosition(const QString& nom);
    /// Reads the position file `nom` into the engine; an error box names why when it could
    /// not be read. 0, 1 or 2 as the engine's reading.
    int LitPositionSignale(const std::string& nom);

    // Tracked shots (MainTrajectoire.cpp): the samples shown as dots, the stroke fitted to
    // them in the background, then fired as lines over the dots.
    /// Reads a tracked shot, puts the balls at its start and shows its samples. A file that
    /// cannot be read or is refused says why in a box and changes nothing.
    bool ImporteTrajectoire(const QString& nom);
    void ImporterTrajectoireMnuClick();
    /// Starts the fit of the loaded tracked shot's stroke; AppliqueAjustement follows.
    void AjusterCoupMnuClick();
    /// Places the fitted start, sets the controls and the aim, fires as lines and adds the
    /// RMSE of the shot fired to the result text.
    void AppliqueAjustement(const TResultatAjustement& resultat);
    /// Forgets the tracked shot: no dots at the next repaint, nothing to fit.
    void OublieTrajectoire();
    bool TrajectoireChargee() const { return FCoupMesure != nullptr; }
    /// The fit running in the background, with its progress window.
    TTacheFond& TacheAjustement() { return *FTacheAjustement; }
    /// The RMSE of the last fitted shot fired (cm), or a negative value.
    double EcartMesure() const { return FEcartMesure; }
    QAction* ImporterTrajectoireMnu = nullptr;
    QAction* AjusterCoupMnu = nullptr;

    // An attempt against the stroke meant (MainTentative.cpp).
    /// Reads a tracked attempt and draws it over the current stroke fired as lines, with the
    /// cue ball's distance to it at each cushion, also listed in the result text. The balls and
    /// the stroke are kept. A file refused says why in a box.
    bool CompareTentative(const QString& nom);
    QAction* ComparerTentativeMnu = nullptr;
    // Undo (MainAnnulation.cpp): ball places, cue ball, aim and stroke, step by step.
    std::unique_ptr<TAnnulation> Annulation;
    QAction* AnnulerMnu = nullptr;  ///< "Annuler", Ctrl+Z
    QAction* RetablirMnu = nullptr; ///< "Rétablir", Ctrl+Y
    QAction* QuitterMnu = nullptr;  ///< "Quitter", Ctrl+Q
    void CreeAnnulation();
    /// The player changed something on the table or the cue panel.
    void ChangePartie();
    /// A load or a paste: one step at once.
    void ValidePartie();
    TEtatPartie EtatPartie() const;
    void RestaurePartie(const TEtatPartie& e);
    /// "Démo2D Alveran", after the name of the position file last read or written.
    void AfficheNomFichier();

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void showEvent(QShowEvent* evenement) override;

  private:
    // Menu items: the main window's own; other windows ask through TServicesMain.
    QAction* ChargerMnu = nullptr;
    QAction* SauvegarderMnu = nullptr;
    QAction* SauverImageMnu = nullptr;
    QAction* ExporterSchemaMnu = nullptr;
    QAction* dbAlvAutoMnu = nullptr;
    QAction* dbAlvQueueMnu = nullptr;
    QAction* dbAlvVitesseMnu = nullptr;
    QAction* ParamPhysMnu = nullptr;
    QAction* VueNumMnu = nullptr;
    QAction* CalibrageMnu = nullptr;
    QAction* ToleranceMnu = nullptr;
    QAction* RechercheMnu = nullptr;
    QAction* SystemeMnu = nullptr;
    QAction* CopierMnu = nullptr;
    QAction* CollerMnu = nullptr;
    QAction* BlancheMnu = nullptr;
    QAction* JauneMnu = nullptr;
    QAction* LignesMnu = nullptr;
    QAction* BillesMnu = nullptr;
    QAction* LignesEtBillesMnu = nullptr;
    QAction* TraceSimultaneeMnu = nullptr;
    QAction* EffacerLignesMnu = nullptr;
    QAction* Ligne1Mnu = nullptr;
    QAction* Ligne2Mnu = nullptr;
    QAction* Ligne3Mnu = nullptr;
    QAction* NumerosBandesMnu = nullptr;
    QAction* SensParcoursMnu = nullptr;
    QAction* DiamantsBandesMnu = nullptr;
    QAction* LibreMnu = nullptr;
    QAction* UneBandeMnu = nullptr;
    QAction* TroisBandesMnu = nullptr;
    QAction* CmMnu = nullptr;
    QAction* DiamantsMnu = nullptr;
    QAction* AideMnu = nullptr;
    QAction* PauseMnu = nullptr;
    QAction* SuivantMnu = nullptr;
    QAction* PrecedentMnu = nullptr;
    QAction* VitesseQuartMnu = nullptr;
    QAction* VitesseDemiMnu = nullptr;
    QAction* VitesseUnMnu = nullptr;
    QAction* VitesseDoubleMnu = nullptr;

    void CreeComposants();
    void CreeActions();
    void CreeMenus();
    void Dispose();
    void ZoneClientRedimensionnee();
    bool ToucheEnfoncee(int touche, Qt::KeyboardModifiers modifs);
    bool ToucheRelachee(int touche);
    void CommandeFleche(int dx, int dy);
    void RecadreApresChargement();
    void Ehvi1EhviChange();
    void BillardGraphViseeChange();
    void AfficheMessage(const QString& titre, const QString& texte, TTypeMessage type);

    std::unique_ptr<TDialogues> FDialoguesPropres;
    TDialogues* FDialogues = nullptr;
    std::unique_ptr<TTransportDbAlv> FTransport;
    QImage FQimgImage;
    QString FTexteResultat;
    TChancesCoup* FChances = nullptr; ///< child object
    QActionGroup* FGroupeDbAlv = nullptr;
    int FPlacement = 0; ///< while positive, changes of the controls do not fire the live shot

    // Tracked shots.
    void CreeActionsTrajectoire();
    void CreeActionTentative();
    std::unique_ptr<TCoupMesure> FCoupMesure; ///< the loaded tracked shot, ready for fitting
    std::unique_ptr<TTacheFond> FTacheAjustement;
    int FNumeroMesure = 0;    ///< changes with every tracked shot loaded or forgotten
    bool FCoupImpose = false; ///< the engine's stroke is fired as it is, not from the controls
    double FEcartMesure = -1.0;
};

/// The program: the main window and its secondary windows, the position file named by the
/// first argument after the program's name if there is one, then the event loop until the
/// program ends; returns its exit status. `arguments` as QCoreApplication::arguments(),
/// `dialogues` as for TMainFrm.
int LanceProgramme(const QStringList& arguments, TDialogues* dialogues = nullptr);
