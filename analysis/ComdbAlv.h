#pragma once
// The shot block of the database application, seen from the engine: building the block that
// is sent after a shot and applying a block that comes back.

#include "analysis/CalculD13.h"
#include "analysis/TypeDbAlv.h"
#include "engine/C8_BillardAlveran.h"

#include <string>

/// Ball 1's impacts in record order, over the whole trajectory: "S", "E", "N", "O" for
/// cushions 1 to 4, the number of the ball hit ("2", "3") for a ball, nothing for the cloth.
std::string SequenceContacts(const TBillardAlveran& Moteur);
/// The same, over records 1 to `Dernier` only.
std::string SequenceContacts(const TBillardAlveran& Moteur, int32_t Dernier);
/// Ball 1's contacts up to the one that completed the point (record IndicePoint), which names
/// the route the point took; the whole sequence when the point was not made. Cutting there
/// also leaves out the final record at rest, which repeats the kind and contact of the last
/// impact record when the balls stop in the step of a cue-ball cushion.
std::string SequencePoint(const TBillardAlveran& Moteur);

/// The block that the export sends: the stroke when `Queue` is true (type 1), otherwise ball
/// 1's velocity and rotation in record 0 (type 2); the characteristics are the window's last
/// results (after a shot that was not significant, `d` is the last significant one's).
TCoupDb PrepareCoupDb(const TBillardAlveran& Moteur, const TCaracteristiques& Derniers, bool Queue);

/// Applies a received block to the engine and returns its type: positions of record 0, the
/// fifteen constants (the three dimensions through SetDimension, in their published order),
/// then the stroke (type 1) or ball 1's velocity and rotation (any other type). Nothing is
/// validated: values are taken as they come.
int32_t RecoitCoupDb(TBillardAlveran& Moteur, const TCoupDb& Bloc);
