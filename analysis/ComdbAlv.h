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

/// The block that the export sends: the stroke when `Queue` is true (type 1), otherwise ball
/// 1's velocity and rotation in record 0 (type 2); the characteristics are the window's last
/// results (after a shot that was not significant, `d` is the last significant one's).
TCoupDb PrepareCoupDb(const TBillardAlveran& Moteur, const TCaracteristiques& Derniers, bool Queue);

/// Applies a received block to the engine and returns its type: positions of record 0, the
/// fifteen constants (the three dimensions through SetDimension, in their published order),
/// then the stroke (type 1) or ball 1's velocity and rotation (any other type). Nothing is
/// validated: values are taken as they come.
int32_t RecoitCoupDb(TBillardAlveran& Moteur, const TCoupDb& Bloc);
