#include "windows/PanelVersBille.h"

#include "ui/SaisieNombre.h"

#include <QLineEdit>
#include <QLocale>
#include <QVariant>

#include <cmath>

using namespace alv;

namespace {

/// The component of a triple that tag 1 … 9 stands for.
double& Composante(TCinematique& b, int tag) {
    TVecteur& v = tag <= 3 ? b.Position : (tag <= 6 ? b.Vitesse : b.Rotation);
    const int c = (tag - 1) % 3;
    return c == 0 ? v.x : (c == 1 ? v.y : v.z);
}

double ValeurTag(TCinematique b, int tag) {
    switch (tag) {
    case 123:
        return Norme(b.Position);
    case 456:
        return Norme(b.Vitesse);
    case 789:
        return Norme(b.Rotation);
    default:
        if (tag >= 1 && tag <= 9) return Composante(b, tag);
        return 0.0;
    }
}

} // namespace

QString TexteValeur(double valeur) {
    if (valeur == 0.0 || std::fabs(valeur) > 0.0001) return TexteGeneral(valeur, 12);
    return QLocale().toString(valeur, 'f', 7);
}

int TagBoite(const QWidget* boite) {
    return boite->property("Tag").toInt();
}

void BilleVersPanel(QWidget* panel, const TCinematique& bille) {
    for (QLineEdit* boite : panel->findChildren<QLineEdit*>())
        boite->setText(TexteValeur(ValeurTag(bille, TagBoite(boite))));
}

bool PanelVersBille(QWidget* panel, TCinematique& bille, QLineEdit** fautive) {
    const QList<QLineEdit*> boites = panel->findChildren<QLineEdit*>();
    for (int tag = 1; tag <= 9; ++tag) {
        for (QLineEdit* boite : boites) {
            if (TagBoite(boite) != tag) continue;
            double valeur = 0.0;
            if (!LitNombreUtilisateur(boite->text(), valeur)) {
                if (fautive) *fautive = boite;
                return false;
            }
            Composante(bille, tag) = valeur;
        }
    }
    return true;
}
