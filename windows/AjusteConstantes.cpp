#include "windows/AjusteConstantes.h"
#include "windows/ParamPhysBox.h"

#include "analysis/LectureBornee.h"
#include "analysis/TrajectoireMesuree.h"
#include "ui/SaisieNombre.h"
#include "ui/TexteNombre.h"
#include "windows/Services.h"
#include "windows/TacheFond.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>

namespace {

/// Scored up to 4 s after the first sample, as the stroke fit of one shot.
constexpr double Coupure = 4.0;

/// The constants a user typically fits first: checked when the window opens.
bool CocheeAuDepart(int indice) {
    for (const char* nom :
         {"ElastBiBde", "FrotBiBde", "FrotBiTapRoule", "FrotBiTapGlisse", "ElastBiBi"})
        if (TPARAMPHYS::IndiceParametre(nom) == indice) return true;
    return false;
}

QString Cm(double v) {
    return alv::TexteFixe(v, 2, QLocale()) + QStringLiteral(" cm");
}

} // namespace

/// What a run works on and hands back; shared with the worker thread, read once it is over.
struct TAjusteConstantesFrm::TTravail {
    std::unique_ptr<TBillardAlveran> Modele;
    std::vector<TCoupMesure> Ajustes, Gardes; ///< in the fit, kept out of it
    TOptionsConstantes Options;
    TResultatConstantes Resultat;
    THorsAjustement HorsAjustement;
};

const std::vector<int>& TAjusteConstantesFrm::IndicesProposes() {
    // The coefficients of the cloth, the balls and the cushions; the dimensions, the time
    // steps and gravity are known rather than fitted.
    static const std::vector<int> indices = [] {
        std::vector<int> v;
        for (int i = TPARAMPHYS::IndiceParametre("VzRebondNul");
             i <= TPARAMPHYS::IndiceParametre("PerteEcQB"); ++i)
            v.push_back(i);
        return v;
    }();
    return indices;
}

TAjusteConstantesFrm::TAjusteConstantesFrm(TServicesMain& services, QWidget* parent)
    : QDialog(parent), Services(services) {
    setWindowTitle(QStringLiteral("Ajustement sur les trajectoires mesurées"));
    auto* disposition = new QVBoxLayout(this);

    auto* ligneFichiers = new QHBoxLayout;
    ligneFichiers->addWidget(new QLabel(QStringLiteral("Trajectoires mesurées :"), this));
    FichiersBtn = new QPushButton(QStringLiteral("Fichiers…"), this);
    FichiersBtn->setObjectName(QStringLiteral("FichiersBtn"));
    ligneFichiers->addStretch();
    ligneFichiers->addWidget(FichiersBtn);
    disposition->addLayout(ligneFichiers);
    FichiersLst = new QListWidget(this);
    FichiersLst->setObjectName(QStringLiteral("FichiersLst"));
    FichiersLst->setMinimumHeight(80);
    disposition->addWidget(FichiersLst);

    disposition->addWidget(new QLabel(QStringLiteral("Constantes à ajuster :"), this));
    auto* grille = new QGridLayout;
    int k = 0;
    for (int indice : IndicesProposes()) {
        auto* boite = new QCheckBox(LibelleConstante(indice), this);
        boite->setToolTip(QString::fromLatin1(TPARAMPHYS::Noms[indice]));
        boite->setObjectName(QString::fromLatin1(TPARAMPHYS::Noms[indice]));
        boite->setChecked(CocheeAuDepart(indice));
        grille->addWidget(boite, k / 3, k % 3);
        Constantes.push_back(boite);
        ++k;
    }
    disposition->addLayout(grille);

    auto* ligneGardes = new QHBoxLayout;
    ligneGardes->addWidget(new QLabel(QStringLiteral("Coups gardés hors ajustement :"), this));
    HorsAjustementSpin = new QSpinBox(this);
    HorsAjustementSpin->setObjectName(QStringLiteral("HorsAjustementSpin"));
    HorsAjustementSpin->setRange(0, 50);
    HorsAjustementSpin->setSingleStep(10);
    HorsAjustementSpin->setSuffix(QStringLiteral(" %"));
    ligneGardes->addWidget(HorsAjustementSpin);
    ligneGardes->addStretch();
    disposition->addLayout(ligneGardes);

    ResultatsTxt = new QPlainTextEdit(this);
    ResultatsTxt->setObjectName(QStringLiteral("ResultatsTxt"));
    ResultatsTxt->setReadOnly(true);
    ResultatsTxt->setMinimumSize(380, 120);
    disposition->addWidget(ResultatsTxt);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    LancerBtn = new QPushButton(QStringLiteral("Ajuster"), this);
    LancerBtn->setObjectName(QStringLiteral("LancerBtn"));
    AppliquerBtn = new QPushButton(QStringLiteral("Appliquer"), this);
    AppliquerBtn->setObjectName(QStringLiteral("AppliquerBtn"));
    AppliquerBtn->setToolTip(QStringLiteral("met les valeurs ajustées dans les constantes"));
    AppliquerBtn->setEnabled(false);
    for (QPushButton* b : {LancerBtn, AppliquerBtn}) {
        b->setAutoDefault(false);
        boutons->addWidget(b);
    }
    disposition->addLayout(boutons);

    FTache = std::make_unique<TTacheFond>(this, QStringLiteral("Ajustement des constantes"));
    connect(FTache.get(), &TTacheFond::Termine, this, [this] { Termine(); });
    connect(FichiersBtn, &QPushButton::clicked, this, [this] { FichiersBtnClick(); });
    connect(LancerBtn, &QPushButton::clicked, this, [this] { LancerBtnClick(); });
    connect(AppliquerBtn, &QPushButton::clicked, this, [this] { AppliquerBtnClick(); });
}

