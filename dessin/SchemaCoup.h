#pragma once
// The diagram of a shot, to share or print: the table with its diamonds, each ball's path in
// its colour with small arrows for the direction, the cue ball's cushion contacts numbered in
// order, where the balls started and stopped, and a caption with the stroke and the result.
// The same pieces (paths, arrows, numbers) are drawn on the main window's table, so the table
// and the diagram never disagree.

#include "analysis/EcartTentative.h"
#include "engine/C8_BillardAlveran.h"

#include <QByteArray>
#include <QColor>
#include <QLocale>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class QPainter;

/// From the table frame (cm, origin at the cloth's centre, x across and down the screen, y
/// along and to the right) to a picture's pixels.
struct TRepere {
    QPointF Centre;        ///< pixel of the cloth's centre
    double PixParCm = 1.0; ///< pixels per centimetre
    QPointF VersPixels(double x, double y) const {
        return {Centre.x() + y * PixParCm, Centre.y() + x * PixParCm};
    }
};

/// The table's outer size in cm, wood included: length (across the screen) and width (down).
QSizeF TableCm(const TBillardAlveran& moteur);
/// The wood, cushions, cloth, diamonds, grid and spots of `moteur`'s table.
void DessineTable(QPainter& p, const TBillardAlveran& moteur, const TRepere& r);

/// Records at which the cue ball (engine ball 1) met a cushion, in order. The same rule as the
/// cushion count of the characteristics: a cushion impact that set ball 1's contact.
std::vector<int> ContactsBandes(const TBillardAlveran& moteur);

/// An attempt against the stroke meant: at each cushion both reached, a red line from the
/// stroke meant's contact (hollow ring) to the attempt's (red disc) and the distance in cm
/// beside it, on the cloth side, in the user's number format.
void DessineEcartsBandes(QPainter& p, const TComparaisonTentative& comparaison, const TRepere& r,
                         double taille, const QLocale& locale);
/// Whether engine ball n (1 to 3) moved in the recording.
bool BilleBouge(const TBillardAlveran& moteur, int n);

/// Engine ball n's recorded path, one line through every record (heights ignored).
void DessineTrajet(QPainter& p, const TBillardAlveran& moteur, const TRepere& r, int n,
                   const QColor& couleur, double largeur);

/// Small arrowheads along engine ball n's path, one every `espacement` pixels of path, pointing
/// the way the ball went.
void DessineFlechesSens(QPainter& p, const TBillardAlveran& moteur, const TRepere& r, int n,
                        const QColor& couleur, double espacement, double taille);

/// The numbers 1, 2, 3 … of the cue ball's cushion contacts, each in a small disc beside the
/// contact, on the cloth side. Contacts after the point are drawn in grey.
void DessineNumerosBandes(QPainter& p, const TBillardAlveran& moteur, const TRepere& r,
                          double taille);

/// Beside each cushion contact of the cue ball, its diamond number on that rail with one
/// decimal, as NumeroDiamant counts: long rails from the short rail at +y, short rails from
/// the long rail at +x. Contacts after the point are drawn in grey.
void DessineDiamantsBandes(QPainter& p, const TBillardAlveran& moteur, const TRepere& r,
                           double taille, const QLocale& locale);

/// Everything the diagram shows.
struct TSchemaCoup {
    /// The fired shot: records, table dimensions, stroke; at least as long-lived as the schema.
    const TBillardAlveran* Moteur = nullptr;
    /// Colours of engine balls 1, 2, 3 (the cue ball first).
    std::array<QColor, 3> Couleurs = {QColor(Qt::white), QColor(Qt::red), QColor(Qt::yellow)};
    /// Caption lines under the table (the stroke, the result).
    QStringList Legende;
    /// Each cushion contact of the cue ball with its diamond number.
    bool NumerosDiamants = false;
};

/// The caption of a shot: the stroke, the game mode, then the result text's facts.
QStringList LegendeCoup(const TBillardAlveran& moteur, const QString& texteResultat,
                        const QLocale& locale);

/// The diagram's size in pixels (PNG) or user units (SVG).
QSizeF TailleSchema(const TSchemaCoup& schema);
/// Where the table frame lands on the diagram.
TRepere RepereSchema(const TSchemaCoup& schema);
/// Paints the whole diagram with its top-left corner at (0, 0).
void DessineSchema(QPainter& p, const TSchemaCoup& schema);

/// The diagram as the bytes of an SVG or PNG file; empty when it could not be painted.
QByteArray OctetsSchema(const TSchemaCoup& schema, bool svg);

/// Writes the diagram as ".svg" or ".png" (by the name's extension, any letter case). False
/// with `erreur` set when the extension is neither or the file cannot be written.
bool EcritSchema(const TSchemaCoup& schema, const QString& nom, QString& erreur);
