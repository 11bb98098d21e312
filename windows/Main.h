#pragma once
// The program's top-level window: it owns the engine, the table view, the cue-impact control and
// the stroke, fires the shot and shows its result. Its parts live in rooms of their own (menu
// items, keys and tips, files and clipboard, the replay, the dbAlv link, the tracked-shot
// import); the window creates them and connects their signals, in CreeComposants and
// CreeFenetres, the one place where rooms and windows are wired.

#include "analysis/AjustementCoup.h"
#include "analysis/CalculD13.h"
#include "dessin/SchemaCoup.h"
#include "engine/C8_BillardAlveran.h"
#include "ui/Dialogues.h"
#include "windows/Annulation.h"
#include "windows/Services.h"

#include <QImage>
#include <QMainWindow>
#include <QStringList>

#include <memory>

class QLabel;
class QToolButton;
class QWidget;
class TActionsMain;
class TCIBillardHor3B;
class TCIBille;
class TCalibreFrm;
class TClavierMain;
class TEditVectFrm;
class TEhvi;
class TFichiersMain;
class TImportTrajectoire;
class TLienDbAlv;
class TQueueNumFrm;
class TRechercheFrm;
class TSystemeFrm;
class TChancesCoup;
class TRelectureMain;
class TTacheFond;
class TToleranceFrm;
class TVueNumFrm;
class ThlpFrm;
struct TCoupDb;

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

  public:
    /// `dialogues` answers the message boxes and file dialogs; the real ones when null.
    explicit TMainFrm(TDialogues* dialogues = nullptr, QWidget* parent = nullptr);
    ~TMainFrm() override;

    /// Creates the secondary windows in their start-up order (numerical view, calibration,
    /// tolerance, solution search, help, numeric cue editor, vector editor). Called once, after
    /// construction.
    void CreeFenetres();

    // Services used by the other windows.
    TBillardAlveran& MoteurPartage() override { return *FMoteur; }
    TDialogues& Dialogues() override { return *FDialogues; }
    TCoupQueue Coup() const override { return FCoup; }
    void FixeCoup(const TCoupQueue& coup) override;
    void JoueCoup(const TCoupQueue& coup) override;
    void PositionsVersMoteur() override;
    int EtapeCourante() const override { return FEtapeAffichee; }
    void PlaceBillesEtape(int i) override;
    void Tire() override;
    void TireEnLignes() override;
    bool EffacementLignes() const override;
    void EffaceLignes() override;
    void DessineLignes() override;
    bool EnvoiAutomatique() const override;
    void ExporteVitesses() override;
    void EditeVecteur(int bille, const QString& quoi, TVecteur* vecteur, int indice) override;

    // What the window shows, for the program's start and its tests.
    TBillardAlveran& Moteur() const { return *FMoteur; }
    TCIBillardHor3B* BillardGraph() const { return FBillardGraph; }
    TEhvi* Ehvi1() const { return FEhvi1; }
    QWidget* EhviPanel() const { return FEhviPanel; }
    QLabel* PointLbl() const { return FPointLbl; } ///< the result text beside the cue control
    QLabel* Label1() const { return FLabel1; }     ///< "Modif" while the shot differs
    QLabel* MasseLbl() const { return FMasseLbl; }
    QToolButton* TrajetBtn() const { return FTrajetBtn; }
    /// The ball drawn as engine ball n (1 = the cue ball, 2 and 3 its other balls).
    TCIBille* BilleMoteur(int n) const;
    /// The contact preview's picture.
    const QImage& QimgImage() const { return FQimgImage; }
    /// The result text of the last shot, lines ended by CR.
    const QString& TexteDernierResultat() const { return FTexteResultat; }
    /// Last shot characteristics (D13, P13, d, contre, cushion count), kept for the export.
    const TCaracteristiques& Derniers() const { return FDerniers; }
    bool LignesTracees() const { return FLignesTracees; }
    bool Modifie() const { return FModifie; }
    bool CoupEnCours() const { return FCoupEnCours; }
    int EtapeAffichee() const { return FEtapeAffichee; }
    int Increment() const;
    int ToucheTenue() const;
    /// The tip shown over a drawn part of the cue control or the table (at pixel p of that
    /// control), naming the keys that change it; empty where there is none.
    QString InfoBulle(const QWidget* controle, QPoint p) const;
    /// "Trace simultanée" and "Lignes" states, read by the analysis windows.
    bool TraceSimultanee() const;
    bool Lignes() const;

    // The secondary windows (created by CreeFenetres, alive until the program ends).
    TVueNumFrm* VueNumFrm() const { return FVueNumFrm.get(); }
    TCalibreFrm* CalibreFrm() const { return FCalibreFrm.get(); }
    TToleranceFrm* ToleranceFrm() const { return FToleranceFrm.get(); }
    TRechercheFrm* RechercheFrm() const { return FRechercheFrm.get(); }
    TSystemeFrm* SystemeFrm() const { return FSystemeFrm.get(); }
    ThlpFrm* HlpFrm() const { return FHlpFrm.get(); }
    TQueueNumFrm* QueueNumFrm() const { return FQueueNumFrm.get(); }
    TEditVectFrm* EditVectFrm() const { return FEditVectFrm.get(); }

    /// The link with the database application (its transport, the server name sent to).
    TLienDbAlv& LienDbAlv() const { return *FLienDbAlv; }
    /// "Chances de réussite" and the player choice.
    TChancesCoup& Chances() const { return *FChances; }
    /// A frame's data received from the database application; blocks not of 296 bytes are
    /// ignored.
    void RecoitBlocDb(const QByteArray& bloc);

    /// Saves a position through the save dialog: 0 (cancelled or failed), 1 or 2.
    int SauvePosition();
    /// Loads the position file `nom` as "Charger une position" does once its dialog has
    /// answered: how a file named on the command line (a double-click on it) opens. 0, 1 or 2
    /// as the engine's reading; a file that cannot be read changes nothing and says so.
    int OuvrePosition(const QString& nom);
    /// The diagram of the engine's last shot, in the balls' colours, with the result text.
    TSchemaCoup SchemaDernierCoup() const;

    // Tracked shots: the samples shown as dots, the stroke fitted to them in the background,
    // then fired as lines over the dots.
    bool ImporteTrajectoire(const QString& nom);
    void OublieTrajectoire();
    bool TrajectoireChargee() const;
    /// Reads a tracked attempt and draws it over the current stroke fired as lines, with the
    /// cue ball's distance to it at each cushion, also listed in the result text. The balls and
    /// the stroke are kept. A file refused says why in a box.
    bool CompareTentative(const QString& nom);
    /// The fit running in the background, with its progress window.
    TTacheFond& TacheAjustement() const;
    /// The RMSE of the last fitted shot fired (cm), or a negative value.
    double EcartMesure() const { return FEcartMesure; }

    /// Undo: what a step puts back, as the table and the stroke stand now.
    TEtatPartie EtatPartie() const;
    /// "Annuler" and "Rétablir" of ball places, cue ball, aim and stroke.
    TAnnulation& Annulation() const { return *FAnnulation; }

  protected:
    void showEvent(QShowEvent* evenement) override;

  private:
    void CreeComposants();
    void ConnecteActions();
    void Dispose();
    void ZoneClientRedimensionnee();

    // The stroke and the controls.
    /// Shows FCoup on the cue control and the aim, without firing.
    void AfficheCoup();
    void NoteAffichage();
    /// The values the player changed on the cue control into FCoup.
    void AdopteControle();
    void PlaceEtape(int i);
    void FixeModif(bool b);
    /// Velocity and rotation 0 in record 0 for the three balls: a shot that starts afresh.
    void BillesAuRepos();
    /// Colours of engine balls 2 and 3 that move in record 0 (set by the numerical view).
    QStringList BillesEnMouvement() const;
    /// "jaune", "blanche" or "rouge".
    QString NomCouleur(const TCIBille* bille) const;
    void EffaceResultat();
    void AfficheResultat();
    void Ehvi1EhviChange();
    void BillardGraphViseeChange();
    void CommandeFleche(int commande, int dx, int dy);
    void CommandeTouche(int touche);

    // The shot.
    /// A clean table: repaints it and forgets the lines.
    void RedessineSansLignes();
    void CommandeF9();
    /// The contact preview redrawn, then, outside a shot, the shot marked as modified (and
    /// fired again in live mode).
    void ApercuContact();
    void DessineApercu();

    // Files, clipboard and the database application.
    void ChargerMnuClick();
    void SauvegarderMnuClick();
    void ExporterSchemaMnuClick();
    void ParamPhysMnuClick();
    void CopierMnuClick();
    void CollerMnuClick();
    /// After a load or a received block: the balls at record 0, the whole stroke from the
    /// engine, a clean table.
    void RecadreApresChargement();
    /// After a position file is read: the cue ball it names, if any, becomes the cue ball.
    void PrendBilleJoueurFichier();
    void EnvoieCoupDb();
    void CoupRecuDb(const TCoupDb& bloc);
    /// Places the fitted start, sets the stroke, fires as lines and adds the RMSE of the shot
    /// fired to the result text.
    void AppliqueAjustement(const TResultatAjustement& resultat);
    void AfficheMessage(const QString& titre, const QString& texte, TTypeMessage type);

    // Undo (MainAnnulation.cpp).
    void CreeAnnulation();
    /// The player changed something on the table or the cue panel.
    void ChangePartie();
    /// A load or a paste: one step at once.
    void ValidePartie();
    void RestaurePartie(const TEtatPartie& e);
    /// "Démo2D Alveran", after the name of the position file last read or written.
    void AfficheNomFichier();
    std::unique_ptr<TAnnulation> FAnnulation;

    std::unique_ptr<TBillardAlveran> FMoteur; // first: the controls refer to it
    std::unique_ptr<TDialogues> FDialoguesPropres;
    TDialogues* FDialogues = nullptr;

    // Components (children of the window).
    TCIBillardHor3B* FBillardGraph = nullptr;
    QWidget* FEhviPanel = nullptr;
    TEhvi* FEhvi1 = nullptr;
    QLabel* FVlbl = nullptr;
    QLabel* FEHlbl = nullptr;
    QLabel* FIlbl = nullptr;
    QLabel* FMasseLbl = nullptr;
    QLabel* FQimg = nullptr; ///< shows FQimgImage, the contact preview
    QToolButton* FTrajetBtn = nullptr;
    QLabel* FPointLbl = nullptr;
    QLabel* FLabel1 = nullptr;
    QImage FQimgImage;

    // Rooms (children of the window, or owned here).
    TActionsMain* FActions = nullptr;
    TRelectureMain* FRelecture = nullptr;
    TClavierMain* FClavier = nullptr;
    TLienDbAlv* FLienDbAlv = nullptr;
    TImportTrajectoire* FImport = nullptr;
    TChancesCoup* FChances = nullptr;
    std::unique_ptr<TFichiersMain> FFichiers;

    // Secondary windows.
    std::unique_ptr<TVueNumFrm> FVueNumFrm;
    std::unique_ptr<TCalibreFrm> FCalibreFrm;
    std::unique_ptr<TToleranceFrm> FToleranceFrm;
    std::unique_ptr<TRechercheFrm> FRechercheFrm;
    std::unique_ptr<TSystemeFrm> FSystemeFrm;
    std::unique_ptr<ThlpFrm> FHlpFrm;
    std::unique_ptr<TQueueNumFrm> FQueueNumFrm;
    std::unique_ptr<TEditVectFrm> FEditVectFrm;

    // Window state.
    bool FLignesTracees = false;
    bool FCoupEnCours = false;
    bool FModifie = false;
    int FEtapeAffichee = 0; ///< record at which the last shot left the balls
    QSize FZonePrec;        ///< client area's size at the last resize
    int FPlacement = 0;     ///< while positive, changes of the controls do not fire the live shot
    QString FTexteResultat;
    TCaracteristiques FDerniers;
    double FEcartMesure = -1.0;

    /// The stroke: what the next shot fires, exact whatever the controls' pixels can show.
    TCoupQueue FCoup;
    /// The cue control's values once it last showed FCoup: a value that differs from these
    /// was changed by the player, and only that value of the stroke follows the control.
    struct TValeursAffichees {
        double Effet = 0.0, Hauteur = 0.0, Vitesse = 0.0, Inclinaison = 0.0, Masse = 0.0;
    } FAffiche;
};

/// The program: the main window and its secondary windows, the position file named by the
/// first argument after the program's name if there is one, then the event loop until the
/// program ends; returns its exit status. `arguments` as QCoreApplication::arguments(),
/// `dialogues` as for TMainFrm.
int LanceProgramme(const QStringList& arguments, TDialogues* dialogues = nullptr);
