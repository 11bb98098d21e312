#pragma once
// Physical constants, ball state and the small enumerations shared by the engine layers.

#include "engine/ProcsVecteurs.h"

#include <cstdint>

/// One cushion: its nose line (a horizontal line at height HautBdes) and its number.
struct TBande {
    TVecteur Tangente;  ///< unit vector along the cushion
    TVecteur Point;     ///< a point of the nose line (cm)
    TVecteur Normale;   ///< unit normal pointing into the playing surface
    int32_t Numero = 0; ///< 1 to 4, counter-clockwise from the long cushion at +x
};

/// The physical constants of the simulation. The three dimensions are written only through
/// SetDimension, which keeps the derived fields and the cushions consistent.
class TPARAMPHYS {
  public:
    TPARAMPHYS();

    static constexpr int NbParametres = 19;
    /// The published names, in published (storage and editing) order.
    static const char* const Noms[NbParametres];
    /// The options of the stroke and cushion models, numbered after the published constants
    /// (19, 20, …): set by name and fitted like them, but neither in the block sent to dbAlv
    /// nor in the constants dialog. Their defaults leave the engine's results as they were.
    static constexpr int NbOptionsModele = 4;
    static constexpr int NbParametresModele = NbParametres + NbOptionsModele;
    static const char* const NomsOptionsModele[NbOptionsModele];
    /// The name of a published constant or model option; "" if out of range.
    static const char* NomParametre(int index);
    /// Index of a published name or model option (exact case), -1 if unknown.
    static int IndiceParametre(const char* nom);
    /// Reads the property of that index (0 = largeurJeu … 18 = G, then the model options); 0 if
    /// out of range.
    double Parametre(int index) const;
    /// Writes the property of that index; the three dimensions go through SetDimension.
    void SetParametre(int index, double valeur);
    /// The default value of the property of that index.
    static double Defaut(int index);

    double largeurJeu() const { return FlargeurJeu; }   ///< width of the playing surface (cm)
    double HautBdes() const { return FHautBdes; }       ///< height of the cushion nose (cm)
    double RayonBilles() const { return FRayonBilles; } ///< ball radius R (cm)

    /// 0 = largeurJeu, 1 = HautBdes, 2 = RayonBilles; any other index only re-clamps.
    void SetDimension(int Index, double Value);
    /// Rebuilds Bandes from largeurJeu and HautBdes.
    void CalculeBandes();

    double MasseBilles = 215.0;    ///< ball mass M (g)
    double VzRebondNul = 0.5;      ///< vertical speed under which a ball does not bounce (cm/s)
    double FrotBiTapGlisse = 0.15; ///< ball–cloth sliding friction
    double FrotBiTapPivot = 0.015; ///< ball–cloth pivoting friction, a length (cm)
    double FrotBiTapRoule = 0.006; ///< ball–cloth rolling resistance
    double FrotBiTapChoc = 0.2;    ///< ball–cloth friction during an impact
    double FrotBiBi = 0.03;        ///< ball–ball friction
    double FrotBiBde = 0.3;        ///< ball–cushion friction
    double ElastBiTap = 0.5;       ///< ball–cloth restitution
    double ElastBiBi = 0.87;       ///< ball–ball restitution
    double ElastBiBde = 0.8;       ///< ball–cushion restitution
    double PerteEcQB = 0.13;       ///< kinetic energy fraction lost in the cue–ball impact
    double dtAnal = 0.01;          ///< largest analysis step (s)
    double dtEnr = 0.05;           ///< interval of periodic records (s)
    double TLIM = 12.0;            ///< maximum duration shown to the user (s); unused by the engine
    double G = 981.0;              ///< gravity (cm/s²)

    // Model options (indices 19 …), each off at its default.
    /// Share of the rigid-body spin a tip offset gives: the strike is solved as if the tip met
    /// the ball at this fraction of its offsets (tip and ball compliance). 1: the ideal strike.
    double RendementProcede = 1.0;
    /// Effective end mass of the cue shaft (g), which sets the squirt: the cue ball leaves at
    /// a small angle from the cue's line, away from the side used. 0: no squirt.
    double MasseBoutQueue = 0.0;
    /// Share of the ball's horizontal (rolling) spin that the cloth, pressed by the cushion's
    /// downward push, takes away during a cushion impact (0 to 1). 0: none beyond the contact.
    double PerteRotationBande = 0.0;
    /// Friction along the cushion's length over FrotBiBde: how much side spin and the velocity
    /// along the rail turn into angle, while the friction across (that takes the rolling spin)
    /// stays FrotBiBde. 1: one isotropic friction, as the contact rule of every impact.
    double RapportFrotBdeLong = 1.0;

