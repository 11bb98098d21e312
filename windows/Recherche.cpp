#include "windows/Recherche.h"

#include "analysis/DureeEssai.h"
#include "analysis/RouteEnMots.h"
#include "dessin/EcritImage.h"
#include "ui/SaisieNombre.h"
#include "windows/Chances.h"
#include "windows/Services.h"

#include "analysis/CoupLePlusSur.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>

using namespace alv;

namespace {

/// The work is read this often while it runs (ms).
constexpr int PeriodeSonde = 100;
/// Tree item data: the grid index of a family's central stroke (routes hold none).
constexpr int RoleCentre = Qt::UserRole;
/// Tree item data: a family's number.
constexpr int RoleFamille = Qt::UserRole + 1;
/// Tree item data of a column: the number it shows, for sorting.
constexpr int RoleTri = Qt::UserRole + 2;
/// The "Réussite" column.
constexpr int ColonneReussite = 5;
/// Draws of the map of chances: enough to shade a cell, few enough for a cut in seconds.
constexpr int32_t EssaisCarte = 200;

/// A tree item that sorts its numeric columns by their numbers.
class TItemTri : public QTreeWidgetItem {
  public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& autre) const override {
        const int c = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant a = data(c, RoleTri), b = autre.data(c, RoleTri);
        if (a.isValid() != b.isValid()) return !a.isValid(); // empty cells first
        if (a.isValid()) return a.toDouble() < b.toDouble();
        return QTreeWidgetItem::operator<(autre);
    }
};

/// "62 % ± 2".
QString TextePourcent(const TChance& c) {
    const QLocale locale;
    const double ecart = std::max(c.Probabilite - c.Bas, c.Haut - c.Probabilite);
    return QStringLiteral("%1 % ± %2")
        .arg(locale.toString(static_cast<int>(std::lround(100 * c.Probabilite))),
             locale.toString(static_cast<int>(std::lround(100 * ecart))));
}

QString TexteGroupe(qint64 n) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(n);
}

QString Nombre(double v) {
    return TexteGeneral(v, 15);
}

constexpr const char* ProprieteExacte = "valeurExacte";

QLineEdit* Champ(QWidget* parent, const char* nom, double valeur) {
    auto* champ = new QLineEdit(Nombre(valeur), parent);
    champ->setObjectName(QString::fromLatin1(nom));
    // The text shows 15 digits; a field left as it was gives back the exact value, so the
    // default grid here is the command line's to the last bit (a tip on the ball's edge is
    // decided by that last bit).
    champ->setProperty(ProprieteExacte, valeur);
    champ->setMaximumWidth(80);
    AccepteLesDeuxSeparateurs(champ);
    return champ;
}

QSpinBox* Compteur(QWidget* parent, const char* nom, int min, int max, int valeur) {
    auto* compteur = new QSpinBox(parent);
    compteur->setObjectName(QString::fromLatin1(nom));
    compteur->setRange(min, max);
    compteur->setValue(valeur);
    return compteur;
}

} // namespace

