#include "windows/Tolerance.h"

#include "analysis/DureeEssai.h"
#include "ui/SaisieNombre.h"
#include "windows/Services.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <thread>

using namespace alv;

namespace {

/// Levels whose values are typed in degrees and kept in radians by the engine.
bool EnDegres(int indice) {
    return indice == 2 || indice == 4;
}

/// The progress is read this often while an evaluation runs (ms).
constexpr int PeriodeSonde = 200;

QLabel* Etiquette(QWidget* parent, const QString& texte, int x, int y) {
    auto* label = new QLabel(texte, parent);
    label->move(x, y);
    return label;
}

/// The x just right of a label's text.
int ADroiteDe(const QLabel* label) {
    return label->x() + label->sizeHint().width() + 6;
}

/// A count with the user's thousands separator, grouped whatever the locale's own habit (the
/// C locale omits grouping by default).
QString TexteGroupe(qint64 n) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(n);
}

} // namespace

TToleranceFrm::TToleranceFrm(TServicesMain& services, QWidget* parent)
    : QWidget(parent, Qt::Window), Services(services) {
    setWindowTitle(QStringLiteral("Evaluation de la tolérance du point"));
    FLargeurMin = 460;
    setFixedSize(FLargeurMin, 318);

    Etiquette(this, QStringLiteral("Valeur centrale"), 96, 8);
    Etiquette(this, QStringLiteral("incrément"), 234, 8);
    Etiquette(this, QStringLiteral("Nombre d'essais"), 306, 8);

    static const char* const libelles[NbNiveauxTolerance] = {
        "Effet", "Haureur", "Angle visée", "Vitesse", "Inclinaison", "Masse"};
    static const char* const nomsCentres[NbNiveauxTolerance] = {"eTxt", "hTxt", "aTxt",
                                                                "vTxt", "iTxt", "mTxt"};
    static const char* const nomsIncr[NbNiveauxTolerance] = {"deTxt", "dhTxt", "daTxt",
                                                             "dvTxt", "diTxt", "dmTxt"};
    static const char* const nomsUD[NbNiveauxTolerance] = {"eUD", "hUD", "aUD",
                                                           "vUD", "iUD", "mUD"};
    for (int k = 0; k < NbNiveauxTolerance; ++k) {
        const int y = 28 + 26 * k;
        Etiquette(this, QString::fromUtf8(libelles[k]), 8, y + 3);
        auto* centre = new QLineEdit(this);
        centre->setObjectName(QString::fromLatin1(nomsCentres[k]));
        centre->setGeometry(96, y, 130, 21);
        auto* increment = new QLineEdit(this);
        increment->setObjectName(QString::fromLatin1(nomsIncr[k]));
        increment->setGeometry(234, y, 64, 21);
        auto* nombre = new QSpinBox(this);
        nombre->setObjectName(QString::fromLatin1(nomsUD[k]));
        nombre->setGeometry(306, y, 60, 21);
        nombre->setRange(0, static_cast<int>(NombreMaxTolerance));
        nombre->setSingleStep(1);
        connect(nombre, &QSpinBox::valueChanged, this, [this] {
            eUDClick();
            EffaceResultat();
        });
        connect(increment, &QLineEdit::textEdited, this, [this] { EffaceResultat(); });
        AccepteLesDeuxSeparateurs(centre);
        AccepteLesDeuxSeparateurs(increment);
        FCentresTxt[static_cast<size_t>(k)] = centre;
        FIncrementsTxt[static_cast<size_t>(k)] = increment;
        FNombresUD[static_cast<size_t>(k)] = nombre;
    }
    eTxt = FCentresTxt[0], hTxt = FCentresTxt[1], aTxt = FCentresTxt[2];
    vTxt = FCentresTxt[3], iTxt = FCentresTxt[4], mTxt = FCentresTxt[5];
    deTxt = FIncrementsTxt[0], dhTxt = FIncrementsTxt[1], daTxt = FIncrementsTxt[2];
    dvTxt = FIncrementsTxt[3], diTxt = FIncrementsTxt[4], dmTxt = FIncrementsTxt[5];
    eUD = FNombresUD[0], hUD = FNombresUD[1], aUD = FNombresUD[2];
    vUD = FNombresUD[3], iUD = FNombresUD[4], mUD = FNombresUD[5];

    DemarreBtn = new QPushButton(QStringLiteral("Calculer"), this);
    DemarreBtn->setObjectName(QStringLiteral("DemarreBtn"));
    DemarreBtn->setGeometry(134, 190, 90, 25);
    connect(DemarreBtn, &QPushButton::clicked, this, [this] { DemarreBtnClick(); });
    StopBtn = new QPushButton(QStringLiteral("Interrompre"), this);
    StopBtn->setObjectName(QStringLiteral("StopBtn"));
    StopBtn->setGeometry(234, 190, 90, 25);
    connect(StopBtn, &QPushButton::clicked, this, [this] { StopBtnClick(); });
    // The window's cancel button: Escape presses it, whichever field has the focus.
    auto* echap = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    echap->setContext(Qt::WindowShortcut);
    connect(echap, &QShortcut::activated, this, [this] { StopBtnClick(); });

    const QLabel* resultat =
        Etiquette(this, QStringLiteral("Résultat (nombre de coups réussis continument) :"), 8, 226);
    ResultLbl = Etiquette(this, QStringLiteral("0"), ADroiteDe(resultat), 226);
    ResultLbl->setObjectName(QStringLiteral("ResultLbl"));
    ResultLbl->resize(64, 16);
    ResultLbl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    MaxLbl = Etiquette(this, QString(), ResultLbl->geometry().right() + 6, 226);
    MaxLbl->setObjectName(QStringLiteral("MaxLbl"));
    MaxLbl->resize(width() - MaxLbl->x() - 4, 16);
    const QLabel* temps = Etiquette(this, QStringLiteral("Temps restant estimé :"), 8, 248);
    TempsLbl = Etiquette(this, QString(), ADroiteDe(temps), 248);
    TempsLbl->setObjectName(QStringLiteral("TempsLbl"));
    TempsLbl->resize(200, 16);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 272, width() - 16, 18);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    EtatLbl = Etiquette(this, QString(), 8, 294);
    EtatLbl->setObjectName(QStringLiteral("EtatLbl"));
    EtatLbl->resize(width() - 16, 16);

    FSonde = new QTimer(this);
    FSonde->setInterval(PeriodeSonde);
    connect(FSonde, &QTimer::timeout, this, [this] { Sonde(); });
    FEvaluation = std::make_unique<TEvaluationParallele<TBillardAlveran>>();

    NbFils = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    FormCreate();
}

