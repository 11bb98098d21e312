#include "ui/EHVI2_vi.h"
#include "engine/CoupQueue.h"

#include <algorithm>
#include <cmath>

namespace {

bool StrictementDans(const TRect& r, int X, int Y) {
    return r.Left < X && X < r.Right && r.Top < Y && Y < r.Bottom;
}

} // namespace

// ---------------------------------------------------------------- speed

void TVitesse::FixeRect(const TRect& r) {
    RectExt = r;
    const int a = Tronque(r.Width() / 7.0);
    const int b = Tronque(r.Height() / 2.5);
    FRectInt = {r.Left + a, r.Top + b, r.Right - a, r.Bottom - b};
    FDemiBase = Tronque(a / 2.5);
    Tracee = false;
}

void TVitesse::DessineFond() {
    TCanevas& cv = DessineCadre();
    const int y0 = FRectInt.Bottom + Tronque((RectExt.Bottom - FRectInt.Bottom) / 2.0);
    const int t = Tronque((RectExt.Bottom - y0) / 3.0);
    cv.DeplaceVers(QPoint(FRectInt.Left, y0));
    cv.LigneVers(QPoint(FRectInt.Right, y0));
    for (const int X :
         {FRectInt.Left, Tronque((FRectInt.Left + FRectInt.Right) / 2.0), FRectInt.Right}) {
        cv.DeplaceVers(QPoint(X, y0 + t));
        cv.LigneVers(QPoint(X, y0 - t));
    }
    Tracee = false;
}

bool TVitesse::Contient(int X, int Y) const {
    return StrictementDans(RectExt, X, Y);
}

double TVitesse::ValeurA(int X) const {
    const int largeur = FRectInt.Right - FRectInt.Left;
    if (largeur <= 0) return 0.0;
    const int x = std::clamp(X, FRectInt.Left, FRectInt.Right);
    return (x - FRectInt.Left) * VMax / largeur;
}

void TVitesse::DessineMarque(const QColor& c) {
    TCanevas& cv = Canevas();
    cv.ModePlume = TModePlume::Copie;
    cv.CouleurPlume = cv.CouleurPinceau = c;
    const QPoint triangle[3] = {QPoint(FXMarque, FRectInt.Bottom),
                                QPoint(FXMarque - FDemiBase, FRectInt.Top),
                                QPoint(FXMarque + FDemiBase, FRectInt.Top)};
    cv.Polygone(triangle, 3);
}

void TVitesse::FixeVitesse(double v) {
    // NaN is refused too: it would give no marker position.
    if (!(v >= 0.0)) v = 0.0;
    if (v > VMax) v = VMax;
    if (Tracee) DessineMarque(CouleurFond);
    FVitesse = v;
    FXMarque =
        FRectInt.Left + (VMax > 0.0 ? Tronque((FRectInt.Right - FRectInt.Left) * v / VMax) : 0);
    DessineMarque(Qt::black);
    Tracee = true;
    Change();
}

// ---------------------------------------------------------------- inclination

void TInclinaison::FixeRect(const TRect& r) {
    RectExt = r;
    const int m = Tronque(r.Width() * 0.1);
    FPivot = QPoint(r.Right - m, r.Bottom - m);
    FRectInt = {r.Left + m, r.Top + m, FPivot.x(), FPivot.y()};
    Tracee = false;
}

void TInclinaison::DessineFond() {
    DessineCadre();
    Tracee = false;
}

bool TInclinaison::Contient(int X, int Y) const {
    return StrictementDans(RectExt, X, Y);
}

double TInclinaison::AngleA(int X, int Y) const {
    if (X >= FPivot.x()) return 90.0;
    return Degres(std::atan(static_cast<double>(FPivot.y() - Y) / (FPivot.x() - X)));
}

void TInclinaison::DessineQueue(const QColor& c) {
    TCanevas& cv = Canevas();
    cv.ModePlume = TModePlume::Copie;
    cv.CouleurPlume = cv.CouleurPinceau = c;
    const QPoint triangle[3] = {FPivot, FP1, FP2};
    cv.Polygone(triangle, 3);
    cv.CouleurPinceau = CouleurFond;
    cv.Ellipse({FPivot.x() - 5, FPivot.y() - 5, FPivot.x() + 5, FPivot.y() + 5});
}

void TInclinaison::FixeInclinaison(double d) {
    if (!(d >= 0.0)) d = 0.0;
    if (d > 90.0) d = 90.0;
    if (Tracee) DessineQueue(CouleurFond);
    FInclinaison = d;
    if (d == 90.0) {
        FP1 = QPoint(FPivot.x(), FRectInt.Top);
        FP2 = QPoint(FPivot.x() - 6, FRectInt.Top);
    } else {
        const double t = std::tan(Radians(d));
        const int y1 = FPivot.y() + Tronque((FRectInt.Left - FPivot.x()) * t);
        if (y1 > FRectInt.Top) {
            FP1 = QPoint(FRectInt.Left, y1);
            FP2 = QPoint(FRectInt.Left, y1 - 5);
        } else {
            FP1 = QPoint(FPivot.x() + Tronque((FRectInt.Top - FPivot.y()) / t), FRectInt.Top);
            FP2 = QPoint(FP1.x() - 6, FRectInt.Top);
        }
    }
    DessineQueue(Qt::black);
    Tracee = true;
    Change();
}
