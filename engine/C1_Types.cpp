#include "engine/C1_Types.h"

#include <cstring>

const char* const TPARAMPHYS::Noms[TPARAMPHYS::NbParametres] = {"largeurJeu",
                                                                "HautBdes",
                                                                "RayonBilles",
                                                                "MasseBilles",
                                                                "VzRebondNul",
                                                                "FrotBiTapGlisse",
                                                                "FrotBiTapPivot",
                                                                "FrotBiTapRoule",
                                                                "FrotBiTapChoc",
                                                                "FrotBiBi",
                                                                "FrotBiBde",
                                                                "ElastBiTap",
                                                                "ElastBiBi",
                                                                "ElastBiBde",
                                                                "PerteEcQB",
                                                                "dtAnal",
                                                                "dtEnr",
                                                                "TLIM",
                                                                "G"};

const char* const TPARAMPHYS::NomsOptionsModele[TPARAMPHYS::NbOptionsModele] = {
    "RendementProcede", "MasseBoutQueue", "PerteRotationBande", "RapportFrotBdeLong"};

namespace {
constexpr double DefautsOptionsModele[TPARAMPHYS::NbOptionsModele] = {1.0, 0.0, 0.0, 1.0};
constexpr double Defauts[TPARAMPHYS::NbParametres] = {142.25, 3.7,  3.075, 215, 0.5, 0.15, 0.015,
                                                      0.006,  0.2,  0.03,  0.3, 0.5, 0.87, 0.8,
                                                      0.13,   0.01, 0.05,  12,  981};
} // namespace

TPARAMPHYS::TPARAMPHYS() {
    SetDimension(-1, 0.0);
}

const char* TPARAMPHYS::NomParametre(int index) {
    if (index >= 0 && index < NbParametres) return Noms[index];
    if (index >= NbParametres && index < NbParametresModele)
        return NomsOptionsModele[index - NbParametres];
    return "";
}

int TPARAMPHYS::IndiceParametre(const char* nom) {
    for (int i = 0; i < NbParametresModele; ++i)
        if (std::strcmp(NomParametre(i), nom) == 0) return i;
    return -1;
}

double TPARAMPHYS::Defaut(int index) {
    if (index >= 0 && index < NbParametres) return Defauts[index];
    if (index >= NbParametres && index < NbParametresModele)
        return DefautsOptionsModele[index - NbParametres];
    return 0.0;
}

double TPARAMPHYS::Parametre(int index) const {
    switch (index) {
    case 0:
        return FlargeurJeu;
    case 1:
        return FHautBdes;
    case 2:
        return FRayonBilles;
    case 3:
        return MasseBilles;
    case 4:
        return VzRebondNul;
    case 5:
        return FrotBiTapGlisse;
    case 6:
        return FrotBiTapPivot;
    case 7:
        return FrotBiTapRoule;
    case 8:
        return FrotBiTapChoc;
    case 9:
        return FrotBiBi;
    case 10:
        return FrotBiBde;
    case 11:
        return ElastBiTap;
    case 12:
        return ElastBiBi;
    case 13:
        return ElastBiBde;
    case 14:
        return PerteEcQB;
    case 15:
        return dtAnal;
    case 16:
        return dtEnr;
    case 17:
        return TLIM;
    case 18:
        return G;
    case 19:
        return RendementProcede;
    case 20:
        return MasseBoutQueue;
    case 21:
        return PerteRotationBande;
    case 22:
        return RapportFrotBdeLong;
    default:
        return 0.0;
    }
}

void TPARAMPHYS::SetParametre(int index, double valeur) {
    switch (index) {
    case 0:
    case 1:
    case 2:
        SetDimension(index, valeur);
        break;
    case 3:
        MasseBilles = valeur;
        break;
    case 4:
        VzRebondNul = valeur;
        break;
    case 5:
        FrotBiTapGlisse = valeur;
        break;
    case 6:
        FrotBiTapPivot = valeur;
        break;
    case 7:
        FrotBiTapRoule = valeur;
        break;
    case 8:
        FrotBiTapChoc = valeur;
        break;
    case 9:
        FrotBiBi = valeur;
        break;
    case 10:
        FrotBiBde = valeur;
        break;
    case 11:
        ElastBiTap = valeur;
        break;
    case 12:
        ElastBiBi = valeur;
        break;
    case 13:
        ElastBiBde = valeur;
        break;
    case 14:
        PerteEcQB = valeur;
        break;
    case 15:
        dtAnal = valeur;
        break;
    case 16:
        dtEnr = valeur;
        break;
    case 17:
        TLIM = valeur;
        break;
    case 18:
        G = valeur;
        break;
    case 19:
        RendementProcede = valeur;
        break;
    case 20:
        MasseBoutQueue = valeur;
        break;
    case 21:
        PerteRotationBande = valeur;
        break;
    case 22:
        RapportFrotBdeLong = valeur;
        break;
    default:
        break;
    }
}

void TPARAMPHYS::SetDimension(int Index, double Value) {
    switch (Index) {
    case 0:
        FlargeurJeu = Value;
        break;
    case 1:
        FHautBdes = Value;
        break;
    case 2:
        FRayonBilles = Value;
        break;
    default:
        break;
    }
    if (FRayonBilles < 0.001) FRayonBilles = 0.001;
    RayonBilles2 = FRayonBilles * FRayonBilles;
    DiamBilles = 2 * FRayonBilles;
    DiamBilles2 = DiamBilles * DiamBilles;
    // The cushion nose stays between the ball's centre height and its top.
    if (FHautBdes > DiamBilles)
        FHautBdes = 0.98 * DiamBilles;
    else if (FHautBdes < FRayonBilles)
        FHautBdes = FRayonBilles;
    CalculeBandes();
}

void TPARAMPHYS::CalculeBandes() {
    const double L = FlargeurJeu;
    const double H = FHautBdes;
    Bandes[0] = {Vecteur(0, 1, 0), Vecteur(L / 2, 0, H), Vecteur(-1, 0, 0), 1};
    Bandes[1] = {Vecteur(0, -1, 0), Vecteur(-L / 2, 0, H), Vecteur(1, 0, 0), 3};
    Bandes[2] = {Vecteur(-1, 0, 0), Vecteur(0, L, H), Vecteur(0, -1, 0), 2};
    Bandes[3] = {Vecteur(1, 0, 0), Vecteur(0, -L, H), Vecteur(0, 1, 0), 4};
}

const char* TexteMouvement(int etat) {
    static const char* const textes[] = {"Vole", "Glisse", "Roule", "PivotSeul", "Arret", "Dehors"};
    return etat >= 0 && etat <= 5 ? textes[etat] : "?";
}

const char* TexteTypeChoc(int type) {
    static const char* const textes[] = {"Aucun choc", "choc Bille Bille", "choc Bille Tapis",
                                         "choc Bille Bande"};
    return type >= 0 && type <= 3 ? textes[type] : "?";
}