TAjusteConstantesFrm::~TAjusteConstantesFrm() = default;

void TAjusteConstantesFrm::FichiersBtnClick() {
    const QStringList noms =
        Services.Dialogues().FichiersAOuvrir(this, {QStringLiteral("Trajectoire mesurée (*.csv)")});
    if (noms.isEmpty()) return;
    FichiersLst->clear();
    FichiersLst->addItems(noms);
}

bool TAjusteConstantesFrm::LancerBtnClick() {
    if (FTache->EnCours()) return false;
    const auto erreur = [this](const QString& texte) {
        Services.Dialogues().Message(this, QStringLiteral("Erreur"), texte, tmErreur);
        return false;
    };
    std::vector<int> indices;
    for (std::size_t i = 0; i < Constantes.size(); ++i)
        if (Constantes[i]->isChecked()) indices.push_back(IndicesProposes()[i]);
    if (indices.empty()) return erreur(QStringLiteral("Aucune constante à ajuster"));
    if (FichiersLst->count() == 0) return erreur(QStringLiteral("Aucune trajectoire choisie"));

    const TBillardAlveran& moteur = Services.MoteurPartage();
    const std::string refus = VerifieConstantes(indices, moteur.Fisik);
    if (!refus.empty()) return erreur(QString::fromStdString(refus));

    auto travail = std::make_shared<TTravail>();
    std::vector<TCoupMesure> coups;
    for (int i = 0; i < FichiersLst->count(); ++i) {
        const QString nom = FichiersLst->item(i)->text();
        std::string texte;
        if (const TLectureBornee l =
                LitFichierBorne(QFile::encodeName(nom).toStdString(), TailleMaxTrajectoire, texte);
            l != TLectureBornee::Lu)
            return erreur(l == TLectureBornee::TropGros
                              ? QStringLiteral("Impossible de lire %1 : fichier trop gros").arg(nom)
                              : QStringLiteral("Impossible de lire %1").arg(nom));
        const TLectureTrajectoire lecture = LitTrajectoireMesuree(texte, moteur.Fisik);
        if (!lecture.Erreur.empty())
            return erreur(
                QStringLiteral("Trajectoire mesurée refusée (%1)\n%2")
                    .arg(QFileInfo(nom).fileName(), QString::fromStdString(lecture.Erreur)));
        coups.push_back(PrepareCoupMesure(lecture.Trajectoire, moteur.Fisik, Coupure));
    }
    // The same draw every time for the same files: a user comparing two runs compares
    // constants, not luck.
    const double part = HorsAjustementSpin->value() / 100.0;
    const std::vector<std::size_t> gardes =
        part > 0 ? TirageHorsAjustement(coups.size(), part, 1) : std::vector<std::size_t>{};
    for (std::size_t i = 0; i < coups.size(); ++i)
        (std::binary_search(gardes.begin(), gardes.end(), i) ? travail->Gardes : travail->Ajustes)
            .push_back(std::move(coups[i]));

    travail->Modele = std::make_unique<TBillardAlveran>(moteur);
    travail->Options = Options;
    travail->Options.Indices = indices;
    FTravail = travail;
    AppliquerBtn->setEnabled(false);
    LancerBtn->setEnabled(false);
    ResultatsTxt->setPlainText(QStringLiteral("Ajustement en cours…"));
    FTache->Lance([travail](const TSuiviAjustement& suivi) {
        const int fils = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        TOptionsAjustement optionsCoup;
        optionsCoup.Coupure = Coupure;
        travail->Resultat = AjusteConstantes(*travail->Modele, travail->Ajustes, optionsCoup,
                                             travail->Options, fils, suivi);
        if (travail->Gardes.empty() || (suivi.Arret && *suivi.Arret)) return;
        auto apres = std::make_unique<TBillardAlveran>(*travail->Modele);
        AppliqueConstantes(apres->Fisik, travail->Options.Indices, travail->Resultat.Valeurs);
        travail->HorsAjustement = EvalueHorsAjustement(*travail->Modele, *apres, travail->Gardes,
                                                       optionsCoup, fils, suivi);
    });
    return true;
}

