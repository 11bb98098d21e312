#pragma once
// The words of a shot, as the main window writes them beside the table and the diagram in its
// caption: the result (point, duration, characteristics) and the stroke.

#include "engine/C8_BillardAlveran.h"

#include <QLocale>
#include <QString>
#include <QStringList>

/// What the result text says about one shot.
struct TResultatCoup {
    bool PointReussi = false;
    int IndicePoint = 0;
    double Duree = 0.0; ///< time of the last record (s)
    bool Significatif = false;
    bool Contre = false;
    int Bandes = 0;
    double D13 = 0.0, P13 = 0.0, d = 0.0; ///< cm
    /// Colours of the object balls already moving when the cue struck ("rouge", …).
    QStringList BillesEnMouvement;
};

/// "05 sec 120 ms": a duration rounded to the millisecond, seconds on two digits at least.
QString TexteDuree(double secondes);
/// A distance with three decimals, grouped thousands and at most 15 significant digits.
QString TexteDistance(double valeur, const QLocale& locale);
/// A characteristic's distance, or "—" when it could not be computed.
QString TexteCaracteristique(double valeur, const QLocale& locale);
/// The result text: one line per fact, every line (the last included) ending with a CR.
QString TexteResultat(const TResultatCoup& r, const QLocale& locale);

/// The result of the engine's last shot, its characteristics computed afresh (d is 0 when
/// they are not significant).
TResultatCoup ResultatMoteur(const TBillardAlveran& moteur);

/// The stroke in one line: "Effet 0,62 cm  Hauteur 1,17 cm  Vitesse 430 cm/s  Inclinaison
/// 0,0°  Masse 520 g  Visée 98,64°".
QString TexteQueue(const TBillardAlveran& moteur, const QLocale& locale);

/// Why the cue strike could not be solved, in the player's terms: the tip off the ball, the
/// cue's inclination, or a cue too heavy for the ball.
QString TexteQueueInsoluble(const TBillardAlveran& moteur, const QLocale& locale);
