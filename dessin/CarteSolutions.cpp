#include "dessin/CarteSolutions.h"

#include "analysis/RouteEnMots.h"

#include <QFont>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

namespace {

constexpr int MargeGauche = 70;
constexpr int MargeHaut = 36;
constexpr int MargeBas = 46;
constexpr int LargeurLegende = 250;
constexpr int LigneLegende = 18;
constexpr int NbLegendeMax = 16; ///< families named in the legend

/// Distinct hues that stay apart on a light background; later ranks go round the hue circle.
constexpr std::array<QRgb, 12> Palette = {0xd62728, 0x1f77b4, 0x2ca02c, 0xff7f0e,
                                          0x9467bd, 0x17becf, 0xe377c2, 0x8c564b,
                                          0xbcbd22, 0x393b79, 0x637939, 0xad494a};

/// Rank of each listed family among the listed families, by family number.
std::map<int32_t, int> RangsListes(const TSolutions& solutions) {
    std::map<int32_t, int> rangs;
    int rang = 0;
    for (const TRoute& route : solutions.Routes)
        for (const TFamille& f : route.Familles) rangs[f.Numero] = rang++;
    return rangs;
}

struct TLegende {
    QColor Couleur;
    QString Texte;
};

QFont Police(int pixels, bool gras = false) {
    QFont police(QStringLiteral("Arial"));
    police.setPixelSize(pixels);
    police.setBold(gras);
    return police;
}

void DessineAxes(QPainter& p, const TGeometrieCarte& g, const TValeursRecherche& v,
                 const TGrilleRecherche& grille) {
    const QLocale locale;
    p.setPen(Qt::black);
    p.setFont(Police(11));
    p.drawRect(g.Zone.adjusted(-1, -1, 0, 0));
    // Aim ticks at round values, at least 60 px apart.
    const double pas = grille.AngleOx.Pas;
    double ecart = 1;
    for (double e : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 45.0, 90.0, 180.0}) {
        ecart = e;
        if (e / pas * g.LargeurCellule >= 60) break;
    }
    for (size_t k = 0; k < v.AnglesDegres.size(); ++k) {
        const double a = v.AnglesDegres[k];
        const double reste = std::remainder(a, ecart);
        if (std::fabs(reste) > pas * 1e-6) continue;
        const int x = g.Cellule(static_cast<int>(k), 0).center().x();
        p.drawLine(x, g.Zone.bottom() + 1, x, g.Zone.bottom() + 5);
        p.drawText(QRect(x - 30, g.Zone.bottom() + 6, 60, 16), Qt::AlignCenter,
                   locale.toString(a, 'g', 6));
    }
    p.drawText(QRect(g.Zone.left(), g.Zone.bottom() + 24, g.Zone.width(), 18), Qt::AlignCenter,
               QStringLiteral("Visée (°)"));
    // Effect labels on every row that has room for one.
    const int tous = std::max(1, 16 / std::max(g.HauteurCellule, 1));
    for (size_t k = 0; k < v.Effets.size(); k += static_cast<size_t>(tous)) {
        const int y = g.Cellule(0, static_cast<int>(k)).center().y();
        p.drawLine(g.Zone.left() - 5, y, g.Zone.left() - 1, y);
        p.drawText(QRect(0, y - 8, g.Zone.left() - 8, 16), Qt::AlignRight | Qt::AlignVCenter,
                   locale.toString(v.Effets[k], 'f', 2));
    }
    p.drawText(QRect(0, g.Zone.top() - 20, g.Zone.left() + 40, 16), Qt::AlignLeft,
               QStringLiteral("Effet (cm)"));
}

QString Titre(const TValeursRecherche& v, const TCoupeCarte& coupe) {
    if (coupe.Toutes)
        return QStringLiteral("Toutes vitesses et hauteurs : coups réussis par cellule");
    const QLocale locale;
    return QStringLiteral("Vq = %1 cm/s, hauteur = %2 cm : coups réussis par famille")
        .arg(locale.toString(v.Vitesses[static_cast<size_t>(coupe.Vitesse)], 'g', 6),
             locale.toString(v.Hauteurs[static_cast<size_t>(coupe.Hauteur)], 'f', 2));
}

