#include "dessin/SchemaCoup.h"

#include "analysis/SystemeDiamants.h"
#include "dessin/TexteCoup.h"
#include "analysis/ComdbAlv.h"
#include "analysis/RouteEnMots.h"
#include "engine/EcritureFichier.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

// The table's wood and cushions as the main window draws them (cm); the cloth's width is
// the engine's.
constexpr double LargeurBois = 7.75;
constexpr double LargeurBandes = 5.0;

// The diagram's layout (pixels).
constexpr double LargeurSchema = 1200.0;
constexpr double Marge = 20.0;
constexpr double HauteurLigneLegende = 22.0;
constexpr double TaillePoliceLegende = 14.0;

// The table's colours, as on the screen.
const QColor CouleurBois(114, 72, 72);
const QColor CouleurBandes(0, 102, 68);
const QColor CouleurJeu(0, 119, 68);
const QColor CouleurRectJeu(34, 204, 102);
const QColor CouleurMouches(144, 144, 144);

int NbEnrValide(const TBillardAlveran& moteur) {
    return std::clamp(moteur.NbEnr, 0, TBillardAlveran::NbEnrMax);
}

QPointF Pixel(const TBillardAlveran& moteur, const TRepere& r, int n, int i) {
    const TVecteur& pos = moteur.Trajets[n][i].Position;
    return r.VersPixels(pos.x, pos.y);
}

/// The arrowhead at `pointe`, pointing along the unit vector `sens`.
QPolygonF Fleche(QPointF pointe, QPointF sens, double taille) {
    const QPointF travers(-sens.y(), sens.x());
    const QPointF base = pointe - sens * taille;
    return QPolygonF({pointe, base + travers * (0.45 * taille), base - travers * (0.45 * taille)});
}

/// A ball's disc at record i: opaque at the start, see-through with a dashed outline at the end.
void DessineBille(QPainter& p, const TBillardAlveran& moteur, const TRepere& r, int n, int i,
                  const QColor& couleur, bool depart) {
    const double rayon = moteur.Fisik.RayonBilles() * r.PixParCm;
    QColor fond = couleur;
    if (!depart) fond.setAlphaF(0.45f);
    QPen contour(Qt::black, 1.0);
    if (!depart) contour.setStyle(Qt::DashLine);
    p.setPen(contour);
    p.setBrush(fond);
    p.drawEllipse(Pixel(moteur, r, n, i), rayon, rayon);
}

} // namespace

QSizeF TableCm(const TBillardAlveran& moteur) {
    const double j = moteur.Fisik.largeurJeu();
    const double cadre = 2 * (LargeurBois + LargeurBandes);
    return {2 * j + cadre, j + cadre};
}
void DessineTable(QPainter& p, const TBillardAlveran& moteur, const TRepere& r) {
    const double j = moteur.Fisik.largeurJeu();
    const auto rectangle = [&](double demiLargeur, double demiLongueur) {
        return QRectF(r.VersPixels(-demiLargeur, -demiLongueur),
                      r.VersPixels(demiLargeur, demiLongueur));
    };
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(CouleurBois);
    p.drawRect(rectangle(j / 2 + LargeurBois + LargeurBandes, j + LargeurBois + LargeurBandes));
    p.setBrush(CouleurBandes);
    p.drawRect(rectangle(j / 2 + LargeurBandes, j + LargeurBandes));
    p.setPen(QPen(CouleurRectJeu, 1.0));
    p.setBrush(CouleurJeu);
    p.drawRect(rectangle(j / 2, j));

    // The diamonds on the middle of the wood, every eighth of the length; the grid between
    // opposite ones and the five spots on the cloth.
    const double diamant = j / 4;
    const double milieuBois = LargeurBandes + LargeurBois / 2;
    const double rayon = std::max(1.5, LargeurBandes * r.PixParCm / 5);
    p.setPen(QPen(CouleurMouches, 1.0));
    for (int k = -3; k <= 3; ++k)
        p.drawLine(r.VersPixels(-j / 2, k * diamant), r.VersPixels(j / 2, k * diamant));
    for (int k = -1; k <= 1; ++k)
        p.drawLine(r.VersPixels(k * diamant, -j), r.VersPixels(k * diamant, j));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int k = -4; k <= 4; ++k) {
        p.drawEllipse(r.VersPixels(-j / 2 - milieuBois, k * diamant), rayon, rayon);
        p.drawEllipse(r.VersPixels(j / 2 + milieuBois, k * diamant), rayon, rayon);
    }
    for (int k = -1; k <= 1; ++k) {
        p.drawEllipse(r.VersPixels(k * diamant, -j - milieuBois), rayon, rayon);
        p.drawEllipse(r.VersPixels(k * diamant, j + milieuBois), rayon, rayon);
    }
    p.setBrush(CouleurMouches);
    for (const auto& [x, y] :
         {std::pair{0.0, 0.0}, {0.0, 2.0}, {0.0, -2.0}, {-0.514, -2.0}, {0.514, -2.0}})
        p.drawEllipse(r.VersPixels(x * diamant, y * diamant), rayon, rayon);
}

