// The main window's undo: "Annuler" and "Rétablir" in "Edition" bring back ball places, the
// cue ball, the aim and the stroke as they were before a stray click, a drag, a load or a
// paste.

#include "ui/CIbh3billes.h"
#include "windows/ActionsPrincipales.h"
#include "windows/Annulation.h"
#include "windows/Main.h"

#include <QAction>

void TMainFrm::CreeAnnulation() {
    FAnnulation = std::make_unique<TAnnulation>(
        [this] { return EtatPartie(); }, [this](const TEtatPartie& e) { RestaurePartie(e); });
}

void TMainFrm::ChangePartie() {
    // A shot being fired or replayed moves the balls along its records: not the player's doing.
    if (!FAnnulation || FCoupEnCours || FBillardGraph->RelectureEnCours()) return;
    FAnnulation->Change();
}

void TMainFrm::ValidePartie() {
    if (FAnnulation) FAnnulation->Valide();
}

TEtatPartie TMainFrm::EtatPartie() const {
    TEtatPartie e;
    const TCIBille* billes[3] = {FBillardGraph->bhBille1(), FBillardGraph->bhBille2(),
                                 FBillardGraph->bhBille3()};
    for (std::size_t k = 0; k < 3; ++k) e.Billes[k] = billes[k]->PosCm();
    e.JoueurJaune = FBillardGraph->BilleJoueur() == FBillardGraph->bhBille1();
    e.Coup = FCoup;
    return e;
}

void TMainFrm::RestaurePartie(const TEtatPartie& e) {
    {
        // Put back as a whole: the live shot, if any, is fired once at the end.
        ++FPlacement;
        if (e.JoueurJaune != (FBillardGraph->BilleJoueur() == FBillardGraph->bhBille1())) {
            QAction* choix = e.JoueurJaune ? FActions->Jaune : FActions->Blanche;
            choix->setChecked(true);
            emit FActions->BilleJoueurChoisie(choix);
        }
        TCIBille* billes[3] = {FBillardGraph->bhBille1(), FBillardGraph->bhBille2(),
                               FBillardGraph->bhBille3()};
        for (std::size_t k = 0; k < 3; ++k) billes[k]->DeplaceCm(e.Billes[k]);
        FCoup = e.Coup;
        AfficheCoup();
        --FPlacement;
    }
    // The result shown was that of another table.
    EffaceResultat();
    FixeModif(true);
    RedessineSansLignes();
    PositionsVersMoteur();
    if (TraceSimultanee()) Tire();
}
