#include "windows/Main.h"

#include "analysis/ComdbAlv.h"
#include "dessin/TexteCoup.h"
#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"
#include "windows/ActionsPrincipales.h"
#include "windows/Calibrage.h"
#include "windows/Chances.h"
#include "windows/ClavierPrincipal.h"
#include "windows/Ecran.h"
#include "windows/EditVect.h"
#include "windows/FichiersPrincipaux.h"
#include "windows/ImportTrajectoire.h"
#include "windows/LienDbAlv.h"
#include "windows/QueueNum.h"
#include "windows/Recherche.h"
#include "windows/RelecturePrincipale.h"
#include "windows/Systeme.h"
#include "windows/Tolerance.h"
#include "windows/VueNum.h"
#include "windows/hlp.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr int HauteurEhviPanel = 129;
constexpr int HauteurTable = 310;
/// The cue panel's controls end 545 pixels from its left edge.
constexpr int LargeurEhviPanelMin = 545;
/// The table never shrinks below this height to fit a narrow window.
constexpr int HauteurTableMin = 120;

/// While the controls are being set from the stroke, live mode does not fire: one change of
/// the stroke is one shot, not one per control.
struct TSansTirDirect {
    explicit TSansTirDirect(int& compteur) : Compteur(compteur) { ++Compteur; }
    ~TSansTirDirect() { --Compteur; }
    TSansTirDirect(const TSansTirDirect&) = delete;
    TSansTirDirect& operator=(const TSansTirDirect&) = delete;
    int& Compteur;
};

/// The client area under the menu bar; its resizes drive the window's resize rule.
class TZoneClient : public QWidget {
  public:
    explicit TZoneClient(QWidget* parent) : QWidget(parent) {}
    std::function<void()> OnResize;

  protected:
    void resizeEvent(QResizeEvent*) override {
        if (OnResize) OnResize();
    }
};

QLabel* CreeLabel(QWidget* parent, const char* nom, int x, int y) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(nom));
    label->move(x, y);
    return label;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction and wiring: the one place where the rooms and the windows are connected

TMainFrm::TMainFrm(TDialogues* dialogues, QWidget* parent)
    : QMainWindow(parent), FMoteur(std::make_unique<TBillardAlveran>()) {
    if (dialogues) {
        FDialogues = dialogues;
    } else {
        FDialoguesPropres = std::make_unique<TDialoguesQt>();
        FDialogues = FDialoguesPropres.get();
    }
    setWindowTitle(QStringLiteral("Démo2D Alveran"));
    // The window's font, with metric-compatible faces before the system's default sans.
    QFont police(QStringLiteral("MS Sans Serif"), 8);
    police.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                        QStringLiteral("Arial")});
    setFont(police);
    FMoteur->ModeDeJeu = j3Bandes;

    CreeComposants();
    FActions = new TActionsMain(this);
    FRelecture = new TRelectureMain(*FBillardGraph, this);
    FChances = new TChancesCoup(*this, this);
    connect(FChances, &TChancesCoup::Resultat, this, [this](const QString& ligne) {
        FTexteResultat += (FTexteResultat.isEmpty() ? QString() : QStringLiteral("\r")) + ligne;
        AfficheResultat();
    });
    FActions->AjouteMenus(*menuBar(), *FRelecture,
                          {FChances->CalculeMnu, FChances->JoueurMnu->menuAction()});
    CreeAnnulation();
    FFichiers = std::make_unique<TFichiersMain>(this, *FDialogues);
    FImport = new TImportTrajectoire(this, *FDialogues);
    // Blocks sent back by the database application.
    FLienDbAlv = new TLienDbAlv(this);
    ConnecteActions();

    // Client area: the table (310 pixels high), a 5-pixel gap, the cue panel.
    resize(563, menuBar()->sizeHint().height() + HauteurTable + 5 + HauteurEhviPanel);
    // A hidden window lays out its client area only when first shown; the numeric cue editor,
    // created before that, places itself over the cue panel and needs its real place now.
    layout()->activate();
    Dispose();

    // Creation steps, once the components exist.
    move(0, 0);
    FBillardGraph->ViseAngle(Radians(98.64));
    FQimgImage.fill(palette().color(QPalette::Window));
    FQimg->setPixmap(QPixmap::fromImage(FQimgImage));
    FEhvi1->SetclBille(FBillardGraph->BilleJoueur()->cl());
    // The first stroke is the one the control shows, effect and height on their pixel.
    FEhvi1->DecaleEffetHauteur(0.0, 0.0);
    FCoup = {.AngleOx = FBillardGraph->AngleVisee(),
             .Effet = FEhvi1->Effet(),
             .Hauteur = FEhvi1->Hauteur(),
             .Vq = FEhvi1->Vitesse(),
             .AngleTapis = Radians(FEhvi1->Inclinaison()),
             .m = FEhvi1->MasseQueue()};
    NoteAffichage();
    BillardGraphViseeChange();
    // The cue ball and the game mode the player left last time.
    if (FActions->Jaune->isChecked()) emit FActions->BilleJoueurChoisie(FActions->Jaune);
    FMoteur->BilleJoueur = FActions->Jaune->isChecked() ? bjJaune : bjBlanche;
    for (QAction* mode : {FActions->Libre, FActions->UneBande, FActions->TroisBandes})
        if (mode->isChecked()) emit FActions->ModeChoisi(mode);

    // Keys reach the window before its controls.
    FClavier = new TClavierMain(this, FEhvi1, FBillardGraph);
    connect(FClavier, &TClavierMain::Fleche, this, &TMainFrm::CommandeFleche);
    connect(FClavier, &TClavierMain::Commande, this, &TMainFrm::CommandeTouche);
}