TRechercheFrm::TRechercheFrm(TServicesMain& services, QWidget* parent)
    : QWidget(parent, Qt::Window), Services(services) {
    setWindowTitle(QStringLiteral("Recherche de solutions"));
    resize(1100, 720);
    const TGrilleRecherche d = GrilleRechercheDefaut(Services.MoteurPartage().Fisik.RayonBilles());

    auto* grille = new QGridLayout;
    auto ligne = [&](int rang, const QString& libelle, QWidget* de, QWidget* a, QWidget* n,
                     const QString& libelleN) {
        grille->addWidget(new QLabel(libelle, this), rang, 0);
        grille->addWidget(new QLabel(QStringLiteral("de"), this), rang, 1);
        grille->addWidget(de, rang, 2);
        grille->addWidget(new QLabel(QStringLiteral("à"), this), rang, 3);
        grille->addWidget(a, rang, 4);
        grille->addWidget(new QLabel(libelleN, this), rang, 5);
        grille->addWidget(n, rang, 6);
    };
    ViseeDeTxt = Champ(this, "ViseeDeTxt", d.AngleOx.De);
    ViseeATxt = Champ(this, "ViseeATxt", d.AngleOx.A);
    ViseePasTxt = Champ(this, "ViseePasTxt", d.AngleOx.Pas);
    ligne(0, QStringLiteral("Visée (°)"), ViseeDeTxt, ViseeATxt, ViseePasTxt,
          QStringLiteral("pas"));
    EffetDeTxt = Champ(this, "EffetDeTxt", d.Effet.De);
    EffetATxt = Champ(this, "EffetATxt", d.Effet.A);
    EffetUD = Compteur(this, "EffetUD", 1, 999, d.Effet.N);
    ligne(1, QStringLiteral("Effet (cm)"), EffetDeTxt, EffetATxt, EffetUD,
          QStringLiteral("valeurs"));
    HauteurDeTxt = Champ(this, "HauteurDeTxt", d.Hauteur.De);
    HauteurATxt = Champ(this, "HauteurATxt", d.Hauteur.A);
    HauteurUD = Compteur(this, "HauteurUD", 1, 999, d.Hauteur.N);
    ligne(2, QStringLiteral("Hauteur (cm)"), HauteurDeTxt, HauteurATxt, HauteurUD,
          QStringLiteral("valeurs"));
    VitesseDeTxt = Champ(this, "VitesseDeTxt", d.Vq.De);
    VitesseATxt = Champ(this, "VitesseATxt", d.Vq.A);
    VitesseUD = Compteur(this, "VitesseUD", 1, 999, d.Vq.N);
    ligne(3, QStringLiteral("Vitesse (cm/s)"), VitesseDeTxt, VitesseATxt, VitesseUD,
          QStringLiteral("valeurs"));
    MinFamilleUD = Compteur(this, "MinFamilleUD", 1, 100000, MinFamilleDefaut);
    ToleranceUD = Compteur(this, "ToleranceUD", 0, 1000, 0);
    grille->addWidget(new QLabel(QStringLiteral("Famille minimale"), this), 0, 7);
    grille->addWidget(MinFamilleUD, 0, 8);
    grille->addWidget(new QLabel(QStringLiteral("Tolérance des familles"), this), 1, 7);
    grille->addWidget(ToleranceUD, 1, 8);
    JoueurCbx = new QComboBox(this);
    JoueurCbx->setObjectName(QStringLiteral("JoueurCbx"));
    JoueurCbx->addItem(QStringLiteral("—"));
    for (const TJoueur& j : JoueursDisponibles()) JoueurCbx->addItem(QString::fromStdString(j.Nom));
    FamillesChanceUD = Compteur(this, "FamillesChanceUD", 0, 100000, 20);
    FamillesChanceUD->setToolTip(QStringLiteral("0 : toutes les familles"));
    grille->addWidget(new QLabel(QStringLiteral("Réussite pour"), this), 0, 9);
    grille->addWidget(JoueurCbx, 0, 10);
    grille->addWidget(new QLabel(QStringLiteral("Familles évaluées"), this), 1, 9);
    grille->addWidget(FamillesChanceUD, 1, 10);
    grille->setColumnStretch(11, 1);

    ChercheBtn = new QPushButton(QStringLiteral("Chercher"), this);
    ChercheBtn->setObjectName(QStringLiteral("ChercheBtn"));
    connect(ChercheBtn, &QPushButton::clicked, this, [this] { ChercheBtnClick(); });
    StopBtn = new QPushButton(QStringLiteral("Interrompre"), this);
    StopBtn->setObjectName(QStringLiteral("StopBtn"));
    connect(StopBtn, &QPushButton::clicked, this, [this] { StopBtnClick(); });
    grille->addWidget(ChercheBtn, 2, 8);
    grille->addWidget(StopBtn, 3, 8);
    // The window's cancel button: Escape presses it, whichever control has the focus.
    auto* echap = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    echap->setContext(Qt::WindowShortcut);
    connect(echap, &QShortcut::activated, this, [this] { StopBtnClick(); });

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    EtatLbl = new QLabel(this);
    EtatLbl->setObjectName(QStringLiteral("EtatLbl"));

    RoutesArb = new QTreeWidget(this);
    RoutesArb->setObjectName(QStringLiteral("RoutesArb"));
    RoutesArb->setHeaderLabels({QStringLiteral("Route"), QStringLiteral("Coups réussis"),
                                QStringLiteral("Isolés"), QStringLiteral("Visée (°)"),
                                QStringLiteral("Tolérance"), QStringLiteral("Réussite")});
    RoutesArb->header()->setSectionsClickable(true);
    connect(RoutesArb->header(), &QHeaderView::sectionClicked, this,
            [this](int colonne) { TrieColonne(colonne); });
    RoutesArb->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(RoutesArb, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        const QVariant famille = item->data(0, RoleFamille);
        if (famille.isValid()) JoueFamille(famille.toInt());
    });
    // Enter on the selected family plays it, as a click does.
    connect(RoutesArb, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
        const QVariant famille = item->data(0, RoleFamille);
        if (famille.isValid()) JoueFamille(famille.toInt());
    });
    LegendeRoutesLbl = new QLabel(this);
    LegendeRoutesLbl->setObjectName(QStringLiteral("LegendeRoutesLbl"));
    LegendeRoutesLbl->setWordWrap(true);

    VitesseCbx = new QComboBox(this);
    VitesseCbx->setObjectName(QStringLiteral("VitesseCbx"));
    HauteurCbx = new QComboBox(this);
    HauteurCbx->setObjectName(QStringLiteral("HauteurCbx"));
    connect(VitesseCbx, &QComboBox::currentIndexChanged, this, [this] { DessineCarteCourante(); });
    connect(HauteurCbx, &QComboBox::currentIndexChanged, this, [this] { DessineCarteCourante(); });
    EnregistreBtn = new QPushButton(QStringLiteral("Enregistrer la carte…"), this);
    EnregistreBtn->setObjectName(QStringLiteral("EnregistreBtn"));
    connect(EnregistreBtn, &QPushButton::clicked, this, [this] { EnregistreCarteClick(); });
    auto* choixCarte = new QHBoxLayout;
    choixCarte->addWidget(new QLabel(QStringLiteral("Carte : vitesse (cm/s)"), this));
    choixCarte->addWidget(VitesseCbx);
    choixCarte->addWidget(new QLabel(QStringLiteral("hauteur (cm)"), this));
    choixCarte->addWidget(HauteurCbx);
    CarteChanceChk = new QCheckBox(QStringLiteral("Carte des chances"), this);
    CarteChanceChk->setObjectName(QStringLiteral("CarteChanceChk"));
    connect(CarteChanceChk, &QCheckBox::toggled, this, [this] { DessineCarteCourante(); });
    choixCarte->addWidget(CarteChanceChk);
    choixCarte->addStretch(1);
    choixCarte->addWidget(EnregistreBtn);

    CarteImg = new QLabel;
    CarteImg->setObjectName(QStringLiteral("CarteImg"));
    CarteImg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    CarteImg->installEventFilter(this);
    CarteImg->setCursor(Qt::CrossCursor);
    auto* defilement = new QScrollArea(this);
    defilement->setWidget(CarteImg);
    defilement->setWidgetResizable(false);
    auto* cote = new QWidget(this);
    auto* coteCarte = new QVBoxLayout(cote);
    coteCarte->setContentsMargins(0, 0, 0, 0);
    coteCarte->addLayout(choixCarte);
    coteCarte->addWidget(defilement, 1);

    auto* partage = new QSplitter(Qt::Vertical, this);
    auto* routes = new QWidget(this);
    auto* routesCol = new QVBoxLayout(routes);
    routesCol->setContentsMargins(0, 0, 0, 0);
    routesCol->addWidget(LegendeRoutesLbl);
    routesCol->addWidget(RoutesArb, 1);
    partage->addWidget(routes);
    partage->addWidget(cote);
    partage->setStretchFactor(0, 1);
    partage->setStretchFactor(1, 2);

    auto* principal = new QVBoxLayout(this);
    principal->addLayout(grille);
    principal->addWidget(ProgressBar1);
    principal->addWidget(EtatLbl);
    principal->addWidget(partage, 1);

    FSonde = new QTimer(this);
    FSonde->setInterval(PeriodeSonde);
    connect(FSonde, &QTimer::timeout, this, [this] { Sonde(); });
    Verrouille(false);
    EnregistreBtn->setEnabled(false);
}

