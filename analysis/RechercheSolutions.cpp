#include "analysis/RechercheSolutions.h"

#include "analysis/ComdbAlv.h"

#include <algorithm>
#include <numeric>
#include <charconv>
#include <cmath>
#include <numbers>
#include <set>

namespace {

/// Largest grid searched: its codes take 4 bytes per point.
constexpr double NbPointsMax = 100'000'000;
/// Slack on a whole turn of aim, for steps that do not divide 360° exactly in binary.
constexpr double ToleranceTour = 1e-9;

/// Number of aim values: the k ≥ 0 with De + k × Pas < A (the caller checked the axis).
int64_t NbVisees(const TAxeVisee& axe) {
    if (!(axe.A > axe.De)) return 0;
    auto n = static_cast<int64_t>(std::ceil((axe.A - axe.De) / axe.Pas));
    while (n > 0 && axe.De + static_cast<double>(n - 1) * axe.Pas >= axe.A) --n;
    while (axe.De + static_cast<double>(n) * axe.Pas < axe.A) ++n;
    return n;
}

std::string VerifieAxe(const TAxeRecherche& axe, const char* nom) {
    if (!std::isfinite(axe.De) || !std::isfinite(axe.A))
        return std::string("bornes non finies pour ") + nom;
    if (axe.N < 1) return std::string("au moins une valeur attendue pour ") + nom;
    return {};
}

/// Significant digits a grid value keeps, counted at the axis' largest magnitude.
constexpr int ChiffresGrille = 12;

/// `v` rounded to the decimals that ChiffresGrille digits give at the magnitude `ampleur`: the
/// binary noise of sums and products goes (0.8 × 3.075 is 2.4600000000000004, −180 + k × 0.1
/// drifts), so that a grid value is the decimal the user typed or would type, and prints so.
double ArrondiGrille(double v, double ampleur) {
    if (!std::isfinite(v) || !(ampleur > 0) || !std::isfinite(ampleur)) return v;
    const int decimales =
        std::clamp(ChiffresGrille - 1 - static_cast<int>(std::floor(std::log10(ampleur))), 0, 17);
    if (std::abs(v) >= 1e21) return v;
    char tampon[64];
    const auto fin =
        std::to_chars(tampon, tampon + sizeof tampon, v, std::chars_format::fixed, decimales);
    if (fin.ec != std::errc()) return v;
    double arrondi = v;
    std::from_chars(tampon, fin.ptr, arrondi);
    return arrondi == 0.0 ? 0.0 : arrondi; // no "-0"
}

} // namespace

TGrilleRecherche GrilleRechercheDefaut(double rayon) {
    TGrilleRecherche g;
    g.AngleOx = {-180.0, 180.0, 0.5};
    const double bord = ArrondiGrille(0.8 * rayon, 0.8 * rayon);
    g.Effet = {-bord, bord, 9};
    g.Hauteur = g.Effet;
    g.Vq = {150.0, 650.0, 6};
    return g;
}

/// Far from zero, doubles are too coarse for a small step: values that should differ round to
/// the same one, and the same strokes would be fired again and again.
static std::string ValeursRepetees(const TGrilleRecherche& grille) {
    const std::vector<double> visees = ValeursVisee(grille.AngleOx);
    for (size_t k = 1; k < visees.size(); ++k)
        if (!(visees[k] > visees[k - 1]))
            return "visée : pas trop petit pour des angles de cette taille, des valeurs se "
                   "répètent";
    for (const auto& [axe, nom] :
         {std::pair{&grille.Effet, "l'effet"}, std::pair{&grille.Hauteur, "la hauteur"},
          std::pair{&grille.Vq, "la vitesse"}}) {
        const std::vector<double> v = ValeursAxe(*axe);
        for (size_t k = 1; k < v.size(); ++k)
            if (v[k] == v[k - 1])
                return std::string(nom) + " : valeurs trop proches pour leur taille, elles se "
                                          "répètent";
    }
    return {};
}

