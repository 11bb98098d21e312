#include "dessin/TexteCoup.h"

#include "analysis/CalculD13.h"

#include <algorithm>
#include <charconv>
#include <cmath>

QString TexteDuree(double secondes) {
    if (!std::isfinite(secondes) || secondes < 0.0) secondes = 0.0;
    const long long ms = std::llround(secondes * 1000.0);
    // Whole seconds, not wrapped at the minute: a shot is never longer than its records
    // allow (about one minute), and "00 sec" for a 60-second shot would be plainly wrong.
    return QStringLiteral("%1 sec %2 ms")
        .arg(ms / 1000, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString TexteDistance(double valeur, const QLocale& locale) {
    if (std::isfinite(valeur)) {
        // At most 15 significant digits, then three decimals.
        char tampon[40];
        const auto fin = std::to_chars(tampon, tampon + sizeof tampon, valeur,
                                       std::chars_format::scientific, 14);
        std::from_chars(tampon, fin.ptr, valeur);
    }
    // Grouped thousands always; the locale only gives the separators.
    QLocale groupee = locale;
    groupee.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return groupee.toString(valeur, 'f', 3);
}

QString TexteResultat(const TResultatCoup& r, const QLocale& locale) {
    const QString cr = QStringLiteral("\r");
    QString texte;
    if (r.PointReussi)
        texte += QStringLiteral("Point réussi à indice ") + QString::number(r.IndicePoint) + cr;
    else
        texte += QStringLiteral("Manqué") + cr;
    texte += QStringLiteral("durée : ") + TexteDuree(r.Duree) + cr;
    texte += QStringLiteral("Caractéristiques :");
    if (!r.Significatif) texte += QStringLiteral(" (non signif)");
    texte += cr;
    if (r.Contre) texte += QStringLiteral("- Contre détecté") + cr;
    texte += QStringLiteral("- ") + QString::number(r.Bandes) + QStringLiteral(" bandes") + cr;
    texte += QStringLiteral("- D13 : ") + TexteDistance(r.D13, locale) + cr;
    texte += QStringLiteral("- P13 : ") + TexteDistance(r.P13, locale) + cr;
    texte += QStringLiteral("- d : ") + TexteDistance(r.d, locale) + cr;
    if (!r.BillesEnMouvement.isEmpty())
        texte += (r.BillesEnMouvement.size() == 1 ? QStringLiteral("- bille ")
                                                  : QStringLiteral("- billes ")) +
                 r.BillesEnMouvement.join(QStringLiteral(" et ")) +
                 QStringLiteral(" déjà en mouvement") + cr;
    return texte;
}

TResultatCoup ResultatMoteur(const TBillardAlveran& moteur) {
    TResultatCoup r;
    r.PointReussi = moteur.PointReussi;
    r.IndicePoint = moteur.IndicePoint;
    r.Duree = moteur.Temps[std::clamp(moteur.NbEnr, 0, TBillardAlveran::NbEnrMax)];
    TCaracteristiques c; // d stays 0 when not significant
    r.Significatif = CalculeCaracteristiques(moteur, c);
    r.Contre = c.Contre;
    r.Bandes = c.Bandes;
    r.D13 = c.D13;
    r.P13 = c.P13;
    r.d = c.d;
    return r;
}

QString TexteQueue(const TBillardAlveran& moteur, const QLocale& locale) {
    const auto nombre = [&locale](double v, int decimales) {
        return locale.toString(v, 'f', decimales);
    };
    return QStringLiteral("Effet %1 cm   Hauteur %2 cm   Vitesse %3 cm/s   Inclinaison %4°   "
                          "Masse %5 g   Visée %6°")
        .arg(nombre(moteur.Coup.Effet, 2), nombre(moteur.Coup.Hauteur, 2),
             nombre(moteur.Coup.Vq, 0), nombre(Degres(moteur.Coup.AngleTapis), 1),
             nombre(moteur.Coup.m, 0), nombre(Degres(moteur.Coup.AngleOx), 2));
}
