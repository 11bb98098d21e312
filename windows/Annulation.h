#pragma once
// Undo and redo of what the player sets on the table: ball places, the cue ball, the aim and
// the stroke. The window tells this object when something changed; changes that follow each
// other closely (a drag, a held arrow key, a slider) make one step, and a load or a paste makes
// one at once. Each step holds the whole state before and after, so undoing puts back exactly
// what was there, whatever moved in between.

#include "ui/CIbh.h"

#include <QObject>
#include <QTimer>
#include <QUndoStack>

#include <array>
#include <functional>

// After the library headers: moc, reading this header, cannot parse <numbers> first.
#include "engine/CoupQueue.h"

/// What a step of undo puts back.
struct TEtatPartie {
    std::array<TPointTable, 3> Billes{}; ///< the table's three balls (yellow, white, red), cm
    bool JoueurJaune = false;            ///< the yellow ball is the cue ball
    /// The stroke as it is fired, exactly: undoing gives back the very values, not pixels.
    TCoupQueue Coup;
    /// Ball places alike to within a nanometre: a new layout of the table gives back the same
    /// place through diamonds and pixels to within the last bits, and that is not a move.
    bool operator==(const TEtatPartie& autre) const;
};

class TAnnulation : public QObject {
    Q_OBJECT
  public:
    /// Changes closer together than this (ms) make one step.
    static constexpr int DelaiRegroupement = 400;

    /// `lit` reads the window's state, `ecrit` puts one back.
    TAnnulation(std::function<TEtatPartie()> lit, std::function<void(const TEtatPartie&)> ecrit,
                QObject* parent = nullptr);

    QUndoStack& Pile() { return FPile; }
    /// Something changed: a step is made once the changes pause.
    void Change();
    /// Makes the step now if the state differs from the last one kept (after a load, a paste,
    /// before an undo).
    void Valide();
    /// "Annuler" and "Rétablir": a change still pending is kept as a step first.
    void Annule();
    void Retablit();
    /// The state as it is becomes the reference, without a step (the window's own start).
    void Reprend();
    /// True while a step is being put back: the window's notifications are then not changes.
    bool EnRestauration() const { return FRestauration; }

  private:
    class TCommande;
    void Restaure(const TEtatPartie& etat);

    std::function<TEtatPartie()> FLit;
    std::function<void(const TEtatPartie&)> FEcrit;
    QUndoStack FPile;
    QTimer FAttente;
    TEtatPartie FReference;
    bool FRestauration = false;
};