    // Derived fields, kept by SetDimension.
    double DiamBilles = 0.0;   ///< 2·R (cm)
    double RayonBilles2 = 0.0; ///< R² (cm²)
    double DiamBilles2 = 0.0;  ///< (2·R)² (cm²)
    TBande Bandes[4];          ///< storage order: cushions 1, 3, 2, 4

  private:
    double FlargeurJeu = 142.25;
    double FHautBdes = 3.7;
    double FRayonBilles = 3.075;
};

/// Motion state of a ball (one byte). 4 and 5 are final.
enum TMouvement : uint8_t {
    mVole = 0,
    mGlisse = 1,
    mRoule = 2,
    mPivotSeul = 3,
    mArret = 4,
    mDehors = 5
};
/// Kind of an impact (one byte).
enum TTypeChoc : uint8_t { cAucun = 0, cBilleBille = 1, cBilleTapis = 2, cBilleBande = 3 };
/// Game mode; any value outside 0..2 scores as jLibre.
enum TModeDeJeu : int32_t { jLibre = 0, j1Bande = 1, j3Bandes = 2 };

/// Texts of the motion states and impact kinds as the numerical view shows them ("?" otherwise).
const char* TexteMouvement(int etat);
const char* TexteTypeChoc(int type);

/// The part of a ball's state that the records keep.
struct TCinematique {
    TVecteur Position; ///< centre of the ball (cm)
    TVecteur Vitesse;  ///< velocity of the centre (cm/s)
    TVecteur Rotation; ///< angular velocity (rad/s)
};

class TAlveranChocTapis;
struct TEtatBille;
/// The point callback of the cue ball: a member of the engine, bound to the engine object.
using TProcPoint = void (TAlveranChocTapis::*)(TEtatBille&);

/// Working state of one ball during a trajectory computation.
struct TEtatBille {
    TVecteur Position;       ///< cm
    TVecteur Vitesse;        ///< cm/s
    TVecteur Rotation;       ///< rad/s
    TVecteur DemiAccVol;     ///< Uz·G/2 (cm/s²)
    TVecteur AccVol;         ///< Uz·G (cm/s²)
    TVecteur DemiAccGlisse;  ///< AccGlisse/2
    TVecteur AccGlisse;      ///< sliding deceleration (cm/s²)
    TVecteur AccRotGlisse;   ///< angular acceleration while sliding (rad/s²)
    TVecteur DemiAccRoule;   ///< AccRoule/2
    TVecteur AccRoule;       ///< rolling deceleration (cm/s²)
    TVecteur FacteurRoule;   ///< Uz/R: while rolling Rotation = FacteurRoule × Vitesse (1/cm)
    double Adherence = 0.0;  ///< adhesion coefficient of the last impact
    double TFinGlisse = 0.0; ///< absolute end of sliding (s)
    double TFinRoule = 0.0;  ///< absolute end of rolling (s)
    double TFinPivot = 0.0;  ///< absolute end of the spin about z (s)
    double DecelPivot = 0.0; ///< signed deceleration of Rotation.z (rad/s²)
    TMouvement Etat = mVole;
    TTypeChoc TypeChoc = cAucun;
    int32_t NbBandes = 0;                ///< cushion impacts since the start
    TEtatBille* PremiereBille = nullptr; ///< first ball this ball struck
    TProcPoint SurPoint = nullptr;       ///< point callback, cue ball only
    int32_t Numero = 0;                  ///< 1, 2 or 3; 1 is the cue ball
    int32_t Contre = 0;                  ///< what was struck in the current step

    TCinematique Cinematique() const { return {Position, Vitesse, Rotation}; }
    void SetCinematique(const TCinematique& c) {
        Position = c.Position;
        Vitesse = c.Vitesse;
        Rotation = c.Rotation;
    }
};
