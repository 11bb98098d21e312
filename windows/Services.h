#pragma once
// What the secondary windows may ask of the main window. They hold this interface, never the
// main window itself: the menus, the controls and the other windows stay the main window's own
// business, and a window that must notify another emits a signal that the code creating the
// windows connects.

#include "engine/C8_BillardAlveran.h"
#include "ui/Dialogues.h"

#include <QString>

/// The stroke set with the cue panel and the aim, as the user sees it.
struct TCoupCourant {
    double Effet = 0.0;       ///< cm
    double Hauteur = 0.0;     ///< cm
    double AngleVisee = 0.0;  ///< degrees
    double Vitesse = 0.0;     ///< cue speed (cm/s)
    double Inclinaison = 0.0; ///< degrees
    double MasseQueue = 0.0;  ///< g
    /// The aim in radians exactly as the shot is fired: AngleVisee in degrees does not always
    /// convert back to the same double.
    double AngleOx = 0.0;
};

/// One value of the stroke, for the windows that set them one at a time.
enum class TValeurCoup { Effet, Hauteur, Vitesse, Inclinaison, AngleVisee, MasseQueue };

class TServicesMain {
  public:
    /// The engine the main window fires and draws; the windows read and change its records.
    virtual TBillardAlveran& MoteurPartage() = 0;
    /// The message boxes and file dialogs.
    virtual TDialogues& Dialogues() = 0;

    /// The stroke of the cue panel and the aim.
    virtual TCoupCourant CoupCourant() const = 0;
    /// Sets one value through its control, which then behaves as if the user had moved it.
    virtual void FixeValeurCoup(TValeurCoup valeur, double v) = 0;
    /// Ball positions of the table into the engine.
    virtual void PositionsVersMoteur() = 0;
    /// The record at which the last shot left the balls.
    virtual int EtapeCourante() const = 0;
    /// Places the balls of the table at record i.
    virtual void PlaceBillesEtape(int i) = 0;

    /// Fires the current stroke, drawn as the menus say.
    virtual void Tire() = 0;
    /// Fires the current stroke drawn as lines, the drawing choice left as it was.
    virtual void TireEnLignes() = 0;
    /// Shows `coup` on the controls as closely as they can and fires it exactly as given,
    /// drawn as lines: one shot, whatever "Trace simultanée" says.
    virtual void JoueCoupExact(const TCoupQueue& coup) = 0;
    /// Whether the lines of the previous shot are erased before the next one is drawn.
    virtual bool EffacementLignes() const = 0;
    virtual void EffaceLignes() = 0;
    /// Draws the trajectories of the engine's records.
    virtual void DessineLignes() = 0;
    /// Whether every shot is sent to the database application.
    virtual bool EnvoiAutomatique() const = 0;
    /// Sends the engine's velocities and rotations to the database application.
    virtual void ExporteVitesses() = 0;

    /// Opens the vector editor on one recorded vector of ball `bille` at record `indice`;
    /// `quoi` names it ("Position", "Vitesse", "Rotation").
    virtual void EditeVecteur(int bille, const QString& quoi, TVecteur* vecteur, int indice) = 0;

  protected:
    TServicesMain() = default;
    ~TServicesMain() = default;
    TServicesMain(const TServicesMain&) = default;
    TServicesMain& operator=(const TServicesMain&) = default;
};
