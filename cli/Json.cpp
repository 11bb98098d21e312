#include "cli/Json.h"

#include <charconv>
#include <cmath>

std::string TJson::TexteNombre(double valeur) {
    if (!std::isfinite(valeur)) return "null";
    char tampon[32];
    // Without a format, to_chars gives the shortest form that reads back exactly; its
    // "1e+20" and "-0" are valid JSON numbers.
    const auto r = std::to_chars(tampon, tampon + sizeof tampon, valeur);
    return std::string(tampon, r.ptr);
}

namespace {

/// Length of the valid UTF-8 sequence of two or more bytes at the start of `t`, or 0 (an
/// overlong form, a surrogate, a code point beyond U+10FFFF or a cut sequence is not valid).
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
    return n;
}

} // namespace

std::string TJson::TexteChaine(std::string_view texte) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string s = "\"";
    for (std::size_t i = 0; i < texte.size(); ++i) {
        const char c = texte[i];
        switch (c) {
        case '"':
            s += "\\\"";
            break;
        case '\\':
            s += "\\\\";
            break;
        case '\n':
            s += "\\n";
            break;
        case '\r':
            s += "\\r";
            break;
        case '\t':
            s += "\\t";
            break;
        case '\b':
            s += "\\b";
            break;
        case '\f':
            s += "\\f";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                s += "\\u00";
                s += Hex[(c >> 4) & 0xF];
                s += Hex[c & 0xF];
            } else if (static_cast<unsigned char>(c) < 0x80) {
                s += c;
            }
        }
        const auto octet = static_cast<unsigned char>(c);
        if (octet < 0x80) continue;
        // A valid UTF-8 sequence passes through whole; a byte that begins none (a file name
        // in Latin-1, say) is read as Latin-1, so that the output is always valid JSON and a
        // name's bytes can still be told apart.
        if (const std::size_t n = LongueurUtf8(texte.substr(i)); n > 0) {
            s.append(texte.substr(i, n));
            i += n - 1;
        } else {
            s += static_cast<char>(0xC0 | (octet >> 6));
            s += static_cast<char>(0x80 | (octet & 0x3F));
        }
    }
    s += '"';
    return s;
}

void TJson::AvantValeur() {
    if (ApresCle) {
        ApresCle = false;
        return;
    }
    if (!Premiers.empty()) {
        if (!Premiers.back()) Sortie += ',';
        Premiers.back() = false;
    }
}

TJson& TJson::DebutObjet() {
    AvantValeur();
    Sortie += '{';
    Premiers.push_back(true);
    return *this;
}

TJson& TJson::FinObjet() {
    Sortie += '}';
    Premiers.pop_back();
    return *this;
}

TJson& TJson::DebutTableau() {
    AvantValeur();
    Sortie += '[';
    Premiers.push_back(true);
    return *this;
}

TJson& TJson::FinTableau() {
    Sortie += ']';
    Premiers.pop_back();
    return *this;
}

TJson& TJson::Cle(std::string_view nom) {
    AvantValeur();
    Sortie += TexteChaine(nom);
    Sortie += ':';
    ApresCle = true;
    return *this;
}

TJson& TJson::Nombre(double valeur) {
    AvantValeur();
    Sortie += TexteNombre(valeur);
    return *this;
}

TJson& TJson::Entier(int64_t valeur) {
    AvantValeur();
    Sortie += std::to_string(valeur);
    return *this;
}

TJson& TJson::Booleen(bool valeur) {
    AvantValeur();
    Sortie += valeur ? "true" : "false";
    return *this;
}

TJson& TJson::Chaine(std::string_view texte) {
    AvantValeur();
    Sortie += TexteChaine(texte);
    return *this;
}

TJson& TJson::Nul() {
    AvantValeur();
    Sortie += "null";
    return *this;
}
