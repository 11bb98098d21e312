#include "ui/SaisieNombre.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <cmath>

namespace alv {

QString MessageConversion(const QString& texte) {
    return QStringLiteral("'%1' n'est pas une valeur en virgule flottante correcte").arg(texte);
}

bool LitNombreUtilisateur(const QString& texte, double& valeur) {
    bool ok = false;
    const double v = QLocale().toDouble(texte, &ok);
    // "inf" and "nan" are words, not numbers the user can mean here.
    if (!ok || !std::isfinite(v)) return false;
    valeur = v;
    return true;
}

QString TexteGeneral(double valeur, int chiffres) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(valeur, 'g', chiffres);
}

bool InsereSeparateur(QLineEdit* champ, const QKeyEvent* touche) {
    const QString texte = touche->text();
    if (texte != QStringLiteral(",") && texte != QStringLiteral(".")) return false;
    champ->insert(QLocale().decimalPoint());
    return true;
}

namespace {
class TFiltreSeparateur : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() != QEvent::KeyPress) return false;
        auto* champ = qobject_cast<QLineEdit*>(objet);
        return champ && InsereSeparateur(champ, static_cast<QKeyEvent*>(evenement));
    }
};
} // namespace

void AccepteLesDeuxSeparateurs(QLineEdit* champ) {
    champ->installEventFilter(new TFiltreSeparateur(champ));
}

QString TexteDureeHMS(qint64 millisecondes) {
    if (millisecondes < 0) millisecondes = 0;
    const qint64 secondes = millisecondes / 1000;
    return QStringLiteral("%1 h %2 mn %3 sec")
        .arg(secondes / 3600, 2, 10, QLatin1Char('0'))
        .arg((secondes / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(secondes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace alv