/// The legend of a slice: the listed families present, in rank order, then the others.
std::vector<TLegende> LegendeFamilles(const TSolutions& solutions,
                                      const std::vector<int32_t>& contenu, TBilleJoueur joueur) {
    std::vector<bool> present(static_cast<size_t>(solutions.NbFamilles) + 1, false);
    for (int32_t f : contenu)
        if (f > 0) present[static_cast<size_t>(f)] = true;
    std::vector<TLegende> legende;
    const QLocale locale;
    int rang = 0;
    int autres = 0;
    for (const TRoute& route : solutions.Routes)
        for (const TFamille& f : route.Familles) {
            const int r = rang++;
            if (!present[static_cast<size_t>(f.Numero)]) continue;
            if (static_cast<int>(legende.size()) >= NbLegendeMax) {
                ++autres;
                continue;
            }
            legende.push_back({CouleurFamille(r), QStringLiteral("%1 (%2 coups)")
                                                      .arg(QString::fromStdString(route.Sequence),
                                                           locale.toString(f.Taille))});
        }
    if (autres > 0)
        legende.push_back(
            {QColor(), QStringLiteral("… et %1 autres familles").arg(locale.toString(autres))});
    legende.push_back({CouleurIsoles, QStringLiteral("petites familles, coups isolés")});
    // What the routes' letters say, one short line each so that none is cut.
    legende.push_back({QColor(), QString()});
    legende.push_back({QColor(), QStringLiteral("S, N : grandes bandes")});
    legende.push_back({QColor(), QStringLiteral("E, O : petites bandes")});
    legende.push_back({QColor(), QStringLiteral("2 : %1, 3 : %2 (joueur : %3)")
                                     .arg(QString::fromStdString(CouleurBilleMoteur(2, joueur)),
                                          QString::fromStdString(CouleurBilleMoteur(3, joueur)),
                                          QString::fromStdString(CouleurBilleMoteur(1, joueur)))});
    return legende;
}

std::vector<TLegende> LegendeComptes(int32_t max) {
    const QLocale locale;
    std::vector<TLegende> legende;
    if (max == 0) return {{CouleurVide, QStringLiteral("aucun coup réussi")}};
    for (int32_t n : {int32_t{1}, (max + 1) / 2, max}) {
        if (!legende.empty() && legende.back().Texte.startsWith(locale.toString(n) + ' ')) continue;
        legende.push_back({CouleurCompte(n, max),
                           QStringLiteral("%1 %2").arg(locale.toString(n),
                                                       n > 1 ? QStringLiteral("coups réussis")
                                                             : QStringLiteral("coup réussi"))});
    }
    return legende;
}

void DessineLegende(QPainter& p, QPoint origine, const std::vector<TLegende>& legende) {
    p.setFont(Police(11));
    int y = origine.y();
    for (const TLegende& l : legende) {
        if (l.Couleur.isValid()) p.fillRect(QRect(origine.x(), y + 3, 12, 12), l.Couleur);
        p.setPen(Qt::black);
        p.drawText(QRect(origine.x() + 18, y, LargeurLegende - 24, LigneLegende),
                   Qt::AlignLeft | Qt::AlignVCenter, l.Texte);
        y += LigneLegende;
    }
}

} // namespace

QRect TGeometrieCarte::Cellule(int angle, int effet) const {
    return {Zone.left() + angle * LargeurCellule,
            Zone.top() + (NbEffets - 1 - effet) * HauteurCellule, LargeurCellule, HauteurCellule};
}

bool TGeometrieCarte::CelluleEn(QPoint p, int& angle, int& effet) const {
    if (!Zone.contains(p)) return false;
    angle = (p.x() - Zone.left()) / LargeurCellule;
    effet = NbEffets - 1 - (p.y() - Zone.top()) / HauteurCellule;
    return angle >= 0 && angle < NbAngles && effet >= 0 && effet < NbEffets;
}

TGeometrieCarte GeometrieCarte(const TDimensionsRecherche& d) {
    TGeometrieCarte g;
    g.NbAngles = d.NbAngles;
    g.NbEffets = d.NbEffets;
    g.LargeurCellule = std::clamp(1440 / std::max(d.NbAngles, 1), 1, 24);
    g.HauteurCellule = std::clamp(360 / std::max(d.NbEffets, 1), 2, 48);
    g.Zone =
        QRect(MargeGauche, MargeHaut, d.NbAngles * g.LargeurCellule, d.NbEffets * g.HauteurCellule);
    return g;
}

std::vector<int32_t> ContenuCarte(const TDimensionsRecherche& d, const TSolutions& solutions,
                                  const TCoupeCarte& coupe) {
    std::vector<int32_t> contenu(static_cast<size_t>(d.NbAngles) * static_cast<size_t>(d.NbEffets),
                                 0);
    for (const TCoupReussi& c : solutions.Coups) {
        const auto i = d.Indices(c.Indice);
        const size_t cellule =
            static_cast<size_t>(i[1]) * static_cast<size_t>(d.NbAngles) + static_cast<size_t>(i[0]);
        if (coupe.Toutes)
            ++contenu[cellule];
        else if (i[3] == coupe.Vitesse && i[2] == coupe.Hauteur)
            contenu[cellule] = c.Famille;
    }
    return contenu;
}

