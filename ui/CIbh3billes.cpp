#include "ui/CIbh3billes.h"
#include "engine/CoupQueue.h"

#include "engine/C8_BillardAlveran.h"
#include "ui/TexteNombre.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace alv;

TCIBillardHor3B::TCIBillardHor3B(QWidget* parent, int hauteur) : TCIBillardHor(parent, hauteur) {
    FBille1 = std::make_unique<TCIBille>(*this, QColor(Qt::yellow));
    FBille2 = std::make_unique<TCIBille>(*this, QColor(Qt::white));
    FBille3 = std::make_unique<TCIBille>(*this, QColor(Qt::red));
    TCIBille* const b1 = FBille1.get();
    TCIBille* const b2 = FBille2.get();
    TCIBille* const b3 = FBille3.get();
    b1->Autres = {b2, b3};
    b2->Autres = {b3, b1};
    b3->Autres = {b1, b2};
    for (TCIBille* b : {b1, b2, b3}) {
        b->OnPosChange = [this](TCIBille* bille) {
            if (OnPosBillesChange) OnPosBillesChange(bille);
        };
    }
    b1->PlaceDiams({0.0, -2.0});
    b2->PlaceDiams({0.514, -2.0});
    b3->PlaceDiams({0.0, 2.0});
    FBilleJoueur = b2;
    FTraceVisee = true;
    DessineSurcouche();
}

TCIBillardHor3B::~TCIBillardHor3B() {
    if (FTirageEnCours) QGuiApplication::restoreOverrideCursor();
}

void TCIBillardHor3B::ApresChargement() {
    TCIBillardHor::ApresChargement();
    if (Moteur != nullptr) {
        bhDim().SetJeu(Moteur->Fisik.largeurJeu());
        bhDim().SetRayonBilles(Moteur->Fisik.RayonBilles());
    }
}

void TCIBillardHor3B::DessineSurcouche() {
    FViseeTracee = false;

    const TRect texte = RectTexte();
    const int h = texte.Height();
    const int q = Tronque(texte.Width() / 4.0);
    const TRect premier{texte.Left + h, texte.Top, texte.Left + q, texte.Bottom};
    FBille1->RectCoord = premier;
    FBille2->RectCoord = premier.Decale(q, 0);
    FBille3->RectCoord = premier.Decale(2 * q, 0);
    FRectAngle = {texte.Left + h + 3 * q, texte.Top, texte.Right, texte.Bottom};

    // Under the balls: each ball keeps the pixels it covers and puts them back as it moves.
    DessineReleves();
    for (TCIBille* b : {FBille1.get(), FBille2.get(), FBille3.get()}) b->MetAJourTaille();

    if (bhAffCoord() != afVide) {
        TCanevas& cv = Canevas();
        cv.CouleurPlume = Qt::black;
        for (TCIBille* b : {FBille1.get(), FBille2.get(), FBille3.get()}) {
            const TRect& rc = b->RectCoord;
            cv.CouleurPinceau = b->cl();
            cv.Ellipse({rc.Left - h + 1, rc.Top + 1, rc.Left - 1, rc.Bottom - 1});
        }
    }

    const int r = FBille1->r();
    const TRect jeu = RectJeu();
    FRectLibre = {jeu.Left + r, jeu.Top + r, jeu.Right - r, jeu.Bottom - r};

    ViseAngle(AngleVisee());
}

void TCIBillardHor3B::EffaceSurcouche(TCIBille* /*bille*/) {
    EffaceVisee();
}

bool TCIBillardHor3B::RelevesAffiches() const {
    return std::any_of(FReleves.begin(), FReleves.end(),
                       [](const std::vector<TPointTable>& r) { return !r.empty(); });
}

