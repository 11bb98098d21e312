#include "engine/Nombres.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace alv {

namespace {

constexpr int ChiffresSignificatifs = 15;

bool EstBlanc(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string TexteNombre(double valeur) {
    if (std::isnan(valeur)) return "NAN";
    if (std::isinf(valeur)) return valeur < 0.0 ? "-INF" : "INF";
    if (valeur == 0.0) return "0";

    // Rounded to 15 significant digits by the standard library: "-d.ddddddddddddddde-XX".
    char tampon[64];
    const auto r = std::to_chars(tampon, tampon + sizeof tampon, valeur,
                                 std::chars_format::scientific, ChiffresSignificatifs - 1);
    const std::string_view sci(tampon, static_cast<std::size_t>(r.ptr - tampon));

    const bool negatif = sci.front() == '-';
    const std::size_t posE = sci.find('e');
    std::string chiffres;
    for (std::size_t i = negatif ? 1 : 0; i < posE; ++i)
        if (sci[i] != '.') chiffres += sci[i];
    while (chiffres.size() > 1 && chiffres.back() == '0') chiffres.pop_back();
    // The exponent of the rounded value: 9.99999999999999999E-5 rounds up to 1E-4.
    const int exposant = std::atoi(std::string(sci.substr(posE + 1)).c_str());

    std::string texte = negatif ? "-" : "";
    if (exposant < -4 || exposant >= ChiffresSignificatifs) {
        texte += chiffres.front();
        if (chiffres.size() > 1) {
            texte += '.';
            texte.append(chiffres, 1, std::string::npos);
        }
        texte += 'E';
        texte += std::to_string(exposant);
    } else if (exposant >= 0) {
        const auto avantPoint = static_cast<std::size_t>(exposant) + 1;
        if (chiffres.size() <= avantPoint) {
            texte += chiffres;
            texte.append(avantPoint - chiffres.size(), '0');
        } else {
            texte.append(chiffres, 0, avantPoint);
            texte += '.';
            texte.append(chiffres, avantPoint, std::string::npos);
        }
    } else {
        texte += "0.";
        texte.append(static_cast<std::size_t>(-exposant - 1), '0');
        texte += chiffres;
    }
    return texte;
}

bool LitNombre(std::string_view texte, double& valeur) {
    while (!texte.empty() && EstBlanc(texte.front())) texte.remove_prefix(1);
    while (!texte.empty() && EstBlanc(texte.back())) texte.remove_suffix(1);
    // from_chars takes a "-" but not a "+"; a "+" directly before the digits is accepted
    // here, "+-1" or "+ 1" are not.
    if (!texte.empty() && texte.front() == '+') {
        texte.remove_prefix(1);
        if (texte.empty() || texte.front() == '-') return false;
    }
    if (texte.empty()) return false;

    double lu = 0.0;
    const char* fin = texte.data() + texte.size();
    const auto r = std::from_chars(texte.data(), fin, lu, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != fin || !std::isfinite(lu)) return false;
    valeur = lu;
    return true;
}

} // namespace alv
