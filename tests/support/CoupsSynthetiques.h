#pragma once
// Tracked shots made from the engine itself, with known strokes, for the fitting tests and
// benchmarks: a random position and stroke is fired, then each ball is "tracked" as a 50 Hz
// camera tracker would: its own frames with gaps and the odd repeated time stamp, 3 mm of
// noise, rounded to 1 mm, the first frame up to one frame before the strike, and only the
// first and last frames of a ball that never moves.
//
// The random numbers come from std::mt19937_64, whose raw output the standard defines, with
// our own mappings to uniform and normal numbers: the same seed gives the same shots with any
// standard library.

#include "analysis/AjustementCoup.h"
#include "analysis/TrajectoireMesuree.h"
#include "engine/Nombres.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <string>

namespace synthetique {

class TAlea {
  public:
    explicit TAlea(uint64_t graine) : FGenerateur(graine) {}
    /// Uniform in [0, 1), from the top 53 bits.
    double Uniforme() { return static_cast<double>(FGenerateur() >> 11) * 0x1.0p-53; }
    double Uniforme(double a, double b) { return a + (b - a) * Uniforme(); }
    /// Standard normal (Box–Muller).
    double Normale() {
        const double u = 1 - Uniforme(), v = Uniforme();
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * v);
    }

  private:
    std::mt19937_64 FGenerateur;
};

struct TOptionsSynthese {
    double Bruit = 0.3;        ///< standard deviation of each coordinate's noise (cm)
    double Arrondi = 0.1;      ///< positions rounded to this (cm)
    double Periode = 0.02;     ///< frame period (s)
    double DureeMax = 5.0;     ///< tracking stops there at the latest (s)
    double ProbaManque = 0.08; ///< a frame of a ball missing
    double ProbaTrou = 0.015;  ///< a gap of 3 to 8 frames starting
    double ProbaDouble = 0.01; ///< a time stamp given twice
};

struct TCoupSynthetique {
    TCoupAjuste Coup;                 ///< the stroke fired, DecalageFrappe on the tracking's clock
    std::array<TVecteur, 4> Depart{}; ///< true start places
    TTrajectoireMesuree Mesure;       ///< the tracked samples
    std::string Csv;                  ///< the same as a file's text
    double RmseBruit = 0.0;           ///< weighted RMSE of the samples against the true paths (cm)
};

namespace detail {

/// Centre (x, y) of ball b at shot time s, linear between the (dense) records.
inline void Position(const TBillardAlveran& e, int b, double s, double& x, double& y) {
    int i = 0;
    while (i < e.NbEnr && e.Temps[i + 1] <= s) ++i;
    const TVecteur& a = e.Trajets[b][i].Position;
    if (i == e.NbEnr || s <= 0) {
        x = a.x;
        y = a.y;
        return;
    }
    const TVecteur& z = e.Trajets[b][i + 1].Position;
    const double h = e.Temps[i + 1] - e.Temps[i];
    const double f = h > 1e-12 ? std::clamp((s - e.Temps[i]) / h, 0.0, 1.0) : 1.0;
    x = a.x + (z.x - a.x) * f;
    y = a.y + (z.y - a.y) * f;
}

inline bool Bouge(const TBillardAlveran& e, int b) {
    for (int i = 1; i <= e.NbEnr; ++i)
        if (Norme(Diff(e.Trajets[b][i].Position, e.Trajets[b][0].Position)) > 0.01) return true;
    return false;
}

inline double Arrondi(double v, double pas) {
    return std::round(v / pas) * pas;
}

/// Three places on the cloth, at least 3 cm clear of each other and of the cushions.
inline void Places(TAlea& a, double L, double R, std::array<TVecteur, 4>& p) {
    for (int b = 1; b <= 3; ++b) {
        for (;;) {
            p[b] = Vecteur(a.Uniforme(-L / 2 + R + 3, L / 2 - R - 3),
                           a.Uniforme(-L + R + 3, L - R - 3), R);
            bool libre = true;
            for (int c = 1; c < b; ++c) libre = libre && Norme(Diff(p[b], p[c])) > 2 * R + 3;
            if (libre) break;
        }
    }
}

/// Speed 150 to 600 cm/s, side effect up to ±0.8 R, height from draw to follow, the tip kept
/// where the strike has a solution; mostly aimed at ball 2 or 3 with a cut, sometimes anywhere.
inline TCoupAjuste Coup(TAlea& a, const std::array<TVecteur, 4>& p, double R) {
    TCoupAjuste c;
    c.Vq = a.Uniforme(150, 600);
    c.Effet = a.Uniforme(-0.8, 0.8) * R;
    c.Hauteur = a.Uniforme(-0.6, 0.7) * R;
    const double rayon = std::hypot(c.Effet, c.Hauteur), limite = 0.8 * R;
    if (rayon > limite)
        c.Hauteur *=
            std::sqrt(std::max(0.0, limite * limite - c.Effet * c.Effet)) / std::fabs(c.Hauteur);
    const double choix = a.Uniforme();
    if (choix < 0.8) {
        const TVecteur cible = p[choix < 0.45 ? 2 : 3];
        const TVecteur d = Diff(cible, p[1]);
        const double coupe = std::asin(std::min(1.0, 0.85 * 2 * R / Norme(d)));
        c.AngleOx = std::atan2(d.y, d.x) + a.Uniforme(-coupe, coupe);
    } else {
        c.AngleOx = a.Uniforme(-std::numbers::pi, std::numbers::pi);
    }
    c.DecalageFrappe = a.Uniforme(0, 0.02);
    return c;
}

} // namespace detail

