#include "analysis/AjustementCoup.h"

#include "analysis/Optimiseur.h"
#include "engine/Nombres.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

/// A displacement beyond the tracker's noise (a few millimetres): the ball moves (cm).
constexpr double SeuilMouvement = 1.2;
/// The strike happens within one frame after the first sample; the fit allows some slack
/// around that, or around the strike time the first samples show when a file starts earlier.
constexpr double DecalageMin = -0.02;
constexpr double DecalageMax = 0.06;
constexpr double JeuDecalage = 0.04;
constexpr double PoidsQueue = 1.5;
/// The tracked start places are corrected by at most this much (cm): a few times the noise.
constexpr double CorrectionDepartMax = 0.8;
/// Samples this close before a ball's estimated start may show it already moving (s).
constexpr double MargeDepart = 0.02;

double Distance(const TReleve& r, double x, double y) {
    return std::hypot(r.x - x, r.y - y);
}

/// How an object ball leaves its place: its rest place (mean of the samples before it moves),
/// when and in which direction it starts to move.
struct TDepartBille {
    TVecteur Repos;
    double Debut = TCoupMesure::Jamais; ///< file time
    TVecteur Direction;
};

/// Index of the first sample beyond the threshold from the mean of those before (confirmed by
/// the next one: a single stray sample is noise, not motion), or r.size() if the ball never
/// moves; `mx`, `my` receive that mean.
std::size_t PremierMouvement(const std::vector<TReleve>& r, double& mx, double& my) {
    double sx = r[0].x, sy = r[0].y, n = 1;
    std::size_t k = 1;
    for (; k < r.size(); ++k) {
        mx = sx / n;
        my = sy / n;
        const bool loin = Distance(r[k], mx, my) > SeuilMouvement;
        if (loin && (k + 1 == r.size() || Distance(r[k + 1], mx, my) > SeuilMouvement)) return k;
        if (!loin) {
            sx += r[k].x;
            sy += r[k].y;
            n += 1;
        }
    }
    mx = sx / n;
    my = sy / n;
    return k;
}

/// When the ball left (mx, my): back from its first moving sample k at the speed of the next
/// step, not before the sample ahead of it.
double DebutMouvement(const std::vector<TReleve>& r, std::size_t k, double mx, double my) {
    if (k + 1 >= r.size() || !(r[k + 1].t > r[k].t)) return r[k].t;
    const double v = std::hypot(r[k + 1].x - r[k].x, r[k + 1].y - r[k].y) / (r[k + 1].t - r[k].t);
    return v > 0 ? std::max(r[k - 1].t, r[k].t - Distance(r[k], mx, my) / v) : r[k].t;
}

/// The rest place: the last samples within the threshold may already show the ball moving a
/// little, so only those well before the start count.
TVecteur Repos(const std::vector<TReleve>& r, std::size_t k, double debut, double mx, double my) {
    double rx = r[0].x, ry = r[0].y, n = 1;
    for (std::size_t j = 1; j < k && r[j].t < debut - MargeDepart; ++j) {
        if (Distance(r[j], mx, my) > SeuilMouvement) continue;
        rx += r[j].x;
        ry += r[j].y;
        n += 1;
    }
    return Vecteur(rx / n, ry / n, 0);
}

TDepartBille DepartBille(const std::vector<TReleve>& r) {
    double mx = 0, my = 0;
    const std::size_t k = PremierMouvement(r, mx, my);
    if (k == r.size()) return {Vecteur(mx, my, 0), TCoupMesure::Jamais, {}};
    TDepartBille d;
    d.Debut = DebutMouvement(r, k, mx, my);
    d.Repos = Repos(r, k, d.Debut, mx, my);
    const TReleve& suivant = k + 1 < r.size() ? r[k + 1] : r[k];
    d.Direction = Unitaire(Vecteur(suivant.x - mx, suivant.y - my, 0));
    return d;
}

// ---------------------------------------------------------------------------------------------
// Simulated positions at the sample times.

