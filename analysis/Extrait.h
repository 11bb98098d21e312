#pragma once
// Quoting outside text in a message: at most a few dozen characters, and nothing a terminal
// would obey. A 100 MB line is not echoed whole, and an escape sequence planted in a file does
// not reach the user's terminal as such.

#include <cstddef>
#include <string>
#include <string_view>

/// Characters of outside text quoted at most.
inline constexpr std::size_t LongueurExtrait = 80;

/// At most `longueur` characters of `texte` (whole UTF-8 characters), followed by "…" when cut.
/// Control characters are made visible (\e, \t, \x07, …); bytes that are not UTF-8 are shown
/// as \xHH.
std::string Extrait(std::string_view texte, std::size_t longueur = LongueurExtrait);