// ---------------------------------------------------------------------------------------------
// The pieces shared with the table

std::vector<int> ContactsBandes(const TBillardAlveran& moteur) {
    std::vector<int> contacts;
    const int nbEnr = NbEnrValide(moteur);
    for (int i = 1; i <= nbEnr; ++i)
        if (moteur.TypesChoc[i] == cBilleBande && moteur.Contres[i] != 0) contacts.push_back(i);
    return contacts;
}

void DessineEcartsBandes(QPainter& p, const TComparaisonTentative& comparaison, const TRepere& r,
                         double taille, const QLocale& locale) {
    const QColor rouge(0xd0, 0x10, 0x10);
    QFont police(QStringLiteral("Liberation Sans"));
    police.setPixelSize(std::max(6, static_cast<int>(std::lround(taille))));
    police.setBold(true);
    p.setFont(police);
    const QFontMetricsF mesure(police);
    const double rayon = 0.45 * taille;
    for (const TEcartBande& e : comparaison.Ecarts) {
        const QPointF ideal = r.VersPixels(e.Ideal.Centre.x, e.Ideal.Centre.y);
        const QPointF tentative = r.VersPixels(e.Tentative.Centre.x, e.Tentative.Centre.y);
        p.setPen(QPen(rouge, std::max(1.0, taille / 8)));
        p.setBrush(Qt::NoBrush);
        p.drawLine(ideal, tentative);
        p.drawEllipse(ideal, rayon, rayon);
        p.setBrush(rouge);
        p.drawEllipse(tentative, rayon * 0.8, rayon * 0.8);
        // The figure on the cloth side of the attempt's contact, clear of the cushion.
        const QString texte = locale.toString(e.Distance, 'f', 1) + QStringLiteral(" cm");
        const QSizeF taillTexte = mesure.size(0, texte);
        const double decalage = 2.2 * taille;
        QPointF centre = tentative;
        if (e.Tentative.Longue)
            centre.ry() -= std::copysign(decalage, e.Tentative.Centre.x);
        else
            centre.rx() -= std::copysign(decalage + taillTexte.width() / 2, e.Tentative.Centre.y);
        const QRectF cadre(centre.x() - taillTexte.width() / 2 - 2,
                           centre.y() - taillTexte.height() / 2, taillTexte.width() + 4,
                           taillTexte.height());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawRect(cadre);
        p.setPen(rouge);
        p.drawText(cadre, Qt::AlignCenter, texte);
    }
}

bool BilleBouge(const TBillardAlveran& moteur, int n) {
    const TVecteur& depart = moteur.Trajets[n][0].Position;
    const int nbEnr = NbEnrValide(moteur);
    for (int i = 1; i <= nbEnr; ++i) {
        const TVecteur& pos = moteur.Trajets[n][i].Position;
        if (pos.x != depart.x || pos.y != depart.y) return true;
    }
    return false;
}

void DessineTrajet(QPainter& p, const TBillardAlveran& moteur, const TRepere& r, int n,
                   const QColor& couleur, double largeur) {
    if (n < 1 || n > 3) return;
    QPainterPath chemin(Pixel(moteur, r, n, 0));
    const int nbEnr = NbEnrValide(moteur);
    for (int i = 1; i <= nbEnr; ++i) chemin.lineTo(Pixel(moteur, r, n, i));
    QPen plume(couleur, largeur);
    plume.setJoinStyle(Qt::RoundJoin);
    plume.setCapStyle(Qt::RoundCap);
    p.setPen(plume);
    p.setBrush(Qt::NoBrush);
    p.drawPath(chemin);
}

void DessineFlechesSens(QPainter& p, const TBillardAlveran& moteur, const TRepere& r, int n,
                        const QColor& couleur, double espacement, double taille) {
    if (n < 1 || n > 3 || espacement <= 0.0) return;
    p.setPen(QPen(couleur.darker(170), 0.8));
    p.setBrush(couleur);
    // The first arrow half a spacing from the start, then one every spacing along the path.
    double prochaine = espacement / 2;
    double parcouru = 0.0;
    const int nbEnr = NbEnrValide(moteur);
    QPointF a = Pixel(moteur, r, n, 0);
    for (int i = 1; i <= nbEnr; ++i) {
        const QPointF b = Pixel(moteur, r, n, i);
        const QPointF d = b - a;
        const double longueur = std::hypot(d.x(), d.y());
        while (longueur > 0.0 && parcouru + longueur >= prochaine) {
            const double t = (prochaine - parcouru) / longueur;
            p.drawPolygon(Fleche(a + d * t + d / longueur * (taille / 2), d / longueur, taille));
            prochaine += espacement;
        }
        parcouru += longueur;
        a = b;
    }
}

