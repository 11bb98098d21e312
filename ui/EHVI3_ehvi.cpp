#include "ui/EHVI3_ehvi.h"

#include "engine/C8_BillardAlveran.h"
#include "ui/TexteNombre.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

using namespace alv;

TEhvi::TEhvi(QWidget* parent, int hauteur)
    : QWidget(parent), FCouleurs{CouleurFaceBouton(), QColor(Qt::black), QColor(Qt::yellow)},
      FImage(NouvelleImage(0, 0)), FCanevas(FImage, this) {
    FEnPlacement = true;
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(width(), hauteur);
    FEh = std::make_unique<TEffetHauteur>(this, FCanevas, clPen(), clFond(), clBille());
    FVi = std::make_unique<TVitesse>(this, FCanevas, clPen(), clFond());
    FIn = std::make_unique<TInclinaison>(this, FCanevas, clPen(), clFond());
    FEh->OnChange = [this](TSelecteur*) { EffetHauteurChange(); };
    FVi->OnChange = [this](TSelecteur*) { VitesseChange(); };
    FIn->OnChange = [this](TSelecteur*) { InclinaisonChange(); };
    FVi->VMax = 1200.0;
    Placement();
    RedessineTout();
    FEh->FixeEffetHauteur(0.0, 0.0);
    FVi->FixeVitesse(500.0);
    FIn->FixeInclinaison(0.0);
    SetMasseQueue(520.0);
}

TEhvi::~TEhvi() = default;

QColor TEhvi::Couleur(int index) const {
    return index >= 0 && index <= 2 ? FCouleurs[index] : QColor();
}

void TEhvi::SetCouleur(int index, const QColor& c) {
    if (index < 0 || index > 2) return;
    FCouleurs[index] = c;
    switch (index) {
    case 0:
        for (TSelecteur* s :
             {static_cast<TSelecteur*>(FEh.get()), static_cast<TSelecteur*>(FVi.get()),
              static_cast<TSelecteur*>(FIn.get())})
            s->CouleurFond = c;
        break;
    case 1:
        for (TSelecteur* s :
             {static_cast<TSelecteur*>(FEh.get()), static_cast<TSelecteur*>(FVi.get()),
              static_cast<TSelecteur*>(FIn.get())})
            s->CouleurPlume = c;
        break;
    default:
        FEh->CouleurBille = c;
        break;
    }
    RedessineTout();
}

void TEhvi::SetEffet(double v) {
    FEh->FixeEffetHauteur(v, FEh->Hauteur());
}

void TEhvi::SetHauteur(double v) {
    FEh->FixeEffetHauteur(FEh->Effet(), v);
}

void TEhvi::SetEffetHauteur(double effet, double hauteur) {
    FEh->FixeEffetHauteur(effet, hauteur);
}

void TEhvi::DecaleEffetHauteur(double dEffet, double dHauteur) {
    FEh->FixePixel(FEh->FaceVersPixel({0.0, FEh->Effet() + dEffet, FEh->Hauteur() + dHauteur}));
}

void TEhvi::SetVitesse(double v) {
    FVi->FixeVitesse(v);
}

void TEhvi::SetInclinaison(double v) {
    FIn->FixeInclinaison(v);
}

void TEhvi::SetMasseQueue(double v) {
    FMasseQueue = v;
    MasseQueueChange();
}

void TEhvi::Placement() {
    FEnPlacement = true;
    const int h = height();
    FEh->FixeRect({0, 0, h, h});
    FVi->FixeRect({h - 1, 0, 2 * h, Tronque(h / 2.0)});
    FIn->FixeRect({h - 1, Tronque(h / 2.0) - 1, 2 * h, h});
    resize(2 * h, h);
    FImage = ImageRedimensionnee(FImage, 2 * h, h, devicePixelRatioF());
    FEnPlacement = false;
}

void TEhvi::RedessineTout() {
    FEh->DessineFond();
    FEh->FixeEffetHauteur(FEh->Effet(), FEh->Hauteur());
    FVi->DessineFond();
    FVi->FixeVitesse(FVi->Vitesse());
    FIn->DessineFond();
    FIn->FixeInclinaison(FIn->Inclinaison());
    SetMasseQueue(FMasseQueue);
}

void TEhvi::ApresChargement() {
    if (Moteur != nullptr) {
        FEh->FixeRayon(Moteur->Fisik.RayonBilles());
        FMasseQueue = Moteur->Coup.m;
    }
    Placement();
    RedessineTout();
}

void TEhvi::FixeHauteur(int hauteur) {
    resize(width(), hauteur);
    if (!FEnPlacement && FCanevas.Hauteur() != height()) {
        Placement();
        RedessineTout();
    }
}

// ---------------------------------------------------------------- notifications

void TEhvi::Ecrit(QLabel* label, const QString& texte) {
    if (label == nullptr) return;
    label->setText(texte);
    // The value labels size themselves to their text, so "V=1200,00 cm/s" is never cut.
    label->adjustSize();
}

void TEhvi::EffetHauteurChange() {
    Ecrit(LabelEffetHauteur, QStringLiteral("E= ") + TexteFixe(Effet(), 2) +
                                 QStringLiteral(" H= ") + TexteFixe(Hauteur(), 2) +
                                 QStringLiteral(" (cm)"));
    Signale(OnEffetHauteurChange, this);
    Signale(OnEhviChange, this);
}

void TEhvi::VitesseChange() {
    Ecrit(LabelVitesse, QStringLiteral("V=") + TexteFixe(Vitesse(), 2) + QStringLiteral(" cm/s"));
    Signale(OnVitesseChange, this);
    Signale(OnEhviChange, this);
}

void TEhvi::InclinaisonChange() {
    Ecrit(LabelInclinaison,
          QStringLiteral("I=") + TexteFixe(Inclinaison(), 2) + QStringLiteral(" deg"));
    Signale(OnInclinaisonChange, this);
    Signale(OnEhviChange, this);
}

void TEhvi::MasseQueueChange() {
    Ecrit(LabelMasse, QStringLiteral("m=") + TexteFixe(FMasseQueue, 0) + QStringLiteral(" gr"));
    Signale(OnMasseQueueChange, this);
    Signale(OnEhviChange, this);
}

// ---------------------------------------------------------------- events

void TEhvi::paintEvent(QPaintEvent* /*e*/) {
    // Moved to a screen of another scaling: laid out and painted again at its resolution.
    if (!FEnPlacement && devicePixelRatioF() != FImage.devicePixelRatio()) {
        Placement();
        RedessineTout();
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0), FImage);
}

void TEhvi::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (OnResize) OnResize(this);
    // The layout depends on the height only and sets the width itself: a size that differs
    // from the picture's is a change from outside.
    if (!FEnPlacement && (FCanevas.Hauteur() != height() || FCanevas.Largeur() != width())) {
        Placement();
        RedessineTout();
    }
}

void TEhvi::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(e);
        return;
    }
    const QPoint p = e->position().toPoint();
    if (FEh->DansFace(p.x(), p.y()))
        FEh->FixePixel(p);
    else if (FVi->Contient(p.x(), p.y()))
        FVi->FixeVitesse(FVi->ValeurA(p.x()));
    else if (FIn->Contient(p.x(), p.y()))
        FIn->FixeInclinaison(FIn->AngleA(p.x(), p.y()));
}
