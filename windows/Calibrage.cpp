#include "windows/Calibrage.h"

#include "ui/SaisieNombre.h"
#include "windows/AjusteConstantes.h"
#include "windows/Ecran.h"
#include "windows/Services.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>

#include <algorithm>

using namespace alv;

namespace {

const char* const NomsCoefficients[TCalibreFrm::NbCoefficients] = {
    "Hauteur Bandes",
    "Masse Billes",
    "Vit. vert. sans Rebond",
    "Frot Bille-Tapis (Glisse)",
    "Frot Bille-Tapis (Pivotement)",
    "Frot Bille Tapis (Roulement)",
    "Frot Bille Tapis (Choc)",
    "Frot Bille Bille (choc)",
    "Frot Bille Bande (choc)",
    "Elast Bille Tapis",
    "Elast Bille Bille",
    "Elast Bille Bande",
    "Perte Ec (choc Queue-Bille)",
    "pesanteur",
};

constexpr int IndiceG = 18;
constexpr int BarMax = 20;

QLabel* Etiquette(QWidget* parent, const QString& texte, int x, int y) {
    auto* label = new QLabel(texte, parent);
    label->move(x, y);
    return label;
}

} // namespace

int TCalibreFrm::IndiceCoefficient(int position) {
    // Cushion height, then ball mass to the cue-ball energy loss in published order (the
    // published ball radius and width are not calibrated), then gravity.
    if (position == 0) return 1;
    if (position >= 1 && position <= 12) return position + 2;
    return IndiceG;
}

