#pragma once
// What the secondary windows may ask of the main window. They hold this interface, never the
// main window itself: the menus, the controls and the other windows stay the main window's own
// business, and a window that must notify another emits a signal that the code creating the
// windows connects.

#include "engine/C8_BillardAlveran.h"
#include "engine/CoupQueue.h"
#include "ui/Dialogues.h"

#include <QString>

class TServicesMain {
  public:
    /// The engine the main window fires and draws; the windows read and change its records.
    virtual TBillardAlveran& MoteurPartage() = 0;
    /// The message boxes and file dialogs.
    virtual TDialogues& Dialogues() = 0;

    /// The stroke the next shot fires, exactly as it was last set (the controls show it).
    virtual TCoupQueue Coup() const = 0;
    /// Sets the whole stroke; the controls show it. In "Trace simultanée" it is fired once.
    virtual void FixeCoup(const TCoupQueue& coup) = 0;
    /// Sets the whole stroke and fires it drawn as lines: one shot, whatever the drawing mode.
    virtual void JoueCoup(const TCoupQueue& coup) = 0;
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
