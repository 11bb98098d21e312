#pragma once
// The map of a solution search: aim along x, side effect along y (the largest effect on top).
// For one speed and height, each cell takes the colour of the family of the stroke that scores
// there; for all speeds and heights at once ("toutes"), a cell is shaded by how many of them
// score. The legend names the families shown, in rank order.

#include "dessin/EcritCarte.h"
#include "engine/C8_BillardAlveran.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <vector>

/// Where the cells lie on the picture.
struct TGeometrieCarte {
    QRect Zone; ///< the area of all cells
    int NbAngles = 0;
    int NbEffets = 0;
    int LargeurCellule = 1; ///< px
    int HauteurCellule = 1; ///< px

    /// The cell of aim index `angle` and effect index `effet`.
    QRect Cellule(int angle, int effet) const;
    /// The cell under a point of the picture; false outside the cells.
    bool CelluleEn(QPoint p, int& angle, int& effet) const;
};

TGeometrieCarte GeometrieCarte(const TDimensionsRecherche& dimensions);

/// What each cell of a map holds, aim fastest: for one speed and height the family number of
/// the scoring stroke (0: none); for "toutes" the number of speeds and heights that score.
std::vector<int32_t> ContenuCarte(const TDimensionsRecherche& dimensions,
                                  const TSolutions& solutions, const TCoupeCarte& coupe);

/// Colour of a listed family by its rank among the listed families of the search (0 first);
/// the families not listed (below the minimum size) share one grey, CouleurIsoles.
QColor CouleurFamille(int rang);
inline const QColor CouleurIsoles{140, 140, 140};
/// Cells where nothing scores.
inline const QColor CouleurVide{244, 244, 244};
/// Shade of a "toutes" cell where `n` of at most `max` speeds and heights score (n ≥ 1).
QColor CouleurCompte(int32_t n, int32_t max);

/// The map of one cut. Its legend of families ends with what the route letters stand for,
/// balls named by colour for this cue ball.
QImage DessineCarte(const TGrilleRecherche& grille, const TSolutions& solutions,
                    const TCoupeCarte& coupe, TBilleJoueur joueur = bjInconnue);

/// Shade of a cell where the stroke's chance is `p` (0 to 1): from a pale yellow to a dark
/// green.
QColor CouleurChance(double p);
/// The map of one speed and height coloured by the chance of each scoring stroke:
/// `chances` holds one value per cell, aim fastest, −1 where nothing scores.
QImage DessineCarteChances(const TGrilleRecherche& grille, const TCoupeCarte& coupe,
                           const std::vector<double>& chances, const QString& joueur);
