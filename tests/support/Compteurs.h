#pragma once
// Counts the engine's cue strikes and trajectory computations, through its two notifications.

#include "engine/C8_BillardAlveran.h"

struct TCompteurs {
    int Frappes = 0;
    int Calculs = 0;
};
inline void CompteFrappe(void* c, TBillardAlveran&) {
    ++static_cast<TCompteurs*>(c)->Frappes;
}
inline void CompteCalcul(void* c, TBillardAlveran&) {
    ++static_cast<TCompteurs*>(c)->Calculs;
}