/// Ball b's centre (x, y) at time s of the shot, between records i and i + 1 (Temps[i] ≤ s):
/// the record's position and velocity, with the constant acceleration that reaches the next
/// record. Exact within one motion phase, which is most of the time.
void Interpole(const TBillardAlveran& e, int b, int i, double s, double& x, double& y) {
    const TCinematique& a = e.Trajets[b][i];
    const TCinematique& z = e.Trajets[b][i + 1];
    const double h = e.Temps[i + 1] - e.Temps[i];
    if (!(h > 1e-9)) {
        x = z.Position.x;
        y = z.Position.y;
        return;
    }
    const double tau = std::clamp(s - e.Temps[i], 0.0, h);
    const double f = (tau / h) * (tau / h);
    x = a.Position.x + a.Vitesse.x * tau + (z.Position.x - a.Position.x - a.Vitesse.x * h) * f;
    y = a.Position.y + a.Vitesse.y * tau + (z.Position.y - a.Position.y - a.Vitesse.y * h) * f;
}

/// Σ w·|p_sim − p|² over ball b's samples, the strike at `decalage` on the samples' clock.
double SommeEcarts(const TBillardAlveran& e, int b,
                   const std::vector<TCoupMesure::TEchantillon>& echantillons, double decalage) {
    double somme = 0;
    int i = 0;
    for (const auto& ech : echantillons) {
        const double s = ech.t - decalage;
        double x = e.Trajets[b][0].Position.x, y = e.Trajets[b][0].Position.y;
        if (s > 0) {
            while (i < e.NbEnr && e.Temps[i + 1] <= s) ++i;
            if (i < e.NbEnr) {
                Interpole(e, b, i, s, x, y);
            } else {
                x = e.Trajets[b][i].Position.x;
                y = e.Trajets[b][i].Position.y;
            }
        }
        somme += ech.Poids * ((x - ech.x) * (x - ech.x) + (y - ech.y) * (y - ech.y));
    }
    return somme;
}

/// Horizontal speed of the cue ball per unit of cue speed for that stroke.
double VitesseParVq(TBillardAlveran& moteur, const TCoupMesure& mesure, TCoupAjuste coup) {
    coup.Vq = 100;
    PlaceCoup(moteur, mesure, coup);
    moteur.ChocQueueBille();
    const TVecteur v = moteur.Trajets[1][0].Vitesse;
    return std::hypot(v.x, v.y) / 100;
}

/// A launch of the cue ball: direction, speed and when it left its place.
struct TLancer {
    double Angle = 0.0;
    double Vitesse = 0.0;
    double Decalage = 0.01;
    bool Fiable = false; ///< seen before the cue ball can have met anything
};

/// The straight line p = a + v·t through samples, by least squares, each axis on its own.
struct TDroite {
    double t = 0.0, x = 0.0, y = 0.0; ///< the mean sample
    double vx = 0.0, vy = 0.0;
};

TDroite Droite(const std::vector<TCoupMesure::TEchantillon>& e) {
    TDroite d;
    for (const auto& x : e) {
        d.t += x.t;
        d.x += x.x;
        d.y += x.y;
    }
    const double n = static_cast<double>(e.size());
    d.t /= n;
    d.x /= n;
    d.y /= n;
    double stt = 0, stx = 0, sty = 0;
    for (const auto& x : e) {
        stt += (x.t - d.t) * (x.t - d.t);
        stx += (x.t - d.t) * (x.x - d.x);
        sty += (x.t - d.t) * (x.y - d.y);
    }
    if (stt > 1e-12) {
        d.vx = stx / stt;
        d.vy = sty / stt;
    }
    return d;
}

