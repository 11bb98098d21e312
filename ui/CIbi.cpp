#include "ui/CIbi.h"

#include "ui/TexteNombre.h"

using namespace alv;

TCIBille::TCIBille(TCIBillardHor& vue, const QColor& couleur)
    : FVue(vue), FCouleur(couleur), FFond(NouvelleImage(0, 0)) {}

void TCIBille::Setcl(const QColor& c) {
    Efface();
    FCouleur = c;
    Dessine();
}

void TCIBille::SetAffCoord(TaffCoord a) {
    FAffCoord = a;
    AfficheCoord();
}

void TCIBille::MetAJourTaille() {
    FDessinee = false;
    FR = Arrondi(FVue.bhDim().RayonBilles() * FVue.PixParCm());
    FR2 = FR * FR;
    FDiam2 = 4 * FR * FR;
    FFond = NouvelleImage(2 * FR + 1, 2 * FR + 1, FVue.Canevas().Echelle());
    FAffCoord = FVue.bhAffCoord();
    DeplaceDiams(FDiams);
}

bool TCIBille::Contient(int X, int Y) const {
    const long long dx = X - FPosPixels.x(), dy = Y - FPosPixels.y();
    return dx * dx + dy * dy <= FR2;
}

TCIBille* TCIBille::Chevauche(int X, int Y) const {
    for (TCIBille* autre : Autres) {
        if (autre == nullptr) continue;
        const long long dx = X - autre->FPosPixels.x(), dy = Y - autre->FPosPixels.y();
        if (dx * dx + dy * dy <= FDiam2) return autre;
    }
    return nullptr;
}

void TCIBille::SignalePosition() {
    if (OnPosChange) OnPosChange(this);
}

void TCIBille::PlacePixels(QPoint p) {
    FPosPixels = p;
    FDiams = FVue.PixelsVersDiams(p);
    FPosCm = FVue.PixelsVersCm(p);
    SignalePosition();
}

void TCIBille::PlaceDiams(TPointTable p) {
    FDiams = p;
    FPosPixels = FVue.DiamsVersPixels(p);
    const double k = FVue.bhDim().Jeu() / 4.0;
    FPosCm = {p.x * k, p.y * k};
    SignalePosition();
}

void TCIBille::PlaceCm(TPointTable p) {
    FPosCm = p;
    FPosPixels = FVue.CmVersPixels(p);
    const double k = 4.0 / FVue.bhDim().Jeu();
    FDiams = {p.x * k, p.y * k};
    SignalePosition();
}

void TCIBille::DeplacePixels(QPoint p) {
    FVue.EffaceSurcouche(this);
    Efface();
    PlacePixels(p);
    Dessine();
}

void TCIBille::DeplaceDiams(TPointTable p) {
    Efface();
    PlaceDiams(p);
    Dessine();
}

void TCIBille::DeplaceCm(TPointTable p) {
    Efface();
    PlaceCm(p);
    Dessine();
}

TRect TCIBille::Boite() const {
    return {FPosPixels.x() - FR, FPosPixels.y() - FR, FPosPixels.x() + FR, FPosPixels.y() + FR};
}

void TCIBille::Dessine() {
    const TRect boite = Boite();
    TCanevas fond(FFond);
    fond.CopieRect({0, 0, 2 * FR, 2 * FR}, FVue.Image(), boite);
    TCanevas& cv = FVue.Canevas();
    cv.ModePlume = TModePlume::Copie;
    cv.CouleurPlume = Qt::black;
    cv.CouleurPinceau = FCouleur;
    // Smooth: the saved square under it gives back the table exactly when it moves.
    cv.Lisse = true;
    cv.Ellipse(boite);
    cv.Lisse = false;
    FDessinee = true;
    AfficheCoord();
}

void TCIBille::Efface() {
    if (!FDessinee) return;
    FVue.EffaceSurcouche(this);
    FVue.Canevas().CopieRect(Boite(), FFond, {0, 0, 2 * FR, 2 * FR});
    FDessinee = false;
}

QString TCIBille::TexteCoord() const {
    const auto texte = [](TPointTable p) {
        return QStringLiteral("X: ") + TexteNombreUtilisateur(p.x, 2, 5, true) +
               QStringLiteral(" ; Y: ") + TexteNombreUtilisateur(p.y, 2, 5, true);
    };
    switch (FAffCoord) {
    case afDiams:
        return texte(FDiams);
    case afCm:
        return texte(FPosCm);
    case afVide:
        break;
    }
    return {};
}

void TCIBille::AfficheCoord() {
    if (FAffCoord == afVide) return;
    TCanevas& cv = FVue.Canevas();
    cv.CouleurPinceau = FVue.bhCl().clFondText();
    cv.TexteRect(RectCoord, RectCoord.Left, RectCoord.Top, TexteCoord());
}
