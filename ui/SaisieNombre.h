#pragma once
// Numbers typed and read by the user in the analysis windows: the user's decimal separator
// (QLocale()), a typed "," or "." taken as that separator, and the one conversion error text.

#include <QLocale>
#include <QString>

class QKeyEvent;
class QLineEdit;

namespace alv {

/// "'texte' n'est pas une valeur en virgule flottante correcte".
QString MessageConversion(const QString& texte);

/// Converts a typed text with the user's number format. False when it is not a number.
bool LitNombreUtilisateur(const QString& texte, double& valeur);

/// General notation with at most `chiffres` significant digits, the shortest such form, the
/// user's decimal separator, no thousands grouping ("0,1", "142,25", "1e-05").
QString TexteGeneral(double valeur, int chiffres);

/// A typed "," or "." becomes the user's decimal separator: inserts it into the field and
/// returns true when the key was one of them.
bool InsereSeparateur(QLineEdit* champ, const QKeyEvent* touche);

/// Gives `champ` that rule for every key typed in it (the filter lives with the field).
void AccepteLesDeuxSeparateurs(QLineEdit* champ);

/// A duration in milliseconds as "hh h nn mn ss sec" (seconds truncated). Hours are whole
/// hours, not wrapped at a day, so that a long estimate does not read as a short one.
QString TexteDureeHMS(qint64 millisecondes);

} // namespace alv
