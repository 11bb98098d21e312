#include "analysis/ComdbAlv.h"

#include <algorithm>

std::string SequenceContacts(const TBillardAlveran& Moteur, int32_t Dernier) {
    static constexpr char Bandes[] = "SENO"; // cushions 1 to 4
    std::string texte;
    const int32_t N = std::min({Dernier, Moteur.NbEnr, TBillardAlveran::NbEnrMax});
    for (int32_t i = 1; i <= N; ++i) {
        const int32_t c = Moteur.Contres[i];
        if (Moteur.TypesChoc[i] == cBilleBande && c >= 1 && c <= 4)
            texte += Bandes[c - 1];
        else if (Moteur.TypesChoc[i] == cBilleBille && c != 0)
            texte += std::to_string(c);
    }
    return texte;
}

std::string SequenceContacts(const TBillardAlveran& Moteur) {
    return SequenceContacts(Moteur, TBillardAlveran::NbEnrMax);
}

std::string SequencePoint(const TBillardAlveran& Moteur) {
    return SequenceContacts(Moteur, Moteur.PointReussi ? Moteur.IndicePoint : Moteur.NbEnr);
}

TCoupDb PrepareCoupDb(const TBillardAlveran& Moteur, const TCaracteristiques& Derniers,
                      bool Queue) {
    TCoupDb bloc;
    bloc.D13 = Derniers.D13;
    bloc.P13 = Derniers.P13;
    bloc.d = Derniers.d;
    bloc.Contre = Derniers.Contre ? 1 : 0;
    for (int b = 0; b < 3; ++b) bloc.Positions[b] = Moteur.Trajets[b + 1][0].Position;
    bloc.Point = Moteur.PointReussi ? 1 : 0;

    if (Queue) {
        bloc.Type = tcQueue;
        const double coup[6] = {Moteur.Coup.Effet,   Moteur.Coup.Hauteur,    Moteur.Coup.Vq,
                                Moteur.Coup.AngleOx, Moteur.Coup.AngleTapis, Moteur.Coup.m};
        std::copy(std::begin(coup), std::end(coup), bloc.Coup);
    } else {
        bloc.Type = tcVitesseRotation;
        const TCinematique& c = Moteur.Trajets[1][0];
        const double coup[6] = {c.Vitesse.x,  c.Vitesse.y,  c.Vitesse.z,
                                c.Rotation.x, c.Rotation.y, c.Rotation.z};
        std::copy(std::begin(coup), std::end(coup), bloc.Coup);
    }

    bloc.SetSequence(SequenceContacts(Moteur));
    for (int i = 0; i < NbConstantesDb; ++i) bloc.Constantes[i] = Moteur.Fisik.Parametre(i);
    return bloc;
}

int32_t RecoitCoupDb(TBillardAlveran& Moteur, const TCoupDb& Bloc) {
    for (int b = 0; b < 3; ++b) Moteur.Trajets[b + 1][0].Position = Bloc.Positions[b];

    // The three dimensions first, in their published order, through the setter that keeps
    // the derived fields and the cushions consistent (each write re-clamps the cushion height
    // against the radius of the moment); the twelve others are stored as they are.
    for (int i = 0; i < 3; ++i) Moteur.Fisik.SetDimension(i, Bloc.Constantes[i]);
    for (int i = 3; i < NbConstantesDb; ++i) Moteur.Fisik.SetParametre(i, Bloc.Constantes[i]);

    if (Bloc.Type == tcQueue) {
        Moteur.Coup.Effet = Bloc.Coup[0];
        Moteur.Coup.Hauteur = Bloc.Coup[1];
        Moteur.Coup.Vq = Bloc.Coup[2];
        Moteur.Coup.AngleOx = Bloc.Coup[3];
        Moteur.Coup.AngleTapis = Bloc.Coup[4];
        Moteur.Coup.m = Bloc.Coup[5];
    } else {
        TCinematique& c = Moteur.Trajets[1][0];
        c.Vitesse = {Bloc.Coup[0], Bloc.Coup[1], Bloc.Coup[2]};
        c.Rotation = {Bloc.Coup[3], Bloc.Coup[4], Bloc.Coup[5]};
    }
    return Bloc.Type;
}