TToleranceFrm::~TToleranceFrm() {
    // The workers fire on copies; stopping them is enough (the destructor joins them).
    if (FSonde->isActive()) QApplication::restoreOverrideCursor();
}

void TToleranceFrm::FormCreate() {
    static constexpr double increments[NbNiveauxTolerance] = {0.1, 0.1, 0.1, 10, 2, 10};
    static constexpr int nombres[NbNiveauxTolerance] = {5, 5, 5, 2, 2, 0};
    for (size_t k = 0; k < NbNiveauxTolerance; ++k) {
        FIncrementsTxt[k]->setText(TexteGeneral(increments[k], 15));
        const QSignalBlocker bloque(FNombresUD[k]);
        FNombresUD[k]->setValue(nombres[k]);
    }
    eUDClick();
}

bool TToleranceFrm::event(QEvent* evenement) {
    // Shown too: a window the window system shows without activating it (focus stealing
    // prevention, no window manager) would otherwise offer empty central values.
    if (evenement->type() == QEvent::WindowActivate || evenement->type() == QEvent::Show)
        FormActivate();
    return QWidget::event(evenement);
}

void TToleranceFrm::FormActivate() {
    if (EnCours) return;
    Services.PositionsVersMoteur();
    const TCoupCourant coup = Services.CoupCourant();
    const double masse = Services.MoteurPartage().Coup.m;
    const double valeurs[NbNiveauxTolerance] = {coup.Effet,   coup.Hauteur,     coup.AngleVisee,
                                                coup.Vitesse, coup.Inclinaison, masse};
    // In engine units as the main window fires them: the aim as the view keeps it, the
    // inclination converted as the shot converts it.
    FCentresExacts = {
        coup.Effet, coup.Hauteur, coup.AngleOx, coup.Vitesse, Radians(coup.Inclinaison), masse};
    for (size_t k = 0; k < NbNiveauxTolerance; ++k) {
        // 12 digits: the aim converted to degrees shows 98,64 and not the conversion's last
        // digits (98,6400000000002); an untouched text still fires the exact value.
        FCentresEcrits[k] = TexteGeneral(valeurs[k], 12);
        FCentresTxt[k]->setText(FCentresEcrits[k]);
        FCentresTxt[k]->setCursorPosition(0); // the leading digits in view
    }
    if (MesureDuree && DureeTirMs < 0) {
        TGrilleTolerance grille;
        grille.Centres = FCentresExacts;
        for (size_t k = 0; k < NbNiveauxTolerance; ++k) {
            double v = 0.0;
            if (LitNombreUtilisateur(FIncrementsTxt[k]->text(), v))
                grille.Increments[k] = EnDegres(static_cast<int>(k)) ? Radians(v) : v;
            grille.Nombres[k] = FNombresUD[k]->value();
        }
        MesureDureeTir(grille);
        eUDClick();
    }
}

