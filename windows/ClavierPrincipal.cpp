#include "windows/ClavierPrincipal.h"

#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QWidget>

namespace {

/// The command letters and digits; the digits of the main row are also read as the
/// characters they carry on a French keyboard.
int ToucheCommande(int touche, bool pave) {
    switch (touche) {
    case Qt::Key_E:
    case Qt::Key_H:
    case Qt::Key_V:
    case Qt::Key_A:
    case Qt::Key_I:
    case Qt::Key_M:
        return touche;
    case Qt::Key_1:
    case Qt::Key_Ampersand:
        return pave ? 0 : Qt::Key_1;
    case Qt::Key_2:
    case Qt::Key_Eacute:
        return pave ? 0 : Qt::Key_2;
    case Qt::Key_3:
    case Qt::Key_QuoteDbl:
        return pave ? 0 : Qt::Key_3;
    default:
        return 0;
    }
}

} // namespace

TClavierMain::TClavierMain(QWidget* fenetre, TEhvi* ehvi, TCIBillardHor3B* table)
    : QObject(fenetre), FFenetre(fenetre), FEhvi(ehvi), FTable(table) {
    qApp->installEventFilter(this);
}

TClavierMain::~TClavierMain() {
    qApp->removeEventFilter(this);
}

TCIBille* TClavierMain::Bille(int n) const {
    TCIBille* joueur = FTable->BilleJoueur();
    return n == 1 ? joueur : joueur->Autres[static_cast<std::size_t>(n - 2)];
}

QString TClavierMain::InfoBulle(const QWidget* controle, QPoint p) const {
    const auto dans = [p](const TRect& r) { return r.VersQRect().contains(p); };
    if (controle == FEhvi) {
        if (dans(FEhvi->SelecteurEffetHauteur().RectExt))
            return QStringLiteral("Effet et hauteur : cliquer sur la bille\n"
                                  "E + flèches : effet ; H + flèches : hauteur");
        if (dans(FEhvi->SelecteurVitesse().RectExt))
            return QStringLiteral("Vitesse de la queue : cliquer sur l'échelle\n"
                                  "V + flèches gauche, droite");
        if (dans(FEhvi->SelecteurInclinaison().RectExt))
            return QStringLiteral("Inclinaison de la queue : cliquer sur la vue\nI + flèches");
        return {};
    }
    if (controle == FTable) {
        const TCIBille* bille = FTable->BilleEnPixel(p.x(), p.y());
        for (int n = 1; n <= 3; ++n)
            if (bille == Bille(n) || dans(Bille(n)->RectCoord))
                return QStringLiteral("Position de la bille : la glisser\n%1 + flèches").arg(n);
        if (dans(FTable->RectAngle()) || dans(FTable->RectJeu()))
            return QStringLiteral("Visée : cliquer sur le tapis\nA + flèches : affiner l'angle");
    }
    return {};
}

bool TClavierMain::eventFilter(QObject* objet, QEvent* evenement) {
    const QEvent::Type type = evenement->type();
    if (type == QEvent::ToolTip && (objet == FEhvi || objet == FTable)) {
        // The pickers and the table's texts are drawn, not widgets: the tip follows the place.
        const auto* aide = static_cast<QHelpEvent*>(evenement);
        const QString texte = InfoBulle(static_cast<QWidget*>(objet), aide->pos());
        if (texte.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(aide->globalPos(), texte, static_cast<QWidget*>(objet));
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* cible = qobject_cast<QWidget*>(objet);
    if (!cible || cible->window() != FFenetre) return false;
    const auto* touche = static_cast<QKeyEvent*>(evenement);
    if (type == QEvent::KeyPress)
        return ToucheEnfoncee(touche->key(), touche->modifiers() & Qt::KeypadModifier);
    // A held key repeats as release-press pairs: only the real release counts.
    if (touche->isAutoRepeat()) return false;
    return ToucheRelachee(touche->key());
}

bool TClavierMain::ToucheEnfoncee(int touche, bool pave) {
    if (const int commande = ToucheCommande(touche, pave)) {
        FToucheTenue = commande;
        return true;
    }
    switch (touche) {
    case Qt::Key_Left:
        emit Fleche(FToucheTenue, -FIncrement, 0);
        return true;
    case Qt::Key_Right:
        emit Fleche(FToucheTenue, FIncrement, 0);
        return true;
    case Qt::Key_Up:
        emit Fleche(FToucheTenue, 0, FIncrement);
        return true;
    case Qt::Key_Down:
        emit Fleche(FToucheTenue, 0, -FIncrement);
        return true;
    case Qt::Key_Plus:
        if (!pave) return false;
        ++FIncrement;
        return true;
    case Qt::Key_Minus:
        if (!pave) return false;
        if (FIncrement >= 2) --FIncrement;
        return true;
    case Qt::Key_Backspace:
        emit Commande(Qt::Key_Home);
        return true;
    case Qt::Key_Space:
    case Qt::Key_Escape:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
    case Qt::Key_Q:
    case Qt::Key_F1:
        emit Commande(touche);
        return true;
    default:
        return false;
    }
}

bool TClavierMain::ToucheRelachee(int touche) {
    if (touche == Qt::Key_F9) {
        emit Commande(Qt::Key_F9);
        return true;
    }
    const int commande = ToucheCommande(touche, false);
    if (commande != 0 && commande == FToucheTenue) {
        FToucheTenue = 0;
        return true;
    }
    return false;
}
