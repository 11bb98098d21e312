#include "windows/QueueNum.h"

#include "windows/Services.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>

#include <cmath>

namespace {

/// The range of a value in the cue controls (the aim has none: it turns).
struct TPlage {
    double Min, Max;
    const char* Nom;
    const char* Unite;
};

// The speed scale and the inclination view stop at these; the cue mass has no picture, and
// the range here is that of real cues, with room to spare.
constexpr TPlage PlageVitesse{0.0, 1200.0, "la vitesse", "cm/s"};
constexpr TPlage PlageInclinaison{0.0, 90.0, "l'inclinaison", "°"};
constexpr TPlage PlageMasse{100.0, 2000.0, "la masse de la queue", "g"};

} // namespace

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
    const TCoupCourant coup = Services.CoupCourant();
    ecrit(Eedit, coup.Effet);
    ecrit(hEdit, coup.Hauteur);
    ecrit(Vedit, coup.Vitesse);
    ecrit(Iedit, coup.Inclinaison);
    ecrit(Aedit, coup.AngleVisee);
    ecrit(mEdit, coup.MasseQueue);
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
    const QString refus = Refus(champ, valeur);
    if (!refus.isEmpty()) {
        Services.Dialogues().Message(this, QStringLiteral("Erreur"), refus, tmErreur);
        // The field shows the value the next shot fires, not one it refused.
        Remplit();
        return false;
    }
    if (champ == Eedit)
        Services.FixeValeurCoup(TValeurCoup::Effet, valeur);
    else if (champ == hEdit)
        Services.FixeValeurCoup(TValeurCoup::Hauteur, valeur);
    else if (champ == Vedit)
        Services.FixeValeurCoup(TValeurCoup::Vitesse, valeur);
    else if (champ == Iedit)
        Services.FixeValeurCoup(TValeurCoup::Inclinaison, valeur);
    else if (champ == Aedit)
        Services.FixeValeurCoup(TValeurCoup::AngleVisee, valeur);
    else if (champ == mEdit)
        Services.FixeValeurCoup(TValeurCoup::MasseQueue, valeur);
    champ->setModified(false);
    return true;
}

QString TQueueNumFrm::Refus(const QLineEdit* champ, double valeur) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const auto nombre = [&locale](double v) { return locale.toString(v, 'g', 6); };
    const auto hors = [&](const TPlage& p) {
        if (valeur >= p.Min && valeur <= p.Max) return QString();
        return QStringLiteral("'%1' refusé : %2 va de %3 à %4 %5")
            .arg(champ->text(), QString::fromUtf8(p.Nom), nombre(p.Min), nombre(p.Max),
                 QString::fromUtf8(p.Unite));
    };
    if (champ == Vedit) return hors(PlageVitesse);
    if (champ == Iedit) return hors(PlageInclinaison);
    if (champ == mEdit) return hors(PlageMasse);
    if (champ == Eedit || champ == hEdit) {
        // The tip must touch the ball: with the other value as it stands, E² + H² ≤ R².
        const double R = Services.MoteurPartage().Fisik.RayonBilles();
        const TCoupCourant coup = Services.CoupCourant();
        const double autre = champ == Eedit ? coup.Hauteur : coup.Effet;
        if (valeur * valeur + autre * autre <= R * R) return {};
        const double reste = std::sqrt(std::max(0.0, R * R - autre * autre));
        return QStringLiteral("'%1' refusé : la queue frapperait hors de la bille (rayon %2 cm) ; "
                              "%3 va ici de %4 à %5 cm")
            .arg(champ->text(), nombre(R),
                 champ == Eedit ? QStringLiteral("l'effet") : QStringLiteral("la hauteur"),
                 nombre(-reste), nombre(reste));
    }
    return {};
}

bool TQueueNumFrm::eventFilter(QObject* objet, QEvent* evenement) {
    auto* champ = qobject_cast<QLineEdit*>(objet);
    if (!champ) return QWidget::eventFilter(objet, evenement);
    if (evenement->type() == QEvent::FocusOut) {
        // Leaving a field applies what was typed in it, so that what it shows is what fires.
        // Leaving the window is not leaving the field: switching to another window or
        // opening a menu keeps the focus there.
        const Qt::FocusReason raison = static_cast<QFocusEvent*>(evenement)->reason();
        if (raison != Qt::ActiveWindowFocusReason && raison != Qt::PopupFocusReason &&
            champ->isModified())
            Applique(champ);
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
        // The shot fires what the field shows.
        if (champ->isModified() && !Applique(champ)) return true;
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
