#include "windows/VueNum.h"

#include "windows/PanelVersBille.h"
#include "ui/SaisieNombre.h"
#include "windows/Services.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <algorithm>

using namespace alv;

namespace {

constexpr int TagsBoites[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 123, 456, 789};
constexpr int LargeurPanel = 160;
constexpr int HauteurGroupe = 104;

QString TexteFixe4(double v) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(v, 'f', 4);
}

} // namespace

TVueNumFrm::TVueNumFrm(TServicesMain& services, QWidget* parent)
    : QWidget(parent, Qt::Window), Services(services) {
    setWindowTitle(QStringLiteral("pos No 0"));
    setFixedSize(548, 492);

    EtatLbl1 = new QLabel(this);
    EtatLbl2 = new QLabel(this);
    EtatLbl3 = new QLabel(this);
    int n = 0;
    for (QLabel* etat : {EtatLbl1, EtatLbl2, EtatLbl3}) {
        etat->setObjectName(QStringLiteral("EtatLbl%1").arg(n + 1));
        etat->setGeometry(8 + n * (LargeurPanel + 8), 4, LargeurPanel, 16);
        ++n;
    }
    Pnl1 = CreePanel(1, 8, 22, 25, {31, 32, 33});
    Pnl2 = CreePanel(2, 8 + LargeurPanel + 8, 22, 1, {1, 2, 3});
    Pnl3 = CreePanel(3, 8 + 2 * (LargeurPanel + 8), 22, 13, {16, 17, 18});

    const int xBarre = 8 + 3 * (LargeurPanel + 8);
    LeftBtn = new QToolButton(this);
    LeftBtn->setObjectName(QStringLiteral("LeftBtn"));
    LeftBtn->setArrowType(Qt::UpArrow);
    LeftBtn->setAutoRaise(true);
    LeftBtn->setProperty("Tag", -1);
    LeftBtn->setGeometry(xBarre, 22, 28, 20);
    BarPos = new QSlider(Qt::Vertical, this);
    BarPos->setObjectName(QStringLiteral("BarPos"));
    BarPos->setRange(0, 0);
    BarPos->setSingleStep(1);
    BarPos->setPageStep(1);
    BarPos->setTickPosition(QSlider::NoTicks);
    // Record 0 at the top, as the records are read downwards.
    BarPos->setInvertedAppearance(true);
    BarPos->setInvertedControls(true);
    BarPos->setGeometry(xBarre, 44, 28, 3 * HauteurGroupe - 44);
    RightBtn = new QToolButton(this);
    RightBtn->setObjectName(QStringLiteral("RightBtn"));
    RightBtn->setArrowType(Qt::DownArrow);
    RightBtn->setAutoRaise(true);
    RightBtn->setProperty("Tag", 1);
    RightBtn->setGeometry(xBarre, 3 * HauteurGroupe + 2, 28, 20);

    const int yBas = 22 + 3 * HauteurGroupe + 12;
    auto ligne = [this](const char* nom, int y) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(nom));
        label->setGeometry(8, y, 420, 16);
        return label;
    };
    TypeChocLbl = ligne("TypeChocLbl", yBas);
    AdhLbl = ligne("AdhLbl", yBas + 18);
    ChocLbl = ligne("ChocLbl", yBas + 36);
    ChocLbl->setGeometry(8, yBas + 54, 532, 62);
    ChocLbl->setWordWrap(true);
    ChocLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    dtNegLbl = ligne("dtNegLbl", yBas + 84);
    dtNegLbl->setGeometry(8, yBas + 118, 532, 16);

    CalculTrajetsBtn = new QPushButton(QStringLiteral("Feu !"), this);
    CalculTrajetsBtn->setObjectName(QStringLiteral("CalculTrajetsBtn"));
    CalculTrajetsBtn->setGeometry(436, yBas, 104, 22);
    CopyBtn = new QPushButton(QStringLiteral("&Copier"), this);
    CopyBtn->setObjectName(QStringLiteral("CopyBtn"));
    CopyBtn->setToolTip(QStringLiteral("copie vers presse-papier"));
    CopyBtn->setGeometry(436, yBas + 26, 104, 22);

    connect(BarPos, &QSlider::valueChanged, this, [this] { BarPosChange(); });
    connect(LeftBtn, &QToolButton::clicked, this, [this] { LeftBtnClick(LeftBtn); });
    connect(RightBtn, &QToolButton::clicked, this, [this] { LeftBtnClick(RightBtn); });
    connect(CalculTrajetsBtn, &QPushButton::clicked, this,
            [this] { CalculTrajetsBtnClick(CalculTrajetsBtn); });
    connect(CopyBtn, &QPushButton::clicked, this, [this] { CopyBtnClick(); });
    // F9 is the window's, whichever of its controls has the focus.
    qApp->installEventFilter(this);
}

