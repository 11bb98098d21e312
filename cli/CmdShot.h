#pragma once
// The JSON result of a shot, shared by the subcommands that fire one.

#include "cli/Json.h"
#include "engine/C8_BillardAlveran.h"

/// Writes the members of the shot's result into the object open in `json`: PointReussi,
/// IndicePoint, QueueInsoluble, NbEnr, Duree and, with `enregistrements`, every record.
void EcritResultatCoup(TJson& json, const TBillardAlveran& moteur, bool enregistrements);