/// The cue ball's first moving samples, before it can have met the first object ball and
/// while they stay on one line (a cushion met early bends it); at most five.
std::vector<TCoupMesure::TEchantillon> PremiersPas(const TCoupMesure& mesure, bool& fiable) {
    const TVecteur c0 = mesure.Depart[1];
    const double rencontre =
        mesure.Ordre.empty() ? TCoupMesure::Jamais : mesure.DebutMouvement[mesure.Ordre[0]];
    std::vector<TCoupMesure::TEchantillon> pas;
    for (const auto& e : mesure.Echantillons[1]) {
        if (std::hypot(e.x - c0.x, e.y - c0.y) <= SeuilMouvement) continue;
        if (e.t >= rencontre || (!pas.empty() && e.t > pas[0].t + 0.1)) break;
        if (pas.size() >= 2) {
            const TDroite d = Droite(pas);
            const double ex = d.x + d.vx * (e.t - d.t), ey = d.y + d.vy * (e.t - d.t);
            if (std::hypot(e.x - ex, e.y - ey) > 1.5) break;
        }
        pas.push_back(e);
        if (pas.size() == 5) break;
    }
    fiable = !pas.empty();
    // Nothing before the meeting (a gap in the tracking): the first moving sample all the same.
    if (pas.empty())
        for (const auto& e : mesure.Echantillons[1])
            if (std::hypot(e.x - c0.x, e.y - c0.y) > SeuilMouvement) {
                pas.push_back(e);
                break;
            }
    return pas;
}

/// The launch that the cue ball's first moving samples show.
TLancer LancerObserve(const TCoupMesure& mesure) {
    TLancer l;
    const std::vector<TCoupMesure::TEchantillon> pas = PremiersPas(mesure, l.Fiable);
    if (pas.empty()) return l;
    const TVecteur c0 = mesure.Depart[1];
    TDroite d = Droite(pas);
    if (d.vx == 0 && d.vy == 0) {
        // One sample (or one time): from the start place, struck half a frame after it.
        const double duree = std::max(d.t - 0.01, 0.01);
        d.vx = (d.x - c0.x) / duree;
        d.vy = (d.y - c0.y) / duree;
    }
    l.Angle = std::atan2(d.vy, d.vx);
    l.Vitesse = std::hypot(d.vx, d.vy);
    if (l.Vitesse > 0) {
        // The moment the line passes the start place.
        const double t =
            d.t + ((c0.x - d.x) * d.vx + (c0.y - d.y) * d.vy) / (l.Vitesse * l.Vitesse);
        l.Decalage = std::clamp(t, DecalageMin, pas.front().t);
    }
    return l;
}

/// The launch that sends the cue ball straight to where it met the first ball to move (that
/// ball's start place less two radii along its first motion) when that ball starts to move.
/// The mean speed over the way is raised by half of what sliding takes off.
bool LancerRencontre(const TCoupMesure& mesure, const TPARAMPHYS& fisik, double decalage,
                     TLancer& l) {
    if (mesure.Ordre.empty()) return false;
    const int f = mesure.Ordre[0];
    const double R = fisik.RayonBilles();
    const TVecteur contact = Diff(mesure.Depart[f], Mult(mesure.DirectionMouvement[f], 2 * R));
    const TVecteur c0 = mesure.Depart[1];
    const double distance = std::hypot(contact.x - c0.x, contact.y - c0.y);
    const double duree = mesure.DebutMouvement[f] - decalage;
    if (distance < R || !(duree > 0.005)) return false;
    l.Angle = std::atan2(contact.y - c0.y, contact.x - c0.x);
    l.Vitesse = distance / duree + 0.5 * fisik.FrotBiTapGlisse * fisik.G * duree;
    l.Decalage = decalage;
    l.Fiable = true;
    return true;
}

// ---------------------------------------------------------------------------------------------
// The fit.

/// The parameters the optimiser moves, in this order; inclination and mass only when asked.
/// The cue ball's launch speed stands for the cue speed: the same cue speed launches the ball
/// slower the farther the tip is from the centre, so searching in cue speed would tie speed to
/// effect and height.
/// Last, the corrections of the start places of the cue ball and of the first object ball.
enum TParametre {
    pAngle,
    pVitesse,
    pEffet,
    pHauteur,
    pDecalage,
    pInclinaison,
    pMasse,
    pQueueX,
    pQueueY,
    pPremiereX,
    pPremiereY
};