TMainFrm::~TMainFrm() {
    // Keys and tips stop first: the components they watch go with the window.
    delete FClavier;
    // The secondary windows refer to this one: they go first.
    FEditVectFrm.reset();
    FQueueNumFrm.reset();
    FHlpFrm.reset();
    FSystemeFrm.reset();
    FRechercheFrm.reset();
    FToleranceFrm.reset();
    FCalibreFrm.reset();
    FVueNumFrm.reset();
}

void TMainFrm::ConnecteActions() {
    const TActionsMain& a = *FActions;
    const auto relie = [this](QAction* action, auto faire) {
        connect(action, &QAction::triggered, this, faire);
    };
    relie(a.Charger, [this] { ChargerMnuClick(); });
    relie(a.Sauvegarder, [this] { SauvegarderMnuClick(); });
    relie(a.SauverImage, [this] { FFichiers->SauveImage(FBillardGraph->ImageAvecVisee()); });
    relie(a.ExporterSchema, [this] { ExporterSchemaMnuClick(); });
    relie(a.ImporterTrajectoire, [this] { FImport->ImporteDepuisDialogue(FMoteur->Fisik); });
    relie(a.AjusterCoup, [this] {
        // The fit keeps the cue mass and inclination of the stroke.
        FMoteur->Coup = FCoup;
        FImport->LanceAjustement(*FMoteur);
    });
    relie(a.ParamPhys, [this] { ParamPhysMnuClick(); });
    relie(a.VueNum, [this] { MontreSurEcran(FVueNumFrm.get()); });
    relie(a.Calibrage, [this] { MontreSurEcran(FCalibreFrm.get()); });
    relie(a.Tolerance, [this] { MontreSurEcran(FToleranceFrm.get()); });
    relie(a.Recherche, [this] { MontreSurEcran(FRechercheFrm.get()); });
    relie(a.Systeme, [this] { MontreSurEcran(FSystemeFrm.get()); });
    relie(a.Copier, [this] { CopierMnuClick(); });
    relie(a.Coller, [this] { CollerMnuClick(); });
    relie(a.Aide, [this] { MontreSurEcran(FHlpFrm.get()); });
    relie(a.Annuler, [this] { FAnnulation->Annule(); });
    relie(a.Retablir, [this] { FAnnulation->Retablit(); });
    relie(a.Quitter, [this] { close(); });
    relie(a.ComparerTentative, [this] {
        const std::optional<TChoixFichier> choix =
            FDialogues->FichierAOuvrir(this, {QStringLiteral("Trajectoire mesurée (*.csv)")});
        if (choix) CompareTentative(choix->Nom);
    });
    connect(FActions, &TActionsMain::BilleJoueurChoisie, this, [this](QAction* item) {
        FBillardGraph->ChoisitBilleJoueur(item == FActions->Blanche ? FBillardGraph->bhBille2()
                                                                    : FBillardGraph->bhBille1());
        FEhvi1->SetclBille(FBillardGraph->BilleJoueur()->cl());
        FMoteur->BilleJoueur = item == FActions->Jaune ? bjJaune : bjBlanche;
        RedessineSansLignes();
    });
    connect(FActions, &TActionsMain::DessinChoisiChange, this, [this] { RedessineSansLignes(); });
    connect(FActions, &TActionsMain::ModeChoisi, this, [this](QAction* item) {
        FMoteur->ModeDeJeu = item == FActions->Libre      ? jLibre
                             : item == FActions->UneBande ? j1Bande
                                                          : j3Bandes;
    });
    connect(FActions, &TActionsMain::AffichagePositionsChoisi, this, [this](QAction* item) {
        FBillardGraph->SetbhAffCoord(item == FActions->Cm ? afCm : afDiams);
    });
    connect(FActions, &TActionsMain::AidesTraceChange, this, [this] {
        // The lines on the table drawn again with or without them.
        if (!FLignesTracees) return;
        FBillardGraph->Redessine();
        DessineLignes();
    });

    connect(FLienDbAlv, &TLienDbAlv::CoupRecu, this, &TMainFrm::CoupRecuDb);
    connect(FLienDbAlv, &TLienDbAlv::EchecEnvoi, this, [this](const QString& texte) {
        AfficheMessage(QStringLiteral("Erreur"), texte, tmErreur);
    });

    connect(FImport, &TImportTrajectoire::AjustementPossibleChange, FActions->AjusterCoup,
            &QAction::setEnabled);
    connect(FImport, &TImportTrajectoire::Importee, this,
            [this](const std::array<TPointTable, 4>& departs,
                   const TCIBillardHor3B::TReleves& releves) {
                {
                    // The balls where the tracking first sees them; the stroke stays.
                    const TSansTirDirect garde(FPlacement);
                    for (int n = 1; n <= 3; ++n)
                        BilleMoteur(n)->DeplaceCm(departs[static_cast<std::size_t>(n)]);
                }
                FEcartMesure = -1.0;
                FBillardGraph->FixeReleves(releves);
                // The result shown was that of another table; the aim line and the contact
                // preview follow the balls to their new places.
                EffaceResultat();
                RedessineSansLignes();
                PositionsVersMoteur();
                DessineApercu();
                ValidePartie();
            });
    connect(FImport, &TImportTrajectoire::Oubliee, this, [this] {
        FEcartMesure = -1.0;
        FBillardGraph->FixeReleves({});
        FBillardGraph->FixeComparaison(std::nullopt);
    });
    connect(FImport, &TImportTrajectoire::Ajuste, this, &TMainFrm::AppliqueAjustement);
}