TRechercheFrm::~TRechercheFrm() {
    ArreteChancesCarte();
}

bool TRechercheFrm::LitGrille(TGrilleRecherche& grille) {
    const std::pair<QLineEdit*, double*> champs[] = {
        {ViseeDeTxt, &grille.AngleOx.De},   {ViseeATxt, &grille.AngleOx.A},
        {ViseePasTxt, &grille.AngleOx.Pas}, {EffetDeTxt, &grille.Effet.De},
        {EffetATxt, &grille.Effet.A},       {HauteurDeTxt, &grille.Hauteur.De},
        {HauteurATxt, &grille.Hauteur.A},   {VitesseDeTxt, &grille.Vq.De},
        {VitesseATxt, &grille.Vq.A}};
    for (const auto& [champ, valeur] : champs) {
        if (const QVariant exacte = champ->property(ProprieteExacte);
            exacte.isValid() && champ->text() == Nombre(exacte.toDouble())) {
            *valeur = exacte.toDouble();
            continue;
        }
        if (!LitNombreUtilisateur(champ->text(), *valeur)) {
            Services.Dialogues().Message(this, QStringLiteral("Erreur"),
                                         MessageConversion(champ->text()), tmErreur);
            return false;
        }
    }
    grille.Effet.N = EffetUD->value();
    grille.Hauteur.N = HauteurUD->value();
    grille.Vq.N = VitesseUD->value();
    if (const std::string probleme = VerifieGrilleRecherche(grille); !probleme.empty()) {
        Services.Dialogues().Message(this, QStringLiteral("Erreur"),
                                     QStringLiteral("Grille de recherche incorrecte : ") +
                                         QString::fromStdString(probleme),
                                     tmErreur);
        return false;
    }
    return true;
}