TCalibreFrm::TCalibreFrm(TServicesMain& services, QWidget* parent)
    : QWidget(parent, Qt::Window), Services(services) {
    setWindowTitle(QStringLiteral("Calibrage constantes physiques"));
    setFixedSize(340, 178);

    Etiquette(this, QStringLiteral("Coeff à calibrer :"), 8, 8);
    FisikList = new QComboBox(this);
    FisikList->setObjectName(QStringLiteral("FisikList"));
    FisikList->setGeometry(8, 24, 200, 22);
    Etiquette(this, QStringLiteral("Incrément :"), 220, 8);
    incrfTxt = new QLineEdit(this);
    incrfTxt->setObjectName(QStringLiteral("incrfTxt"));
    incrfTxt->setGeometry(220, 24, 112, 21);
    AccepteLesDeuxSeparateurs(incrfTxt);

    Etiquette(this, QStringLiteral("Valeur testée"), 136, 52);
    CoeffLbl = Etiquette(this, QString(), 136, 68);
    CoeffLbl->setObjectName(QStringLiteral("CoeffLbl"));
    CoeffLbl->resize(160, 16);

    LeftBtn = new QToolButton(this);
    LeftBtn->setObjectName(QStringLiteral("LeftBtn"));
    LeftBtn->setArrowType(Qt::LeftArrow);
    LeftBtn->setAutoRaise(true);
    LeftBtn->setProperty("Tag", -1);
    LeftBtn->setGeometry(8, 88, 22, 22);
    BarPos = new QSlider(Qt::Horizontal, this);
    BarPos->setObjectName(QStringLiteral("BarPos"));
    BarPos->setRange(-BarMax, BarMax);
    BarPos->setSingleStep(1);
    BarPos->setPageStep(1);
    BarPos->setTickPosition(QSlider::TicksBelow);
    BarPos->setTickInterval(1);
    BarPos->setValue(0);
    BarPos->setGeometry(32, 86, 276, 28);
    RightBtn = new QToolButton(this);
    RightBtn->setObjectName(QStringLiteral("RightBtn"));
    RightBtn->setArrowType(Qt::RightArrow);
    RightBtn->setAutoRaise(true);
    RightBtn->setProperty("Tag", 1);
    RightBtn->setGeometry(310, 88, 22, 22);

    const QLabel* initiale = Etiquette(this, QStringLiteral("Valeur initiale :"), 8, 124);
    CoeffIniLbl = Etiquette(this, QString(), initiale->sizeHint().width() + 14, 124);
    CoeffIniLbl->setObjectName(QStringLiteral("CoeffIniLbl"));
    CoeffIniLbl->resize(130, 16);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Rétablir"));
    SpeedButton1->setToolTip(QStringLiteral("fixer le coeff à la valeur affichée"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(260, 120, 72, 22);

    AjusteBtn = new QToolButton(this);
    AjusteBtn->setObjectName(QStringLiteral("AjusteBtn"));
    AjusteBtn->setText(QStringLiteral("Ajuster sur les trajectoires…"));
    AjusteBtn->setToolTip(QStringLiteral("ajuster des constantes sur des coups mesurés"));
    AjusteBtn->setGeometry(8, 150, 324, 22);

    FormCreate();

    // Bound after FormCreate: building the list must not count as the user's pick.
    connect(FisikList, &QComboBox::activated, this, [this] { FisikListChange(FisikList); });
    connect(BarPos, &QSlider::valueChanged, this, [this] { BarPosChange(); });
    connect(LeftBtn, &QToolButton::clicked, this, [this] { LeftBtnClick(LeftBtn); });
    connect(RightBtn, &QToolButton::clicked, this, [this] { LeftBtnClick(RightBtn); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(AjusteBtn, &QToolButton::clicked, this, [this] { AjusteBtnClick(); });
}

TCalibreFrm::~TCalibreFrm() = default;

void TCalibreFrm::AjusteBtnClick() {
    if (FAjusteFrm == nullptr) {
        FAjusteFrm = new TAjusteConstantesFrm(Services, this);
        // The coefficient being calibrated starts again from its applied value.
        connect(FAjusteFrm, &TAjusteConstantesFrm::ConstantesAppliquees, this,
                [this] { FisikListChange(FisikList); });
    }
    MontreSurEcran(FAjusteFrm);
    FAjusteFrm->raise();
}

void TCalibreFrm::FormCreate() {
    for (const char* nom : NomsCoefficients) FisikList->addItem(QString::fromUtf8(nom));
    FisikList->setCurrentIndex(0);
    FisikListChange(nullptr);
}

TPARAMPHYS& TCalibreFrm::Fisik() const {
    return Services.MoteurPartage().Fisik;
}

double TCalibreFrm::Coefficient() const {
    const int position = FisikList->currentIndex();
    return Fisik().Parametre(
        position >= 0 && position < NbCoefficients ? IndiceCoefficient(position) : IndiceG);
}

void TCalibreFrm::SetCoefficient(double valeur) {
    const int position = FisikList->currentIndex();
    if (position < 0 || position >= NbCoefficients) return;
    // The cushion height goes through SetDimension, which keeps it between R and 2R.
    Fisik().SetParametre(IndiceCoefficient(position), valeur);
}

void TCalibreFrm::FisikListChange(QObject* sender) {
    ValeurInitiale = Coefficient();
    incrfTxt->setText(TexteGeneral(static_cast<double>(ValeurInitiale / (2 * BarMax)), 15));
    CoeffLbl->setText(TexteGeneral(static_cast<double>(ValeurInitiale), 15));
    CoeffIniLbl->setText(CoeffLbl->text());
    if (sender) BarPos->setValue(0);
}

void TCalibreFrm::BarPosChange() {
    double increment = 0.0;
    if (!LitNombreUtilisateur(incrfTxt->text(), increment)) {
        Services.Dialogues().Message(this, QStringLiteral("Erreur"),
                                     MessageConversion(incrfTxt->text()), tmErreur);
        return;
    }
    SetCoefficient(static_cast<double>(static_cast<long double>(BarPos->value()) *
                                           static_cast<long double>(increment) +
                                       ValeurInitiale));
    CoeffLbl->setText(TexteGeneral(Coefficient(), 15));
    Services.TireEnLignes();
}

void TCalibreFrm::LeftBtnClick(QToolButton* sender) {
    const int tag = sender ? sender->property("Tag").toInt() : 0;
    // Within the range the position does not change at the ends, so no shot is fired there.
    BarPos->setValue(std::clamp(BarPos->value() + tag, -BarMax, BarMax));
}

void TCalibreFrm::SpeedButton1Click() {
    BarPos->setValue(0);
}
