#pragma once
// The picture of a table's diamond-system chart: the table with the system's numbers written
// as players write them, and for every shot the line from its origin through its first-rail
// diamond and on to where the engine's cue ball really met the second and third rails.
// Shots that come off the system by more than a quarter of a diamond are drawn in red, with a
// ring at their arrival and a tick where the system expected them.

#include "analysis/SystemeDiamants.h"

#include <QLocale>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPainter;

/// Everything the picture shows.
struct TCarteSysteme {
    const TBillardAlveran* Moteur = nullptr; ///< the table's dimensions
    const TResultatSysteme* Resultat = nullptr;
    QStringList Legende; ///< caption lines under the table
};

/// The caption: the stroke, the deviations, the best running side (NaN side: not searched).
QStringList LegendeSysteme(const TResultatSysteme& resultat, const TEffetSysteme& meilleur,
                           const QLocale& locale);

/// The picture's size in pixels (PNG) or user units (SVG).
QSizeF TailleCarteSysteme(const TCarteSysteme& carte);
/// Paints the picture with its top-left corner at (0, 0).
void DessineCarteSysteme(QPainter& p, const TCarteSysteme& carte);
/// Writes the picture as ".svg" or ".png" (by the name's extension, any letter case), beside
/// the target and renamed at the end. False with `erreur` set when it could not.
bool EcritCarteSysteme(const TCarteSysteme& carte, const QString& nom, QString& erreur);
