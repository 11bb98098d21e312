#include "windows/Annulation.h"

#include <QUndoCommand>

#include <cmath>

bool TEtatPartie::operator==(const TEtatPartie& autre) const {
    constexpr double Ecart = 1e-7; // cm
    for (std::size_t k = 0; k < Billes.size(); ++k)
        if (std::abs(Billes[k].x - autre.Billes[k].x) > Ecart ||
            std::abs(Billes[k].y - autre.Billes[k].y) > Ecart)
            return false;
    return JoueurJaune == autre.JoueurJaune && Coup == autre.Coup;
}

/// One step: the states before and after. Pushed once the change is already on screen.
class TAnnulation::TCommande : public QUndoCommand {
  public:
    TCommande(TAnnulation& annulation, const TEtatPartie& avant, const TEtatPartie& apres)
        : FAnnulation(annulation), FAvant(avant), FApres(apres) {}
    void undo() override { FAnnulation.Restaure(FAvant); }
    void redo() override {
        // QUndoStack redoes a command as it is pushed: the state is already there.
        if (FPremiere) {
            FPremiere = false;
            return;
        }
        FAnnulation.Restaure(FApres);
    }

  private:
    TAnnulation& FAnnulation;
    TEtatPartie FAvant, FApres;
    bool FPremiere = true;
};

TAnnulation::TAnnulation(std::function<TEtatPartie()> lit,
                         std::function<void(const TEtatPartie&)> ecrit, QObject* parent)
    : QObject(parent), FLit(std::move(lit)), FEcrit(std::move(ecrit)) {
    FAttente.setSingleShot(true);
    FAttente.setInterval(DelaiRegroupement);
    connect(&FAttente, &QTimer::timeout, this, [this] { Valide(); });
}

void TAnnulation::Annule() {
    // A change still pending is a step of its own, the first one undone.
    Valide();
    FPile.undo();
}

void TAnnulation::Retablit() {
    Valide();
    FPile.redo();
}

void TAnnulation::Change() {
    if (FRestauration) return;
    FAttente.start();
}

void TAnnulation::Valide() {
    FAttente.stop();
    if (FRestauration) return;
    const TEtatPartie etat = FLit();
    if (etat == FReference) return;
    const TEtatPartie avant = FReference;
    FReference = etat;
    FPile.push(new TCommande(*this, avant, etat));
}

void TAnnulation::Reprend() {
    FAttente.stop();
    FReference = FLit();
}

void TAnnulation::Restaure(const TEtatPartie& etat) {
    FAttente.stop();
    FRestauration = true;
    FEcrit(etat);
    FRestauration = false;
    // The controls may round what they are given (the tip to the face's pixels).
    FReference = FLit();
}