std::string VerifieGrilleRecherche(const TGrilleRecherche& grille) {
    const TAxeVisee& v = grille.AngleOx;
    if (!std::isfinite(v.De) || !std::isfinite(v.A) || !std::isfinite(v.Pas) || v.Pas <= 0)
        return "visée : bornes finies et pas positif attendus";
    if (!(v.A > v.De)) return "visée : aucune valeur (la fin doit dépasser le début)";
    if ((v.A - v.De) / v.Pas > NbPointsMax) return "visée : trop de valeurs";
    if (static_cast<double>(NbVisees(v) - 1) * v.Pas >= 360.0 * (1 - ToleranceTour))
        return "visée : plus d'un tour, des angles se répètent";
    for (const auto& [axe, nom] :
         {std::pair{&grille.Effet, "l'effet"}, std::pair{&grille.Hauteur, "la hauteur"},
          std::pair{&grille.Vq, "la vitesse"}})
        if (std::string probleme = VerifieAxe(*axe, nom); !probleme.empty()) return probleme;
    const TDimensionsRecherche d = DimensionsRecherche(grille);
    if (static_cast<double>(d.NbAngles) * d.NbEffets * d.NbHauteurs * d.NbVitesses > NbPointsMax)
        return "grille trop grande (au plus 100000000 coups)";
    if (const std::string repetee = ValeursRepetees(grille); !repetee.empty()) return repetee;
    return {};
}

std::vector<double> ValeursVisee(const TAxeVisee& axe) {
    std::vector<double> valeurs(static_cast<size_t>(NbVisees(axe)));
    const double ampleur = std::max(std::abs(axe.De), std::abs(axe.A));
    for (size_t k = 0; k < valeurs.size(); ++k)
        valeurs[k] = ArrondiGrille(axe.De + static_cast<double>(k) * axe.Pas, ampleur);
    return valeurs;
}

std::vector<double> ValeursAxe(const TAxeRecherche& axe) {
    std::vector<double> valeurs(static_cast<size_t>(std::max(axe.N, 1)));
    const double ampleur = std::max(std::abs(axe.De), std::abs(axe.A));
    valeurs[0] = ArrondiGrille(axe.De, ampleur);
    for (size_t k = 1; k < valeurs.size(); ++k)
        valeurs[k] = ArrondiGrille(
            std::lerp(axe.De, axe.A, static_cast<double>(k) / static_cast<double>(axe.N - 1)),
            ampleur);
    return valeurs;
}

bool ViseeFaitLeTour(const TAxeVisee& axe) {
    return static_cast<double>(NbVisees(axe)) * axe.Pas >= 360.0 * (1 - ToleranceTour);
}

TDimensionsRecherche DimensionsRecherche(const TGrilleRecherche& grille) {
    return {static_cast<int32_t>(NbVisees(grille.AngleOx)), grille.Effet.N, grille.Hauteur.N,
            grille.Vq.N};
}

TValeursRecherche ValeursRecherche(const TGrilleRecherche& grille) {
    TValeursRecherche v;
    v.AnglesDegres = ValeursVisee(grille.AngleOx);
    for (double degres : v.AnglesDegres) v.Angles.push_back(Radians(degres));
    v.Effets = ValeursAxe(grille.Effet);
    v.Hauteurs = ValeursAxe(grille.Hauteur);
    v.Vitesses = ValeursAxe(grille.Vq);
    return v;
}

void PlaceCoupRecherche(TBillardAlveran& moteur, const TValeursRecherche& valeurs,
                        const TDimensionsRecherche& dimensions, int64_t indice) {
    const auto i = dimensions.Indices(indice);
    moteur.Coup.AngleOx = valeurs.Angles[static_cast<size_t>(i[0])];
    moteur.Coup.Effet = valeurs.Effets[static_cast<size_t>(i[1])];
    moteur.Coup.Hauteur = valeurs.Hauteurs[static_cast<size_t>(i[2])];
    moteur.Coup.Vq = valeurs.Vitesses[static_cast<size_t>(i[3])];
}

bool CoupHorsBille(const TBillardAlveran& moteur, double effet, double hauteur) {
    // The strike's own test, so that exactly the strokes it cannot solve are left out.
    return effet * effet + hauteur * hauteur > moteur.Fisik.RayonBilles2;
}

bool PointeHorsGrille(const TBillardAlveran& moteur, double effet, double hauteur) {
    // The rim left out too: a tip on the ball's outline only grazes it, and whether a grid's
    // corner lands a hair inside or outside the outline is a matter of the last bit of its
    // decimals (0.8 R and 0.6 R make exactly R).
    return effet * effet + hauteur * hauteur > moteur.Fisik.RayonBilles2 * (1 - 1e-12);
}

