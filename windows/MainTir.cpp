// The main window's shot: fired from the stroke, drawn as the menus say, its result shown; and
// the keyboard commands that change the stroke or fire it.

#include "windows/Main.h"

#include "dessin/TexteCoup.h"
#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"
#include "windows/ActionsPrincipales.h"
#include "windows/ClavierPrincipal.h"
#include "windows/Ecran.h"
#include "windows/QueueNum.h"
#include "windows/VueNum.h"
#include "windows/hlp.h"

#include <QAction>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

/// The effect and height steps of the arrows are widened by two pixels' worth away from zero.
int Elargi(int n) {
    return n > 0 ? n + 2 : (n < 0 ? n - 2 : 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Keyboard commands

void TMainFrm::CommandeFleche(int commande, int dx, int dy) {
    switch (commande) {
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3: {
        TCIBille* bille = BilleMoteur(commande - Qt::Key_0);
        const QPoint p = bille->PosPixels();
        bille->DeplacePixels(QPoint(p.x() + dx, p.y() - dy));
        break;
    }
    case Qt::Key_A:
        FBillardGraph->ViseAngleDeg(AngleApresFleche(FBillardGraph->AngleViseeDeg(), dx, dy));
        break;
    case Qt::Key_E:
    case Qt::Key_H:
        FEhvi1->DecaleEffetHauteur(0.015 * Elargi(dx), 0.015 * Elargi(dy));
        break;
    case Qt::Key_I:
        FEhvi1->SetInclinaison(FEhvi1->Inclinaison() + 0.1 * (dx + dy));
        break;
    case Qt::Key_M:
        FEhvi1->SetMasseQueue(dx + FEhvi1->MasseQueue() + dy);
        break;
    case Qt::Key_V:
        FEhvi1->SetVitesse(FEhvi1->Vitesse() + dx);
        break;
    default:
        break;
    }
}

void TMainFrm::CommandeTouche(int touche) {
    switch (touche) {
    case Qt::Key_Space:
        Tire();
        break;
    case Qt::Key_Escape:
        FBillardGraph->Arret = true;
        break;
    case Qt::Key_Home:
        PlaceEtape(0);
        break;
    case Qt::Key_End:
        PlaceEtape(FMoteur->NbEnr);
        break;
    case Qt::Key_Delete:
        OublieTrajectoire();
        BillesAuRepos();
        RedessineSansLignes();
        break;
    case Qt::Key_Q:
        MontreSurEcran(FQueueNumFrm.get());
        break;
    case Qt::Key_F1:
        MontreSurEcran(FHlpFrm.get());
        break;
    case Qt::Key_F9:
        CommandeF9();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// The shot

void TMainFrm::RedessineSansLignes() {
    // The flag first: in live mode the repaint redraws the aim, which fires the shot and
    // draws its lines again.
    FLignesTracees = false;
    FBillardGraph->Redessine();
}

void TMainFrm::EffaceLignes() {
    FBillardGraph->EffaceVisee();
    if (FLignesTracees) {
        FBillardGraph->Redessine();
        FBillardGraph->EffaceVisee();
        FLignesTracees = false;
    }
}

void TMainFrm::DessineLignes() {
    const auto ligne = [this](int n) { return FActions->Ligne[n - 1]->isChecked(); };
    for (int n = 1; n <= 3; ++n)
        if (ligne(n)) FBillardGraph->DessineTrajet(n, BilleMoteur(n)->cl());
    // The helps go over the lines they belong to, drawn by the diagram's painter.
    if (FActions->SensParcours->isChecked())
        for (int n = 1; n <= 3; ++n)
            if (ligne(n)) FBillardGraph->DessineSensTrajet(n, BilleMoteur(n)->cl());
    if (FActions->NumerosBandes->isChecked() && ligne(1)) FBillardGraph->DessineNumerosBandes();
    if (FActions->DiamantsBandes->isChecked() && ligne(1)) FBillardGraph->DessineDiamantsBandes();
    FLignesTracees = true;
}

void TMainFrm::Tire() {
    // A replay lets events through: a second shot asked for meanwhile (Space, F9, "Feu !")
    // would rewrite the records the replay is reading. The running shot finishes first.
    if (FCoupEnCours) return;
    FCoupEnCours = true;
    const TActionsMain& a = *FActions;
    if (a.EffacerLignes->isChecked()) EffaceLignes();
    FPointLbl->clear();
    PositionsVersMoteur();
    FMoteur->Coup = FCoup;
    TResultatCoup r;
    r.BillesEnMouvement = BillesEnMouvement();
    FMoteur->TireCoup();
    if (!FMoteur->QueueInsoluble) {
        if (a.Lignes->isChecked() || a.LignesEtBilles->isChecked() ||
            a.TraceSimultanee->isChecked()) {
            DessineLignes();
            FEtapeAffichee = 0;
        }
        if (a.Billes->isChecked() || a.LignesEtBilles->isChecked()) {
            FBillardGraph->AnimeTrajets();
            FEtapeAffichee = FMoteur->NbEnr;
        }
    } else {
        AfficheMessage(QStringLiteral("Erreur"), TexteQueueInsoluble(*FMoteur, QLocale()),
                       tmErreur);
    }
    if (FVueNumFrm) FVueNumFrm->FormShow();

    r.PointReussi = FMoteur->PointReussi;
    r.IndicePoint = FMoteur->IndicePoint;
    r.Duree = FMoteur->Temps[std::clamp(FMoteur->NbEnr, 0, TBillardAlveran::NbEnrMax)];
    // A shot that is not significant leaves d unwritten: 0 then, as the command line says,
    // rather than the d of some earlier shot.
    FDerniers.d = 0.0;
    r.Significatif = CalculeCaracteristiques(*FMoteur, FDerniers);
    r.Contre = FDerniers.Contre;
    r.Bandes = FDerniers.Bandes;
    r.D13 = FDerniers.D13;
    r.P13 = FDerniers.P13;
    r.d = FDerniers.d;
    FTexteResultat = TexteResultat(r, QLocale());
    AfficheResultat();

    FCoupEnCours = false;
    if (a.dbAlvAuto->isChecked()) EnvoieCoupDb();
    FixeModif(false);
}

void TMainFrm::CommandeF9() {
    FActions->Lignes->setChecked(true);
    Tire();
    if (!FActions->dbAlvAuto->isChecked()) EnvoieCoupDb();
}

void TMainFrm::ApercuContact() {
    DessineApercu();
    if (!FCoupEnCours) {
        FixeModif(true);
        if (TraceSimultanee() && FPlacement == 0) Tire();
    }
}

void TMainFrm::DessineApercu() {
    const double a = FBillardGraph->AngleVisee();
    const double ca = std::cos(a), sa = std::sin(a);
    const TPointTable p1 = BilleMoteur(1)->PosCm();
    double p[2];
    double dist2[2];
    for (int k = 0; k < 2; ++k) {
        const TPointTable pk = BilleMoteur(k + 2)->PosCm();
        const double dx = pk.x - p1.x, dy = pk.y - p1.y;
        const double along = dx * ca + dy * sa;
        p[k] = along > 0 ? dy * ca - dx * sa : 1000.0;
        dist2[k] = dx * dx + dy * dy;
    }
    const double D = FMoteur->Fisik.DiamBilles;
    int rencontree = 0; // engine ball met, 0 for none
    if (std::abs(p[0]) < D) {
        rencontree = std::abs(p[1]) < D && dist2[1] < dist2[0] ? 3 : 2;
    } else if (std::abs(p[1]) < D) {
        rencontree = 3;
    }

    const QColor fond = palette().color(QPalette::Window);
    // At the screen's resolution; the geometry below is in logical pixels.
    if (FQimgImage.devicePixelRatio() != devicePixelRatioF())
        FQimgImage = NouvelleImage(FQimg->width(), FQimg->height(), devicePixelRatioF());
    FQimgImage.fill(fond);
    if (rencontree != 0) {
        const double decalage = p[rencontree - 2];
        QPainter peintre(&FQimgImage);
        peintre.setRenderHint(QPainter::Antialiasing, true);
        peintre.setPen(fond);
        peintre.setBrush(BilleMoteur(rencontree)->cl());
        const int w = FQimg->width(), h = FQimg->height();
        // The canvas's ellipse (0, 0, w, h) excludes its right and bottom edges.
        peintre.drawEllipse(QRectF(0, 0, w - 1, h - 1));
        const int k = static_cast<int>(std::nearbyint(h / 2.0));
        const int x = static_cast<int>(std::nearbyint(k * decalage / D + k));
        // Through the middle of column x, as the whole pixels of an aliased line would be.
        peintre.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, w));
    }
    FQimg->setPixmap(QPixmap::fromImage(FQimgImage));
}
