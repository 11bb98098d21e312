#include "windows/QueueNum.h"

#include "windows/Services.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>

TQueueNumFrm::TQueueNumFrm(TServicesMain& services, QWidget* parent)
    : QWidget(parent, Qt::Window), Services(services) {
    setWindowTitle(QStringLiteral("Queue Numérique"));
    setFixedSize(251, 132);
    Eedit = CreeChamp(QStringLiteral("Eedit"), QStringLiteral("Effet"), 56, 8);
    hEdit = CreeChamp(QStringLiteral("hEdit"), QStringLiteral("Hauteur"), 56, 32);
    Vedit = CreeChamp(QStringLiteral("Vedit"), QStringLiteral("Vitesse"), 56, 56);
    Iedit = CreeChamp(QStringLiteral("Iedit"), QStringLiteral("Incl."), 176, 8);
    Aedit = CreeChamp(QStringLiteral("Aedit"), QStringLiteral("Visée"), 176, 32);
    mEdit = CreeChamp(QStringLiteral("mEdit"), QStringLiteral("Masse"), 176, 56);
    FeuBtn = new QToolButton(this);
    FeuBtn->setObjectName(QStringLiteral("FeuBtn"));
    FeuBtn->setText(QStringLiteral("[ESP] = Feu !"));
    FeuBtn->setAutoRaise(true);
    FeuBtn->setFocusPolicy(Qt::NoFocus);
    FeuBtn->setGeometry(90, 82, 82, 22);
    connect(FeuBtn, &QToolButton::clicked, this, [this] { Services.Tire(); });
}

QLineEdit* TQueueNumFrm::CreeChamp(const QString& nom, const QString& libelle, int x, int y) {
    auto* etiquette = new QLabel(libelle, this);
    etiquette->setGeometry(x - 50, y + 2, 48, 17);
    auto* champ = new QLineEdit(this);
    champ->setObjectName(nom);
    champ->setGeometry(x, y, 57, 21);
    champ->installEventFilter(this);
    return champ;
}

void TQueueNumFrm::showEvent(QShowEvent* evenement) {
    Remplit();
    QWidget::showEvent(evenement);
}

void TQueueNumFrm::Remplit() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    auto ecrit = [&locale](QLineEdit* champ, double valeur) {
        champ->setText(locale.toString(valeur, 'f', 4));
        champ->setModified(false);
    };
    const TCoupQueue coup = Services.Coup();
    ecrit(Eedit, coup.Effet);
    ecrit(hEdit, coup.Hauteur);
    ecrit(Vedit, coup.Vq);
    ecrit(Iedit, Degres(coup.AngleTapis));
    ecrit(Aedit, Degres(coup.AngleOx));
    ecrit(mEdit, coup.m);
}

bool TQueueNumFrm::Applique(QLineEdit* champ) {
    bool ok = false;
    const double valeur = QLocale().toDouble(champ->text(), &ok);
    if (!ok) {
        Services.Dialogues().Message(
            this, QStringLiteral("Erreur"),
            QStringLiteral("'%1' n'est pas une valeur en virgule flottante correcte")
                .arg(champ->text()),
            tmErreur);
        return false;
    }
    // The value typed is the stroke's, exactly; the other values stay as they are.
    TCoupQueue coup = Services.Coup();
    if (champ == Eedit)
        coup.Effet = valeur;
    else if (champ == hEdit)
        coup.Hauteur = valeur;
    else if (champ == Vedit)
        coup.Vq = valeur;
    else if (champ == Iedit)
        coup.AngleTapis = Radians(valeur);
    else if (champ == Aedit)
        coup.AngleOx = Radians(valeur);
    else if (champ == mEdit)
        coup.m = valeur;
    Services.FixeCoup(coup);
    return true;
}

bool TQueueNumFrm::eventFilter(QObject* objet, QEvent* evenement) {
    auto* champ = qobject_cast<QLineEdit*>(objet);
    if (!champ) return QWidget::eventFilter(objet, evenement);
    if (evenement->type() == QEvent::FocusOut && champ == Eedit) {
        // Leaving the field, not the window: switching to another window or opening a menu
        // keeps the focus in the field.
        const Qt::FocusReason raison = static_cast<QFocusEvent*>(evenement)->reason();
        if (raison != Qt::ActiveWindowFocusReason && raison != Qt::PopupFocusReason)
            Applique(Eedit);
        return false;
    }
    if (evenement->type() != QEvent::KeyPress) return QWidget::eventFilter(objet, evenement);
    const auto* touche = static_cast<QKeyEvent*>(evenement);
    if (touche->key() == Qt::Key_Return || touche->key() == Qt::Key_Enter) {
        Applique(champ);
        return true;
    }
    const QString texte = touche->text();
    // Keys without a character (arrows, Home…) keep their editing role; so does Delete, to
    // which X11 gives the character DEL.
    if (texte.isEmpty() || touche->key() == Qt::Key_Delete) return false;
    const QChar c = texte.at(0);
    if (c == QLatin1Char(' ')) {
        Services.Tire();
        return true;
    }
    if (c == QLatin1Char(',') || c == QLatin1Char('.')) {
        champ->insert(QLocale().decimalPoint());
        return true;
    }
    if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
        c == QLatin1Char('\b') || c == QLatin1Char('\t'))
        return false;
    return true;
}
