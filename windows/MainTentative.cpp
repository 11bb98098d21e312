// The main window's attempt against the stroke meant: a tracked shot drawn over the current
// stroke's paths, with the distance between them at each cushion of the cue ball.

#include "analysis/EcartTentative.h"
#include "analysis/LectureBornee.h"
#include "analysis/TrajectoireMesuree.h"
#include "ui/CIbh3billes.h"
#include "windows/Main.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

namespace {

QString NomBande(bool longue) {
    return longue ? QStringLiteral("longue") : QStringLiteral("courte");
}

} // namespace

QStringList TextesComparaison(const TComparaisonTentative& c, const QLocale& locale) {
    QStringList lignes;
    lignes << QStringLiteral("Tentative : %1 bande(s), coup voulu : %2")
                  .arg(c.NbBandesTentative)
                  .arg(c.NbBandesIdeal);
    for (std::size_t k = 0; k < c.Ecarts.size(); ++k) {
        const TEcartBande& e = c.Ecarts[k];
        QString ligne = QStringLiteral("- bande %1 (%2) : %3 cm")
                            .arg(k + 1)
                            .arg(NomBande(e.Ideal.Longue), locale.toString(e.Distance, 'f', 1));
        if (e.Tentative.Longue != e.Ideal.Longue)
            ligne += QStringLiteral(", touchée sur une %1").arg(NomBande(e.Tentative.Longue));
        lignes << ligne;
    }
    return lignes;
}

bool TMainFrm::CompareTentative(const QString& nom) {
    std::string texte;
    if (const TLectureBornee l =
            LitFichierBorne(QFile::encodeName(nom).toStdString(), TailleMaxTrajectoire, texte);
        l != TLectureBornee::Lu) {
        AfficheMessage(QStringLiteral("Erreur"),
                       l == TLectureBornee::TropGros
                           ? QStringLiteral("Impossible de lire %1 : fichier trop gros").arg(nom)
                           : QStringLiteral("Impossible de lire %1").arg(nom),
                       tmErreur);
        return false;
    }
    const TLectureTrajectoire lecture = LitTrajectoireMesuree(texte, FMoteur->Fisik);
    if (!lecture.Erreur.empty()) {
        AfficheMessage(QStringLiteral("Erreur"),
                       QStringLiteral("Trajectoire mesurée refusée (%1)\n%2")
                           .arg(QFileInfo(nom).fileName(), QString::fromStdString(lecture.Erreur)),
                       tmErreur);
        return false;
    }
    // The balls and the stroke stay as they are: the stroke meant is the current one, fired
    // again as lines so that its paths are those compared.
    OublieTrajectoire();
    TCIBillardHor3B::TReleves releves;
    std::vector<TPointPlan> queue;
    for (std::size_t b = 1; b <= 3; ++b)
        for (const TReleve& r : lecture.Trajectoire.Billes[b]) {
            releves[b].push_back({r.x, r.y});
            if (b == 1) queue.push_back({r.x, r.y});
        }
    FBillardGraph->FixeReleves(std::move(releves));
    TireEnLignes();
    if (FMoteur->QueueInsoluble) return false;
    const TComparaisonTentative comparaison = ::CompareTentative(
        ContactsBandesCoup(*FMoteur),
        ContactsBandesMesures(queue, FMoteur->Fisik.largeurJeu() / 2, FMoteur->Fisik.largeurJeu(),
                              FMoteur->Fisik.RayonBilles()));
    FBillardGraph->FixeComparaison(comparaison);
    // The figures go on the table under the lines: fire again over them.
    TireEnLignes();
    for (const QString& ligne : TextesComparaison(comparaison, QLocale()))
        FTexteResultat += ligne + QLatin1Char('\r');
    FPointLbl->setText(QString(FTexteResultat).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    return true;
}