namespace {

int64_t NbBlocs(const TDimensionsRecherche& d) {
    return (d.NbPoints() + TailleBlocRecherche - 1) / TailleBlocRecherche;
}

int64_t NbBlocsPartage(const TDimensionsRecherche& d, TPartageRecherche partage) {
    const int64_t total = NbBlocs(d);
    if (partage.Indice >= total) return 0;
    return (total - 1 - partage.Indice) / partage.Nombre + 1;
}

} // namespace

int64_t PasOrdreTirs(int64_t nbBlocs) {
    if (nbBlocs <= 2) return 1;
    // Near the golden section of the count: consecutive ranks land far apart and every
    // stretch of ranks spreads evenly over the grid, whatever the count.
    const auto ideal = static_cast<int64_t>(static_cast<double>(nbBlocs) * 0.6180339887498949);
    for (int64_t ecart = 0; ecart < nbBlocs; ++ecart) {
        for (const int64_t pas : {ideal - ecart, ideal + ecart})
            if (pas >= 1 && pas < nbBlocs && std::gcd(pas, nbBlocs) == 1) return pas;
    }
    return 1;
}

int64_t BlocDuRang(int64_t rang, int64_t nbBlocs, int64_t pas) {
    // Within 64 bits: both factors are below the number of blocks, itself below 2^31 for any
    // grid a machine can hold.
    return rang * pas % nbBlocs;
}

int64_t NbCoupsATirer(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                      TPartageRecherche partage) {
    return NbCoupsATirer(moteur, ValeursRecherche(grille), DimensionsRecherche(grille), partage);
}

int64_t NbCoupsATirer(const TBillardAlveran& moteur, const TValeursRecherche& v,
                      const TDimensionsRecherche& d, TPartageRecherche partage) {
    int64_t n = 0;
    const int64_t blocs = NbBlocsPartage(d, partage);
    for (int64_t rang = 0; rang < blocs; ++rang) {
        const int64_t debut = (partage.Indice + rang * partage.Nombre) * TailleBlocRecherche;
        const int64_t fin = std::min(debut + TailleBlocRecherche, d.NbPoints());
        for (int64_t indice = debut; indice < fin; ++indice) {
            const auto i = d.Indices(indice);
            if (!PointeHorsGrille(moteur, v.Effets[static_cast<size_t>(i[1])],
                                  v.Hauteurs[static_cast<size_t>(i[2])]))
                ++n;
        }
    }
    return n;
}

TRechercheSolutions::~TRechercheSolutions() {
    FEquipe.Arrete();
    FEquipe.Rejoint();
}

void TRechercheSolutions::Demarre(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                                  int nbThreads, TPartageRecherche partage) {
    Demarre(moteur, ValeursRecherche(grille), DimensionsRecherche(grille), nbThreads, partage);
}

void TRechercheSolutions::Demarre(const TBillardAlveran& moteur, const TValeursRecherche& valeurs,
                                  const TDimensionsRecherche& dimensions, int nbThreads,
                                  TPartageRecherche partage) {
    FEquipe.Arrete();
    FEquipe.Rejoint();
    FValeurs = valeurs;
    FDimensions = dimensions;
    FPartage = partage;
    FDepart = moteur.Trajets[1][0];
    FATirer = NbCoupsATirer(moteur, FValeurs, FDimensions, partage);
    FCodes.assign(static_cast<size_t>(FDimensions.NbPoints()), 0);
    FSequences.clear();
    FTires.store(0);
    FReussis.store(0);
    const int64_t blocs = NbBlocsPartage(FDimensions, partage);
    FNbBlocs = blocs;
    FPas = PasOrdreTirs(blocs);
    FEquipe.Demarre(
        moteur, static_cast<int>(std::clamp<int64_t>(nbThreads, 1, std::max<int64_t>(blocs, 1))),
        blocs, [this](TBillardAlveran& copie, int64_t rang) { return Bloc(copie, rang); });
}