void DessineNumerosBandes(QPainter& p, const TBillardAlveran& moteur, const TRepere& r,
                          double taille) {
    const double demiLargeur = moteur.Fisik.largeurJeu() / 2;
    const double longueur = moteur.Fisik.largeurJeu();
    const double ecart = 2.6 * moteur.Fisik.RayonBilles();
    QFont police(QStringLiteral("Liberation Sans"));
    police.setPixelSize(std::max(6, static_cast<int>(std::lround(taille))));
    police.setBold(true);
    p.setFont(police);
    const double rayon = 0.8 * taille;
    int numero = 0;
    for (const int i : ContactsBandes(moteur)) {
        ++numero;
        const TVecteur& pos = moteur.Trajets[1][i].Position;
        // Beside the contact on the cloth side: away from the nearer cushion.
        double x = pos.x, y = pos.y;
        if (std::abs(pos.x) / demiLargeur > std::abs(pos.y) / longueur)
            x -= std::copysign(ecart, pos.x);
        else
            y -= std::copysign(ecart, pos.y);
        const QPointF centre = r.VersPixels(x, y);
        const bool apresPoint = moteur.PointReussi && i > moteur.IndicePoint;
        p.setPen(QPen(apresPoint ? Qt::gray : Qt::black, 1.0));
        p.setBrush(Qt::white);
        p.drawEllipse(centre, rayon, rayon);
        p.drawText(QRectF(centre.x() - rayon, centre.y() - rayon, 2 * rayon, 2 * rayon),
                   Qt::AlignCenter, QString::number(numero));
    }
}

void DessineDiamantsBandes(QPainter& p, const TBillardAlveran& moteur, const TRepere& r,
                           double taille, const QLocale& locale) {
    const double L = moteur.Fisik.largeurJeu();
    // Further in than the contact's order number, so that both can be shown.
    const double ecart = 5.2 * moteur.Fisik.RayonBilles();
    QFont police(QStringLiteral("Liberation Sans"));
    police.setPixelSize(std::max(6, static_cast<int>(std::lround(taille))));
    p.setFont(police);
    const QFontMetricsF mesure(police);
    for (const int i : ContactsBandes(moteur)) {
        const TVecteur& pos = moteur.Trajets[1][i].Position;
        const int numero = moteur.Contres[i];
        double x = pos.x, y = pos.y;
        if (numero == 1 || numero == 3)
            x -= std::copysign(ecart, pos.x);
        else
            y -= std::copysign(ecart, pos.y);
        const QString texte = locale.toString(NumeroDiamant(numero, pos, L), 'f', 1);
        const QPointF centre = r.VersPixels(x, y);
        const QSizeF boite(mesure.horizontalAdvance(texte) + 4, mesure.height());
        const QRectF rect(centre - QPointF(boite.width() / 2, boite.height() / 2), boite);
        const bool apresPoint = moteur.PointReussi && i > moteur.IndicePoint;
        p.setPen(QPen(apresPoint ? Qt::gray : QColor(40, 70, 200), 1.0));
        p.setBrush(Qt::white);
        p.drawRect(rect);
        p.drawText(rect, Qt::AlignCenter, texte);
    }
}

// ---------------------------------------------------------------------------------------------
// The diagram

QStringList LegendeCoup(const TBillardAlveran& moteur, const QString& texteResultat,
                        const QLocale& locale) {
    static const char* const modes[] = {"libre", "1 bande", "3 bandes"};
    const int mode = std::clamp(static_cast<int>(moteur.ModeDeJeu), 0, 2);
    QStringList lignes;
    lignes << TexteQueue(moteur, locale) + QStringLiteral("   Mode ") +
                  QString::fromUtf8(modes[mode]);
    // The result text's facts, two lines: the outcome, then the characteristics.
    QStringList faits = texteResultat.split(QLatin1Char('\r'), Qt::SkipEmptyParts);
    for (QString& f : faits)
        if (f.startsWith(QStringLiteral("- "))) f.remove(0, 2);
    if (!faits.isEmpty()) lignes << faits.mid(0, 2).join(QStringLiteral(" — "));
    if (faits.size() > 2) lignes << faits.mid(2).join(QStringLiteral("   "));
    // The cue ball's route up to the point, letters and numbers spelled out for the reader.
    if (const std::string route = SequencePoint(moteur); !route.empty())
        lignes << QStringLiteral("Route %1 : %2")
                      .arg(QString::fromStdString(route),
                           QString::fromStdString(RouteEnMots(route, moteur.BilleJoueur)));
    return lignes;
}