void TAjusteConstantesFrm::Termine() {
    LancerBtn->setEnabled(true);
    if (!FTravail) return;
    const TTravail& t = *FTravail;
    const TResultatConstantes& r = t.Resultat;
    const QString fleche = QStringLiteral(" → ");
    QStringList lignes;
    if (r.Interrompu || FTache->Interrompue())
        lignes << QStringLiteral("Interrompu : les meilleures valeurs trouvées jusque-là.");
    if (r.Avant.empty() || r.Apres.empty()) {
        lignes << QStringLiteral("Aucun résultat.");
        ResultatsTxt->setPlainText(lignes.join(QLatin1Char('\n')));
        return;
    }
    lignes << QStringLiteral("Coups ajustés : %1").arg(t.Ajustes.size());
    lignes << QStringLiteral("Médiane des écarts : ") + Cm(Mediane(Rmses(r.Avant))) + fleche +
                  Cm(Mediane(Rmses(r.Apres)));
    lignes << QStringLiteral("Moyenne des écarts : ") + Cm(Moyenne(Rmses(r.Avant))) + fleche +
                  Cm(Moyenne(Rmses(r.Apres)));
    const THorsAjustement& h = t.HorsAjustement;
    if (!h.Avant.empty() && !h.Apres.empty())
        lignes << QStringLiteral("Hors ajustement (%1 coups), médiane : ").arg(t.Gardes.size()) +
                      Cm(Mediane(Rmses(h.Avant))) + fleche + Cm(Mediane(Rmses(h.Apres)));
    for (std::size_t i = 0; i < t.Options.Indices.size(); ++i)
        lignes << LibelleConstante(t.Options.Indices[i]) + QStringLiteral(" : ") +
                      alv::TexteGeneral(r.Depart[i], 6) + fleche +
                      alv::TexteGeneral(r.Valeurs[i], 6);
    ResultatsTxt->setPlainText(lignes.join(QLatin1Char('\n')));
    FIndices = t.Options.Indices;
    FValeurs = r.Valeurs;
    AppliquerBtn->setEnabled(true);
}

void TAjusteConstantesFrm::AppliquerBtnClick() {
    if (FIndices.empty()) return;
    AppliqueConstantes(Services.MoteurPartage().Fisik, FIndices, FValeurs);
    AppliquerBtn->setEnabled(false);
    emit ConstantesAppliquees();
    Services.TireEnLignes();
}