QColor CouleurFamille(int rang) {
    if (rang < 0) return CouleurIsoles;
    if (rang < static_cast<int>(Palette.size())) return QColor(Palette[static_cast<size_t>(rang)]);
    // Round the hue circle by the golden angle: successive ranks stay far apart.
    const double teinte = std::fmod(0.11 + 0.618033988749895 * rang, 1.0);
    return QColor::fromHsvF(static_cast<float>(teinte), 0.75f, 0.8f);
}

QColor CouleurCompte(int32_t n, int32_t max) {
    // From a light blue (one speed and height) to a dark blue (all of them).
    const double t = max > 1 ? static_cast<double>(n - 1) / (max - 1) : 1.0;
    const auto m = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return QColor(m(158, 8), m(202, 48), m(225, 107));
}

namespace {

/// The map picture: the cells that `couleur(k)` colours (k = effect × angles + angle; no
/// colour, an empty cell), the axes, the title and the legend beside the map.
template <class FCouleur>
QImage CarteColoree(const TGrilleRecherche& grille, const std::vector<TLegende>& legende,
                    const QString& titre, FCouleur couleur) {
    const TDimensionsRecherche d = DimensionsRecherche(grille);
    const TGeometrieCarte g = GeometrieCarte(d);
    const int largeur = g.Zone.right() + 1 + 20 + LargeurLegende;
    const int hauteur = std::max(g.Zone.bottom() + 1 + MargeBas,
                                 MargeHaut + static_cast<int>(legende.size()) * LigneLegende + 10);
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(g.Zone, CouleurVide);
    for (int e = 0; e < d.NbEffets; ++e)
        for (int a = 0; a < d.NbAngles; ++a) {
            const std::optional<QColor> c = couleur(
                static_cast<size_t>(e) * static_cast<size_t>(d.NbAngles) + static_cast<size_t>(a));
            if (c) p.fillRect(g.Cellule(a, e), *c);
        }
    DessineAxes(p, g, ValeursRecherche(grille), grille);
    p.setFont(Police(13, true));
    p.drawText(QRect(g.Zone.left(), 4, largeur - g.Zone.left(), 20), Qt::AlignLeft, titre);
    DessineLegende(p, QPoint(g.Zone.right() + 21, MargeHaut), legende);
    return image;
}

} // namespace

QImage DessineCarte(const TGrilleRecherche& grille, const TSolutions& solutions,
                    const TCoupeCarte& coupe, TBilleJoueur joueur) {
    const std::vector<int32_t> contenu =
        ContenuCarte(DimensionsRecherche(grille), solutions, coupe);
    const int32_t max = contenu.empty() ? 0 : *std::max_element(contenu.begin(), contenu.end());
    const std::map<int32_t, int> rangs = RangsListes(solutions);
    return CarteColoree(
        grille, coupe.Toutes ? LegendeComptes(max) : LegendeFamilles(solutions, contenu, joueur),
        Titre(ValeursRecherche(grille), coupe), [&](size_t k) -> std::optional<QColor> {
            const int32_t c = contenu[k];
            if (c == 0) return std::nullopt;
            if (coupe.Toutes) return CouleurCompte(c, max);
            const auto r = rangs.find(c);
            return r == rangs.end() ? CouleurIsoles : CouleurFamille(r->second);
        });
}

QColor CouleurChance(double p) {
    const double t = std::clamp(p, 0.0, 1.0);
    const auto m = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return QColor(m(255, 0), m(240, 104), m(160, 55));
}

QImage DessineCarteChances(const TGrilleRecherche& grille, const TCoupeCarte& coupe,
                           const std::vector<double>& chances, const QString& joueur) {
    const QLocale locale;
    std::vector<TLegende> legende;
    for (int pourcent : {0, 25, 50, 75, 100})
        legende.push_back({CouleurChance(pourcent / 100.0),
                           QStringLiteral("réussite %1 %").arg(locale.toString(pourcent))});
    legende.push_back({CouleurVide, QStringLiteral("aucun coup réussi")});
    const QString titre =
        Titre(ValeursRecherche(grille), coupe).section(QStringLiteral(" : "), 0, 0) +
        QStringLiteral(" : réussite (%1)").arg(joueur);
    return CarteColoree(grille, legende, titre, [&](size_t k) -> std::optional<QColor> {
        if (k < chances.size() && chances[k] >= 0) return CouleurChance(chances[k]);
        return std::nullopt;
    });
}