void TMainFrm::CreeFenetres() {
    TServicesMain& services = *this;
    FVueNumFrm = std::make_unique<TVueNumFrm>(services);
    FCalibreFrm = std::make_unique<TCalibreFrm>(services);
    FToleranceFrm = std::make_unique<TToleranceFrm>(services);
    FRechercheFrm = std::make_unique<TRechercheFrm>(services);
    FSystemeFrm = std::make_unique<TSystemeFrm>(services);
    FHlpFrm = std::make_unique<ThlpFrm>();
    FQueueNumFrm = std::make_unique<TQueueNumFrm>(services);
    // The main window's small font: the 57-pixel fields then show whole values. The editor
    // opens over the lower part of the main window: its left edge, 10 pixels below the top
    // of the cue panel.
    FQueueNumFrm->setFont(font());
    FQueueNumFrm->move(FEhviPanel->mapToGlobal(QPoint(-FEhviPanel->x(), 10)));
    FEditVectFrm = std::make_unique<TEditVectFrm>(services);
    // A vector changed in the editor is shown again in the numerical view, and replayed there
    // when asked.
    connect(FEditVectFrm.get(), &TEditVectFrm::VecteurModifie, FVueNumFrm.get(),
            [vue = FVueNumFrm.get(), editeur = FEditVectFrm.get()](bool rejouer) {
                vue->AfficheEnregistrement(vue->BarPos->value());
                if (rejouer) vue->CalculTrajetsBtnClick(editeur);
            });
    // Closing the main window ends the program, whatever secondary window is still open.
    for (QWidget* fenetre :
         {static_cast<QWidget*>(FVueNumFrm.get()), static_cast<QWidget*>(FCalibreFrm.get()),
          static_cast<QWidget*>(FToleranceFrm.get()), static_cast<QWidget*>(FRechercheFrm.get()),
          static_cast<QWidget*>(FSystemeFrm.get()), static_cast<QWidget*>(FHlpFrm.get()),
          static_cast<QWidget*>(FQueueNumFrm.get()), static_cast<QWidget*>(FEditVectFrm.get())})
        fenetre->setAttribute(Qt::WA_QuitOnClose, false);
    // The table as it starts is where undoing stops.
    FAnnulation->Reprend();
}