// A dot five pixels across with a dark rim: a one-pixel line of the same colour drawn over
// it still leaves the dot visible, so the simulated paths can be read against the samples.
void TCIBillardHor3B::DessineReleves() {
    if (!RelevesAffiches() || FBilleJoueur == nullptr) return;
    TCanevas& cv = Canevas();
    cv.ModePlume = TModePlume::Copie;
    cv.Decoupe = RectJeu();
    cv.CouleurPlume = Qt::black;
    for (int n = 1; n <= 3; ++n) {
        const TCIBille* bille =
            n == 1 ? FBilleJoueur : FBilleJoueur->Autres[static_cast<std::size_t>(n - 2)];
        cv.CouleurPinceau = bille->cl();
        for (const TPointTable& p : FReleves[static_cast<std::size_t>(n)]) {
            const QPoint c = CmVersPixels(p);
            cv.Ellipse({c.x() - 2, c.y() - 2, c.x() + 3, c.y() + 3});
        }
    }
    cv.Decoupe.reset();
    if (FComparaison) {
        QPainter p(&Canevas().Image());
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setClipRect(RectJeu().VersQRect());
        DessineEcartsBandes(p, *FComparaison, Repere(), 11.0, QLocale());
    }
}

// ---------------------------------------------------------------- aiming

namespace {

/// The aiming line, smooth, one pixel wide, from the middle of its first pixel towards its far
/// end. It stops at the table's outer edge and never enters the text band.
void PeintLigneVisee(QPainter& p, QPoint debut, QPoint fin, const TRect& table) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(table.VersQRect());
    p.setPen(QPen(Qt::black, 1.0));
    p.drawLine(QPointF(debut) + QPointF(0.5, 0.5), QPointF(fin) + QPointF(0.5, 0.5));
    p.restore();
}

} // namespace

void TCIBillardHor3B::DessineLigneVisee() {
    update();
}

void TCIBillardHor3B::EffaceVisee() {
    if (!FViseeTracee) return;
    FViseeTracee = false;
    update();
}

void TCIBillardHor3B::paintEvent(QPaintEvent* e) {
    TCIBillardHor::paintEvent(e);
    if (!FViseeTracee) return;
    QPainter p(this);
    PeintLigneVisee(p, FViseeDebut, FViseeFin, RectBois());
}

QImage TCIBillardHor3B::ImageAvecVisee() const {
    QImage image = Image().copy();
    if (FViseeTracee) {
        QPainter p(&image);
        PeintLigneVisee(p, FViseeDebut, FViseeFin, RectBois());
    }
    return image;
}

void TCIBillardHor3B::ViseePoint(QPoint p) {
    FAngleExact.reset();
    TraceVisee(p);
}

void TCIBillardHor3B::TraceVisee(QPoint p) {
    EffaceVisee();
    FViseeDebut = FBilleJoueur->PosPixels();
    FViseeFin = p;
    if (FTraceVisee) {
        DessineLigneVisee();
        FViseeTracee = true;
    }
    if (bhAffCoord() != afVide) {
        TCanevas& cv = Canevas();
        cv.CouleurPinceau = bhCl().clFondText();
        cv.TexteRect(FRectAngle, FRectAngle.Left, FRectAngle.Top, TexteAngle());
    }
    if (OnViseeChange) OnViseeChange(this);
}

void TCIBillardHor3B::ViseAngle(double a) {
    if (!FViseeTracee) FViseeDebut = FBilleJoueur->PosPixels();
    // Kept before the line is drawn: the notification at its end reads the angle.
    FAngleExact = a;
    TraceVisee(QPoint(FViseeDebut.x() + Arrondi(std::sin(a) * 10000.0),
                      FViseeDebut.y() + Arrondi(std::cos(a) * 10000.0)));
}

void TCIBillardHor3B::ViseAngleDeg(double d) {
    ViseAngle(Radians(d));
}

double TCIBillardHor3B::AngleVisee() const {
    if (FAngleExact) return *FAngleExact;
    return std::atan2(static_cast<double>(FViseeFin.x() - FViseeDebut.x()),
                      static_cast<double>(FViseeFin.y() - FViseeDebut.y()));
}

double TCIBillardHor3B::AngleViseeDeg() const {
    return Degres(AngleVisee());
}

QString TCIBillardHor3B::TexteAngle() const {
    return QStringLiteral("AngleOx: ") + TexteNombreUtilisateur(AngleViseeDeg(), 2, 5, true);
}

void TCIBillardHor3B::ChoisitBilleJoueur(TCIBille* bille) {
    if (bille == nullptr) return;
    FBilleJoueur = bille;
    ViseAngle(AngleVisee());
}