void TRechercheFrm::Verrouille(bool verrou) {
    for (QLineEdit* champ : {ViseeDeTxt, ViseeATxt, ViseePasTxt, EffetDeTxt, EffetATxt,
                             HauteurDeTxt, HauteurATxt, VitesseDeTxt, VitesseATxt})
        champ->setReadOnly(verrou);
    for (QSpinBox* c : {EffetUD, HauteurUD, VitesseUD, MinFamilleUD, ToleranceUD, FamillesChanceUD})
        c->setReadOnly(verrou);
    JoueurCbx->setEnabled(!verrou);
    ChercheBtn->setEnabled(!verrou);
    StopBtn->setEnabled(verrou);
}

void TRechercheFrm::ChercheBtnClick() {
    if (Phase != TPhase::Repos) return;
    TGrilleRecherche grille;
    if (!LitGrille(grille)) return;

    // The main window's position, inclination, cue mass and game mode, as it would fire now.
    Services.PositionsVersMoteur();
    FMoteur = std::make_unique<TBillardAlveran>(Services.MoteurPartage());
    FMoteur->Coup = Services.Coup();

    // The strokes and their time on this machine, from a few of them fired now: a long search
    // is announced and asked for.
    const int nbThreads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    {
        const TValeursRecherche valeurs = ValeursRecherche(grille);
        const int64_t aTirer = NbCoupsATirer(*FMoteur, grille);
        const qint64 estimation = EstimationMs(
            aTirer,
            MesureDureeTir(*FMoteur,
                           EchantillonRecherche(*FMoteur, valeurs, DimensionsRecherche(grille)),
                           100.0),
            nbThreads);
        const QString annonce = QStringLiteral("%1 coups à tirer, temps estimé %2")
                                    .arg(TexteGroupe(aTirer), TexteDureeHMS(estimation));
        if (estimation > EstimationSansQuestion &&
            !Services.Dialogues().Question(this, QStringLiteral("Confirmation"),
                                           annonce + QStringLiteral(".\nLa lancer ?")))
            return;
        EtatLbl->setText(annonce);
    }

    Grille = grille;
    FValeurs = {};
    FDimensions = {};
    Coups = {};
    Solutions = {};
    Interrompue = false;
    RoutesArb->clear();
    CarteImg->clear();
    CarteImg->resize(0, 0);
    EnregistreBtn->setEnabled(false);
    ProgressBar1->setValue(0);
    Verrouille(true);

    Phase = TPhase::Tirs;
    FDebut.start();
    TOptionsPipeline options;
    options.NbThreads = nbThreads;
    options.MinFamille = MinFamilleUD->value();
    options.NbTolerance = ToleranceUD->value();
    ArreteChancesCarte();
    FChancesCarte.clear();
    FJoueur.reset();
    for (const TJoueur& j : JoueursDisponibles())
        if (JoueurCbx->currentIndex() > 0 &&
            QString::fromStdString(j.Nom) == JoueurCbx->currentText())
            FJoueur = j;
    if (FJoueur) {
        const int32_t familles = FamillesChanceUD->value();
        const int threads = options.NbThreads;
        options.EtapeFinale = [joueur = *FJoueur, familles,
                               threads](const TBillardAlveran& moteur, TResultatRecherche& r,
                                        const std::atomic<bool>& arret,
                                        const std::function<void(int64_t, int64_t)>& progression) {
            const TTirages tirages(NbEssaisDefaut, GraineDefaut);
            return ChancesDesFamilles(moteur, r, joueur, tirages, familles, threads, arret,
                                      progression);
        };
    }
    FPipeline = std::make_unique<TPipelineRecherche>();
    FPipeline->Demarre(*FMoteur, grille, options);
    FSonde->start();
}

