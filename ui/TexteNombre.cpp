#include "ui/TexteNombre.h"

#include <charconv>
#include <cmath>

namespace alv {

namespace {

// v rounded to `chiffres` significant digits, in decimal as the text of a number would be
// (to_chars and from_chars ignore the process locale).
double ArrondiSignificatif(double v, int chiffres) {
    if (!std::isfinite(v) || v == 0.0 || chiffres <= 0) return v;
    char tampon[64];
    const auto fin = std::to_chars(tampon, tampon + sizeof tampon, v, std::chars_format::scientific,
                                   chiffres - 1);
    if (fin.ec != std::errc()) return v;
    double r = v;
    std::from_chars(tampon, fin.ptr, r);
    return r;
}

} // namespace

QString TexteNombreUtilisateur(double v, int decimales, int chiffres, bool groupes,
                               const QLocale& locale) {
    QLocale l = locale;
    l.setNumberOptions(groupes ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    const double r = ArrondiSignificatif(v, chiffres);
    if (std::isfinite(r) && chiffres > 0 && std::fabs(r) >= std::pow(10.0, chiffres))
        return l.toString(r, 'E', chiffres - 1);
    return l.toString(r, 'f', decimales);
}

QString TexteFixe(double v, int decimales, const QLocale& locale) {
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(v, 'f', decimales);
}

} // namespace alv