/// The samples up to `horizon` only (s from the first sample).
TCoupMesure Tronque(const TCoupMesure& mesure, double horizon) {
    TCoupMesure court = mesure;
    court.Coupure = std::min(horizon, mesure.Coupure);
    court.SommePoids = 0;
    for (int b = 1; b <= 3; ++b) {
        auto& e = court.Echantillons[b];
        e.erase(
            std::find_if(e.begin(), e.end(), [&](const auto& x) { return x.t > court.Coupure; }),
            e.end());
        for (const auto& x : e) court.SommePoids += x.Poids;
    }
    return court;
}

class TProbleme {
  public:
    TProbleme(TBillardAlveran& moteur, const TCoupMesure& mesure, const TOptionsAjustement& options,
              const TCoupAjuste& base)
        : FMoteur(moteur), FMesure(&mesure), FOptions(options), FBase(base) {
        FParametres = {pAngle, pVitesse, pEffet, pHauteur, pDecalage};
        if (options.AjusteInclinaison) FParametres.push_back(pInclinaison);
        if (options.AjusteMasse) FParametres.push_back(pMasse);
        const TPARAMPHYS& f = moteur.Fisik;
        // Beyond this radius the strike has no solution with the current cue mass (centre to
        // tip, cm); the tip is kept a little inside it, and on the ball.
        const double p = f.PerteEcQB, R = f.RayonBilles();
        double rayon = 0.95 * R;
        if (p > 0 && base.m > 0) {
            const double Fmax = (1 - p) * f.MasseBilles / (p * base.m);
            rayon = std::min(rayon, 0.98 * R * std::sqrt(std::max(0.0, (Fmax - 1) / 2.5)));
        }
        FRayonTip = rayon;
    }

    /// From now on the start places of the cue ball and of the ball `premiere` (none if 0)
    /// move too.
    void AjouteDeparts(int premiere) {
        FPremiere = premiere;
        FParametres.push_back(pQueueX);
        FParametres.push_back(pQueueY);
        if (premiere > 0) {
            FParametres.push_back(pPremiereX);
            FParametres.push_back(pPremiereY);
        }
    }

    /// The samples scored from now on (the fit widens its horizon as it goes).
    void Mesure(const TCoupMesure& mesure) { FMesure = &mesure; }

    /// The stroke of a parameter vector, the tip drawn back onto the reachable disc.
    TCoupAjuste Coup(const double* x) const {
        TCoupAjuste c = FBase;
        double vitesse = 0;
        for (std::size_t k = 0; k < FParametres.size(); ++k) {
            if (FParametres[k] == pVitesse)
                vitesse = x[k];
            else
                Champ(c, FParametres[k]) = x[k];
        }
        const double r = std::hypot(c.Effet, c.Hauteur);
        if (r > FRayonTip) {
            c.Effet *= FRayonTip / r;
            c.Hauteur *= FRayonTip / r;
        }
        const double k = VitesseParVq(FMoteur, *FMesure, c);
        c.Vq = k > 0 ? vitesse / k : 0.0;
        return c;
    }

    void Parametres(TCoupAjuste c, double* x) const {
        for (std::size_t k = 0; k < FParametres.size(); ++k)
            x[k] = FParametres[k] == pVitesse ? c.Vq * VitesseParVq(FMoteur, *FMesure, c)
                                              : Champ(c, FParametres[k]);
    }

    bool Arrete() const {
        return FOptions.Arret != nullptr && FOptions.Arret->load(std::memory_order_relaxed);
    }