void TRechercheFrm::StopBtnClick() {
    if (Phase == TPhase::Repos) return;
    Interrompue = true;
    FPipeline->Arrete();
}

void TRechercheFrm::Sonde() {
    if (Phase == TPhase::Repos) return;
    if (FPipeline->Termine()) return FinRecherche();
    const TAvancementRecherche a = FPipeline->Avancement();
    if (a.Etape == TEtapeRecherche::Tirs) {
        if (a.Total > 0) ProgressBar1->setValue(static_cast<int>(a.Faits * 100 / a.Total));
        QString texte =
            QStringLiteral("%1 coups tirés sur %2, %3 réussis")
                .arg(TexteGroupe(a.Faits), TexteGroupe(a.Total), TexteGroupe(a.Reussis));
        if (a.Faits > 0 && a.Total > a.Faits) {
            const double reste =
                static_cast<double>(FDebut.elapsed()) *
                (static_cast<double>(a.Total) / static_cast<double>(a.Faits) - 1.0);
            texte += QStringLiteral(", reste %1").arg(TexteDureeHMS(static_cast<qint64>(reste)));
        }
        EtatLbl->setText(texte);
        return;
    }
    if (Phase == TPhase::Tirs) {
        Phase = TPhase::Familles;
        ProgressBar1->setValue(0);
    }
    EtatLbl->setText(a.Etape == TEtapeRecherche::Finale ? QStringLiteral("Chances des familles…")
                     : a.Etape == TEtapeRecherche::Tolerance && a.Total > 0
                         ? QStringLiteral("Tolérance des familles…")
                         : QStringLiteral("Regroupement en familles…"));
    if (a.Total > 0) ProgressBar1->setValue(static_cast<int>(a.Faits * 100 / a.Total));
}

void TRechercheFrm::FinRecherche() {
    FSonde->stop();
    TResultatRecherche r = FPipeline->Attend();
    FPipeline.reset();
    Coups = std::move(r.Coups);
    Solutions = std::move(r.Solutions);
    FValeurs = std::move(r.Valeurs);
    FDimensions = r.Dimensions;
    Phase = TPhase::Repos;
    Interrompue = Interrompue || r.Interrompu();
    const QString secondes =
        QLocale().toString(static_cast<double>(FDebut.elapsed()) / 1000.0, 'f', 1);
    const QString bilan = QStringLiteral("%1 coups tirés, %2 réussis, %3 routes")
                              .arg(TexteGroupe(Coups.Tires), TexteGroupe(Coups.Reussis),
                                   TexteGroupe(static_cast<qint64>(Solutions.Routes.size())));
    if (Interrompue) {
        EtatLbl->setText(QStringLiteral("Interrompu : ") + bilan);
    } else {
        ProgressBar1->setValue(100);
        EtatLbl->setText(QStringLiteral("Terminé en %1 s : ").arg(secondes) + bilan);
    }
    RemplitArbre();
    RemplitCoupes();
    EnregistreBtn->setEnabled(true);
    Verrouille(false);
    emit RechercheTerminee();
}

