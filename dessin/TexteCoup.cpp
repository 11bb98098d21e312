#include "dessin/TexteCoup.h"

#include "analysis/CalculD13.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

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

QString TexteCaracteristique(double valeur, const QLocale& locale) {
    // The mark of a distance that could not be computed is not a distance.
    if (valeur == CaracteristiqueNonCalculee) return QStringLiteral("—");
    return TexteDistance(valeur, locale);
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
    texte += QStringLiteral("- D13 : ") + TexteCaracteristique(r.D13, locale) + cr;
    texte += QStringLiteral("- P13 : ") + TexteCaracteristique(r.P13, locale) + cr;
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
    const double degres = 180.0 / std::numbers::pi;
    const auto nombre = [&locale](double v, int decimales) {
        return locale.toString(v, 'f', decimales);
    };
    return QStringLiteral("Effet %1 cm   Hauteur %2 cm   Vitesse %3 cm/s   Inclinaison %4°   "
                          "Masse %5 g   Visée %6°")
        .arg(nombre(moteur.Coup.Effet, 2), nombre(moteur.Coup.Hauteur, 2),
             nombre(moteur.Coup.Vq, 0), nombre(moteur.Coup.AngleTapis * degres, 1),
             nombre(moteur.Coup.m, 0), nombre(moteur.Coup.AngleOx * degres, 2));
}

QString TexteQueueInsoluble(const TBillardAlveran& moteur, const QLocale& locale) {
    const TCoupQueue& c = moteur.Coup;
    const double R2 = moteur.Fisik.RayonBilles2;
    if (c.Effet * c.Effet + c.Hauteur * c.Hauteur > R2)
        return QStringLiteral("choc Queue-bille insoluble : la queue frappe hors de la bille "
                              "(effet %1 cm, hauteur %2 cm, rayon %3 cm)")
            .arg(locale.toString(c.Effet, 'g', 6), locale.toString(c.Hauteur, 'g', 6),
                 locale.toString(moteur.Fisik.RayonBilles(), 'g', 6));
    if (c.AngleTapis != 0.0)
        return QStringLiteral("choc Queue-bille insoluble (probablement du fait de "
                              "l'inclinaison de la queue)");
    // Level cue, tip on the ball: only the cue's mass against the ball's is left.
    return QStringLiteral("choc Queue-bille insoluble : la masse de la queue (%1 g) est trop "
                          "grande devant celle de la bille (%2 g)")
        .arg(locale.toString(c.m, 'g', 6), locale.toString(moteur.Fisik.MasseBilles, 'g', 6));
}