    /// A local search from `depart` (first steps scaled by `echelle`), at most `evaluations`.
    /// Returns the best stroke it saw and its RMSE.
    std::pair<TCoupAjuste, double> Cherche(const TCoupAjuste& depart, double echelle,
                                           int evaluations) {
        const std::size_t n = FParametres.size();
        std::vector<double> x(n), bas(n), haut(n), pas(n), tolerance(n);
        Parametres(depart, x.data());
        for (std::size_t k = 0; k < n; ++k) {
            Domaine(FParametres[k], x[k], bas[k], haut[k], pas[k], tolerance[k]);
            x[k] = std::clamp(x[k], bas[k], haut[k]);
            pas[k] *= echelle;
        }
        FMeilleure = FRmseDepart = RmseCoup(FMoteur, *FMesure, depart);
        FMeilleur = depart;
        ++FEvaluations;
        TOptimiseur opt(n, FOptions.Methode);
        opt.Bornes(bas, haut);
        opt.Pas(pas);
        opt.ToleranceX(tolerance);
        opt.EvaluationsMax(evaluations);
        opt.Minimise(
            x, [this](const double* v) { return Evalue(v); }, [this] { return Arrete(); });
        return {FMeilleur, FMeilleure};
    }

    int64_t Evaluations() const { return FEvaluations; }
    /// RMSE of the last search's start.
    double RmseDepart() const { return FRmseDepart; }

  private:
    double Evalue(const double* x) {
        ++FEvaluations;
        const TCoupAjuste c = Coup(x);
        const double r = RmseCoup(FMoteur, *FMesure, c);
        if (r < FMeilleure) {
            FMeilleure = r;
            FMeilleur = c;
        }
        return r;
    }

    /// Bounds, first step and tolerance of a parameter around its value x.
    void Domaine(TParametre p, double x, double& bas, double& haut, double& pas,
                 double& tolerance) const {
        const double R = FMoteur.Fisik.RayonBilles();
        switch (p) {
        case pAngle:
            bas = x - std::numbers::pi;
            haut = x + std::numbers::pi;
            pas = 0.02;
            tolerance = 1e-5;
            return;
        case pVitesse:
            bas = 10;
            haut = 2500;
            pas = 0.05 * std::max(x, 50.0);
            tolerance = 0.02;
            return;
        case pEffet:
        case pHauteur:
            bas = -R;
            haut = R;
            pas = 0.2 * R;
            tolerance = 0.002;
            return;
        case pDecalage:
            bas = std::min(DecalageMin, x - JeuDecalage);
            haut = std::max(DecalageMax, x + JeuDecalage);
            pas = 0.006;
            tolerance = 1e-5;
            return;
        case pInclinaison:
            bas = 0;
            haut = 1.2;
            pas = 0.05;
            tolerance = 1e-4;
            return;
        case pMasse:
            bas = 100;
            haut = 2000;
            pas = 40;
            tolerance = 0.1;
            return;
        case pQueueX:
        case pQueueY:
        case pPremiereX:
        case pPremiereY:
            bas = -CorrectionDepartMax;
            haut = CorrectionDepartMax;
            pas = 0.15;
            tolerance = 0.001;
            return;
        }
    }

    double& Champ(TCoupAjuste& c, TParametre p) const {
        switch (p) {
        case pAngle:
            return c.AngleOx;
        case pVitesse:
            return c.Vq;
        case pEffet:
            return c.Effet;
        case pHauteur:
            return c.Hauteur;
        case pDecalage:
            return c.DecalageFrappe;
        case pInclinaison:
            return c.AngleTapis;
        case pMasse:
            break;
        case pQueueX:
            return c.CorrectionDepart[1].x;
        case pQueueY:
            return c.CorrectionDepart[1].y;
        case pPremiereX:
            return c.CorrectionDepart[FPremiere].x;
        case pPremiereY:
            return c.CorrectionDepart[FPremiere].y;
        }
        return c.m;
    }

    TBillardAlveran& FMoteur;
    const TCoupMesure* FMesure;
    const TOptionsAjustement& FOptions;
    TCoupAjuste FBase;
    std::vector<TParametre> FParametres;
    double FRayonTip = 0.0;
    int FPremiere = 0;
    int64_t FEvaluations = 0;
    double FMeilleure = 0.0;
    double FRmseDepart = 0.0;
    TCoupAjuste FMeilleur;
};

