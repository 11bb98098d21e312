#include "dessin/CarteSysteme.h"

#include "dessin/SchemaCoup.h"

#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cmath>

namespace {

// Layout (pixels): the table as wide as the shot's diagram, room around it for the numbers.
constexpr double LargeurCarte = 1200.0;
constexpr double MargeNumeros = 46.0;
constexpr double HauteurLigne = 22.0;
constexpr double TaillePolice = 14.0;
/// Deviation beyond which a shot is marked (diamonds).
constexpr double EcartMarque = 0.25;

const QColor CouleurSuivi(255, 255, 255, 150);
const QColor CouleurEcarte(220, 30, 30, 220);
const QColor CouleurOrigine(40, 70, 200);

TRepere RepereCarte(const TCarteSysteme& c) {
    const QSizeF table = TableCm(*c.Moteur);
    TRepere r;
    r.PixParCm = (LargeurCarte - 2 * MargeNumeros) / table.width();
    r.Centre = QPointF(LargeurCarte / 2, MargeNumeros + table.height() * r.PixParCm / 2);
    return r;
}

/// A number centred on a pixel.
void Numero(QPainter& p, QPointF centre, const QString& texte) {
    p.drawText(QRectF(centre.x() - 30, centre.y() - 10, 60, 20), Qt::AlignCenter, texte);
}

QString Nombre(double x, const QLocale& locale, int decimales = 1) {
    return locale.toString(x, 'f', decimales);
}

} // namespace

QStringList LegendeSysteme(const TResultatSysteme& r, const TEffetSysteme& meilleur,
                           const QLocale& locale) {
    QStringList lignes;
    lignes << QStringLiteral("Système des diamants (T = D − F) — effet %1 R, hauteur %2 R, "
                             "vitesse %3 (queue %4 cm/s)")
                  .arg(Nombre(r.Coup.Effet, locale, 2), Nombre(r.Coup.Hauteur, locale, 2),
                       QString::fromUtf8(NomVitesseSysteme(r.Coup.Vitesse)),
                       Nombre(r.Vq, locale, 1));
    if (r.NbValides > 0)
        lignes << QStringLiteral("Écart T − (D − F) : moyen %1, moyen absolu %2, max %3 diamant "
                                 "(%4 coups sur %5 à la troisième bande)")
                      .arg(locale.toString(r.EcartMoyen, 'f', 2),
                           locale.toString(r.EcartMoyenAbsolu, 'f', 2),
                           locale.toString(r.EcartMax, 'f', 2))
                      .arg(r.NbValides)
                      .arg(r.Points.size());
    else
        lignes << QStringLiteral("Aucun coup n'atteint la troisième bande");
    if (std::isfinite(meilleur.Effet))
        lignes << QStringLiteral("Cette table suit le mieux le système avec %1 R d'effet "
                                 "(écart moyen absolu %2 diamant)")
                      .arg(Nombre(meilleur.Effet, locale, 2),
                           locale.toString(meilleur.EcartMoyenAbsolu, 'f', 2));
    return lignes;
}

QSizeF TailleCarteSysteme(const TCarteSysteme& c) {
    const TRepere r = RepereCarte(c);
    const double table = TableCm(*c.Moteur).height() * r.PixParCm;
    return {LargeurCarte, std::ceil(2 * MargeNumeros + table + 8 +
                                    HauteurLigne * static_cast<double>(c.Legende.size()) + 12)};
}