void TCIBillardHor3B::SetbhTraceVisee(bool b) {
    if (!b) EffaceVisee();
    FTraceVisee = b;
    TraceVisee(FViseeFin);
}

// ---------------------------------------------------------------- the mouse

TCIBille* TCIBillardHor3B::BilleEnPixel(int X, int Y) const {
    for (TCIBille* b : {FBille1.get(), FBille2.get(), FBille3.get()})
        if (b->Contient(X, Y)) return b;
    return nullptr;
}

void TCIBillardHor3B::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        TCIBillardHor::mousePressEvent(e);
        return;
    }
    const QPoint p = e->position().toPoint();
    FBilleTiree = BilleEnPixel(p.x(), p.y());
    if (FBilleTiree != nullptr) {
        // The pointer is hidden while the ball itself shows where it goes.
        if (!FTirageEnCours) QGuiApplication::setOverrideCursor(Qt::BlankCursor);
        FTirageEnCours = true;
    } else {
        ViseePoint(p);
    }
}

void TCIBillardHor3B::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton)) {
        TCIBillardHor::mouseMoveEvent(e);
        return;
    }
    const QPoint p = e->position().toPoint();
    if (FTirageEnCours && FBilleTiree != nullptr) {
        const int X =
            std::clamp(p.x(), FRectLibre.Left, std::max(FRectLibre.Left, FRectLibre.Right));
        const int Y =
            std::clamp(p.y(), FRectLibre.Top, std::max(FRectLibre.Top, FRectLibre.Bottom));
        FBilleTiree->DeplacePixels(QPoint(X, Y));
        if (OnDragBille) OnDragBille(FBilleTiree);
    } else {
        ViseePoint(p);
    }
}

void TCIBillardHor3B::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !FTirageEnCours) {
        TCIBillardHor::mouseReleaseEvent(e);
        return;
    }
    if (FBilleTiree != nullptr) DegageBille(FBilleTiree);
    QGuiApplication::restoreOverrideCursor();
    FTirageEnCours = false;
    FBilleTiree = nullptr;
}

void TCIBillardHor3B::DegageBille(TCIBille* b) {
    if (b == nullptr) return;
    const TCIBille* o = b->Chevauche(b->PosPixels());
    if (o == nullptr) return;
    const int dx = b->PosPixels().x() - o->PosPixels().x();
    const int dy = b->PosPixels().y() - o->PosPixels().y();
    double a;
    if (dx == 0)
        a = dy > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
    else
        a = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
    const double D = 2.0 * b->r();
    for (int essai = 0; essai < 61; ++essai) {
        const QPoint p(o->PosPixels().x() + Arrondi(std::cos(a) * D),
                       o->PosPixels().y() + Arrondi(std::sin(a) * D));
        const bool libre = b->Chevauche(p) == nullptr && FRectLibre.Left < p.x() &&
                           p.x() < FRectLibre.Right && FRectLibre.Top < p.y() &&
                           p.y() < FRectLibre.Bottom;
        if (libre) {
            b->DeplacePixels(p);
            return;
        }
        a += std::numbers::pi / 30;
    }
}

// ---------------------------------------------------------------- trajectories

TRepere TCIBillardHor3B::Repere() const {
    return {QPointF(Centre()) + QPointF(0.5, 0.5), PixParCm()};
}

namespace {

/// A smooth painter on the control's bitmap (at its resolution), the text band left alone.
void SurLaTable(TCIBillardHor3B& vue, const std::function<void(QPainter&)>& dessin) {
    QImage& image = vue.Canevas().Image();
    if (image.isNull()) return;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(vue.RectBois().VersQRect());
    dessin(p);
    p.end();
    vue.update();
}

} // namespace

void TCIBillardHor3B::DessineTrajet(int n, const QColor& couleur) {
    if (Moteur == nullptr || n < 1 || n > 3) return;
    SurLaTable(*this, [&](QPainter& p) { ::DessineTrajet(p, *Moteur, Repere(), n, couleur, 1.0); });
}

