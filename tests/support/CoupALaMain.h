#pragma once
// Builds an engine's records by hand, so that the analysis of a shot can be checked on
// trajectories whose geometry is known exactly.

#include "engine/C8_BillardAlveran.h"

#include <memory>

class TCoupALaMain {
  public:
    /// Balls 2 and 3 stay where they are put unless a record says otherwise.
    TCoupALaMain(TVecteur p2, TVecteur p3) : P2(p2), P3(p3) {
        Moteur->Trajets[2][0].Position = P2;
        Moteur->Trajets[3][0].Position = P3;
        Moteur->IndicePoint = TBillardAlveran::NbEnrMax;
    }

    /// Record 0: ball 1 at `p1` with velocity `v1`.
    TCoupALaMain& Depart(TVecteur p1, TVecteur v1) {
        Moteur->Trajets[1][0].Position = p1;
        Moteur->Trajets[1][0].Vitesse = v1;
        return *this;
    }

    /// Appends a record: ball 1 at `p1` with `v1`, impact `type`, ball 1's contre `contre`.
    TCoupALaMain& Ajoute(TVecteur p1, TVecteur v1, TTypeChoc type = cAucun, int32_t contre = 0) {
        const int32_t i = ++Moteur->NbEnr;
        Moteur->Trajets[1][i].Position = p1;
        Moteur->Trajets[1][i].Vitesse = v1;
        Moteur->Trajets[2][i].Position = P2;
        Moteur->Trajets[3][i].Position = P3;
        Moteur->TypesChoc[i] = type;
        Moteur->Contres[i] = contre;
        Moteur->Temps[i] = 0.1 * i;
        return *this;
    }
    /// Ball 1's impact with a cushion (1 to 4).
    TCoupALaMain& Bande(TVecteur p1, TVecteur v1, int32_t numero) {
        return Ajoute(p1, v1, cBilleBande, numero);
    }
    /// Ball 1's impact with ball 2 or 3.
    TCoupALaMain& Bille(TVecteur p1, TVecteur v1, int32_t numero) {
        return Ajoute(p1, v1, cBilleBille, numero);
    }
    /// The two object balls meeting (ball 1 not involved).
    TCoupALaMain& Baiser(TVecteur p1, TVecteur v1) { return Ajoute(p1, v1, cBilleBille, 0); }

    /// The point made at the last record.
    TCoupALaMain& Point() {
        Moteur->PointReussi = true;
        Moteur->IndicePoint = Moteur->NbEnr;
        return *this;
    }

    TBillardAlveran& operator*() { return *Moteur; }
    TBillardAlveran* operator->() { return Moteur.get(); }

  private:
    // The engine holds all its records inline: too large for the stack.
    std::unique_ptr<TBillardAlveran> Moteur = std::make_unique<TBillardAlveran>();
    TVecteur P2, P3;
};
