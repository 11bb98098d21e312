#include "windows/Recherche.h"

#include "ui/SaisieNombre.h"
#include "windows/Services.h"

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

using namespace alv;

namespace {

/// The work is read this often while it runs (ms).
constexpr int PeriodeSonde = 100;
/// Tree item data: the grid index of a family's central stroke (routes hold none).
constexpr int RoleCentre = Qt::UserRole;

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
    grille->setColumnStretch(9, 1);

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
                                QStringLiteral("Tolérance")});
    RoutesArb->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(RoutesArb, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        const QVariant centre = item->data(0, RoleCentre);
        if (centre.isValid()) JoueCoup(centre.toLongLong());
    });

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
    partage->addWidget(RoutesArb);
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
    FArretFamilles = true;
    if (FRecherche) FRecherche->Arrete();
    if (FFamilles.joinable()) FFamilles.join();
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
    for (QSpinBox* c : {EffetUD, HauteurUD, VitesseUD, MinFamilleUD, ToleranceUD})
        c->setReadOnly(verrou);
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

    Grille = grille;
    FValeurs = ValeursRecherche(grille);
    FDimensions = DimensionsRecherche(grille);
    Coups = {};
    Solutions = {};
    Interrompue = false;
    FToleranceAbandonnee = false;
    RoutesArb->clear();
    CarteImg->clear();
    CarteImg->resize(0, 0);
    EnregistreBtn->setEnabled(false);
    ProgressBar1->setValue(0);
    EtatLbl->clear();
    Verrouille(true);

    Phase = TPhase::Tirs;
    FDebut.start();
    FRecherche = std::make_unique<TRechercheSolutions>();
    const int nbThreads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    FRecherche->Demarre(*FMoteur, grille, nbThreads);
    FSonde->start();
}

void TRechercheFrm::StopBtnClick() {
    if (Phase == TPhase::Tirs) {
        Interrompue = true;
        FRecherche->Arrete();
    } else if (Phase == TPhase::Familles) {
        Interrompue = true;
        FArretFamilles = true;
    }
}

void TRechercheFrm::Sonde() {
    if (Phase == TPhase::Tirs) {
        if (FRecherche->Termine()) return FinTirs();
        const TProgressionRecherche p = FRecherche->Progression();
        if (p.ATirer > 0) ProgressBar1->setValue(static_cast<int>(p.Tires * 100 / p.ATirer));
        EtatLbl->setText(
            QStringLiteral("%1 coups tirés sur %2, %3 réussis")
                .arg(TexteGroupe(p.Tires), TexteGroupe(p.ATirer), TexteGroupe(p.Reussis)));
    } else if (Phase == TPhase::Familles) {
        if (FFamillesFinies) return FinFamilles();
        const int64_t total = FTotalTolerance;
        if (total > 0) ProgressBar1->setValue(static_cast<int>(FFaitsTolerance * 100 / total));
    }
}

void TRechercheFrm::FinTirs() {
    Coups = FRecherche->Attend();
    Interrompue = Interrompue || Coups.Interrompu;
    // After an interruption what was found is shown at once, without the tolerance counts.
    const int32_t nbTolerance = Interrompue ? 0 : ToleranceUD->value();
    const int32_t minFamille = MinFamilleUD->value();
    const int nbThreads = FRecherche->NbThreads();
    Phase = TPhase::Familles;
    EtatLbl->setText(nbTolerance > 0 ? QStringLiteral("Tolérance des familles…")
                                     : QStringLiteral("Regroupement en familles…"));
    ProgressBar1->setValue(0);
    FArretFamilles = false;
    FFamillesFinies = false;
    FFaitsTolerance = 0;
    FTotalTolerance = 0;
    // Grouping and characterising run off the interface thread: the counts may take minutes.
    FFamilles = std::thread([this, nbTolerance, minFamille, nbThreads] {
        Solutions = RoutesEtFamilles(Coups, ViseeFaitLeTour(Grille.AngleOx), minFamille);
        TSuiviFamilles suivi;
        suivi.Arret = [this] { return FArretFamilles.load(); };
        suivi.Progression = [this](int64_t faits, int64_t total) {
            FFaitsTolerance = faits;
            FTotalTolerance = total;
        };
        FToleranceAbandonnee =
            !CaracteriseFamilles(*FMoteur, Grille, Solutions, nbTolerance, nbThreads, suivi);
        FFamillesFinies = true;
    });
}

void TRechercheFrm::FinFamilles() {
    FSonde->stop();
    FFamilles.join();
    FRecherche.reset();
    Phase = TPhase::Repos;
    Interrompue = Interrompue || FToleranceAbandonnee;
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
    for (const TRoute& route : Solutions.Routes) {
        auto* r = new QTreeWidgetItem(RoutesArb);
        r->setText(0, QString::fromStdString(route.Sequence));
        r->setText(1, TexteGroupe(route.Reussis));
        r->setText(2, TexteGroupe(route.Isoles));
        for (const TFamille& f : route.Familles) {
            auto* item = new QTreeWidgetItem(r);
            item->setText(0, QStringLiteral("famille %1").arg(f.Numero));
            item->setText(1, TexteGroupe(f.Taille));
            const double de = FValeurs.AnglesDegres[static_cast<size_t>(f.AngleDebut)];
            const double a = FValeurs.AnglesDegres[static_cast<size_t>(f.AngleFin)];
            item->setText(3, QStringLiteral("%1 à %2").arg(locale.toString(de, 'g', 6),
                                                           locale.toString(a, 'g', 6)));
            if (f.Tolerance >= 0) item->setText(4, TexteGroupe(f.Tolerance));
            item->setData(0, RoleCentre, QVariant::fromValue<qlonglong>(f.Centre));
            for (int c = 1; c < 5; ++c) item->setTextAlignment(c, Qt::AlignRight);
        }
        for (int c = 1; c < 3; ++c) r->setTextAlignment(c, Qt::AlignRight);
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
    FGeometrie = GeometrieCarte(FDimensions);
    FCarte = DessineCarte(Grille, Solutions, coupe);
    CarteImg->setPixmap(QPixmap::fromImage(FCarte));
    CarteImg->resize(FCarte.size());
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
    if (!FCarte.save(nom, "PNG"))
        Services.Dialogues().Message(this, QStringLiteral("Erreur"),
                                     QStringLiteral("Impossible d'écrire ") + nom, tmErreur);
}
