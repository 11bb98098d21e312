#include "windows/Main.h"

#include "windows/Calibrage.h"
#include "dessin/EcritImage.h"
#include "dessin/SchemaCoup.h"
#include "windows/ParamPhysBox.h"
#include "windows/Chances.h"
#include "windows/Recherche.h"
#include "windows/Systeme.h"
#include "windows/Tolerance.h"
#include "transport/TransportDbAlv.h"
#include "analysis/ComdbAlv.h"
#include "windows/VueNum.h"
#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"
#include "windows/EditVect.h"
#include "windows/QueueNum.h"
#include "windows/hlp.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QSlider>
#include <QScreen>
#include <QSettings>
#include <QToolButton>
#include <QToolTip>
#include <QHelpEvent>

#include <charconv>
#include <cmath>
#include <numbers>

// ---------------------------------------------------------------------------------------------
// Construction

namespace {

constexpr double Pi = std::numbers::pi;
constexpr int HauteurEhviPanel = 129;
// Where the drawing helps are remembered between runs (the user's Qt settings).
const QString CleNumerosBandes = QStringLiteral("Dessin/NumeroterBandes");
const QString CleSensParcours = QStringLiteral("Dessin/SensParcours");
const QString CleDiamantsBandes = QStringLiteral("Dessin/DiamantsBandes");
constexpr int HauteurTable = 310;

/// While the controls are being set from the engine, live mode does not fire: each shot
/// copies the controls into the engine and would overwrite the values not yet shown.
struct TSansTirDirect {
    explicit TSansTirDirect(int& compteur) : Compteur(compteur) { ++Compteur; }
    ~TSansTirDirect() { --Compteur; }
    TSansTirDirect(const TSansTirDirect&) = delete;
    TSansTirDirect& operator=(const TSansTirDirect&) = delete;
    int& Compteur;
};

} // namespace

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

