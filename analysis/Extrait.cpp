#include "analysis/Extrait.h"

namespace {

/// Length of the valid UTF-8 sequence of two or more bytes at the start of `t`, or 0.
std::size_t LongueurUtf8(std::string_view t) {
    const auto o = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned char premier = o(0);
    std::size_t n = 0;
    char32_t point = 0;
    if (premier >= 0xC2 && premier <= 0xDF) n = 2, point = premier & 0x1Fu;
    else if (premier >= 0xE0 && premier <= 0xEF) n = 3, point = premier & 0x0Fu;
    else if (premier >= 0xF0 && premier <= 0xF4) n = 4, point = premier & 0x07u;
    else return 0;
    if (t.size() < n) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((o(k) & 0xC0) != 0x80) return 0;
        point = (point << 6) | (o(k) & 0x3Fu);
    }
    constexpr char32_t Minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < Minimum[n] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    // C1 controls (U+0080–U+009F) are obeyed by some terminals too.
    if (point < 0xA0) return 0;
    return n;
}

void Hexa(std::string& s, unsigned char octet) {
    static constexpr char Chiffres[] = "0123456789abcdef";
    s += "\\x";
    s += Chiffres[octet >> 4];
    s += Chiffres[octet & 0xF];
}

} // namespace

std::string Extrait(std::string_view texte, std::size_t longueur) {
    std::string s;
    std::size_t caracteres = 0, i = 0;
    for (; i < texte.size() && caracteres < longueur; ++caracteres) {
        const auto octet = static_cast<unsigned char>(texte[i]);
        if (octet >= 0x20 && octet < 0x7F) {
            s += static_cast<char>(octet);
            ++i;
        } else if (octet == '\t') {
            s += "\\t";
            ++i;
        } else if (octet == 0x1B) {
            s += "\\e";
            ++i;
        } else if (octet < 0x80) {
            Hexa(s, octet);
            ++i;
        } else if (const std::size_t n = LongueurUtf8(texte.substr(i)); n > 0) {
            s.append(texte.substr(i, n));
            i += n;
        } else {
            Hexa(s, octet);
            ++i;
        }
    }
    if (i < texte.size()) s += "…";
    return s;
}