TRepere RepereSchema(const TSchemaCoup& schema) {
    const QSizeF table = TableCm(*schema.Moteur);
    TRepere r;
    r.PixParCm = (LargeurSchema - 2 * Marge) / table.width();
    r.Centre = QPointF(LargeurSchema / 2, Marge + table.height() * r.PixParCm / 2);
    return r;
}

QSizeF TailleSchema(const TSchemaCoup& schema) {
    const TRepere r = RepereSchema(schema);
    const double table = TableCm(*schema.Moteur).height() * r.PixParCm;
    return {LargeurSchema,
            std::ceil(Marge + table + Marge / 2 +
                      HauteurLigneLegende * static_cast<double>(schema.Legende.size()) + Marge)};
}

void DessineSchema(QPainter& p, const TSchemaCoup& schema) {
    const TBillardAlveran& moteur = *schema.Moteur;
    const TRepere r = RepereSchema(schema);
    const QSizeF taille = TailleSchema(schema);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRectF(QPointF(0, 0), taille), Qt::white);
    DessineTable(p, moteur, r);

    // Paths first, the balls on top: a ball's start is never hidden by a line.
    for (int n = 1; n <= 3; ++n)
        if (BilleBouge(moteur, n))
            DessineTrajet(p, moteur, r, n, schema.Couleurs[static_cast<size_t>(n - 1)], 2.5);
    for (int n = 1; n <= 3; ++n)
        if (BilleBouge(moteur, n))
            DessineFlechesSens(p, moteur, r, n, schema.Couleurs[static_cast<size_t>(n - 1)],
                               60 * r.PixParCm, 11.0);
    const int fin = NbEnrValide(moteur);
    for (int n = 1; n <= 3; ++n)
        if (BilleBouge(moteur, n))
            DessineBille(p, moteur, r, n, fin, schema.Couleurs[static_cast<size_t>(n - 1)], false);
    for (int n = 1; n <= 3; ++n)
        DessineBille(p, moteur, r, n, 0, schema.Couleurs[static_cast<size_t>(n - 1)], true);
    DessineNumerosBandes(p, moteur, r, 13.0);
    if (schema.NumerosDiamants) DessineDiamantsBandes(p, moteur, r, 12.0, QLocale());

    QFont police(QStringLiteral("Liberation Sans"));
    police.setPixelSize(static_cast<int>(TaillePoliceLegende));
    p.setFont(police);
    p.setPen(Qt::black);
    double y = Marge + TableCm(moteur).height() * r.PixParCm + Marge / 2;
    for (const QString& ligne : schema.Legende) {
        p.drawText(QRectF(Marge, y, taille.width() - 2 * Marge, HauteurLigneLegende),
                   Qt::AlignLeft | Qt::AlignVCenter, ligne);
        y += HauteurLigneLegende;
    }
    p.restore();
}

QByteArray OctetsSchema(const TSchemaCoup& schema, bool svg) {
    const QSizeF taille = TailleSchema(schema);
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generateur;
        generateur.setOutputDevice(&tampon);
        generateur.setSize(taille.toSize());
        generateur.setViewBox(QRectF(QPointF(0, 0), taille));
        generateur.setTitle(QStringLiteral("Schéma du coup"));
        generateur.setDescription(schema.Legende.join(QLatin1Char('\n')));
        QPainter p;
        if (!p.begin(&generateur)) return {};
        DessineSchema(p, schema);
        if (!p.end()) return {};
    } else {
        QImage image(taille.toSize(), QImage::Format_RGB32);
        QPainter p(&image);
        DessineSchema(p, schema);
        p.end();
        if (!image.save(&tampon, "PNG")) return {};
    }
    return octets;
}

bool EcritSchema(const TSchemaCoup& schema, const QString& nom, QString& erreur) {
    const QString extension = QFileInfo(nom).suffix().toLower();
    const bool svg = extension == QStringLiteral("svg");
    if (!svg && extension != QStringLiteral("png")) {
        erreur = QStringLiteral("extension inconnue (.svg ou .png attendu) : %1").arg(nom);
        return false;
    }
    // Painted in memory, then written whole or not at all: a failed write leaves any file that
    // was there as it was.
    const QByteArray octets = OctetsSchema(schema, svg);
    const std::string raison =
        octets.isEmpty()
            ? std::string("dessin impossible")
            : EcritFichierEntier(
                  QFile::encodeName(nom).toStdString(),
                  std::string_view(octets.constData(), static_cast<std::size_t>(octets.size())));
    if (!raison.empty()) {
        erreur = QStringLiteral("impossible d'écrire dans %1 : %2")
                     .arg(nom, QString::fromStdString(raison));
        return false;
    }
    return true;
}