void TRechercheFrm::RemplitArbre() {
    const QLocale locale;
    RoutesArb->clear();
    FColonneTri = -1;
    const TBilleJoueur joueur = FMoteur ? FMoteur->BilleJoueur : bjInconnue;
    LegendeRoutesLbl->setText(QString::fromStdString(LegendeRoutes(joueur)));
    // Families are numbered as listed: those too small to be listed leave no gap.
    int numeroAffiche = 0;
    int64_t toleranceTotale = 0;
    bool toleranceCalculee = false;
    for (const TRoute& route : Solutions.Routes) {
        auto* r = new TItemTri(RoutesArb);
        r->setText(0, QStringLiteral("%1 : %2").arg(
                          QString::fromStdString(route.Sequence),
                          QString::fromStdString(RouteEnMots(route.Sequence, joueur))));
        r->setText(1, TexteGroupe(route.Reussis));
        r->setData(1, RoleTri, static_cast<double>(route.Reussis));
        r->setText(2, TexteGroupe(route.Isoles));
        r->setData(2, RoleTri, static_cast<double>(route.Isoles));
        const TChance* meilleure = nullptr;
        for (const TFamille& f : route.Familles) {
            auto* item = new TItemTri(r);
            item->setText(0, QStringLiteral("famille %1").arg(++numeroAffiche));
            item->setText(1, TexteGroupe(f.Taille));
            item->setData(1, RoleTri, static_cast<double>(f.Taille));
            const double de = FValeurs.AnglesDegres[static_cast<size_t>(f.AngleDebut)];
            const double a = FValeurs.AnglesDegres[static_cast<size_t>(f.AngleFin)];
            item->setText(3, QStringLiteral("%1 à %2").arg(locale.toString(de, 'g', 6),
                                                           locale.toString(a, 'g', 6)));
            item->setData(3, RoleTri, de);
            if (f.Tolerance >= 0) {
                // The count, of how many strokes fired around the central one.
                item->setText(
                    4, f.ToleranceEssais > 0
                           ? QStringLiteral("%1 / %2 (%3 %)")
                                 .arg(TexteGroupe(f.Tolerance), TexteGroupe(f.ToleranceEssais),
                                      locale.toString(100.0 * static_cast<double>(f.Tolerance) /
                                                          static_cast<double>(f.ToleranceEssais),
                                                      'f', 1))
                           : TexteGroupe(f.Tolerance));
                item->setData(4, RoleTri, static_cast<double>(f.Tolerance));
                toleranceTotale += f.Tolerance;
                toleranceCalculee = true;
            }
            if (f.Chance) {
                item->setText(ColonneReussite, TextePourcent(f.Chance->Chance));
                item->setData(ColonneReussite, RoleTri, f.Chance->Chance.Probabilite);
                if (!meilleure || f.Chance->Chance.Probabilite > meilleure->Probabilite)
                    meilleure = &f.Chance->Chance;
            }
            item->setData(0, RoleCentre, QVariant::fromValue<qlonglong>(f.Centre));
            item->setData(0, RoleFamille, f.Numero);
            for (int c = 1; c <= ColonneReussite; ++c) item->setTextAlignment(c, Qt::AlignRight);
        }
        // A route shows its safest family's chance, so that sorting brings the safest first.
        if (meilleure) {
            r->setText(ColonneReussite, TextePourcent(*meilleure));
            r->setData(ColonneReussite, RoleTri, meilleure->Probabilite);
        }
        for (int c = 1; c <= ColonneReussite; ++c) r->setTextAlignment(c, Qt::AlignRight);
    }
    RoutesArb->headerItem()->setText(
        4, toleranceCalculee
               ? QStringLiteral("Tolérance (total %1)").arg(TexteGroupe(toleranceTotale))
               : QStringLiteral("Tolérance"));
}

void TRechercheFrm::TrieColonne(int colonne) {
    // The first click on a count or on "Réussite" puts the largest first; again, the other way.
    FOrdreTri = colonne == FColonneTri
                    ? (FOrdreTri == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder)
                : colonne == 0 || colonne == 3 ? Qt::AscendingOrder
                                               : Qt::DescendingOrder;
    FColonneTri = colonne;
    RoutesArb->sortItems(colonne, FOrdreTri);
    RoutesArb->header()->setSortIndicatorShown(true);
    RoutesArb->header()->setSortIndicator(colonne, FOrdreTri);
}