void TMainFrm::CreeComposants() {
    auto* centre = new TZoneClient(this);
    centre->setObjectName(QStringLiteral("Centre"));
    centre->OnResize = [this] { ZoneClientRedimensionnee(); };
    // The cue panel's controls and "Feu !" stay whole; the table shrinks to what is left.
    centre->setMinimumWidth(LargeurEhviPanelMin);
    setCentralWidget(centre);

    FBillardGraph = new TCIBillardHor3B(centre, HauteurTable);
    FBillardGraph->setObjectName(QStringLiteral("BillardGraph"));
    FBillardGraph->move(0, 0);
    FBillardGraph->bhDim().SetRayonBilles(3.075);
    FBillardGraph->SetbhTypeCadre(cMouches);
    FBillardGraph->SetbhAffCoord(afDiams);
    FBillardGraph->SetbhTraceVisee(true);
    FBillardGraph->Moteur = FMoteur.get();
    FBillardGraph->ApresChargement(); // cloth width and ball radius from the engine

    FEhviPanel = new QWidget(centre);
    FEhviPanel->setObjectName(QStringLiteral("EhviPanel"));

    FVlbl = CreeLabel(FEhviPanel, "Vlbl", 127, 4);
    FEHlbl = CreeLabel(FEhviPanel, "EHlbl", 4, 108);
    FIlbl = CreeLabel(FEhviPanel, "Ilbl", 126, 108);
    FMasseLbl = CreeLabel(FEhviPanel, "MasseLbl", 224, 108);

    FEhvi1 = new TEhvi(FEhviPanel, 105);
    FEhvi1->setObjectName(QStringLiteral("Ehvi1"));
    FEhvi1->move(13, 0);
    FEhvi1->Moteur = FMoteur.get();
    FEhvi1->LabelEffetHauteur = FEHlbl;
    FEhvi1->LabelVitesse = FVlbl;
    FEhvi1->LabelInclinaison = FIlbl;
    FEhvi1->LabelMasse = FMasseLbl;
    FEhvi1->SetclFond(palette().color(QPalette::Button));
    FEhvi1->SetclPen(Qt::black);
    FEhvi1->SetclBille(Qt::yellow);
    FEhvi1->SetEffetHauteur(0.621910112359551, 1.1747191011236);
    FEhvi1->SetVitesse(430);
    FEhvi1->SetMasseQueue(520);
    FEhvi1->ApresChargement(); // ball radius and cue mass from the engine
    FVlbl->raise();
    FVlbl->setToolTip(QStringLiteral("Vitesse de la queue (V + flèches gauche, droite)"));
    FEHlbl->setToolTip(QStringLiteral("Effet et hauteur (E, H + flèches)"));
    FIlbl->setToolTip(QStringLiteral("Inclinaison de la queue (I + flèches)"));
    FMasseLbl->setToolTip(QStringLiteral("Masse de la queue (M + flèches)"));

    FQimg = new QLabel(FEhviPanel);
    FQimg->setObjectName(QStringLiteral("Qimg"));
    FQimg->setGeometry(429, 13, 65, 65);
    FQimgImage = NouvelleImage(FQimg->width(), FQimg->height(), devicePixelRatioF());
    FQimgImage.fill(palette().color(QPalette::Window));
    FQimg->setPixmap(QPixmap::fromImage(FQimgImage));

    FTrajetBtn = new QToolButton(FEhviPanel);
    FTrajetBtn->setObjectName(QStringLiteral("TrajetBtn"));
    FTrajetBtn->setText(QStringLiteral("Feu !"));
    FTrajetBtn->setAutoRaise(true);
    FTrajetBtn->setFocusPolicy(Qt::NoFocus);
    FTrajetBtn->setGeometry(455, 110, 78, 18);
    FTrajetBtn->setToolTip(
        QStringLiteral("Tirer le coup (Espace)\nF9 : tirer en lignes et envoyer à dbAlv"));
    connect(FTrajetBtn, &QToolButton::clicked, this, [this] { Tire(); });

    FPointLbl = new QLabel(FEhviPanel);
    FPointLbl->setObjectName(QStringLiteral("PointLbl"));
    FPointLbl->setGeometry(231, 0, 194, 110);
    FPointLbl->setWordWrap(true);
    FPointLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    FLabel1 = CreeLabel(FEhviPanel, "Label1", 504, 16);
    FLabel1->resize(40, 16);

    // The notifications are bound once every component they touch exists.
    FBillardGraph->OnPosBillesChange = [this](TCIBille*) {
        FixeModif(true);
        // Moved by the player (a drag, the keys): the result shown was another table's.
        if (!FCoupEnCours && FPlacement == 0 && !FBillardGraph->RelectureEnCours())
            EffaceResultat();
        ChangePartie();
        // The ball met depends on the balls' places as much as on the aim. A replay moves the
        // balls along the shot: the preview keeps showing the shot as it was aimed.
        if (!FCoupEnCours) DessineApercu();
    };
    FBillardGraph->OnViseeChange = [this](TCIBillardHor3B*) { BillardGraphViseeChange(); };
    FBillardGraph->OnEtapeRelecture = [this](int i) {
        // A paused replay shows record i: the numerical view, when open, shows it too.
        FPointLbl->setText(TRelectureMain::TexteEtape(*FMoteur, i, QLocale()));
        if (FVueNumFrm && FVueNumFrm->isVisible()) FVueNumFrm->MontreEnregistrement(i);
    };
    FBillardGraph->OnRepriseRelecture = [this] {
        FPointLbl->setText(QStringLiteral("Relecture en cours"));
    };
    FEhvi1->OnEhviChange = [this](TEhvi*) { Ehvi1EhviChange(); };
}