void TToleranceFrm::MesureDureeTir(const TGrilleTolerance& grille) {
    if (!MesureDuree) return;
    auto copie = std::make_unique<TBillardAlveran>(Services.MoteurPartage());
    RestaureCentres(*copie, grille);
    DureeTirMs = ::MesureDureeTir(*copie, EchantillonGrille(grille), 100.0);
}

qint64 TToleranceFrm::EstimationInitialeMs() const {
    // Not measured yet (the window never shown): the last guess, one shot in 10 ms.
    return EstimationMs(NbEssaisTotal, DureeTirMs < 0 ? 10.0 : DureeTirMs, NbFils);
}

QString TToleranceFrm::TexteEstimationInitiale() const {
    return TexteDureeHMS(EstimationInitialeMs());
}

void TToleranceFrm::eUDClick() {
    NbEssaisTotal = 1;
    for (const QSpinBox* ud : FNombresUD) NbEssaisTotal *= 2 * static_cast<qint64>(ud->value()) + 1;
    TempsLbl->setText(TexteEstimationInitiale());
    MaxLbl->setText(QStringLiteral("/ ") + TexteGroupe(NbEssaisTotal));
    AjusteLargeurs();
}

void TToleranceFrm::EffaceResultat() {
    if (EnCours) return;
    ResultLbl->clear();
    EtatLbl->clear();
    ProgressBar1->setValue(0);
}

void TToleranceFrm::AjusteLargeurs() {
    ResultLbl->resize(std::max(64, ResultLbl->sizeHint().width()), ResultLbl->height());
    MaxLbl->move(ResultLbl->geometry().right() + 6, MaxLbl->y());
    MaxLbl->resize(MaxLbl->sizeHint().width(), MaxLbl->height());
    TempsLbl->resize(std::max(200, TempsLbl->sizeHint().width()), TempsLbl->height());
    EtatLbl->resize(std::max(EtatLbl->sizeHint().width(), FLargeurMin - 16), EtatLbl->height());
    int droite = 0;
    for (const QLabel* l : {MaxLbl, TempsLbl, EtatLbl})
        droite = std::max(droite, l->geometry().right());
    const int largeur = std::max(FLargeurMin, droite + 8);
    if (largeur != width()) setFixedSize(largeur, height());
    ProgressBar1->resize(largeur - 16, ProgressBar1->height());
}

void TToleranceFrm::Verrouille(bool verrou) {
    for (size_t k = 0; k < NbNiveauxTolerance; ++k) {
        FCentresTxt[k]->setReadOnly(verrou);
        FIncrementsTxt[k]->setReadOnly(verrou);
        FNombresUD[k]->setReadOnly(verrou);
    }
    DemarreBtn->setEnabled(!verrou);
}