void TRechercheFrm::JoueFamille(int32_t numero) {
    for (const TRoute& route : Solutions.Routes)
        for (const TFamille& f : route.Familles) {
            if (f.Numero != numero) continue;
            // The safest stroke as found, not rounded by the controls.
            if (f.Chance)
                Services.JoueCoup(f.Chance->Coup);
            else
                JoueCoup(f.Centre);
            return;
        }
}

void TRechercheFrm::RemplitCoupes() {
    const QSignalBlocker bloqueV(VitesseCbx);
    const QSignalBlocker bloqueH(HauteurCbx);
    const QLocale locale;
    VitesseCbx->clear();
    VitesseCbx->addItem(QStringLiteral("toutes"));
    for (double v : FValeurs.Vitesses) VitesseCbx->addItem(locale.toString(v, 'g', 6));
    HauteurCbx->clear();
    for (double h : FValeurs.Hauteurs) HauteurCbx->addItem(locale.toString(h, 'g', 6));
    DessineCarteCourante();
}

TCoupeCarte TRechercheFrm::Coupe() const {
    TCoupeCarte coupe;
    coupe.Toutes = VitesseCbx->currentIndex() <= 0;
    coupe.Vitesse = std::max(0, VitesseCbx->currentIndex() - 1);
    coupe.Hauteur = std::max(0, HauteurCbx->currentIndex());
    return coupe;
}

void TRechercheFrm::DessineCarteCourante() {
    if (Phase != TPhase::Repos || FDimensions.NbPoints() == 0) return;
    const TCoupeCarte coupe = Coupe();
    HauteurCbx->setEnabled(!coupe.Toutes);
    // The chances need a player and one speed and height.
    CarteChanceChk->setEnabled(FJoueur.has_value() && !coupe.Toutes);
    FGeometrie = GeometrieCarte(FDimensions);
    const bool chances = CarteChanceChk->isEnabled() && CarteChanceChk->isChecked();
    if (chances && !FChancesCarte.empty() && FCoupeChances.Vitesse == coupe.Vitesse &&
        FCoupeChances.Hauteur == coupe.Hauteur) {
        FCarte =
            DessineCarteChances(Grille, coupe, FChancesCarte, QString::fromStdString(FJoueur->Nom));
    } else {
        FCarte =
            DessineCarte(Grille, Solutions, coupe, FMoteur ? FMoteur->BilleJoueur : bjInconnue);
        if (chances) CalculeChancesCarte();
    }
    CarteImg->setPixmap(QPixmap::fromImage(FCarte));
    CarteImg->resize(FCarte.size());
}

void TRechercheFrm::ArreteChancesCarte() {
    FArretCarte = true;
    if (FFilCarte.joinable()) FFilCarte.join();
    FArretCarte = false;
}