/// Places the cue panel along the bottom of the client area, full width.
void TMainFrm::Dispose() {
    QWidget* centre = centralWidget();
    if (!centre || !FEhviPanel) return;
    FEhviPanel->setGeometry(0, centre->height() - HauteurEhviPanel, centre->width(),
                            HauteurEhviPanel);
}

void TMainFrm::showEvent(QShowEvent* evenement) {
    QMainWindow::showEvent(evenement);
    // The window system's own show events (after a minimise) do not make the window visible
    // anew: record 0 then holds the start of the last shot and stays so.
    if (evenement->spontaneous()) return;
    PositionsVersMoteur();
    if (FVueNumFrm) FVueNumFrm->AfficheEnregistrement(0);
    // Laid out and shown: undoing goes back no further than this table.
    if (FAnnulation) FAnnulation->Reprend();
}

void TMainFrm::ZoneClientRedimensionnee() {
    if (!FBillardGraph || !FEhviPanel) return;
    const QSize zone = centralWidget()->size();
    if (zone != FZonePrec) {
        FZonePrec = zone;
        // The table fills the height above the cue panel (never under its first 310 pixels
        // there) and no more than the width: a window narrower than the table's 2:1 would
        // otherwise cut its right part off.
        const int h = zone.height() - HauteurEhviPanel;
        int hauteur = h > 300 ? h - 5 : FBillardGraph->height();
        FBillardGraph->FixeHauteur(hauteur);
        // The width follows the height but for the rulers' text: two passes settle it.
        for (int passe = 0; passe < 2 && FBillardGraph->width() > zone.width(); ++passe) {
            hauteur = std::max(HauteurTableMin,
                               hauteur * zone.width() / std::max(FBillardGraph->width(), 1));
            FBillardGraph->FixeHauteur(hauteur);
        }
        while (FBillardGraph->width() > zone.width() && hauteur > HauteurTableMin)
            FBillardGraph->FixeHauteur(--hauteur);
    }
    Dispose();
}