/// Side effect and height of the starts, as fractions of the radius: both sides of each.
constexpr double EffetsDepart[][2] = {{0.4, 0.3}, {-0.4, 0.3}, {0.4, -0.35}, {-0.4, -0.35}};

/// The first horizon: the meeting with the first object ball and a little of what follows,
/// where a wrong start still shows as a small error rather than a different shot (s).
double PremierHorizon(const TCoupMesure& mesure) {
    const double rencontre = mesure.Ordre.empty() ? 0.5 : mesure.DebutMouvement[mesure.Ordre[0]];
    return std::clamp(rencontre + 0.5, 0.6, 1.5);
}

/// The strokes of a list, best first.
using TCandidats = std::vector<std::pair<double, TCoupAjuste>>;
void Trie(TCandidats& c) {
    std::stable_sort(c.begin(), c.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

/// The launches to start from: what the cue ball's first samples show, and the straight way
/// to the meeting with the first ball to move (alone when the first samples come too late).
std::vector<TLancer> Lancers(const TCoupMesure& mesure, const TPARAMPHYS& fisik, double decalage) {
    std::vector<TLancer> lancers = {LancerObserve(mesure)};
    TLancer rencontre;
    if (LancerRencontre(mesure, fisik, decalage, rencontre) &&
        std::fabs(std::remainder(rencontre.Angle - lancers[0].Angle, 2 * std::numbers::pi)) >
            0.003) {
        if (!lancers[0].Fiable) lancers.clear();
        lancers.push_back(rencontre);
    }
    return lancers;
}

/// Each launch from both sides of effect and height, at the launch's speed, searched on the
/// problem's (first) horizon; best first.
TCandidats ChercheDeparts(TProbleme& probleme, TBillardAlveran& moteur, const TCoupMesure& mesure,
                          const TCoupAjuste& estimation, const TOptionsAjustement& options) {
    const double R = moteur.Fisik.RayonBilles();
    TCandidats departs;
    for (const TLancer& l : Lancers(mesure, moteur.Fisik, estimation.DecalageFrappe))
        for (const auto& eh : EffetsDepart) {
            TCoupAjuste depart = estimation;
            depart.AngleOx = l.Angle;
            depart.DecalageFrappe = l.Decalage;
            depart.Effet = eh[0] * R;
            depart.Hauteur = eh[1] * R;
            const double k = VitesseParVq(moteur, mesure, depart);
            depart.Vq = k > 0 ? l.Vitesse / k : estimation.Vq;
            const auto [coup, rmse] = probleme.Cherche(depart, 1.0, options.EvaluationsDepart);
            departs.emplace_back(rmse, coup);
            if (probleme.Arrete()) break;
        }
    Trie(departs);
    return departs;
}

} // namespace

TCoupMesure PrepareCoupMesure(const TTrajectoireMesuree& trajectoire, const TPARAMPHYS& fisik,
                              double coupure) {
    TCoupMesure m;
    // The clock starts at the strike, which the cue ball's first sample shows: counted from the
    // first sample of any ball, a stray early sample or an object ball tracked long before
    // would leave almost nothing within the cutoff.
    m.Origine = trajectoire.Billes[1].empty() ? 0.0 : trajectoire.Billes[1].front().t;
    // The cutoff counts from the strike: the cue ball's last sample at rest when it stood still
    // longer than the strike's slack before the shot (the tracker started early), otherwise
    // its first sample.
    double frappe = 0;
    if (const auto& queue = trajectoire.Billes[1]; queue.size() > 1) {
        double mx = 0, my = 0;
        const std::size_t k = PremierMouvement(queue, mx, my);
        if (k < queue.size() && queue[k - 1].t - m.Origine > DecalageMax + JeuDecalage)
            frappe = queue[k - 1].t - m.Origine;
    }
    m.Frappe = frappe;
    m.Coupure = frappe + coupure;
    const double R = fisik.RayonBilles();
    for (int b = 1; b <= 3; ++b) {
        const auto& releves = trajectoire.Billes[b];
        if (releves.empty()) continue;
        if (b == 1) {
            m.Depart[1] = Vecteur(releves[0].x, releves[0].y, R);
        } else {
            const TDepartBille d = DepartBille(releves);
            m.Depart[b] = Vecteur(d.Repos.x, d.Repos.y, R);
            m.DebutMouvement[b] = d.Debut - m.Origine;
            m.DirectionMouvement[b] = d.Direction;
        }
        const double poids = b == 1 ? PoidsQueue : 1.0;
        for (const TReleve& r : releves) {
            const double t = r.t - m.Origine;
            if (t < 0) continue;
            if (t > m.Coupure) break;
            m.Echantillons[b].push_back({t, r.x, r.y, poids / (1 + t)});
            m.SommePoids += poids / (1 + t);
        }
    }
    for (int b = 2; b <= 3; ++b)
        if (m.DebutMouvement[b] < TCoupMesure::Jamais) m.Ordre.push_back(b);
    if (m.Ordre.size() == 2 && m.DebutMouvement[3] < m.DebutMouvement[2]) m.Ordre = {3, 2};
    return m;
}

void PlaceCoup(TBillardAlveran& moteur, const TCoupMesure& mesure, const TCoupAjuste& coup) {
    for (int b = 1; b <= 3; ++b)
        moteur.Trajets[b][0] = {Somme(mesure.Depart[b], coup.CorrectionDepart[b]), VecteurNul,
                                VecteurNul};
    moteur.Coup.Vq = coup.Vq;
    moteur.Coup.m = coup.m;
    moteur.Coup.AngleOx = coup.AngleOx;
    moteur.Coup.AngleTapis = coup.AngleTapis;
    moteur.Coup.Effet = coup.Effet;
    moteur.Coup.Hauteur = coup.Hauteur;
}

double RmseCoup(TBillardAlveran& moteur, const TCoupMesure& mesure, const TCoupAjuste& coup) {
    PlaceCoup(moteur, mesure, coup);
    moteur.TFinCalcul = mesure.Coupure - coup.DecalageFrappe;
    moteur.TireCoup();
    double somme = 0;
    for (int b = 1; b <= 3; ++b)
        somme += SommeEcarts(moteur, b, mesure.Echantillons[b], coup.DecalageFrappe);
    return mesure.SommePoids > 0 ? std::sqrt(somme / mesure.SommePoids) : 0.0;
}

TCoupAjuste PremiereEstimation(TBillardAlveran& moteur, const TCoupMesure& mesure) {
    TLancer l = LancerObserve(mesure);
    TLancer r;
    if (!l.Fiable && LancerRencontre(mesure, moteur.Fisik, l.Decalage, r)) l = r;
    TCoupAjuste coup;
    coup.m = moteur.Coup.m;
    coup.AngleTapis = moteur.Coup.AngleTapis;
    coup.AngleOx = l.Angle;
    coup.DecalageFrappe = l.Decalage;
    const double k = VitesseParVq(moteur, mesure, coup);
    coup.Vq = k > 0 ? l.Vitesse / k : 0.0;
    return coup;
}

bool OrdreRespecte(TBillardAlveran& moteur, const TCoupMesure& mesure, const TCoupAjuste& coup) {
    PlaceCoup(moteur, mesure, coup);
    moteur.TFinCalcul = std::numeric_limits<double>::infinity();
    moteur.TireCoup();
    std::vector<int> ordre;
    for (int i = 1; i <= moteur.NbEnr && ordre.size() < 2; ++i)
        for (int b = 2; b <= 3; ++b) {
            const bool bouge =
                Norme(moteur.Trajets[b][i].Vitesse) > 0.001 ||
                Norme(Diff(moteur.Trajets[b][i].Position, moteur.Trajets[b][0].Position)) > 0.001;
            if (bouge && std::find(ordre.begin(), ordre.end(), b) == ordre.end())
                ordre.push_back(b);
        }
    return ordre.size() >= mesure.Ordre.size() &&
           std::equal(mesure.Ordre.begin(), mesure.Ordre.end(), ordre.begin());
}

TResultatAjustement AjusteCoup(TBillardAlveran& moteur, const TCoupMesure& mesure,
                               const TOptionsAjustement& options) {
    TResultatAjustement resultat;
    const TCoupAjuste estimation = PremiereEstimation(moteur, mesure);
    resultat.RmseInitiale = RmseCoup(moteur, mesure, estimation);
    const TCoupMesure court = Tronque(mesure, PremierHorizon(mesure));
    TProbleme probleme(moteur, court, options, estimation);
    TCandidats departs = ChercheDeparts(probleme, moteur, mesure, estimation, options);

    // The best of them on the whole cutoff.
    probleme.Mesure(mesure);
    if (options.CorrigeDeparts) probleme.AjouteDeparts(mesure.Ordre.empty() ? 0 : mesure.Ordre[0]);
    TCandidats fins;
    const std::size_t nb = std::min<std::size_t>(options.DepartsPoursuivis, departs.size());
    for (std::size_t i = 0; i < nb && !probleme.Arrete(); ++i) {
        const auto [coup, rmse] =
            probleme.Cherche(departs[i].second, 0.5, options.EvaluationsFinales);
        fins.emplace_back(rmse, coup);
    }
    // Never worse than the first guess, also when a stop request cut the search short.
    fins.emplace_back(resultat.RmseInitiale, estimation);
    Trie(fins);
    resultat.Coup = fins.front().second;
    resultat.Rmse = fins.front().first;
    // The first guess and the order check are simulations too.
    resultat.Evaluations = probleme.Evaluations() + 2;
    resultat.OrdreRespecte = OrdreRespecte(moteur, mesure, resultat.Coup);
    resultat.Ajuste = true;
    return resultat;
}

TResultatAjustement RaffineCoup(TBillardAlveran& moteur, const TCoupMesure& mesure,
                                const TCoupAjuste& depart, const TOptionsAjustement& options,
                                int evaluationsMax) {
    TResultatAjustement resultat;
    TProbleme probleme(moteur, mesure, options, depart);
    const auto [coup, rmse] = probleme.Cherche(depart, 0.15, std::max(1, evaluationsMax - 1));
    resultat.RmseInitiale = probleme.RmseDepart();
    resultat.Coup = coup;
    resultat.Rmse = rmse;
    resultat.Evaluations = probleme.Evaluations();
    resultat.Ajuste = true;
    return resultat;
}

std::string VerifieCoupMesure(const TCoupMesure& mesure) {
    const std::size_t n = mesure.Echantillons[1].size();
    if (n >= static_cast<std::size_t>(NbEchantillonsQueueMin)) return {};
    return "la bille de queue n'a que " + std::to_string(n) + " relevé(s) dans les " +
           TexteNombre(mesure.Coupure - mesure.Frappe) + " s après la frappe, il en faut au moins " +
           std::to_string(NbEchantillonsQueueMin) + " (temps en millisecondes ?)";
}

std::string VerifieCoupAjuste(const TCoupAjuste& c, const TPARAMPHYS& fisik) {
    for (double v : {c.Vq, c.m, c.AngleOx, c.AngleTapis, c.Effet, c.Hauteur, c.DecalageFrappe})
        if (!std::isfinite(v)) return "coup ajusté non fini";
    if (!(c.Vq >= 0 && c.Vq <= VqMaxCommandes))
        return "vitesse de queue ajustée hors des commandes : " + TexteNombre(c.Vq) +
               " cm/s (0 à " + TexteNombre(VqMaxCommandes) + ")";
    if (std::hypot(c.Effet, c.Hauteur) > fisik.RayonBilles())
        return "point d'impact ajusté hors de la bille";
    return {};
}
