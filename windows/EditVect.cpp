#include "windows/EditVect.h"
#include "engine/CoupQueue.h"

#include "ui/SaisieNombre.h"
#include "windows/Services.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <algorithm>
#include <cmath>

using namespace alv;

namespace {

QLabel* Etiquette(QWidget* parent, const QString& texte, int x, int y) {
    auto* label = new QLabel(texte, parent);
    label->move(x, y);
    return label;
}

} // namespace

TEditVectFrm::TEditVectFrm(TServicesMain& services, QWidget* parent)
    : QWidget(parent, Qt::Window), Services(services) {
    setWindowTitle(QStringLiteral("Editeur"));
    setFixedSize(136, 220);
    QFont petite = font();
    petite.setPointSize(7);
    setFont(petite);

    Etiquette(this, QStringLiteral("bille No"), 8, 8);
    NoBilleLbl = Etiquette(this, QString(), 56, 8);
    NoBilleLbl->setObjectName(QStringLiteral("NoBilleLbl"));
    NoBilleLbl->resize(40, 14);
    pvrLbl = Etiquette(this, QString(), 8, 26);
    pvrLbl->setObjectName(QStringLiteral("pvrLbl"));
    pvrLbl->resize(120, 14);
    IndiceLbl = Etiquette(this, QString(), 8, 44);
    IndiceLbl->setObjectName(QStringLiteral("IndiceLbl"));
    IndiceLbl->resize(120, 14);

    auto champ = [this](const char* nom, const char* libelle, int tag, int y) {
        Etiquette(this, QString::fromUtf8(libelle), 8, y);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(nom));
        edit->setProperty("Tag", tag);
        edit->setGeometry(8, y + 16, 120, 20);
        edit->installEventFilter(this);
        return edit;
    };
    nEdit = champ("nEdit", "Norme :", 1, 64);
    OxEdit = champ("OxEdit", "angle Ox", 2, 104);
    OzEdit = champ("OzEdit", "Angle Oz", 3, 144);

    JouerCheck = new QCheckBox(QStringLiteral("jouer les modifs"), this);
    JouerCheck->setObjectName(QStringLiteral("JouerCheck"));
    JouerCheck->setGeometry(8, 190, 124, 20);
    JouerCheck->setChecked(true);
}

void TEditVectFrm::Edite(int bille, const QString& quoi, TVecteur* vecteur, int indice) {
    NoBilleLbl->setText(QString::number(bille));
    pvrLbl->setText(quoi);
    IndiceLbl->setText(QString::number(indice));
    FVecteurEdite = vecteur;
    FormActivate();
}

bool TEditVectFrm::event(QEvent* evenement) {
    if (evenement->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(evenement);
}

void TEditVectFrm::FormActivate() {
    if (!FVecteurEdite) return;
    const TVecteur v = *FVecteurEdite;
    const double n = Norme(v);
    nEdit->setText(TexteGeneral(n, 12));
    // A vector along y reads 0 here: the angle is only computed off the y axis.
    OxEdit->setText(v.x == 0.0 ? QStringLiteral("0")
                               : TexteGeneral(Degres(std::atan2(v.y, v.x)), 12));
    OzEdit->setText(n == 0.0 ? QStringLiteral("0")
                             : TexteGeneral(Degres(std::asin(std::clamp(v.z / n, -1.0, 1.0))), 12));
}

bool TEditVectFrm::Applique(QLineEdit* champ) {
    if (!FVecteurEdite || !champ->isModified()) return false;
    // Cleared first: an error box takes the focus, and the field must not be applied again.
    champ->setModified(false);
    double valeur = 0.0;
    if (!LitNombreUtilisateur(champ->text(), valeur)) {
        Services.Dialogues().Message(this, QStringLiteral("Erreur"),
                                     MessageConversion(champ->text()), tmErreur);
        return false;
    }
    TVecteur& v = *FVecteurEdite;
    const double n = Norme(v);
    const double h = std::sqrt(v.x * v.x + v.y * v.y);
    if (champ == nEdit) {
        if (n != 0.0) {
            v = Mult(v, valeur / n);
        } else {
            v.x = valeur;
        }
    } else if (champ == OxEdit) {
        const double a = Radians(valeur);
        v.x = h * std::cos(a);
        v.y = h * std::sin(a);
    } else if (champ == OzEdit) {
        const double b = Radians(valeur);
        const double hp = n * std::cos(b);
        v.z = n * std::sin(b);
        if (h != 0.0) {
            v.x = hp * v.x / h;
            v.y = hp * v.y / h;
        } else {
            v.x = hp;
            v.y = 0.0;
        }
    }
    emit VecteurModifie(JouerCheck->isChecked());
    return true;
}

bool TEditVectFrm::eventFilter(QObject* objet, QEvent* evenement) {
    auto* champ = qobject_cast<QLineEdit*>(objet);
    if (!champ) return QWidget::eventFilter(objet, evenement);
    if (evenement->type() == QEvent::FocusOut) {
        Applique(champ);
        return false;
    }
    if (evenement->type() != QEvent::KeyPress) return QWidget::eventFilter(objet, evenement);
    const auto* touche = static_cast<QKeyEvent*>(evenement);
    if (touche->key() == Qt::Key_Return || touche->key() == Qt::Key_Enter) {
        Applique(champ);
        return true;
    }
    return InsereSeparateur(champ, touche);
}