void TCIBillardHor3B::DessineSensTrajet(int n, const QColor& couleur) {
    if (Moteur == nullptr || n < 1 || n > 3) return;
    // One arrow every 40 cm of path, big enough to read at a glance.
    SurLaTable(*this, [&](QPainter& p) {
        DessineFlechesSens(p, *Moteur, Repere(), n, couleur, 40 * PixParCm(), 7.0);
    });
}

void TCIBillardHor3B::DessineNumerosBandes() {
    if (Moteur == nullptr) return;
    SurLaTable(*this, [&](QPainter& p) { ::DessineNumerosBandes(p, *Moteur, Repere(), 9.0); });
}

void TCIBillardHor3B::DessineDiamantsBandes() {
    if (Moteur == nullptr) return;
    SurLaTable(*this,
               [&](QPainter& p) { ::DessineDiamantsBandes(p, *Moteur, Repere(), 9.0, QLocale()); });
}

void TCIBillardHor3B::PlaceBillesRelecture(int i) {
    const auto position = [&](int b) {
        const TVecteur& pos = Moteur->Trajets[b][i].Position;
        return TPointTable{pos.x, pos.y};
    };
    FBilleJoueur->DeplaceCm(position(1));
    FBilleJoueur->Autres[0]->DeplaceCm(position(2));
    FBilleJoueur->Autres[1]->DeplaceCm(position(3));
    FEtapeRelecture = i;
}

bool TCIBillardHor3B::AttendEnPause(int& i, int nbEnr) {
    bool montree = false;
    while (Relecture.Pause) {
        if (Arret) return false;
        if (!montree || Relecture.Pas != 0) {
            // Every record is a step, the cloth impacts too: the player looks at each one.
            i = std::clamp(i + Relecture.Pas, 0, nbEnr);
            Relecture.Pas = 0;
            PlaceBillesRelecture(i);
            if (OnEtapeRelecture) OnEtapeRelecture(i);
            montree = true;
        }
        // Nothing to do until the player acts: sleep in the event loop.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    Relecture.Pas = 0;
    if (montree && !Arret && OnRepriseRelecture) OnRepriseRelecture();
    return !Arret;
}

void TCIBillardHor3B::AnimeTrajets() {
    if (Moteur == nullptr) return;
    Arret = false;
    Relecture.Pas = 0;
    TCIBille* const b1 = FBilleJoueur;
    TCIBille* const b2 = FBilleJoueur->Autres[0];
    TCIBille* const b3 = FBilleJoueur->Autres[1];

    QElapsedTimer chrono;
    chrono.start();
    // The frame cost: ten times, each ball erased and drawn again where it stands and the
    // control repainted. The balls are redrawn in place rather than placed again from their
    // centimetres, which could land a pixel away from where their diamonds put them: a replay
    // of no record moves nothing.
    for (int k = 0; k < 10; ++k) {
        for (TCIBille* b : {b3, b2, b1}) b->Efface();
        for (TCIBille* b : {b1, b2, b3}) b->Dessine();
        repaint();
    }
    FCoutImage = Arrondi(static_cast<double>(chrono.elapsed()) / 10.0);

    // The number of records is read once: the replay only reads the recording.
    const int nbEnr = std::clamp(Moteur->NbEnr, 0, TBillardAlveran::NbEnrMax);
    FRelectureEnCours = true;
    FEtapeRelecture = 0;
    int i = 0;
    for (;;) {
        if (Relecture.Pause && !AttendEnPause(i, nbEnr)) break;
        if (++i > nbEnr) break;
        if (Moteur->TypesChoc[i] == cBilleTapis) continue;
        if (Arret) break;
        // Shot seconds become 800 ms at the usual pace, less the time the drawing itself takes.
        const double vitesse = Relecture.Vitesse > 0.0 ? Relecture.Vitesse : 1.0;
        const double w =
            std::nearbyint((Moteur->Temps[i] - Moteur->Temps[i - 1]) * 800.0 / vitesse) -
            FCoutImage;
        if (w > 0.0) QThread::msleep(static_cast<unsigned long>(std::min(w, 3.6e6)));
        PlaceBillesRelecture(i);
        QCoreApplication::processEvents();
    }
    FRelectureEnCours = false;
}
