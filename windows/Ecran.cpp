#include "windows/Ecran.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

void MontreSurEcran(QWidget* fenetre) {
    if (!fenetre) return;
    fenetre->show();
    fenetre->raise();
    const QScreen* ecran = fenetre->screen();
    if (ecran == nullptr) return;
    const QRect libre = ecran->availableGeometry();
    const QSize cadre = fenetre->frameGeometry().size() - fenetre->size();
    const QSize taille = fenetre->size()
                             .boundedTo(libre.size() - cadre)
                             .expandedTo(fenetre->minimumSizeHint().boundedTo(fenetre->size()));
    if (taille != fenetre->size()) fenetre->resize(taille);
    const QRect f = fenetre->frameGeometry();
    fenetre->move(
        std::clamp(f.left(), libre.left(), std::max(libre.left(), libre.right() - f.width() + 1)),
        std::clamp(f.top(), libre.top(), std::max(libre.top(), libre.bottom() - f.height() + 1)));
}