void TRechercheFrm::CalculeChancesCarte() {
    ArreteChancesCarte();
    const TCoupeCarte coupe = Coupe();
    // Each scoring stroke of the cut, fired by the player on the first common draws.
    std::vector<std::pair<size_t, TCoupQueue>> cellules;
    for (const TCoupReussi& c : Solutions.Coups) {
        const auto i = FDimensions.Indices(c.Indice);
        if (i[2] != coupe.Hauteur || i[3] != coupe.Vitesse) continue;
        TCoupQueue coup = FMoteur->Coup;
        coup.AngleOx = FValeurs.Angles[static_cast<size_t>(i[0])];
        coup.Effet = FValeurs.Effets[static_cast<size_t>(i[1])];
        coup.Hauteur = FValeurs.Hauteurs[static_cast<size_t>(i[2])];
        coup.Vq = FValeurs.Vitesses[static_cast<size_t>(i[3])];
        cellules.emplace_back(static_cast<size_t>(i[1]) *
                                      static_cast<size_t>(FDimensions.NbAngles) +
                                  static_cast<size_t>(i[0]),
                              coup);
    }
    EtatLbl->setText(QStringLiteral("Carte des chances…"));
    const int generation = ++FGenerationCarte;
    const size_t nbCellules =
        static_cast<size_t>(FDimensions.NbAngles) * static_cast<size_t>(FDimensions.NbEffets);
    FFilCarte = std::thread([this, cellules = std::move(cellules), coupe, nbCellules,
                             moteur = std::make_shared<TBillardAlveran>(*FMoteur),
                             joueur = *FJoueur, generation] {
        auto chances = std::make_shared<std::vector<double>>(nbCellules, -1.0);
        const TTirages tirages(EssaisCarte, GraineDefaut);
        const TCinematique depart = moteur->Trajets[1][0];
        const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        PartageTravail(
            *moteur, threads, static_cast<int64_t>(cellules.size()),
            [&](TBillardAlveran& copie, int64_t k) {
                const auto& [cellule, coup] = cellules[static_cast<size_t>(k)];
                const TComptesChance c =
                    CompteEssais(copie, depart, coup, joueur, tirages, 0, tirages.Nombre());
                (*chances)[cellule] = Chance(c).Probabilite;
            },
            &FArretCarte);
        if (FArretCarte) return;
        QMetaObject::invokeMethod(
            this,
            [this, chances, coupe, generation] {
                // A later cut's computation replaced this one: its own result will come.
                if (generation != FGenerationCarte) return;
                if (FFilCarte.joinable()) FFilCarte.join();
                FChancesCarte = std::move(*chances);
                FCoupeChances = coupe;
                EtatLbl->setText(QStringLiteral("Carte des chances : %1 essais par coup")
                                     .arg(QLocale().toString(EssaisCarte)));
                DessineCarteCourante();
            },
            Qt::QueuedConnection);
    });
}

int64_t TRechercheFrm::CoupDeCellule(int angle, int effet) const {
    const TCoupeCarte coupe = Coupe();
    int64_t meilleur = -1;
    int32_t famille = 0;
    for (const TCoupReussi& c : Solutions.Coups) {
        const auto i = FDimensions.Indices(c.Indice);
        if (i[0] != angle || i[1] != effet) continue;
        if (!coupe.Toutes && (i[2] != coupe.Hauteur || i[3] != coupe.Vitesse)) continue;
        if (meilleur < 0 || c.Famille < famille) meilleur = c.Indice, famille = c.Famille;
    }
    return meilleur;
}

void TRechercheFrm::JoueCoup(int64_t indice) {
    if (indice < 0 || indice >= FDimensions.NbPoints()) return;
    const auto i = FDimensions.Indices(indice);
    // The stroke the search scored, whole and exact: one shot, drawn as lines.
    TCoupQueue coup = FMoteur ? FMoteur->Coup : Services.Coup();
    coup.AngleOx = FValeurs.Angles[static_cast<size_t>(i[0])];
    coup.Effet = FValeurs.Effets[static_cast<size_t>(i[1])];
    coup.Hauteur = FValeurs.Hauteurs[static_cast<size_t>(i[2])];
    coup.Vq = FValeurs.Vitesses[static_cast<size_t>(i[3])];
    Services.JoueCoup(coup);
}

bool TRechercheFrm::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet == CarteImg && evenement->type() == QEvent::MouseButtonPress &&
        Phase == TPhase::Repos) {
        const auto* souris = static_cast<QMouseEvent*>(evenement);
        int angle = 0, effet = 0;
        if (souris->button() == Qt::LeftButton &&
            FGeometrie.CelluleEn(souris->position().toPoint(), angle, effet))
            JoueCoup(CoupDeCellule(angle, effet));
        return true;
    }
    return QWidget::eventFilter(objet, evenement);
}

void TRechercheFrm::EnregistreCarteClick() {
    if (FCarte.isNull()) return;
    const std::optional<TChoixFichier> choix =
        Services.Dialogues().FichierASauver(this, {QStringLiteral("Image PNG (*.png)")});
    if (!choix) return;
    QString nom = choix->Nom;
    if (!nom.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) nom += QStringLiteral(".png");
    if (const QString raison = EcritImage(FCarte, nom, "PNG"); !raison.isEmpty())
        Services.Dialogues().Message(this, QStringLiteral("Erreur"),
                                     QStringLiteral("Impossible d'écrire %1 : %2").arg(nom, raison),
                                     tmErreur);
}