void DessineCarteSysteme(QPainter& p, const TCarteSysteme& c) {
    const TBillardAlveran& moteur = *c.Moteur;
    const TResultatSysteme& resultat = *c.Resultat;
    const TRepere r = RepereCarte(c);
    const QSizeF taille = TailleCarteSysteme(c);
    const QSizeF tableCm = TableCm(moteur);
    const double L = moteur.Fisik.largeurJeu();
    const double diamant = L / 4;
    const double bord = (tableCm.height() - L) / 2; // cushion and wood (cm)
    const QLocale locale;

    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRectF(QPointF(0, 0), taille), Qt::white);
    DessineTable(p, moteur, r);

    // Every shot: the system's line to its first-rail diamond, then the engine's real path to
    // the second and third rails (taken on the nose lines). The marked ones on top.
    for (const bool marques : {false, true}) {
        for (const TPointSysteme& s : resultat.Points) {
            if (!s.Valide()) continue;
            const bool ecarte = std::fabs(s.Ecart) > EcartMarque;
            if (ecarte != marques) continue;
            const QPointF arrivee = r.VersPixels(L / 2, s.Contacts[2].y);
            QPainterPath chemin(r.VersPixels(s.Origine.x, s.Origine.y));
            chemin.lineTo(r.VersPixels(s.Visee.x, s.Visee.y));
            chemin.lineTo(r.VersPixels(s.Contacts[1].x, L));
            chemin.lineTo(arrivee);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(ecarte ? CouleurEcarte : CouleurSuivi, ecarte ? 1.6 : 1.2));
            p.drawPath(chemin);
            if (ecarte) {
                p.drawEllipse(arrivee, 5.0, 5.0);
                // Where the system expected it.
                const QPointF attendu = r.VersPixels(L / 2, L - (s.D - s.F) * diamant);
                p.drawLine(attendu - QPointF(0, 6), attendu + QPointF(0, 6));
            }
        }
    }

    // The numbers: F above the first rail and T below the origin's rail, from the far short
    // rail (on the right); the origin numbers D under T along the long rail and left of the
    // near short rail.
    QFont police(QStringLiteral("Liberation Sans"));
    police.setPixelSize(static_cast<int>(TaillePolice));
    p.setFont(police);
    const double dehors = bord + 12 / r.PixParCm; // beyond the wood (cm)
    p.setPen(Qt::black);
    for (int k = 0; k <= 8; ++k) {
        const double y = L - k * diamant;
        Numero(p, r.VersPixels(-L / 2 - dehors, y), QString::number(k));
        Numero(p, r.VersPixels(L / 2 + dehors, y), QString::number(k));
    }
    p.setPen(CouleurOrigine);
    const double dehorsD = dehors + 18 / r.PixParCm;
    for (int k = 0; k <= 4; ++k) {
        const double D = 5 - 0.5 * k;
        Numero(p, r.VersPixels(L / 2 + dehorsD, L - (2 * D - 2) * diamant),
               locale.toString(D, 'g', 3));
    }
    for (int v = 1; v <= 3; ++v)
        Numero(p, r.VersPixels(L / 2 - v * diamant, -L - dehors), QString::number(5 + v));

    p.setPen(Qt::black);
    double y = 2 * MargeNumeros + tableCm.height() * r.PixParCm + 4;
    for (const QString& ligne : c.Legende) {
        p.drawText(QRectF(MargeNumeros, y, taille.width() - 2 * MargeNumeros, HauteurLigne),
                   Qt::AlignLeft | Qt::AlignVCenter, ligne);
        y += HauteurLigne;
    }
    p.restore();
}

bool EcritCarteSysteme(const TCarteSysteme& carte, const QString& nom, QString& erreur) {
    const QString extension = QFileInfo(nom).suffix().toLower();
    const bool svg = extension == QStringLiteral("svg");
    if (!svg && extension != QStringLiteral("png")) {
        erreur = QStringLiteral("extension inconnue (.svg ou .png attendu) : %1").arg(nom);
        return false;
    }
    QSaveFile fichier(nom);
    const QString impossible = QStringLiteral("impossible d'écrire dans %1").arg(nom);
    if (!fichier.open(QIODevice::WriteOnly)) {
        erreur = impossible;
        return false;
    }
    const QSizeF taille = TailleCarteSysteme(carte);
    bool ecrit = false;
    if (svg) {
        QSvgGenerator generateur;
        generateur.setOutputDevice(&fichier);
        generateur.setSize(taille.toSize());
        generateur.setViewBox(QRectF(QPointF(0, 0), taille));
        generateur.setTitle(QStringLiteral("Système des diamants"));
        generateur.setDescription(carte.Legende.join(QLatin1Char('\n')));
        QPainter p;
        if (p.begin(&generateur)) {
            DessineCarteSysteme(p, carte);
            ecrit = p.end();
        }
    } else {
        QImage image(taille.toSize(), QImage::Format_RGB32);
        QPainter p(&image);
        DessineCarteSysteme(p, carte);
        p.end();
        ecrit = image.save(&fichier, "PNG");
    }
    if (!ecrit || !fichier.commit()) {
        erreur = impossible;
        return false;
    }
    return true;
}