namespace {

/// Shows a window wholly on its screen: no larger than the screen's free area and with its
/// frame inside it (at 200 % a window laid out for 100 % can be taller than the screen, its
/// buttons out of reach).
void MontreSurLEcran(QWidget* fenetre) {
    fenetre->show();
    fenetre->raise();
    const QScreen* ecran = fenetre->screen();
    if (ecran == nullptr) return;
    const QRect libre = ecran->availableGeometry();
    const QSize cadre = fenetre->frameGeometry().size() - fenetre->size();
    const QSize taille = fenetre->size()
                             .boundedTo(libre.size() - cadre)
                             .expandedTo(fenetre->minimumSizeHint().boundedTo(fenetre->size()));
    if (taille != fenetre->size()) fenetre->resize(taille);
    const QRect f = fenetre->frameGeometry();
    fenetre->move(
        std::clamp(f.left(), libre.left(), std::max(libre.left(), libre.right() - f.width() + 1)),
        std::clamp(f.top(), libre.top(), std::max(libre.top(), libre.bottom() - f.height() + 1)));
}

/// The effect and height steps of the arrows are widened by two pixels' worth away from zero.
int Elargi(int n) {
    return n > 0 ? n + 2 : (n < 0 ? n - 2 : 0);
}

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

TMainFrm::TMainFrm(TDialogues* dialogues, QWidget* parent)
    : QMainWindow(parent), FMoteur(std::make_unique<TBillardAlveran>()), Moteur(*FMoteur) {
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
    Moteur.ModeDeJeu = j3Bandes;

    CreeActions();
    CreeAnnulation();
    CreeActionsTrajectoire();
    CreeActionTentative();
    FChances = new TChancesCoup(*this, this);
    connect(FChances, &TChancesCoup::Resultat, this, [this](const QString& ligne) {
        FTexteResultat += (FTexteResultat.isEmpty() ? QString() : QStringLiteral("\r")) + ligne;
        PointLbl->setText(QString(FTexteResultat).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    });
    CreeMenus();
    CreeComposants();

    // Client area: the table (310 pixels high), a 5-pixel gap, the cue panel.
    resize(563, menuBar()->sizeHint().height() + HauteurTable + 5 + HauteurEhviPanel);
    // A hidden window lays out its client area only when first shown; the numeric cue editor,
    // created before that, places itself over the cue panel and needs its real place now.
    layout()->activate();
    Dispose();

    // Creation steps, once the components exist.
    move(0, 0);
    Increment = 1;
    BillardGraph->ViseAngleDeg(98.64);
    FQimgImage.fill(palette().color(QPalette::Window));
    Qimg->setPixmap(QPixmap::fromImage(FQimgImage));
    Ehvi1->SetclBille(BillardGraph->BilleJoueur()->cl());
    HauteurPrec = height();
    BillardGraphViseeChange();

    // Blocks sent back by the database application. Without its server name the window
    // still works; it only cannot receive.
    FTransport = std::make_unique<TTransportDbAlv>();
    NomServeurDbAlv = TTransportDbAlv::NomDbAlv();
    FTransport->Ecoute(
        TTransportDbAlv::NomAlveran(static_cast<quint64>(QCoreApplication::applicationPid())));
    connect(FTransport.get(), &TTransportDbAlv::BlocRecu, this,
            [this](const QByteArray& bloc, quint64) { RecoitBlocDb(bloc); });
    connect(FTransport.get(), &TTransportDbAlv::EnvoiTermine, this, &TMainFrm::EnvoiDbTermine);

    // Keys reach the window before its controls.
    qApp->installEventFilter(this);
}

TMainFrm::~TMainFrm() {
    qApp->removeEventFilter(this);
    // The secondary windows refer to this one: they go first.
    EditVectFrm.reset();
    QueueNumFrm.reset();
    HlpFrm.reset();
    SystemeFrm.reset();
    RechercheFrm.reset();
    ToleranceFrm.reset();
    CalibreFrm.reset();
    VueNumFrm.reset();
}

void TMainFrm::CreeFenetres() {
    TServicesMain& services = *this;
    VueNumFrm = std::make_unique<TVueNumFrm>(services);
    CalibreFrm = std::make_unique<TCalibreFrm>(services);
    ToleranceFrm = std::make_unique<TToleranceFrm>(services);
    RechercheFrm = std::make_unique<TRechercheFrm>(services);
    SystemeFrm = std::make_unique<TSystemeFrm>(services);
    SystemeFrm->setAttribute(Qt::WA_QuitOnClose, false);
    HlpFrm = std::make_unique<ThlpFrm>();
    QueueNumFrm = std::make_unique<TQueueNumFrm>(services);
    // The main window's small font: the 57-pixel fields then show whole values. The editor
    // opens over the lower part of the main window: its left edge, 10 pixels below the top
    // of the cue panel.
    QueueNumFrm->setFont(font());
    QueueNumFrm->move(EhviPanel->mapToGlobal(QPoint(-EhviPanel->x(), 10)));
    EditVectFrm = std::make_unique<TEditVectFrm>(services);
    // A vector changed in the editor is shown again in the numerical view, and replayed there
    // when asked.
    connect(EditVectFrm.get(), &TEditVectFrm::VecteurModifie, VueNumFrm.get(),
            [vue = VueNumFrm.get(), editeur = EditVectFrm.get()](bool rejouer) {
                vue->AfficheEnregistrement(vue->BarPos->value());
                if (rejouer) vue->CalculTrajetsBtnClick(editeur);
            });
    // Closing the main window ends the program, whatever secondary window is still open.
    for (QWidget* fenetre :
         {static_cast<QWidget*>(VueNumFrm.get()), static_cast<QWidget*>(CalibreFrm.get()),
          static_cast<QWidget*>(ToleranceFrm.get()), static_cast<QWidget*>(RechercheFrm.get()),
          static_cast<QWidget*>(HlpFrm.get()), static_cast<QWidget*>(QueueNumFrm.get()),
          static_cast<QWidget*>(EditVectFrm.get())})
        fenetre->setAttribute(Qt::WA_QuitOnClose, false);
    // The table as it starts is where undoing stops.
    Annulation->Reprend();
}

void TMainFrm::CreeComposants() {
    auto* centre = new TZoneClient(this);
    centre->setObjectName(QStringLiteral("Centre"));
    centre->OnResize = [this] { ZoneClientRedimensionnee(); };
    setCentralWidget(centre);

    BillardGraph = new TCIBillardHor3B(centre, HauteurTable);
    BillardGraph->setObjectName(QStringLiteral("BillardGraph"));
    BillardGraph->move(0, 0);
    BillardGraph->bhDim().SetRayonBilles(3.075);
    BillardGraph->SetbhTypeCadre(cMouches);
    BillardGraph->SetbhAffCoord(afDiams);
    BillardGraph->SetbhTraceVisee(true);
    BillardGraph->Moteur = &Moteur;
    BillardGraph->ApresChargement(); // cloth width and ball radius from the engine

    EhviPanel = new QWidget(centre);
    EhviPanel->setObjectName(QStringLiteral("EhviPanel"));

    Vlbl = CreeLabel(EhviPanel, "Vlbl", 127, 4);
    EHlbl = CreeLabel(EhviPanel, "EHlbl", 4, 108);
    Ilbl = CreeLabel(EhviPanel, "Ilbl", 126, 108);
    MasseLbl = CreeLabel(EhviPanel, "MasseLbl", 224, 108);

    Ehvi1 = new TEhvi(EhviPanel, 105);
    Ehvi1->setObjectName(QStringLiteral("Ehvi1"));
    Ehvi1->move(13, 0);
    Ehvi1->Moteur = &Moteur;
    Ehvi1->LabelEffetHauteur = EHlbl;
    Ehvi1->LabelVitesse = Vlbl;
    Ehvi1->LabelInclinaison = Ilbl;
    Ehvi1->LabelMasse = MasseLbl;
    Ehvi1->SetclFond(palette().color(QPalette::Button));
    Ehvi1->SetclPen(Qt::black);
    Ehvi1->SetclBille(Qt::yellow);
    Ehvi1->SetEffet(0.621910112359551);
    Ehvi1->SetHauteur(1.1747191011236);
    Ehvi1->SetVitesse(430);
    Ehvi1->SetMasseQueue(520);
    Ehvi1->ApresChargement(); // ball radius and cue mass from the engine
    Vlbl->raise();
    Vlbl->setToolTip(QStringLiteral("Vitesse de la queue (V + flèches gauche, droite)"));
    EHlbl->setToolTip(QStringLiteral("Effet et hauteur (E, H + flèches)"));
    Ilbl->setToolTip(QStringLiteral("Inclinaison de la queue (I + flèches)"));
    MasseLbl->setToolTip(QStringLiteral("Masse de la queue (M + flèches)"));

    Qimg = new QLabel(EhviPanel);
    Qimg->setObjectName(QStringLiteral("Qimg"));
    Qimg->setGeometry(429, 13, 65, 65);
    FQimgImage = NouvelleImage(Qimg->width(), Qimg->height(), devicePixelRatioF());
    FQimgImage.fill(palette().color(QPalette::Window));
    Qimg->setPixmap(QPixmap::fromImage(FQimgImage));

    TrajetBtn = new QToolButton(EhviPanel);
    TrajetBtn->setObjectName(QStringLiteral("TrajetBtn"));
    TrajetBtn->setText(QStringLiteral("Feu !"));
    TrajetBtn->setAutoRaise(true);
    TrajetBtn->setFocusPolicy(Qt::NoFocus);
    TrajetBtn->setGeometry(455, 110, 78, 18);
    TrajetBtn->setToolTip(
        QStringLiteral("Tirer le coup (Espace)\nF9 : tirer en lignes et envoyer à dbAlv"));
    connect(TrajetBtn, &QToolButton::clicked, this, [this] { Tire(); });

    PointLbl = new QLabel(EhviPanel);
    PointLbl->setObjectName(QStringLiteral("PointLbl"));
    PointLbl->setGeometry(231, 0, 194, 110);
    PointLbl->setWordWrap(true);
    PointLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label1 = CreeLabel(EhviPanel, "Label1", 504, 16);
    Label1->resize(40, 16);

    // The notifications are bound once every component they touch exists.
    BillardGraph->OnPosBillesChange = [this](TCIBille*) {
        FixeModif(true);
        // Moved by the player (a drag, the keys): the result shown was another table's.
        if (!CoupEnCours && FPlacement == 0 && !BillardGraph->RelectureEnCours()) EffaceResultat();
        ChangePartie();
        // The ball met depends on the balls' places as much as on the aim. A replay moves the
        // balls along the shot: the preview keeps showing the shot as it was aimed.
        if (!CoupEnCours) DessineApercu();
    };
    BillardGraph->OnViseeChange = [this](TCIBillardHor3B*) { BillardGraphViseeChange(); };
    BillardGraph->OnEtapeRelecture = [this](int i) { EtapeRelecture(i); };
    BillardGraph->OnRepriseRelecture = [this] {
        PointLbl->setText(QStringLiteral("Relecture en cours"));
    };
    Ehvi1->OnEhviChange = [this](TEhvi*) { Ehvi1EhviChange(); };
}

/// Places the cue panel along the bottom of the client area, full width.
void TMainFrm::Dispose() {
    QWidget* centre = centralWidget();
    if (!centre || !EhviPanel) return;
    EhviPanel->setGeometry(0, centre->height() - HauteurEhviPanel, centre->width(),
                           HauteurEhviPanel);
}

void TMainFrm::CreeActions() {
    auto action = [this](const char* texte, const char* nom) {
        auto* a = new QAction(QString::fromUtf8(texte), this);
        a->setObjectName(QString::fromLatin1(nom));
        return a;
    };
    auto coche = [&action](const char* texte, const char* nom, bool cochee) {
        QAction* a = action(texte, nom);
        a->setCheckable(true);
        a->setChecked(cochee);
        return a;
    };

    ChargerMnu = action("Charger une position", "ChargerMnu");
    connect(ChargerMnu, &QAction::triggered, this, [this] { ChargerMnuClick(); });
    SauvegarderMnu = action("Sauvegarder une position", "SauvegarderMnu");
    connect(SauvegarderMnu, &QAction::triggered, this, [this] { SauvegarderMnuClick(); });
    SauverImageMnu = action("Sauver l'image", "SauverImageMnu");
    connect(SauverImageMnu, &QAction::triggered, this, [this] { SauverImageMnuClick(); });
    ExporterSchemaMnu = action("Exporter le schéma du coup", "ExporterSchemaMnu");
    connect(ExporterSchemaMnu, &QAction::triggered, this, [this] { ExporterSchemaMnuClick(); });

    // "Auto" is alone in its group: each click flips it. "Queue" and "Vitesse et Rotation"
    // exclude each other, and both may end unchecked.
    dbAlvAutoMnu = coche("Auto", "dbAlvAutoMnu", false);
    dbAlvQueueMnu = coche("Queue", "dbAlvQueueMnu", true);
    dbAlvVitesseMnu = coche("Vitesse et Rotation", "dbAlvVitesseMnu", false);
    FGroupeDbAlv = new QActionGroup(this);
    FGroupeDbAlv->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    FGroupeDbAlv->addAction(dbAlvQueueMnu);
    FGroupeDbAlv->addAction(dbAlvVitesseMnu);

    ParamPhysMnu = action("Paramètres physiques", "ParamPhysMnu");
    QuitterMnu = action("Quitter", "QuitterMnu");
    QuitterMnu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(QuitterMnu, &QAction::triggered, this, &QWidget::close);
    connect(ParamPhysMnu, &QAction::triggered, this, [this] { ParamPhysMnuClick(); });

    VueNumMnu = action("Vue Numérique", "VueNumMnu");
    connect(VueNumMnu, &QAction::triggered, this, [this] {
        if (VueNumFrm) MontreSurLEcran(VueNumFrm.get());
    });
    CalibrageMnu = action("Calibrage", "CalibrageMnu");
    connect(CalibrageMnu, &QAction::triggered, this, [this] {
        if (CalibreFrm) MontreSurLEcran(CalibreFrm.get());
    });
    ToleranceMnu = action("Evaluation de la tolérance du point", "ToleranceMnu");
    connect(ToleranceMnu, &QAction::triggered, this, [this] {
        if (ToleranceFrm) MontreSurLEcran(ToleranceFrm.get());
    });
    RechercheMnu = action("Recherche de solutions", "RechercheMnu");
    connect(RechercheMnu, &QAction::triggered, this, [this] {
        if (RechercheFrm) MontreSurLEcran(RechercheFrm.get());
    });
    SystemeMnu = action("Système des diamants", "SystemeMnu");
    connect(SystemeMnu, &QAction::triggered, this, [this] {
        if (SystemeFrm) MontreSurLEcran(SystemeFrm.get());
    });
    CopierMnu = action("&Copier", "CopierMnu");
    CopierMnu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    connect(CopierMnu, &QAction::triggered, this, [this] { CopierMnuClick(); });
    CollerMnu = action("Co&ller", "CollerMnu");
    CollerMnu->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    connect(CollerMnu, &QAction::triggered, this, [this] { CollerMnuClick(); });

    BlancheMnu = coche("Blanche", "BlancheMnu", true);
    JauneMnu = coche("Jaune", "JauneMnu", false);
    auto* groupeBille = new QActionGroup(this);
    groupeBille->addAction(BlancheMnu);
    groupeBille->addAction(JauneMnu);
    connect(groupeBille, &QActionGroup::triggered, this,
            [this](QAction* item) { BilleJoueurMnuClick(item); });

    LignesMnu = coche("Lignes", "LignesMnu", true);
    BillesMnu = coche("Billes", "BillesMnu", false);
    LignesEtBillesMnu = coche("Lignes et Billes", "LignesEtBillesMnu", false);
    TraceSimultaneeMnu = coche("Trace simultanée", "TraceSimultaneeMnu", false);
    auto* groupeDessin = new QActionGroup(this);
    for (QAction* a : {LignesMnu, BillesMnu, LignesEtBillesMnu, TraceSimultaneeMnu})
        groupeDessin->addAction(a);
    connect(groupeDessin, &QActionGroup::triggered, this, [this] { DessinTrajetsMnuClick(); });
    EffacerLignesMnu = coche("Effacer lignes", "EffacerLignesMnu", true);
    Ligne1Mnu = coche("dessiner ligne 1", "Ligne1Mnu", true);
    Ligne2Mnu = coche("dessiner ligne 2", "Ligne2Mnu", true);
    Ligne3Mnu = coche("dessiner ligne 3", "Ligne3Mnu", true);
    // Helps to follow the lines: off at first, then as the player left them.
    const QSettings reglages;
    NumerosBandesMnu = coche("Numéroter les bandes", "NumerosBandesMnu",
                             reglages.value(CleNumerosBandes, false).toBool());
    SensParcoursMnu = coche("Sens de parcours", "SensParcoursMnu",
                            reglages.value(CleSensParcours, false).toBool());
    DiamantsBandesMnu = coche("Diamants des bandes", "DiamantsBandesMnu",
                              reglages.value(CleDiamantsBandes, false).toBool());
    for (QAction* a : {NumerosBandesMnu, SensParcoursMnu, DiamantsBandesMnu})
        connect(a, &QAction::triggered, this, [this] { AidesTraceMnuClick(); });

    LibreMnu = coche("Libre", "LibreMnu", false);
    UneBandeMnu = coche("1 bande", "UneBandeMnu", false);
    TroisBandesMnu = coche("3 bandes", "TroisBandesMnu", true);
    auto* groupeMode = new QActionGroup(this);
    for (QAction* a : {LibreMnu, UneBandeMnu, TroisBandesMnu}) groupeMode->addAction(a);
    connect(groupeMode, &QActionGroup::triggered, this,
            [this](QAction* item) { ModeDeJeuMnuClick(item); });

    CmMnu = coche("cm", "CmMnu", false);
    DiamantsMnu = coche("diamants", "DiamantsMnu", true);
    auto* groupePos = new QActionGroup(this);
    groupePos->addAction(CmMnu);
    groupePos->addAction(DiamantsMnu);
    connect(groupePos, &QActionGroup::triggered, this,
            [this](QAction* item) { AffichePosMnuClick(item); });

    // Replay controls. The keys are free in the main window: P, Page Down / Page Up, F5 to F8.
    PauseMnu = coche("Pause", "PauseMnu", false);
    PauseMnu->setShortcut(QKeySequence(Qt::Key_P));
    connect(PauseMnu, &QAction::toggled, this,
            [this](bool pause) { BillardGraph->Relecture.Pause = pause; });
    SuivantMnu = action("Enregistrement suivant", "SuivantMnu");
    SuivantMnu->setShortcut(QKeySequence(Qt::Key_PageDown));
    connect(SuivantMnu, &QAction::triggered, this, [this] { ++BillardGraph->Relecture.Pas; });
    PrecedentMnu = action("Enregistrement précédent", "PrecedentMnu");
    PrecedentMnu->setShortcut(QKeySequence(Qt::Key_PageUp));
    connect(PrecedentMnu, &QAction::triggered, this, [this] { --BillardGraph->Relecture.Pas; });
    VitesseQuartMnu = coche("Vitesse ×¼", "VitesseQuartMnu", false);
    VitesseQuartMnu->setShortcut(QKeySequence(Qt::Key_F5));
    VitesseDemiMnu = coche("Vitesse ×½", "VitesseDemiMnu", false);
    VitesseDemiMnu->setShortcut(QKeySequence(Qt::Key_F6));
    VitesseUnMnu = coche("Vitesse ×1", "VitesseUnMnu", true);
    VitesseUnMnu->setShortcut(QKeySequence(Qt::Key_F7));
    VitesseDoubleMnu = coche("Vitesse ×2", "VitesseDoubleMnu", false);
    VitesseDoubleMnu->setShortcut(QKeySequence(Qt::Key_F8));
    auto* groupeVitesse = new QActionGroup(this);
    for (QAction* a : {VitesseQuartMnu, VitesseDemiMnu, VitesseUnMnu, VitesseDoubleMnu})
        groupeVitesse->addAction(a);
    connect(groupeVitesse, &QActionGroup::triggered, this,
            [this](QAction* item) { VitesseRelectureMnuClick(item); });
    // Also from the numerical view, where the player reads the records a paused replay shows
    // (an edit field keeps the keys it types).
    for (QAction* a : {PauseMnu, SuivantMnu, PrecedentMnu, VitesseQuartMnu, VitesseDemiMnu,
                       VitesseUnMnu, VitesseDoubleMnu})
        a->setShortcutContext(Qt::ApplicationShortcut);

    AideMnu = action("Aide", "AideMnu");
    connect(AideMnu, &QAction::triggered, this, [this] {
        if (HlpFrm) HlpFrm->show(), HlpFrm->raise();
    });
}

void TMainFrm::CreeMenus() {
    QMenu* fichier = menuBar()->addMenu(QStringLiteral("&Fichier"));
    fichier->addAction(ChargerMnu);
    fichier->addAction(SauvegarderMnu);
    fichier->addAction(SauverImageMnu);
    fichier->addAction(ExporterSchemaMnu);
    fichier->addSeparator();
    fichier->addAction(ImporterTrajectoireMnu);
    fichier->addAction(AjusterCoupMnu);
    fichier->addAction(ComparerTentativeMnu);
    fichier->addSeparator();
    QMenu* dbAlv = fichier->addMenu(QStringLiteral("Sauvegarde dbAlv"));
    dbAlv->addAction(dbAlvAutoMnu);
    dbAlv->addSeparator();
    dbAlv->addAction(dbAlvQueueMnu);
    dbAlv->addAction(dbAlvVitesseMnu);
    fichier->addSeparator();
    fichier->addAction(ParamPhysMnu);

    fichier->addSeparator();
    fichier->addAction(QuitterMnu);

    QMenu* edition = menuBar()->addMenu(QStringLiteral("&Edition"));
    edition->addAction(AnnulerMnu);
    edition->addAction(RetablirMnu);
    edition->addSeparator();
    edition->addAction(VueNumMnu);
    edition->addAction(CalibrageMnu);
    edition->addAction(ToleranceMnu);
    edition->addAction(RechercheMnu);
    edition->addAction(SystemeMnu);
    edition->addAction(FChances->CalculeMnu);
    edition->addMenu(FChances->JoueurMnu);
    edition->addSeparator();
    edition->addAction(CopierMnu);
    edition->addAction(CollerMnu);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    QMenu* bille = options->addMenu(QStringLiteral("Bille joueur"));
    bille->addAction(BlancheMnu);
    bille->addAction(JauneMnu);
    QMenu* dessin = options->addMenu(QStringLiteral("Dessin trajets"));
    dessin->addAction(LignesMnu);
    dessin->addAction(BillesMnu);
    dessin->addAction(LignesEtBillesMnu);
    dessin->addAction(TraceSimultaneeMnu);
    dessin->addSeparator();
    dessin->addAction(EffacerLignesMnu);
    dessin->addSeparator();
    dessin->addAction(Ligne1Mnu);
    dessin->addAction(Ligne2Mnu);
    dessin->addAction(Ligne3Mnu);
    dessin->addSeparator();
    dessin->addAction(NumerosBandesMnu);
    dessin->addAction(SensParcoursMnu);
    dessin->addAction(DiamantsBandesMnu);
    QMenu* mode = options->addMenu(QStringLiteral("Mode de jeu"));
    mode->addAction(LibreMnu);
    mode->addAction(UneBandeMnu);
    mode->addAction(TroisBandesMnu);
    QMenu* pos = options->addMenu(QStringLiteral("Affiche pos billes"));
    pos->addAction(CmMnu);
    pos->addAction(DiamantsMnu);

    QMenu* relecture = menuBar()->addMenu(QStringLiteral("&Relecture"));
    relecture->addAction(PauseMnu);
    relecture->addAction(SuivantMnu);
    relecture->addAction(PrecedentMnu);
    relecture->addSeparator();
    for (QAction* a : {VitesseQuartMnu, VitesseDemiMnu, VitesseUnMnu, VitesseDoubleMnu})
        relecture->addAction(a);

    QMenu* aide = menuBar()->addMenu(QStringLiteral("Aide"));
    aide->addAction(AideMnu);
}

// ---------------------------------------------------------------------------------------------
// Window events

void TMainFrm::showEvent(QShowEvent* evenement) {
    QMainWindow::showEvent(evenement);
    // The window system's own show events (after a minimise) do not make the window visible
    // anew: record 0 then holds the start of the last shot and stays so.
    if (evenement->spontaneous()) return;
    PositionsVersMoteur();
    if (VueNumFrm) VueNumFrm->AfficheEnregistrement(0);
    // Laid out and shown: undoing goes back no further than this table.
    if (Annulation) Annulation->Reprend();
}

void TMainFrm::ZoneClientRedimensionnee() {
    if (!BillardGraph || !EhviPanel) return;
    if (height() != HauteurPrec) {
        const int h = centralWidget()->height() - HauteurEhviPanel;
        if (h > 300) BillardGraph->FixeHauteur(h - 5);
        HauteurPrec = height();
    }
    Dispose();
}

// ---------------------------------------------------------------------------------------------
// Synchronisation between the controls and the engine

TCIBille* TMainFrm::BilleMoteur(int n) const {
    TCIBille* joueur = BillardGraph->BilleJoueur();
    if (n == 1) return joueur;
    return joueur->Autres[static_cast<std::size_t>(n - 2)];
}

void TMainFrm::PositionsVersMoteur() {
    for (int n = 1; n <= 3; ++n) {
        const TPointTable p = BilleMoteur(n)->PosCm();
        Moteur.Trajets[n][0].Position = {p.x, p.y, Moteur.Fisik.RayonBilles()};
    }
}

void TMainFrm::CoupVersMoteur() {
    Moteur.Coup.Effet = Ehvi1->Effet();
    Moteur.Coup.Hauteur = Ehvi1->Hauteur();
    Moteur.Coup.Vq = Ehvi1->Vitesse();
    Moteur.Coup.AngleTapis = Ehvi1->Inclinaison() * Pi / 180.0;
    Moteur.Coup.AngleOx = BillardGraph->AngleVisee();
    Moteur.Coup.m = Ehvi1->MasseQueue();
}

void TMainFrm::PlaceBillesEtape(int i) {
    if (i < 0 || i > TBillardAlveran::NbEnrMax) return;
    for (int n = 1; n <= 3; ++n) {
        const TVecteur& p = Moteur.Trajets[n][i].Position;
        BilleMoteur(n)->DeplaceCm(TPointTable{p.x, p.y});
    }
}

void TMainFrm::PlaceEtape(int i) {
    {
        const TSansTirDirect garde(FPlacement);
        PlaceBillesEtape(i);
        BillardGraph->ViseAngle(Moteur.Coup.AngleOx);
        Ehvi1->SetEffet(Moteur.Coup.Effet);
        Ehvi1->SetHauteur(Moteur.Coup.Hauteur);
        Ehvi1->SetVitesse(Moteur.Coup.Vq);
        Ehvi1->SetInclinaison(Moteur.Coup.AngleTapis * 180.0 / Pi);
        Ehvi1->SetMasseQueue(Moteur.Coup.m);
    }
    if (TraceSimultaneeMnu->isChecked() && FPlacement == 0) Tire();
}

void TMainFrm::BillesAuRepos() {
    for (int n = 1; n <= 3; ++n) {
        Moteur.Trajets[n][0].Vitesse = VecteurNul;
        Moteur.Trajets[n][0].Rotation = VecteurNul;
    }
}

QStringList TMainFrm::BillesEnMouvement() const {
    QStringList noms;
    for (int n = 2; n <= 3; ++n) {
        const TCinematique& c = Moteur.Trajets[n][0];
        // The engine's own threshold: below it a speed or a spin counts as zero.
        if (Norme(c.Vitesse) > 0.001 || Norme(c.Rotation) > 0.001)
            noms << NomCouleur(BilleMoteur(n));
    }
    return noms;
}

QString TMainFrm::NomCouleur(const TCIBille* bille) const {
    if (bille == BillardGraph->bhBille1()) return QStringLiteral("jaune");
    if (bille == BillardGraph->bhBille2()) return QStringLiteral("blanche");
    return QStringLiteral("rouge");
}

void TMainFrm::EffaceResultat() {
    FTexteResultat.clear();
    PointLbl->clear();
}

void TMainFrm::FixeModif(bool b) {
    Modifie = b;
    Label1->setText(b ? QStringLiteral("Modif") : QString());
}

TCoupCourant TMainFrm::CoupCourant() const {
    return {.Effet = Ehvi1->Effet(),
            .Hauteur = Ehvi1->Hauteur(),
            .AngleVisee = BillardGraph->AngleViseeDeg(),
            .Vitesse = Ehvi1->Vitesse(),
            .Inclinaison = Ehvi1->Inclinaison(),
            .MasseQueue = Ehvi1->MasseQueue(),
            .AngleOx = BillardGraph->AngleVisee()};
}

void TMainFrm::JoueCoupExact(const TCoupQueue& coup) {
    {
        // The controls follow without firing; their pixels would round the tip.
        ++FPlacement;
        BillardGraph->ViseAngle(coup.AngleOx);
        Ehvi1->SetEffet(coup.Effet);
        Ehvi1->SetHauteur(coup.Hauteur);
        Ehvi1->SetVitesse(coup.Vq);
        Ehvi1->SetInclinaison(Degres(coup.AngleTapis));
        Ehvi1->SetMasseQueue(coup.m);
        --FPlacement;
    }
    Moteur.Coup = coup;
    FCoupImpose = true;
    TireEnLignes();
    FCoupImpose = false;
}

void TMainFrm::FixeValeurCoup(TValeurCoup valeur, double v) {
    switch (valeur) {
    case TValeurCoup::Effet:
        Ehvi1->SetEffet(v);
        break;
    case TValeurCoup::Hauteur:
        Ehvi1->SetHauteur(v);
        break;
    case TValeurCoup::Vitesse:
        Ehvi1->SetVitesse(v);
        break;
    case TValeurCoup::Inclinaison:
        Ehvi1->SetInclinaison(v);
        break;
    case TValeurCoup::AngleVisee:
        BillardGraph->ViseAngleDeg(v);
        break;
    case TValeurCoup::MasseQueue:
        Ehvi1->SetMasseQueue(v);
        break;
    }
}

bool TMainFrm::EffacementLignes() const {
    return EffacerLignesMnu->isChecked();
}

bool TMainFrm::EnvoiAutomatique() const {
    return dbAlvAutoMnu->isChecked();
}

void TMainFrm::TireEnLignes() {
    QAction* dessin = TraceSimultaneeMnu;
    for (QAction* a : {LignesMnu, BillesMnu, LignesEtBillesMnu})
        if (a->isChecked()) dessin = a;
    // Drawn as lines whatever the choice, which gets its check mark back afterwards without
    // a repaint.
    LignesMnu->setChecked(true);
    Tire();
    dessin->setChecked(true);
}

void TMainFrm::EditeVecteur(int bille, const QString& quoi, TVecteur* vecteur, int indice) {
    if (!EditVectFrm) return;
    EditVectFrm->Edite(bille, quoi, vecteur, indice);
    EditVectFrm->show();
    EditVectFrm->raise();
    EditVectFrm->activateWindow();
}

bool TMainFrm::TraceSimultanee() const {
    return TraceSimultaneeMnu->isChecked();
}
bool TMainFrm::Lignes() const {
    return LignesMnu->isChecked();
}

void TMainFrm::Ehvi1EhviChange() {
    FixeModif(true);
    ChangePartie();
    if (TraceSimultaneeMnu->isChecked() && FPlacement == 0) Tire();
}

void TMainFrm::AfficheMessage(const QString& titre, const QString& texte, TTypeMessage type) {
    FDialogues->Message(this, titre, texte, type);
}

// ---------------------------------------------------------------------------------------------
// Keyboard

QString TMainFrm::InfoBulle(const QWidget* controle, QPoint p) const {
    const auto dans = [p](const TRect& r) { return r.VersQRect().contains(p); };
    if (controle == Ehvi1) {
        TEhvi& ehvi = *Ehvi1;
        if (dans(ehvi.SelecteurEffetHauteur().RectExt))
            return QStringLiteral("Effet et hauteur : cliquer sur la bille\n"
                                  "E + flèches : effet ; H + flèches : hauteur");
        if (dans(ehvi.SelecteurVitesse().RectExt))
            return QStringLiteral("Vitesse de la queue : cliquer sur l'échelle\n"
                                  "V + flèches gauche, droite");
        if (dans(ehvi.SelecteurInclinaison().RectExt))
            return QStringLiteral("Inclinaison de la queue : cliquer sur la vue\nI + flèches");
        return {};
    }
    if (controle == BillardGraph) {
        const TCIBille* bille = BillardGraph->BilleEnPixel(p.x(), p.y());
        for (int n = 1; n <= 3; ++n)
            if (bille == BilleMoteur(n) || dans(BilleMoteur(n)->RectCoord))
                return QStringLiteral("Position de la bille : la glisser\n%1 + flèches").arg(n);
        if (dans(BillardGraph->RectAngle()) || dans(BillardGraph->RectJeu()))
            return QStringLiteral("Visée : cliquer sur le tapis\nA + flèches : affiner l'angle");
    }
    return {};
}

bool TMainFrm::eventFilter(QObject* objet, QEvent* evenement) {
    const QEvent::Type type = evenement->type();
    if (type == QEvent::ToolTip && (objet == Ehvi1 || objet == BillardGraph)) {
        // The pickers and the table's texts are drawn, not widgets: the tip follows the place.
        const auto* aide = static_cast<QHelpEvent*>(evenement);
        const QString texte = InfoBulle(static_cast<QWidget*>(objet), aide->pos());
        if (texte.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(aide->globalPos(), texte, static_cast<QWidget*>(objet));
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return QMainWindow::eventFilter(objet, evenement);
    auto* cible = qobject_cast<QWidget*>(objet);
    if (!cible || cible->window() != this) return QMainWindow::eventFilter(objet, evenement);
    const auto* touche = static_cast<QKeyEvent*>(evenement);
    if (type == QEvent::KeyPress) return ToucheEnfoncee(touche->key(), touche->modifiers());
    // A held key repeats as release-press pairs: only the real release counts.
    if (touche->isAutoRepeat()) return false;
    return ToucheRelachee(touche->key());
}

namespace {

/// The command letters and digits; the digits of the main row are also read as the
/// characters they carry on a French keyboard.
int ToucheCommande(int touche, Qt::KeyboardModifiers modifs) {
    switch (touche) {
    case Qt::Key_E:
    case Qt::Key_H:
    case Qt::Key_V:
    case Qt::Key_A:
    case Qt::Key_I:
    case Qt::Key_M:
        return touche;
    case Qt::Key_1:
    case Qt::Key_Ampersand:
        return modifs & Qt::KeypadModifier ? 0 : Qt::Key_1;
    case Qt::Key_2:
    case Qt::Key_Eacute:
        return modifs & Qt::KeypadModifier ? 0 : Qt::Key_2;
    case Qt::Key_3:
    case Qt::Key_QuoteDbl:
        return modifs & Qt::KeypadModifier ? 0 : Qt::Key_3;
    default:
        return 0;
    }
}

} // namespace

bool TMainFrm::ToucheEnfoncee(int touche, Qt::KeyboardModifiers modifs) {
    if (const int commande = ToucheCommande(touche, modifs)) {
        ToucheTenue = commande;
        return true;
    }
    const bool pave = modifs & Qt::KeypadModifier;
    switch (touche) {
    case Qt::Key_Left:
        CommandeFleche(-Increment, 0);
        return true;
    case Qt::Key_Right:
        CommandeFleche(Increment, 0);
        return true;
    case Qt::Key_Up:
        CommandeFleche(0, Increment);
        return true;
    case Qt::Key_Down:
        CommandeFleche(0, -Increment);
        return true;
    case Qt::Key_Plus:
        if (!pave) return false;
        ++Increment;
        return true;
    case Qt::Key_Minus:
        if (!pave) return false;
        if (Increment >= 2) --Increment;
        return true;
    case Qt::Key_Space:
        Tire();
        return true;
    case Qt::Key_Escape:
        BillardGraph->Arret = true;
        return true;
    case Qt::Key_Home:
    case Qt::Key_Backspace:
        PlaceEtape(0);
        return true;
    case Qt::Key_End:
        PlaceEtape(Moteur.NbEnr);
        return true;
    case Qt::Key_Delete:
        OublieTrajectoire();
        BillesAuRepos();
        RedessineSansLignes();
        return true;
    case Qt::Key_Q:
        if (QueueNumFrm) QueueNumFrm->show(), QueueNumFrm->raise();
        return true;
    case Qt::Key_F1:
        if (HlpFrm) HlpFrm->show(), HlpFrm->raise();
        return true;
    default:
        return false;
    }
}

bool TMainFrm::ToucheRelachee(int touche) {
    if (touche == Qt::Key_F9) {
        CommandeF9();
        return true;
    }
    const int commande = ToucheCommande(touche, Qt::NoModifier);
    if (commande != 0 && commande == ToucheTenue) {
        ToucheTenue = 0;
        return true;
    }
    return false;
}

void TMainFrm::CommandeFleche(int dx, int dy) {
    switch (ToucheTenue) {
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3: {
        TCIBille* bille = BilleMoteur(ToucheTenue - Qt::Key_0);
        const QPoint p = bille->PosPixels();
        bille->DeplacePixels(QPoint(p.x() + dx, p.y() - dy));
        break;
    }
    case Qt::Key_A:
        BillardGraph->ViseAngleDeg(AngleApresFleche(BillardGraph->AngleViseeDeg(), dx, dy));
        break;
    case Qt::Key_E:
    case Qt::Key_H:
        Ehvi1->SetEffet(Ehvi1->Effet() + 0.015 * Elargi(dx));
        Ehvi1->SetHauteur(Ehvi1->Hauteur() + 0.015 * Elargi(dy));
        break;
    case Qt::Key_I:
        Ehvi1->SetInclinaison(Ehvi1->Inclinaison() + 0.1 * (dx + dy));
        break;
    case Qt::Key_M:
        Ehvi1->SetMasseQueue(dx + Ehvi1->MasseQueue() + dy);
        break;
    case Qt::Key_V:
        Ehvi1->SetVitesse(Ehvi1->Vitesse() + dx);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// The shot

void TMainFrm::RedessineSansLignes() {
    // The flag first: in live mode the repaint redraws the aim, which fires the shot and
    // draws its lines again.
    LignesTracees = false;
    BillardGraph->Redessine();
}

void TMainFrm::EffaceLignes() {
    BillardGraph->EffaceVisee();
    if (LignesTracees) {
        BillardGraph->Redessine();
        BillardGraph->EffaceVisee();
        LignesTracees = false;
    }
}

void TMainFrm::DessineLignes() {
    const QAction* lignes[3] = {Ligne1Mnu, Ligne2Mnu, Ligne3Mnu};
    for (int n = 1; n <= 3; ++n)
        if (lignes[n - 1]->isChecked()) BillardGraph->DessineTrajet(n, BilleMoteur(n)->cl());
    // The helps go over the lines they belong to, drawn by the diagram's painter.
    if (SensParcoursMnu->isChecked())
        for (int n = 1; n <= 3; ++n)
            if (lignes[n - 1]->isChecked())
                BillardGraph->DessineSensTrajet(n, BilleMoteur(n)->cl());
    if (NumerosBandesMnu->isChecked() && Ligne1Mnu->isChecked())
        BillardGraph->DessineNumerosBandes();
    if (DiamantsBandesMnu->isChecked() && Ligne1Mnu->isChecked())
        BillardGraph->DessineDiamantsBandes();
    LignesTracees = true;
}

void TMainFrm::AidesTraceMnuClick() {
    QSettings reglages;
    reglages.setValue(CleNumerosBandes, NumerosBandesMnu->isChecked());
    reglages.setValue(CleSensParcours, SensParcoursMnu->isChecked());
    reglages.setValue(CleDiamantsBandes, DiamantsBandesMnu->isChecked());
    // The lines on the table drawn again with or without them.
    if (LignesTracees) {
        BillardGraph->Redessine();
        DessineLignes();
    }
}

void TMainFrm::Tire() {
    // A replay lets events through: a second shot asked for meanwhile (Space, F9, "Feu !")
    // would rewrite the records the replay is reading. The running shot finishes first.
    if (CoupEnCours) return;
    CoupEnCours = true;
    if (EffacerLignesMnu->isChecked()) EffaceLignes();
    PointLbl->clear();
    PositionsVersMoteur();
    if (!FCoupImpose) CoupVersMoteur();
    TResultatCoup r;
    r.BillesEnMouvement = BillesEnMouvement();
    Moteur.TireCoup();
    if (!Moteur.QueueInsoluble) {
        if (LignesMnu->isChecked() || LignesEtBillesMnu->isChecked() ||
            TraceSimultaneeMnu->isChecked()) {
            DessineLignes();
            EtapeAffichee = 0;
        }
        if (BillesMnu->isChecked() || LignesEtBillesMnu->isChecked()) {
            BillardGraph->AnimeTrajets();
            EtapeAffichee = Moteur.NbEnr;
        }
    } else {
        AfficheMessage(QStringLiteral("Erreur"), TexteQueueInsoluble(Moteur, QLocale()), tmErreur);
    }
    if (VueNumFrm) VueNumFrm->FormShow();

    r.PointReussi = Moteur.PointReussi;
    r.IndicePoint = Moteur.IndicePoint;
    r.Duree = Moteur.Temps[std::clamp(Moteur.NbEnr, 0, TBillardAlveran::NbEnrMax)];
    // A shot that is not significant leaves d unwritten: 0 then, as the command line says,
    // rather than the d of some earlier shot.
    Derniers.d = 0.0;
    r.Significatif = CalculeCaracteristiques(Moteur, Derniers);
    r.Contre = Derniers.Contre;
    r.Bandes = Derniers.Bandes;
    r.D13 = Derniers.D13;
    r.P13 = Derniers.P13;
    r.d = Derniers.d;
    FTexteResultat = TexteResultat(r, QLocale());
    // The label breaks lines at line feeds.
    PointLbl->setText(QString(FTexteResultat).replace(QLatin1Char('\r'), QLatin1Char('\n')));

    CoupEnCours = false;
    if (dbAlvAutoMnu->isChecked()) EnvoieCoupDb();
    FixeModif(false);
}

void TMainFrm::CommandeF9() {
    LignesMnu->setChecked(true);
    Tire();
    if (!dbAlvAutoMnu->isChecked()) EnvoieCoupDb();
}

void TMainFrm::ExporteVitesses() {
    const bool queue = dbAlvQueueMnu->isChecked();
    const bool vitesse = dbAlvVitesseMnu->isChecked();
    dbAlvVitesseMnu->setChecked(true);
    Derniers.d = 0.0;
    CalculeCaracteristiques(Moteur, Derniers);
    EnvoieCoupDb();
    // Both may have been unchecked: the exclusive group must not force one back on.
    dbAlvQueueMnu->setChecked(queue);
    dbAlvVitesseMnu->setChecked(vitesse);
}

void TMainFrm::ApercuContact() {
    DessineApercu();
    if (!CoupEnCours) {
        FixeModif(true);
        if (TraceSimultaneeMnu->isChecked() && FPlacement == 0) Tire();
    }
}

void TMainFrm::DessineApercu() {
    const double a = BillardGraph->AngleVisee();
    const double ca = std::cos(a), sa = std::sin(a);
    const TPointTable p1 = BilleMoteur(1)->PosCm();
    double p[2];
    double dist2[2];
    for (int k = 0; k < 2; ++k) {
        const TPointTable pk = BilleMoteur(k + 2)->PosCm();
        const double dx = pk.x - p1.x, dy = pk.y - p1.y;
        const double along = dx * ca + dy * sa;
        p[k] = along > 0 ? dy * ca - dx * sa : 1000.0;
        dist2[k] = dx * dx + dy * dy;
    }
    const double D = Moteur.Fisik.DiamBilles;
    int rencontree = 0; // engine ball met, 0 for none
    if (std::abs(p[0]) < D) {
        rencontree = std::abs(p[1]) < D && dist2[1] < dist2[0] ? 3 : 2;
    } else if (std::abs(p[1]) < D) {
        rencontree = 3;
    }

    const QColor fond = palette().color(QPalette::Window);
    // At the screen's resolution; the geometry below is in logical pixels.
    if (FQimgImage.devicePixelRatio() != devicePixelRatioF())
        FQimgImage = NouvelleImage(Qimg->width(), Qimg->height(), devicePixelRatioF());
    FQimgImage.fill(fond);
    if (rencontree != 0) {
        const double decalage = p[rencontree - 2];
        QPainter peintre(&FQimgImage);
        peintre.setRenderHint(QPainter::Antialiasing, true);
        peintre.setPen(fond);
        peintre.setBrush(BilleMoteur(rencontree)->cl());
        const int w = Qimg->width(), h = Qimg->height();
        // The canvas's ellipse (0, 0, w, h) excludes its right and bottom edges.
        peintre.drawEllipse(QRectF(0, 0, w - 1, h - 1));
        const int k = static_cast<int>(std::nearbyint(h / 2.0));
        const int x = static_cast<int>(std::nearbyint(k * decalage / D + k));
        // Through the middle of column x, as the whole pixels of an aliased line would be.
        peintre.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, w));
    }
    Qimg->setPixmap(QPixmap::fromImage(FQimgImage));
}

void TMainFrm::BillardGraphViseeChange() {
    ApercuContact();
    ChangePartie();
}

// ---------------------------------------------------------------------------------------------
// Menu commands

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

int TMainFrm::SauvePosition() {
    const std::optional<TChoixFichier> choix = FDialogues->FichierASauver(this, FiltresPosition);
    if (!choix) return 0;
    std::string erreur;
    int resultat;
    Moteur.BilleJoueur = JauneMnu->isChecked() ? bjJaune : bjBlanche;
    if (choix->IndiceFiltre == 0 ||
        Extension(choix->Nom).compare(QStringLiteral(".alv"), Qt::CaseInsensitive) == 0) {
        resultat = Moteur.EcritPositionQueue(
            NomFichierNatif(ChangeExtension(choix->Nom, QStringLiteral(".alv"))), erreur);
    } else {
        resultat = Moteur.EcritPositionVitesses(
            NomFichierNatif(ChangeExtension(choix->Nom, QStringLiteral(".alv2"))), erreur);
    }
    if (!erreur.empty())
        AfficheMessage(QStringLiteral("Erreur"), QString::fromUtf8(erreur), tmErreur);
    if (resultat != 0) AfficheNomFichier();
    return resultat;
}

int TMainFrm::ChargePosition() {
    const std::optional<TChoixFichier> choix = FDialogues->FichierAOuvrir(this, FiltresPosition);
    if (!choix) return 0;
    return LitPositionSignale(NomFichierNatif(choix->Nom));
}

int TMainFrm::LitPositionSignale(const std::string& nom) {
    TRapportLecture rapport;
    const int variante = Moteur.LitPosition(nom, rapport);
    // A file that could not be read (gone, a folder, too large) changed nothing: say why
    // rather than show the old position as if it were the file's.
    if (!rapport.Erreur.empty())
        AfficheMessage(QStringLiteral("Erreur"), QString::fromStdString(rapport.Erreur), tmErreur);
    // A stroke file's cue mass is the file's: a shot fired with the window's would not be the
    // one the file (and alveran-cli on it) fires.
    if (variante == 1) {
        const TSansTirDirect garde(FPlacement);
        Ehvi1->SetMasseQueue(Moteur.Coup.m);
    }
    // A file that names its cue ball is played with that ball: its engine ball 1 is that one.
    if (variante != 0 && Moteur.BilleJoueur != bjInconnue) {
        QAction* choix = Moteur.BilleJoueur == bjJaune ? JauneMnu : BlancheMnu;
        choix->setChecked(true);
        BilleJoueurMnuClick(choix);
    }
    return variante;
}

/// After a load or a received block: the balls at record 0, the stroke but the cue mass from
/// the engine (a stroke file's mass is taken as it is read), the aim line from the engine, a
/// clean table.
void TMainFrm::RecadreApresChargement() {
    OublieTrajectoire();
    const TSansTirDirect garde(FPlacement);
    PlaceBillesEtape(0);
    Ehvi1->SetEffet(Moteur.Coup.Effet);
    Ehvi1->SetHauteur(Moteur.Coup.Hauteur);
    Ehvi1->SetVitesse(Moteur.Coup.Vq);
    Ehvi1->SetInclinaison(Moteur.Coup.AngleTapis * 180.0 / Pi);
    BillardGraph->ViseAngle(Moteur.Coup.AngleOx);
    RedessineSansLignes();
}

void TMainFrm::ChargerMnuClick() {
    ValidePartie(); // what the player did before is a step of its own
    LignesMnu->setChecked(true);
    const int variante = ChargePosition();
    // A stroke file holds positions only: the three balls start at rest, whatever an earlier
    // computation left in record 0. A ".alv2" brings its own velocities and rotations.
    if (variante == 1) BillesAuRepos();
    // The result beside the table was the previous shot's, not this position's.
    if (variante != 0) EffaceResultat();
    RecadreApresChargement();
    if (TraceSimultaneeMnu->isChecked()) Tire();
    if (variante != 0) AfficheNomFichier();
    ValidePartie();
}

int TMainFrm::OuvrePosition(const QString& nom) {
    // The open dialog only offers files that exist; a name from the command line may not,
    // and reading it would silently put every ball at the origin.
    const QFileInfo fichier(nom);
    if (!fichier.isFile() || !fichier.isReadable()) {
        AfficheMessage(QStringLiteral("Erreur"), QStringLiteral("Impossible de lire %1").arg(nom),
                       tmErreur);
        return 0;
    }
    ValidePartie();
    LignesMnu->setChecked(true);
    const int resultat = LitPositionSignale(NomFichierNatif(fichier.absoluteFilePath()));
    RecadreApresChargement();
    if (TraceSimultaneeMnu->isChecked()) Tire();
    if (resultat != 0) AfficheNomFichier();
    ValidePartie();
    return resultat;
}

void TMainFrm::AfficheNomFichier() {
    const QString nom =
        QFileInfo(QFile::decodeName(QByteArray::fromStdString(Moteur.NomFichier))).fileName();
    setWindowTitle(nom.isEmpty() ? QStringLiteral("Démo2D Alveran")
                                 : nom + QStringLiteral(" — Démo2D Alveran"));
}

int LanceProgramme(const QStringList& arguments, TDialogues* dialogues) {
    TMainFrm MainFrm(dialogues);
    MainFrm.CreeFenetres();
    MainFrm.show();
    // Loaded once the window shows: showing it copies the balls drawn into the engine.
    if (arguments.size() > 1) MainFrm.OuvrePosition(arguments.at(1));
    return QApplication::exec();
}

void TMainFrm::SauvegarderMnuClick() {
    PositionsVersMoteur();
    Moteur.Coup.Effet = Ehvi1->Effet();
    Moteur.Coup.Hauteur = Ehvi1->Hauteur();
    Moteur.Coup.Vq = Ehvi1->Vitesse();
    Moteur.Coup.AngleTapis = Ehvi1->Inclinaison() * Pi / 180.0;
    Moteur.Coup.AngleOx = BillardGraph->AngleVisee();
    Moteur.ChocQueueBille();
    SauvePosition();
}

void TMainFrm::SauverImageMnuClick() {
    const std::optional<TChoixFichier> choix =
        FDialogues->FichierASauver(this, {QStringLiteral("Bitmaps (*.bmp)")});
    if (!choix) return;
    const QString nom = ChangeExtension(choix->Nom, QStringLiteral(".bmp"));
    // At one pixel per logical pixel whatever the screen's scaling, as the picture is defined.
    if (!EcritImage(ImageLogique(BillardGraph->ImageAvecVisee()), nom, "BMP").isEmpty())
        AfficheMessage(QStringLiteral("Erreur"),
                       QStringLiteral("Impossible d'écrire dans %1").arg(nom), tmErreur);
}

void TMainFrm::ExporterSchemaMnuClick() {
    const QStringList filtres = {QStringLiteral("Schéma SVG (*.svg)"),
                                 QStringLiteral("Schéma PNG (*.png)")};
    const std::optional<TChoixFichier> choix = FDialogues->FichierASauver(this, filtres);
    if (!choix) return;
    // A name ending in .svg or .png says it all; otherwise the selected type gives the ending.
    const QString extension = Extension(choix->Nom).toLower();
    QString nom = choix->Nom;
    if (extension != QStringLiteral(".svg") && extension != QStringLiteral(".png"))
        nom = ChangeExtension(nom, choix->IndiceFiltre == 1 ? QStringLiteral(".png")
                                                            : QStringLiteral(".svg"));
    // The diagram shows the shot as set: fired again (as lines) when it changed since.
    if (Modifie || Moteur.NbEnr == 0) TireEnLignes();
    QString erreur;
    if (!EcritSchema(SchemaDernierCoup(), nom, erreur))
        AfficheMessage(QStringLiteral("Erreur"), erreur, tmErreur);
}

TSchemaCoup TMainFrm::SchemaDernierCoup() const {
    TSchemaCoup schema;
    schema.Moteur = &Moteur;
    for (int n = 1; n <= 3; ++n) schema.Couleurs[static_cast<size_t>(n - 1)] = BilleMoteur(n)->cl();
    const QString resultat = FTexteResultat.isEmpty()
                                 ? TexteResultat(ResultatMoteur(Moteur), QLocale())
                                 : FTexteResultat;
    schema.Legende = LegendeCoup(Moteur, resultat, QLocale());
    schema.NumerosDiamants = DiamantsBandesMnu->isChecked();
    return schema;
}

void TMainFrm::ParamPhysMnuClick() {
    // A box that did not convert leaves the table's dimensions as they were.
    if (!EditeParametres(Moteur.Fisik, this, FDialogues)) return;
    BillardGraph->bhDim().SetJeu(Moteur.Fisik.largeurJeu());
    BillardGraph->bhDim().SetRayonBilles(Moteur.Fisik.RayonBilles());
}

void TMainFrm::CopierMnuClick() {
    PositionsVersMoteur();
    CoupVersMoteur();
    QGuiApplication::clipboard()->setText(QString::fromUtf8(Moteur.TextePressePapiers()));
}

void TMainFrm::CollerMnuClick() {
    ValidePartie();
    const QClipboard* pressePapiers = QGuiApplication::clipboard();
    const QMimeData* donnees = pressePapiers->mimeData();
    std::string manquants;
    if (donnees && donnees->hasText()) {
        const TResultatCollage r =
            Moteur.CollePressePapiersTexte(pressePapiers->text().toStdString());
        if (r.Arrete()) {
            AfficheMessage(QStringLiteral("Erreur"), QString::fromUtf8(r.Erreur), tmErreur);
            return;
        }
        manquants = r.Manquants;
    }
    BillesAuRepos();
    PlaceEtape(0);
    Tire();
    ValidePartie();
    if (!manquants.empty())
        AfficheMessage(QStringLiteral("Avertissement"),
                       QStringLiteral("certains paramètres étaient absents du presse-papier et "
                                      "n'ont pas été changés :\r\n") +
                           QString::fromUtf8(manquants),
                       tmAvertissement);
}

void TMainFrm::BilleJoueurMnuClick(QAction* item) {
    BillardGraph->ChoisitBilleJoueur(item == BlancheMnu ? BillardGraph->bhBille2()
                                                        : BillardGraph->bhBille1());
    Ehvi1->SetclBille(BillardGraph->BilleJoueur()->cl());
    RedessineSansLignes();
}

void TMainFrm::DessinTrajetsMnuClick() {
    RedessineSansLignes();
}

void TMainFrm::ModeDeJeuMnuClick(QAction* item) {
    if (item == LibreMnu)
        Moteur.ModeDeJeu = jLibre;
    else if (item == UneBandeMnu)
        Moteur.ModeDeJeu = j1Bande;
    else
        Moteur.ModeDeJeu = j3Bandes;
}

void TMainFrm::AffichePosMnuClick(QAction* item) {
    BillardGraph->SetbhAffCoord(item == CmMnu ? afCm : afDiams);
}

void TMainFrm::VitesseRelectureMnuClick(QAction* item) {
    double vitesse = 1.0;
    if (item == VitesseQuartMnu) vitesse = 0.25;
    if (item == VitesseDemiMnu) vitesse = 0.5;
    if (item == VitesseDoubleMnu) vitesse = 2.0;
    BillardGraph->Relecture.Vitesse = vitesse;
}

void TMainFrm::EtapeRelecture(int i) {
    const int nbEnr = std::clamp(Moteur.NbEnr, 0, TBillardAlveran::NbEnrMax);
    PointLbl->setText(QStringLiteral("Relecture en pause\nenregistrement %1 / %2\ntemps : %3 s")
                          .arg(i)
                          .arg(nbEnr)
                          .arg(QLocale().toString(Moteur.Temps[i], 'f', 3)));
    if (VueNumFrm && VueNumFrm->isVisible()) VueNumFrm->MontreEnregistrement(i);
}

// ---------------------------------------------------------------------------------------------
// The database application

void TMainFrm::EnvoieCoupDb() {
    const TCoupDb bloc = PrepareCoupDb(Moteur, Derniers, dbAlvQueueMnu->isChecked());
    const TOctetsCoupDb octets = EncodeCoupDb(bloc);
    const QByteArray donnees(reinterpret_cast<const char*>(octets.data()),
                             static_cast<qsizetype>(octets.size()));
    // The window goes on at once: a stopped dbAlv costs only its time-outs, reported then.
    FTransport->Lance(NomServeurDbAlv, static_cast<quint64>(QCoreApplication::applicationPid()),
                      donnees);
}

void TMainFrm::EnvoiDbTermine(quint64, TTransportDbAlv::TEnvoi etat, quint64 reponse) {
    QString texte;
    switch (etat) {
    case TTransportDbAlv::eEnvoye:
        return;
    case TTransportDbAlv::eNonOuvert:
        texte = TTransportDbAlv::TexteDbAlvNonOuvert();
        break;
    case TTransportDbAlv::eSansReponse:
        texte = QStringLiteral("dbAlv n'a pas répondu : le coup n'est peut-être pas enregistré");
        break;
    case TTransportDbAlv::eRefuse:
        texte = QStringLiteral("coup non enregistré par dbAlv : ") +
                TTransportDbAlv::TexteReponse(reponse);
        break;
    case TTransportDbAlv::eAutreUtilisateur:
        texte = QStringLiteral("« %1 » appartient à un autre utilisateur : coup non envoyé")
                    .arg(NomServeurDbAlv);
        break;
    }
    AfficheMessage(QStringLiteral("Erreur"), texte, tmErreur);
}

void TMainFrm::RecoitBlocDb(const QByteArray& donnees) {
    if (donnees.size() != static_cast<qsizetype>(TailleCoupDb)) return;
    const auto* octets = reinterpret_cast<const uint8_t*>(donnees.constData());
    const TCoupDb bloc = DecodeCoupDb(std::span<const uint8_t, TailleCoupDb>(octets, TailleCoupDb));
    ValidePartie();
    // A block carries at most the cue ball's motion: the object balls start at rest, as on a
    // fresh engine.
    BillesAuRepos();
    const int32_t type = RecoitCoupDb(Moteur, bloc);
    EffaceResultat();
    LignesMnu->setChecked(true);
    RecadreApresChargement();
    if (type == tcQueue) {
        Tire();
    } else {
        Moteur.CalculeTrajets();
        // Only the "Lignes" command follows: the recording is complete but not drawn.
        LignesMnu->setChecked(true);
        RedessineSansLignes();
    }
    ValidePartie();
}