QWidget* TVueNumFrm::CreePanel(int bille, int x, int y, int premiereBoite,
                               const std::array<int, 3>& numerosTitres) {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Pnl%1").arg(bille));
    panel->setGeometry(x, y, LargeurPanel, 3 * HauteurGroupe);
    static const char* const titres[3] = {"Position", "Vitesse", "Rotation"};
    static const char* const axes[4] = {"x", "y", "z", "N"};
    for (int g = 0; g < 3; ++g) {
        const int yg = g * HauteurGroupe;
        auto* titre = new QLabel(QString::fromLatin1(titres[g]), panel);
        titre->setObjectName(QStringLiteral("Label%1").arg(numerosTitres[static_cast<size_t>(g)]));
        titre->setProperty("Tag", 10 * bille + g + 1);
        titre->setToolTip(QStringLiteral("dble click pour éditer angles et intensité"));
        QFont gras = titre->font();
        gras.setBold(true);
        titre->setFont(gras);
        titre->move(20, yg);
        titre->installEventFilter(this);
        Titres[static_cast<size_t>(3 * (bille - 1) + g)] = titre;
        for (int r = 0; r < 4; ++r) {
            auto* axe = new QLabel(QString::fromLatin1(axes[r]), panel);
            axe->move(6, yg + 18 + r * 21 + 3);
        }
    }
    // Boxes in tag order: the nine components, then the three norms.
    for (int j = 0; j < 12; ++j) {
        const int tag = TagsBoites[j];
        const int groupe = j < 9 ? j / 3 : j - 9;
        const int rang = j < 9 ? j % 3 : 3;
        auto* boite = new QLineEdit(panel);
        boite->setObjectName(QStringLiteral("Edit%1").arg(premiereBoite + j));
        boite->setProperty("Tag", tag);
        boite->setGeometry(20, groupe * HauteurGroupe + 18 + rang * 21, LargeurPanel - 24, 20);
        boite->setText(QStringLiteral("0"));
    }
    return panel;
}

QLineEdit* TVueNumFrm::Boite(int panel, int tag) const {
    const QWidget* p = panel == 1 ? Pnl1 : (panel == 2 ? Pnl2 : Pnl3);
    for (QLineEdit* boite : p->findChildren<QLineEdit*>())
        if (TagBoite(boite) == tag) return boite;
    return nullptr;
}

void TVueNumFrm::showEvent(QShowEvent* evenement) {
    // Opening the view shows the records without touching the table: balls the user has
    // placed since the last shot stay where they are until the slider is moved.
    FSansPlacement = true;
    FormShow();
    FSansPlacement = false;
    QWidget::showEvent(evenement);
}

void TVueNumFrm::FormShow() {
    const TBillardAlveran& moteur = Services.MoteurPartage();
    const int nbEnr = std::clamp(moteur.NbEnr, 0, TBillardAlveran::NbEnrMax);
    {
        // A position brought into the new range is not shown: the right one comes next.
        const QSignalBlocker bloque(BarPos);
        BarPos->setMaximum(nbEnr);
    }
    if (BarPos->value() == Services.EtapeCourante())
        BarPosChange();
    else
        BarPos->setValue(Services.EtapeCourante());
    ListeChocs();
}

void TVueNumFrm::MontreEnregistrement(int i) {
    const int nbEnr = std::clamp(Services.MoteurPartage().NbEnr, 0, TBillardAlveran::NbEnrMax);
    {
        const QSignalBlocker bloque(BarPos);
        BarPos->setMaximum(nbEnr);
    }
    if (BarPos->value() == i)
        BarPosChange();
    else
        BarPos->setValue(i);
    ListeChocs();
}

void TVueNumFrm::AfficheEnregistrement(int i) {
    if (i < 0 || i > TBillardAlveran::NbEnrMax) return;
    const TBillardAlveran& moteur = Services.MoteurPartage();
    BilleVersPanel(Pnl1, moteur.Trajets[1][i]);
    BilleVersPanel(Pnl2, moteur.Trajets[2][i]);
    BilleVersPanel(Pnl3, moteur.Trajets[3][i]);
}

bool TVueNumFrm::PanelsVersMoteur() {
    TBillardAlveran& moteur = Services.MoteurPartage();
    QWidget* panels[3] = {Pnl1, Pnl2, Pnl3};
    for (int b = 1; b <= 3; ++b) {
        QLineEdit* fautive = nullptr;
        if (!PanelVersBille(panels[b - 1], moteur.Trajets[b][0], &fautive)) {
            Services.Dialogues().Message(this, QStringLiteral("Erreur"),
                                         MessageConversion(fautive->text()), tmErreur);
            return false;
        }
    }
    return true;
}

