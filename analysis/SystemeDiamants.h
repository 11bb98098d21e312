#pragma once
// The chart of a table against the players' corner-five diamond system: the cue ball sent
// from origin number D through first-rail diamond F comes to the third rail at T = D − F.
//
// Numbers as players write them, the table seen from the origin's corner: D by halves up the
// origin's long rail (5 at the near corner, 4.5 one diamond up, 4 two diamonds up, 3 at the
// middle diamond), then 6, 7, 8 along the near short rail, one a diamond; F and T in diamonds from
// the far short rail, F on the opposite long rail, T back on the origin's long rail. Here the
// origin's long rail is cushion 1 (x = +largeurJeu/2), the near short rail cushion 4 (y =
// −largeurJeu): the cue ball meets cushions 3, 2, 1 in that order. Points are taken on the
// cushions' nose lines.
//
// The speed of a stroke is named by how far a centre-struck ball runs on an unbounded cloth,
// in lengths of this table; the cue speed of every stroke is then chosen so that the cue ball
// leaves at that same speed, whatever its side and height.

#include "engine/C8_BillardAlveran.h"

#include <atomic>
#include <limits>
#include <string_view>
#include <vector>

/// How hard the system is played.
enum class TVitesseSysteme { Lente, Moyenne, Rapide };

/// "lente", "moyenne", "rapide".
const char* NomVitesseSysteme(TVitesseSysteme vitesse);
/// Reads one of the three names; false for anything else.
bool LitVitesseSysteme(std::string_view texte, TVitesseSysteme& vitesse);
/// Table lengths a centre-struck ball runs at that speed: 3, 4.5, 7.
double LongueursVitesseSysteme(TVitesseSysteme vitesse);

/// The stroke the system is played with (level cue).
struct TCoupSysteme {
    double Effet = 0.4;   ///< running side, fraction of the ball's radius (negative: reverse)
    double Hauteur = 0.0; ///< tip height above the centre, fraction of the radius
    TVitesseSysteme Vitesse = TVitesseSysteme::Moyenne;
};

/// One shot of the system.
struct TPointSysteme {
    double D = 0.0; ///< origin number
    double F = 0.0; ///< first-rail diamond
    /// Where the cue ball met the third rail, diamonds from the far short rail; NaN when it
    /// did not meet the three rails in order (or met a ball first).
    double T = std::numeric_limits<double>::quiet_NaN();
    double Ecart = std::numeric_limits<double>::quiet_NaN(); ///< T − (D − F)
    TVecteur Origine; ///< the origin on the nose lines (cm, z = 0)
    TVecteur Visee;   ///< the first-rail diamond on the opposite nose line (cm, z = 0)
    TVecteur Depart;  ///< the cue ball's centre at the start (cm, z = R)
    /// The cue ball's centre at each of its first (up to three) cushion contacts (cm).
    TVecteur Contacts[3];
    int NbContacts = 0; ///< contacts in Contacts, in order
    bool Valide() const { return T == T; }
};

/// The chart: every shot of the system with one stroke.
struct TResultatSysteme {
    TCoupSysteme Coup;
    double Vq = 0.0; ///< the cue speed used (cm/s)
    std::vector<TPointSysteme> Points;
    int NbValides = 0;             ///< shots that met the three rails in order
    double EcartMoyen = 0.0;       ///< mean of T − (D − F) over them (diamonds); NaN if none
    double EcartMoyenAbsolu = 0.0; ///< mean of |T − (D − F)|
    double EcartMax = 0.0;         ///< the largest |T − (D − F)|
    bool Interrompu = false;
};

/// The running side with which the table follows the system best.
struct TEffetSysteme {
    double Effet = 0.0;            ///< fraction of the radius
    double EcartMoyenAbsolu = 0.0; ///< its mean absolute deviation (diamonds)
};

/// The 43 (D, F) pairs played: D ∈ {3, 3.5, 4, 4.5, 5, 6, 7}, F ∈ {1, 1.5, …, 4}, D − F ≥ 0.5.
std::vector<std::pair<double, double>> PairesSysteme();

/// The cue ball's launch speed (cm/s) at which a centre-struck ball runs `longueurs` lengths of
/// `modele`'s table on an unbounded cloth (the engine's own sliding and rolling, measured).
double VitesseBilleSysteme(const TBillardAlveran& modele, double longueurs);

/// The cue speed (cm/s) with which `coup` launches the cue ball at the speed of its class on
/// `modele` (its constants and cue mass); 0 when the strike has no solution.
double VitesseQueueSysteme(const TBillardAlveran& modele, const TCoupSysteme& coup);

/// Fires one shot of the system on `moteur` (its constants and cue mass; its balls and stroke
/// are replaced) with cue speed `Vq`.
TPointSysteme TireSysteme(TBillardAlveran& moteur, double D, double F, const TCoupSysteme& coup,
                          double Vq);

struct TOptionsSysteme {
    TCoupSysteme Coup;
    double Vq = 0.0; ///< cue speed (cm/s); 0: the speed class's calibrated one
    int Threads = 1;
    const std::atomic<bool>* Arret = nullptr;
};

/// Every shot of the system, shared out to `options.Threads` copies of `modele`.
TResultatSysteme CalculeSysteme(const TBillardAlveran& modele, const TOptionsSysteme& options);

/// The means of `resultat.Points`' deviations (fills NbValides and the three figures).
void StatistiquesSysteme(TResultatSysteme& resultat);

/// Searches the running side from 0.1 to 0.7 of the radius by steps of 0.05 at the height and
/// speed of `options.Coup` (its side is ignored): the one with the least mean absolute
/// deviation. A side with no valid shot counts as not followed at all.
TEffetSysteme RechercheEffetSysteme(const TBillardAlveran& modele, const TOptionsSysteme& options);

/// The diamond number of a point of the nose line of cushion `numero` (1 to 4), in diamonds
/// from the corner players count from: from the far short rail (y = +largeurJeu) on the long
/// rails 1 and 3, from the origin's long rail (x = +largeurJeu/2) on the short rails.
double NumeroDiamant(int numero, const TVecteur& position, double largeurJeu);
