// The main window's undo: "Annuler" and "Rétablir" in "Edition" bring back ball places, the
// cue ball, the aim and the stroke as they were before a stray click, a drag, a load or a
// paste.

#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"
#include "windows/Annulation.h"
#include "windows/Main.h"

#include <QAction>
#include <QKeySequence>

void TMainFrm::CreeAnnulation() {
    Annulation = std::make_unique<TAnnulation>([this] { return EtatPartie(); },
                                               [this](const TEtatPartie& e) { RestaurePartie(e); });
    AnnulerMnu = new QAction(QStringLiteral("Annuler"), this);
    AnnulerMnu->setObjectName(QStringLiteral("AnnulerMnu"));
    AnnulerMnu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(AnnulerMnu, &QAction::triggered, this, [this] { Annulation->Annule(); });
    RetablirMnu = new QAction(QStringLiteral("Rétablir"), this);
    RetablirMnu->setObjectName(QStringLiteral("RetablirMnu"));
    RetablirMnu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(RetablirMnu, &QAction::triggered, this, [this] { Annulation->Retablit(); });
}

void TMainFrm::ChangePartie() {
    // A shot being fired or replayed moves the balls along its records: not the player's doing.
    if (!Annulation || CoupEnCours || BillardGraph->RelectureEnCours()) return;
    Annulation->Change();
}

void TMainFrm::ValidePartie() {
    if (Annulation) Annulation->Valide();
}

TEtatPartie TMainFrm::EtatPartie() const {
    TEtatPartie e;
    const TCIBille* billes[3] = {BillardGraph->bhBille1(), BillardGraph->bhBille2(),
                                 BillardGraph->bhBille3()};
    for (std::size_t k = 0; k < 3; ++k) e.Billes[k] = billes[k]->PosCm();
    e.JoueurJaune = BillardGraph->BilleJoueur() == BillardGraph->bhBille1();
    e.Effet = Ehvi1->Effet();
    e.Hauteur = Ehvi1->Hauteur();
    e.Vitesse = Ehvi1->Vitesse();
    e.Inclinaison = Ehvi1->Inclinaison();
    e.Masse = Ehvi1->MasseQueue();
    e.Visee = BillardGraph->AngleVisee();
    return e;
}

void TMainFrm::RestaurePartie(const TEtatPartie& e) {
    {
        // Put back as a whole: the live shot, if any, is fired once at the end.
        ++FPlacement;
        if (e.JoueurJaune != (BillardGraph->BilleJoueur() == BillardGraph->bhBille1())) {
            QAction* choix = e.JoueurJaune ? JauneMnu : BlancheMnu;
            choix->setChecked(true);
            BilleJoueurMnuClick(choix);
        }
        TCIBille* billes[3] = {BillardGraph->bhBille1(), BillardGraph->bhBille2(),
                               BillardGraph->bhBille3()};
        for (std::size_t k = 0; k < 3; ++k) billes[k]->DeplaceCm(e.Billes[k]);
        Ehvi1->SetEffet(e.Effet);
        Ehvi1->SetHauteur(e.Hauteur);
        Ehvi1->SetVitesse(e.Vitesse);
        Ehvi1->SetInclinaison(e.Inclinaison);
        Ehvi1->SetMasseQueue(e.Masse);
        BillardGraph->ViseAngle(e.Visee);
        --FPlacement;
    }
    // The result shown was that of another table.
    EffaceResultat();
    FixeModif(true);
    RedessineSansLignes();
    PositionsVersMoteur();
    if (TraceSimultaneeMnu->isChecked()) Tire();
}