double AngleApresFleche(double degres, int dx, int dy) {
    // The aim turns by whole hundredths of a degree, whatever the line's pixels: every press
    // moves it, and the value shown is the one typed by the arrows.
    // Counted in hundredths, whole numbers: n / 100 is the double nearest the decimal.
    const double pas = dx != 0 ? PasViseeFin * dx : PasViseeGros * dy;
    double centiemes = std::round((degres + pas) * 100.0);
    if (centiemes > 18000.0) centiemes -= 36000.0;
    if (centiemes <= -18000.0) centiemes += 36000.0;
    return centiemes / 100.0;
}

int LanceProgramme(const QStringList& arguments, TDialogues* dialogues) {
    TMainFrm MainFrm(dialogues);
    MainFrm.CreeFenetres();
    MainFrm.show();
    // Loaded once the window shows: showing it copies the balls drawn into the engine.
    if (arguments.size() > 1) MainFrm.OuvrePosition(arguments.at(1));
    return QApplication::exec();
}

// ---------------------------------------------------------------------------------------------
// The stroke and the controls

TCIBille* TMainFrm::BilleMoteur(int n) const {
    TCIBille* joueur = FBillardGraph->BilleJoueur();
    if (n == 1) return joueur;
    return joueur->Autres[static_cast<std::size_t>(n - 2)];
}

void TMainFrm::PositionsVersMoteur() {
    for (int n = 1; n <= 3; ++n) {
        const TPointTable p = BilleMoteur(n)->PosCm();
        FMoteur->Trajets[n][0].Position = {p.x, p.y, FMoteur->Fisik.RayonBilles()};
    }
}

void TMainFrm::AfficheCoup() {
    const TSansTirDirect garde(FPlacement);
    FEhvi1->SetEffetHauteur(FCoup.Effet, FCoup.Hauteur);
    FEhvi1->SetVitesse(FCoup.Vq);
    FEhvi1->SetInclinaison(Degres(FCoup.AngleTapis));
    FEhvi1->SetMasseQueue(FCoup.m);
    FBillardGraph->ViseAngle(FCoup.AngleOx);
    NoteAffichage();
}

void TMainFrm::NoteAffichage() {
    FAffiche = {FEhvi1->Effet(), FEhvi1->Hauteur(), FEhvi1->Vitesse(), FEhvi1->Inclinaison(),
                FEhvi1->MasseQueue()};
}

void TMainFrm::AdopteControle() {
    // The control clamps speed and inclination and shows the inclination in degrees: a value
    // merely shown must not come back rounded into the stroke.
    if (FEhvi1->Effet() != FAffiche.Effet || FEhvi1->Hauteur() != FAffiche.Hauteur) {
        FCoup.Effet = FEhvi1->Effet();
        FCoup.Hauteur = FEhvi1->Hauteur();
    }
    if (FEhvi1->Vitesse() != FAffiche.Vitesse) FCoup.Vq = FEhvi1->Vitesse();
    if (FEhvi1->Inclinaison() != FAffiche.Inclinaison)
        FCoup.AngleTapis = Radians(FEhvi1->Inclinaison());
    if (FEhvi1->MasseQueue() != FAffiche.Masse) FCoup.m = FEhvi1->MasseQueue();
    NoteAffichage();
}

void TMainFrm::FixeCoup(const TCoupQueue& coup) {
    FCoup = coup;
    AfficheCoup();
    if (!FCoupEnCours) DessineApercu();
    FixeModif(true);
    // One change of the stroke, one live shot, however many values changed.
    if (TraceSimultanee() && FPlacement == 0) Tire();
}

void TMainFrm::JoueCoup(const TCoupQueue& coup) {
    FCoup = coup;
    AfficheCoup();
    TireEnLignes();
}

