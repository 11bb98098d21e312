#pragma once
// Numbers as the user reads them: the user's decimal separator and grouping (QLocale()),
// never the process locale.

#include <QLocale>
#include <QString>

namespace alv {

/// Fixed notation with `decimales` decimals, the value being first rounded to `chiffres`
/// significant digits; thousands grouped when `groupes`. A value with more integer digits than
/// `chiffres` is written in scientific notation.
QString TexteNombreUtilisateur(double v, int decimales, int chiffres, bool groupes,
                               const QLocale& locale = QLocale());

/// Fixed notation with `decimales` decimals and no grouping ("1200,00").
QString TexteFixe(double v, int decimales, const QLocale& locale = QLocale());

} // namespace alv