void TToleranceFrm::DemarreBtnClick() {
    // A stopped evaluation is still winding down until its workers are joined.
    if (EnCours || FSonde->isActive()) return;
    auto lit = [this](const std::array<QLineEdit*, NbNiveauxTolerance>& champs,
                      std::array<double, NbNiveauxTolerance>& valeurs) {
        for (size_t k = 0; k < NbNiveauxTolerance; ++k) {
            double v = 0.0;
            if (!LitNombreUtilisateur(champs[k]->text(), v)) {
                Services.Dialogues().Message(this, QStringLiteral("Erreur"),
                                             MessageConversion(champs[k]->text()), tmErreur);
                return false;
            }
            valeurs[k] = EnDegres(static_cast<int>(k)) ? Radians(v) : v;
        }
        return true;
    };

    TGrilleTolerance grille;
    if (!lit(FCentresTxt, grille.Centres)) return;
    for (size_t k = 0; k < NbNiveauxTolerance; ++k)
        if (FCentresTxt[k]->text() == FCentresEcrits[k]) grille.Centres[k] = FCentresExacts[k];
    for (size_t k = 0; k < NbNiveauxTolerance; ++k) grille.Nombres[k] = FNombresUD[k]->value();
    NbEssaisTotal = NbEssaisGrille(grille);
    MaxLbl->setText(QStringLiteral("/ ") + TexteGroupe(NbEssaisTotal));
    AjusteLargeurs();
    NbEssaisFaits = 0;
    if (!lit(FIncrementsTxt, grille.Increments)) return;
    // Timed on this very grid, so that the question comes only for a really long run.
    MesureDureeTir(grille);
    TempsLbl->setText(TexteEstimationInitiale());
    AjusteLargeurs();
    if (EstimationInitialeMs() > EstimationSansQuestion &&
        !Services.Dialogues().Question(
            this, QStringLiteral("Confirmation"),
            QStringLiteral("Le calcul de %1 essais est estimé à %2.\nLe lancer ?")
                .arg(TexteGroupe(NbEssaisTotal), TexteEstimationInitiale())))
        return;
    Centres = grille.Centres;
    Increments = grille.Increments;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    EnCours = true;
    NbReussis = 0;
    ResultLbl->setText(QStringLiteral("0"));
    EtatLbl->clear();
    ProgressBar1->setValue(0);
    AjusteLargeurs();
    Verrouille(true);
    FDebut.start();
    FEvaluation->Demarre(Services.MoteurPartage(), grille, NbFils);
    FSonde->start();
}

void TToleranceFrm::StopBtnClick() {
    if (!EnCours) return;
    EnCours = false;
    FEvaluation->Arrete();
}

void TToleranceFrm::Sonde() {
    if (FEvaluation->Termine()) {
        Fin();
        return;
    }
    const TProgressionTolerance p = FEvaluation->Progression();
    NbEssaisFaits = p.NbEssaisFaits;
    NbReussis = p.NbReussis;
    ResultLbl->setText(TexteGroupe(NbReussis));
    AjusteLargeurs();
    if (NbEssaisTotal > 0)
        ProgressBar1->setValue(static_cast<int>(NbEssaisFaits * 100 / NbEssaisTotal));
    if (NbEssaisFaits > 0) {
        // Elapsed × (total / done − 1): the downward mass trials are not in "done", so the
        // estimate errs on the long side.
        const double reste =
            static_cast<double>(FDebut.elapsed()) *
            (static_cast<double>(NbEssaisTotal) / static_cast<double>(NbEssaisFaits) - 1.0);
        TempsLbl->setText(TexteDureeHMS(static_cast<qint64>(reste)));
    }
}

void TToleranceFrm::Fin() {
    FSonde->stop();
    // Waits for the workers (already finished) and puts the central stroke back.
    const TResultatTolerance r = FEvaluation->Attend();
    NbEssaisFaits = r.NbEssaisFaits;
    NbReussis = r.NbReussis;
    ResultLbl->setText(TexteGroupe(NbReussis));
    if (r.Interrompu) {
        // The successes counted are those of the combinations done; the bar and the remaining
        // time stay as last polled.
        const qint64 faits = r.CombinaisonsFaites * (2 * static_cast<qint64>(mUD->value()) + 1);
        EtatLbl->setText(QStringLiteral("Interrompu après %1 essais sur %2")
                             .arg(TexteGroupe(faits), TexteGroupe(NbEssaisTotal)));
    } else {
        // As a serial count ends: the bar at the trials made before the last combination of
        // the four outer levels, the estimate back at its opening value.
        if (NbEssaisTotal > 0)
            ProgressBar1->setValue(
                static_cast<int>(r.NbEssaisAvantDernierePasse * 100 / NbEssaisTotal));
        TempsLbl->setText(TexteEstimationInitiale());
        // The label above shows the opening estimate again: say what the run really took.
        EtatLbl->setText(QStringLiteral("Terminé : %1 essais en %2")
                             .arg(TexteGroupe(NbEssaisTotal), TexteDureeHMS(FDebut.elapsed())));
    }
    AjusteLargeurs();
    QApplication::restoreOverrideCursor();
    EnCours = false;
    Verrouille(false);
    emit EvaluationTerminee();
}