void TVueNumFrm::BarPosChange() {
    const TBillardAlveran& moteur = Services.MoteurPartage();
    const int i = BarPos->value();
    if (i < 0 || i > moteur.NbEnr || i > TBillardAlveran::NbEnrMax) return;
    QString titre = QStringLiteral("pos No ") + QString::number(i) + QStringLiteral(" temps = ") +
                    TexteFixe4(moteur.Temps[i]);
    if (i > 0)
        titre += QStringLiteral(" dt = ") + TexteGeneral(moteur.Temps[i] - moteur.Temps[i - 1], 15);
    setWindowTitle(titre);
    AfficheEnregistrement(i);
    EtatLbl1->setText(QString::fromUtf8(TexteMouvement(moteur.EtatsEnr[1][i])));
    EtatLbl2->setText(QString::fromUtf8(TexteMouvement(moteur.EtatsEnr[2][i])));
    EtatLbl3->setText(QString::fromUtf8(TexteMouvement(moteur.EtatsEnr[3][i])));
    QString choc = QString::fromUtf8(TexteTypeChoc(moteur.TypesChoc[i]));
    if (moteur.Contres[i] != 0)
        choc += QStringLiteral(" (b1 contre ") + QString::number(moteur.Contres[i]) +
                QStringLiteral(")");
    TypeChocLbl->setText(choc);
    AdhLbl->setText(QStringLiteral("coef adhérence : ") + TexteGeneral(moteur.Adherences[i], 15));
    if (!FSansPlacement) Services.PlaceBillesEtape(i);
}

void TVueNumFrm::ListeChocs() {
    const TBillardAlveran& moteur = Services.MoteurPartage();
    QString chocs = QStringLiteral("choc(s) en i = ");
    QString negatifs = QStringLiteral("dt < 0 en ");
    const int nbEnr = std::clamp(moteur.NbEnr, 0, TBillardAlveran::NbEnrMax);
    for (int i = 0; i <= nbEnr; ++i) {
        if (moteur.TypesChoc[i] != cAucun) {
            // The list stops growing at 200 characters, marked once.
            if (chocs.size() < 200)
                chocs += QString::number(i) + QStringLiteral(", ");
            else if (!chocs.endsWith(QLatin1Char(')')))
                chocs += QStringLiteral(" (...)");
        }
        if (i > 0 && moteur.Temps[i] - moteur.Temps[i - 1] < 0)
            negatifs += QStringLiteral(" i=") + QString::number(i);
    }
    ChocLbl->setText(chocs);
    dtNegLbl->setText(negatifs);
}

void TVueNumFrm::LeftBtnClick(QToolButton* sender) {
    const int tag = sender ? sender->property("Tag").toInt() : 0;
    BarPos->setValue(std::clamp(BarPos->value() + tag, 0, BarPos->maximum()));
}

void TVueNumFrm::CalculTrajetsBtnClick(QObject* sender) {
    if (Services.EffacementLignes()) Services.EffaceLignes();
    if (!PanelsVersMoteur()) return;
    Services.MoteurPartage().CalculeTrajets();
    Services.DessineLignes();
    FormShow();
    if (Services.EnvoiAutomatique() || !sender) Services.ExporteVitesses();
}

QString TVueNumFrm::TexteCopie() const {
    const TBillardAlveran& moteur = Services.MoteurPartage();
    const int i = std::clamp(BarPos->value(), 0, TBillardAlveran::NbEnrMax);
    QStringList lignes;
    lignes << QString::number(i) << TexteGeneral(moteur.Temps[i], 15);
    for (int debut : {1, 4, 7}) {
        for (int tag = debut; tag < debut + 3; ++tag) lignes << Boite(1, tag)->text();
        lignes << QString();
    }
    lignes << EtatLbl1->text() << TypeChocLbl->text() << TexteGeneral(moteur.Adherences[i], 15);
    return lignes.join(QStringLiteral("\r\n"));
}

void TVueNumFrm::CopyBtnClick() {
    QGuiApplication::clipboard()->setText(TexteCopie());
}

void TVueNumFrm::Label31DblClick(QLabel* sender) {
    const int tag = sender->property("Tag").toInt();
    const int b = tag / 10;
    if (b < 1 || b > 3) return;
    const int i = std::clamp(BarPos->value(), 0, TBillardAlveran::NbEnrMax);
    TCinematique& enr = Services.MoteurPartage().Trajets[b][i];
    TVecteur* vecteur = nullptr;
    switch (tag % 10) {
    case 1:
        vecteur = &enr.Position;
        break;
    case 2:
        vecteur = &enr.Vitesse;
        break;
    case 3:
        vecteur = &enr.Rotation;
        break;
    default:
        break;
    }
    Services.EditeVecteur(b, sender->text(), vecteur, i);
}

bool TVueNumFrm::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::KeyRelease) {
        // The view sees F9 before its controls: a value box keeps the releases it is given.
        const auto* touche = static_cast<QKeyEvent*>(evenement);
        const auto* cible = qobject_cast<QWidget*>(objet);
        if (touche->key() == Qt::Key_F9 && cible && cible->window() == this) {
            // A held key repeats as release-press pairs: only the real release counts.
            if (!touche->isAutoRepeat()) CalculTrajetsBtnClick(nullptr);
            return true;
        }
        return QWidget::eventFilter(objet, evenement);
    }
    if (evenement->type() == QEvent::MouseButtonDblClick) {
        // Only the nine group titles: the filter also sees every other window's labels.
        const auto titre = std::find(Titres.begin(), Titres.end(), objet);
        if (titre != Titres.end()) {
            Label31DblClick(*titre);
            return true;
        }
    }
    return QWidget::eventFilter(objet, evenement);
}
