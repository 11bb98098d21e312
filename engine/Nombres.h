#pragma once
// Number text of position files and of the clipboard: "." as decimal separator always,
// independent of any locale and of any global state.

#include <string>
#include <string_view>

namespace alv {

/// Shortest general form with at most 15 significant digits: "430", "0.621910112359551",
/// "-2", "0". Below 0.0001 in magnitude, or with more than 15 digits before the point, the
/// exponent form "1E-5", "2.5E-7", "1.5E20" is used. Negative zero is written "0".
/// Non-finite values are written "NAN", "INF" and "-INF" so that a file stays readable;
/// LitNombre does not take them back (see there).
std::string TexteNombre(double valeur);

/// Converts a decimal number with "." as separator and an optional exponent ("12.5",
/// "-3E-6", "1e5", "+7", ".5"). Blanks around the number are allowed; anything else in the
/// text makes the conversion fail ("12,5", "12.5cm", "" and "0x10" do not convert).
/// Infinities, NaN and magnitudes beyond the range of a double do not convert either: every
/// reader of this text feeds the engine, which only works with finite values.
/// Returns false and leaves `valeur` untouched when the text does not convert.
bool LitNombre(std::string_view texte, double& valeur);

} // namespace alv

// The file format's numbers are read and written all over the engine and the command line.
using alv::LitNombre;
using alv::TexteNombre;