/// One synthetic tracked shot fired with `fisik`'s constants.
inline TCoupSynthetique Genere(TAlea& a, const TPARAMPHYS& fisik, const TOptionsSynthese& o = {}) {
    const double R = fisik.RayonBilles();
    TCoupSynthetique s;
    detail::Places(a, fisik.largeurJeu(), R, s.Depart);
    s.Coup = detail::Coup(a, s.Depart, R);

    // Dense records (every 5 ms) make the true paths; they change nothing else in the shot.
    auto e = std::make_unique<TBillardAlveran>();
    e->Fisik = fisik;
    e->Fisik.dtEnr = 0.005;
    TCoupMesure places;
    places.Depart = s.Depart;
    PlaceCoup(*e, places, s.Coup);
    e->TireCoup();
    const double fin = std::min(o.DureeMax, e->Temps[e->NbEnr] + s.Coup.DecalageFrappe);

    s.Csv = "t,bille,x,y\n";
    double sommeBruit = 0, sommePoids = 0;
    const double xMax = fisik.largeurJeu() / 2 - R + 0.5, yMax = fisik.largeurJeu() - R + 0.5;
    const auto ajoute = [&](int b, double t) {
        double x = 0, y = 0;
        detail::Position(*e, b, t - s.Coup.DecalageFrappe, x, y);
        // A ball that jumped off the table is no longer seen.
        if (std::fabs(x) > xMax || std::fabs(y) > yMax) return;
        const double mx = detail::Arrondi(x + o.Bruit * a.Normale(), o.Arrondi);
        const double my = detail::Arrondi(y + o.Bruit * a.Normale(), o.Arrondi);
        s.Mesure.Billes[b].push_back({t, mx, my});
        s.Csv += TexteNombre(t) + "," + std::to_string(b) + "," + TexteNombre(mx) + "," +
                 TexteNombre(my) + "\n";
        const double w = (b == 1 ? 1.5 : 1.0) / (1 + t);
        if (t <= 4.0) {
            sommeBruit += w * ((mx - x) * (mx - x) + (my - y) * (my - y));
            sommePoids += w;
        }
    };
    for (int b = 1; b <= 3; ++b) {
        const int frames = static_cast<int>(fin / o.Periode);
        if (b > 1 && !detail::Bouge(*e, b)) {
            ajoute(b, 0);
            ajoute(b, detail::Arrondi(frames * o.Periode, 1e-3));
            continue;
        }
        for (int k = 0; k <= frames; ++k) {
            // The cue ball's first frame is always there: it is where the shot starts.
            if (k > 0 && a.Uniforme() < o.ProbaManque) continue;
            if (k > 0 && a.Uniforme() < o.ProbaTrou) {
                k += static_cast<int>(a.Uniforme(3, 9));
                continue;
            }
            const double t = detail::Arrondi(k * o.Periode, 1e-3);
            ajoute(b, t);
            if (a.Uniforme() < o.ProbaDouble) ajoute(b, t);
        }
    }
    s.RmseBruit = sommePoids > 0 ? std::sqrt(sommeBruit / sommePoids) : 0.0;
    return s;
}

} // namespace synthetique
