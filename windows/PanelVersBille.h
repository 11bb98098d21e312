#pragma once
// One ball's recorded state in a panel of value boxes, and back. The boxes are found by their
// tag (the "Tag" property): 1 to 9 for the nine components (position x y z, velocity x y z,
// rotation x y z), 123, 456 and 789 for the three norms, which are shown and never read back.

#include "engine/C1_Types.h"

#include <QString>

class QLineEdit;
class QWidget;

/// A value box's text: general notation with up to 12 significant digits, or, for a non-zero
/// magnitude of 0.0001 or less, fixed notation with 7 decimals (grouped thousands); the user's
/// separators in both.
QString TexteValeur(double valeur);

/// The tag of a value box (0 when it has none).
int TagBoite(const QWidget* boite);

/// Writes the nine components and the three norms into the panel's boxes by tag; a box with
/// another tag gets 0.
void BilleVersPanel(QWidget* panel, const TCinematique& bille);

/// Converts the boxes tagged 1 to 9, in tag order, into the components. At a text that is not
/// a number it stops, returns false and gives that box: the components read before it are
/// already changed.
bool PanelVersBille(QWidget* panel, TCinematique& bille, QLineEdit** fautive = nullptr);