bool TRechercheSolutions::Bloc(TBillardAlveran& moteur, int64_t ordre) {
    // Blocks are fired in a stride order, not grid order (slowest speed first): a search
    // stopped early has sampled every speed, height and effect, and a complete one has fired
    // the very same blocks.
    const int64_t rang = BlocDuRang(ordre, FNbBlocs, FPas);
    const int64_t debut = (FPartage.Indice + rang * FPartage.Nombre) * TailleBlocRecherche;
    const int64_t fin = std::min(debut + TailleBlocRecherche, FDimensions.NbPoints());
    int64_t tires = 0;
    int64_t reussis = 0;
    // Only the outcome and the contacts up to the point are kept: the rest of the shot is
    // not computed.
    moteur.ArretIssueDecidee = true;
    for (int64_t indice = debut; indice < fin; ++indice) {
        PlaceCoupRecherche(moteur, FValeurs, FDimensions, indice);
        if (PointeHorsGrille(moteur, moteur.Coup.Effet, moteur.Coup.Hauteur)) continue;
        moteur.Trajets[1][0] = FDepart;
        moteur.TireCoup();
        ++tires;
        if (!moteur.PointReussi) continue;
        FCodes[static_cast<size_t>(indice)] = CodeSequence(SequencePoint(moteur));
        ++reussis;
    }
    FTires.fetch_add(tires, std::memory_order_relaxed);
    FReussis.fetch_add(reussis, std::memory_order_relaxed);
    return true;
}

uint32_t TRechercheSolutions::CodeSequence(const std::string& sequence) {
    const std::lock_guard verrou(FVerrou);
    // Numbered in order of discovery for now; Attend renumbers them in text order.
    const auto [it, nouveau] =
        FSequences.try_emplace(sequence, static_cast<uint32_t>(FSequences.size()));
    return it->second + 1;
}

void TRechercheSolutions::Arrete() {
    FEquipe.Arrete();
}

bool TRechercheSolutions::Termine() const {
    return FEquipe.Termine();
}

int TRechercheSolutions::NbThreads() const {
    return FEquipe.NbThreads();
}

TProgressionRecherche TRechercheSolutions::Progression() const {
    return {FTires.load(std::memory_order_relaxed), FATirer,
            FReussis.load(std::memory_order_relaxed)};
}

TCoupsRecherche TRechercheSolutions::Attend() {
    FEquipe.Rejoint();
    TCoupsRecherche r;
    r.Dimensions = FDimensions;
    // The order of discovery depends on the threads; the text order does not.
    std::vector<uint32_t> rangs(FSequences.size());
    uint32_t rang = 0;
    for (const auto& [sequence, decouverte] : FSequences) {
        rangs[decouverte] = ++rang;
        r.Sequences.push_back(sequence);
    }
    for (uint32_t& code : FCodes)
        if (code != 0) code = rangs[code - 1];
    r.Codes = std::move(FCodes);
    FCodes = {};
    r.Tires = FTires.load();
    r.Reussis = FReussis.load();
    r.Interrompu = FEquipe.UnitesFaites() < FEquipe.NbUnites();
    return r;
}

TCoupsRecherche ChercheSolutions(const TBillardAlveran& moteur, const TGrilleRecherche& grille,
                                 int nbThreads, TPartageRecherche partage) {
    TRechercheSolutions recherche;
    recherche.Demarre(moteur, grille, nbThreads, partage);
    return recherche.Attend();
}

TCoupsRecherche FusionneCoups(const std::vector<TCoupsRecherche>& parts) {
    TCoupsRecherche r;
    if (parts.empty()) return r;
    r.Dimensions = parts.front().Dimensions;
    std::set<std::string> toutes;
    for (const TCoupsRecherche& p : parts) toutes.insert(p.Sequences.begin(), p.Sequences.end());
    r.Sequences.assign(toutes.begin(), toutes.end());
    r.Codes.assign(static_cast<size_t>(r.Dimensions.NbPoints()), 0);
    for (const TCoupsRecherche& p : parts) {
        std::vector<uint32_t> codes;
        for (const std::string& s : p.Sequences)
            codes.push_back(
                static_cast<uint32_t>(std::lower_bound(r.Sequences.begin(), r.Sequences.end(), s) -
                                      r.Sequences.begin() + 1));
        for (size_t i = 0; i < p.Codes.size() && i < r.Codes.size(); ++i)
            if (p.Codes[i] != 0) r.Codes[i] = codes[p.Codes[i] - 1];
        r.Tires += p.Tires;
        r.Reussis += p.Reussis;
        r.Interrompu = r.Interrompu || p.Interrompu;
    }
    return r;
}