void TMainFrm::PlaceBillesEtape(int i) {
    if (i < 0 || i > TBillardAlveran::NbEnrMax) return;
    for (int n = 1; n <= 3; ++n) {
        const TVecteur& p = FMoteur->Trajets[n][i].Position;
        BilleMoteur(n)->DeplaceCm(TPointTable{p.x, p.y});
    }
}

void TMainFrm::PlaceEtape(int i) {
    {
        const TSansTirDirect garde(FPlacement);
        PlaceBillesEtape(i);
        FCoup = FMoteur->Coup;
        AfficheCoup();
    }
    if (TraceSimultanee() && FPlacement == 0) Tire();
}

void TMainFrm::BillesAuRepos() {
    for (int n = 1; n <= 3; ++n) {
        FMoteur->Trajets[n][0].Vitesse = VecteurNul;
        FMoteur->Trajets[n][0].Rotation = VecteurNul;
    }
}

QStringList TMainFrm::BillesEnMouvement() const {
    QStringList noms;
    for (int n = 2; n <= 3; ++n) {
        const TCinematique& c = FMoteur->Trajets[n][0];
        // The engine's own threshold: below it a speed or a spin counts as zero.
        if (Norme(c.Vitesse) > 0.001 || Norme(c.Rotation) > 0.001)
            noms << NomCouleur(BilleMoteur(n));
    }
    return noms;
}

QString TMainFrm::NomCouleur(const TCIBille* bille) const {
    if (bille == FBillardGraph->bhBille1()) return QStringLiteral("jaune");
    if (bille == FBillardGraph->bhBille2()) return QStringLiteral("blanche");
    return QStringLiteral("rouge");
}

void TMainFrm::EffaceResultat() {
    FTexteResultat.clear();
    FPointLbl->clear();
}

void TMainFrm::AfficheResultat() {
    // The label breaks lines at line feeds.
    FPointLbl->setText(QString(FTexteResultat).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

void TMainFrm::FixeModif(bool b) {
    FModifie = b;
    FLabel1->setText(b ? QStringLiteral("Modif") : QString());
}

bool TMainFrm::EffacementLignes() const {
    return FActions->EffacerLignes->isChecked();
}

bool TMainFrm::EnvoiAutomatique() const {
    return FActions->dbAlvAuto->isChecked();
}

bool TMainFrm::TraceSimultanee() const {
    return FActions->TraceSimultanee->isChecked();
}

bool TMainFrm::Lignes() const {
    return FActions->Lignes->isChecked();
}

int TMainFrm::Increment() const {
    return FClavier->Increment();
}

int TMainFrm::ToucheTenue() const {
    return FClavier->ToucheTenue();
}

QString TMainFrm::InfoBulle(const QWidget* controle, QPoint p) const {
    return FClavier->InfoBulle(controle, p);
}

void TMainFrm::TireEnLignes() {
    QAction* dessin = FActions->DessinChoisi();
    // Drawn as lines whatever the choice, which gets its check mark back afterwards without
    // a repaint.
    FActions->Lignes->setChecked(true);
    Tire();
    dessin->setChecked(true);
}

void TMainFrm::EditeVecteur(int bille, const QString& quoi, TVecteur* vecteur, int indice) {
    if (!FEditVectFrm) return;
    FEditVectFrm->Edite(bille, quoi, vecteur, indice);
    MontreSurEcran(FEditVectFrm.get());
    FEditVectFrm->activateWindow();
}

void TMainFrm::Ehvi1EhviChange() {
    FixeModif(true);
    if (FPlacement > 0) return;
    AdopteControle();
    ChangePartie();
    if (TraceSimultanee()) Tire();
}

void TMainFrm::BillardGraphViseeChange() {
    // The view keeps an aim it was given exactly; one aimed with the mouse or the keys is
    // read from the line's pixels.
    if (FPlacement == 0) FCoup.AngleOx = FBillardGraph->AngleVisee();
    ApercuContact();
    ChangePartie();
}

void TMainFrm::AfficheMessage(const QString& titre, const QString& texte, TTypeMessage type) {
    FDialogues->Message(this, titre, texte, type);
}
