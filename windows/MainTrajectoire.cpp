// The main window's tracked shots: import, dots on the table, the stroke fit in the
// background and the fitted shot fired over the dots.

#include "analysis/LectureBornee.h"
#include "analysis/TrajectoireMesuree.h"
#include "ui/CIbh3billes.h"
#include "ui/EHVI3_ehvi.h"
#include "ui/TexteNombre.h"
#include "windows/Main.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <numbers>

namespace {

/// Tracked shots are scored up to this time after their first sample (s).
constexpr double CoupureAffichee = 4.0;

const QStringList FiltresTrajectoire = {QStringLiteral("Trajectoire mesurée (*.csv)")};

/// The tracked positions as the table view draws them, per engine ball.
TCIBillardHor3B::TReleves Releves(const TTrajectoireMesuree& mesure) {
    TCIBillardHor3B::TReleves releves;
    for (std::size_t b = 1; b <= 3; ++b)
        for (const TReleve& r : mesure.Billes[b]) releves[b].push_back({r.x, r.y});
    return releves;
}

} // namespace

QString TexteEcartMesure(double rmse, const QLocale& locale) {
    return QStringLiteral("Écart aux mesures : ") + alv::TexteFixe(rmse, 2, locale) +
           QStringLiteral(" cm");
}

void TMainFrm::CreeActionsTrajectoire() {
    ImporterTrajectoireMnu = new QAction(QStringLiteral("Importer une trajectoire mesurée…"), this);
    ImporterTrajectoireMnu->setObjectName(QStringLiteral("ImporterTrajectoireMnu"));
    connect(ImporterTrajectoireMnu, &QAction::triggered, this,
            [this] { ImporterTrajectoireMnuClick(); });
    AjusterCoupMnu = new QAction(QStringLiteral("Ajuster le coup"), this);
    AjusterCoupMnu->setObjectName(QStringLiteral("AjusterCoupMnu"));
    AjusterCoupMnu->setEnabled(false);
    connect(AjusterCoupMnu, &QAction::triggered, this, [this] { AjusterCoupMnuClick(); });
    FTacheAjustement =
        std::make_unique<TTacheFond>(this, QStringLiteral("Ajustement du coup mesuré"));
}

void TMainFrm::ImporterTrajectoireMnuClick() {
    const std::optional<TChoixFichier> choix = FDialogues->FichierAOuvrir(this, FiltresTrajectoire);
    if (choix) ImporteTrajectoire(choix->Nom);
}

bool TMainFrm::ImporteTrajectoire(const QString& nom) {
    // Bounded: a huge file chosen by mistake is refused, a FIFO is not waited on.
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
    const TLectureTrajectoire lecture = LitTrajectoireMesuree(texte, Moteur.Fisik);
    if (!lecture.Erreur.empty()) {
        AfficheMessage(QStringLiteral("Erreur"),
                       QStringLiteral("Trajectoire mesurée refusée (%1)\n%2")
                           .arg(QFileInfo(nom).fileName(), QString::fromStdString(lecture.Erreur)),
                       tmErreur);
        return false;
    }
    ValidePartie();
    auto coup = std::make_unique<TCoupMesure>(
        PrepareCoupMesure(lecture.Trajectoire, Moteur.Fisik, CoupureAffichee));
    {
        // The balls where the tracking first sees them; the stroke is left as it was.
        ++FPlacement;
        for (int n = 1; n <= 3; ++n) {
            const TVecteur& p = coup->Depart[static_cast<std::size_t>(n)];
            BilleMoteur(n)->DeplaceCm({p.x, p.y});
        }
        --FPlacement;
    }
    FCoupMesure = std::move(coup);
    ++FNumeroMesure;
    FEcartMesure = -1.0;
    BillardGraph->FixeReleves(Releves(lecture.Trajectoire));
    AjusterCoupMnu->setEnabled(!FTacheAjustement->EnCours());
    // The result shown was that of another table; the aim line and the contact preview
    // follow the balls to their new places.
    EffaceResultat();
    RedessineSansLignes();
    PositionsVersMoteur();
    DessineApercu();
    ValidePartie();
    return true;
}

void TMainFrm::OublieTrajectoire() {
    FCoupMesure.reset();
    ++FNumeroMesure;
    FEcartMesure = -1.0;
    BillardGraph->FixeReleves({});
    BillardGraph->FixeComparaison(std::nullopt);
    AjusterCoupMnu->setEnabled(false);
}

void TMainFrm::AjusterCoupMnuClick() {
    if (!FCoupMesure || FTacheAjustement->EnCours()) return;
    // The fit works on its own engine and its own copy of the tracked shot: the window may
    // go on firing, loading or forgetting meanwhile. The cue mass and inclination it keeps
    // are those of the controls.
    CoupVersMoteur();
    auto moteur = std::make_shared<TBillardAlveran>(Moteur);
    auto mesure = std::make_shared<const TCoupMesure>(*FCoupMesure);
    auto resultat = std::make_shared<TResultatAjustement>();
    AjusterCoupMnu->setEnabled(false);
    auto fin = std::make_shared<QMetaObject::Connection>();
    *fin = connect(FTacheAjustement.get(), &TTacheFond::Termine, this,
                   [this, fin, resultat, numero = FNumeroMesure] {
                       disconnect(*fin);
                       AjusterCoupMnu->setEnabled(FCoupMesure != nullptr);
                       // A tracked shot loaded or forgotten meanwhile is not this one.
                       if (FCoupMesure && numero == FNumeroMesure) AppliqueAjustement(*resultat);
                   });
    FTacheAjustement->Lance([moteur, mesure, resultat](const TSuiviAjustement& suivi) {
        TOptionsAjustement options;
        options.Coupure = CoupureAffichee;
        options.Arret = suivi.Arret;
        if (suivi.Progression) suivi.Progression("ajustement du coup", 0, 0);
        *resultat = AjusteCoup(*moteur, *mesure, options);
    });
}

void TMainFrm::AppliqueAjustement(const TResultatAjustement& resultat) {
    PlaceCoup(Moteur, *FCoupMesure, resultat.Coup);
    {
        ++FPlacement;
        PlaceBillesEtape(0);
        BillardGraph->ViseAngle(Moteur.Coup.AngleOx);
        Ehvi1->SetEffet(Moteur.Coup.Effet);
        Ehvi1->SetHauteur(Moteur.Coup.Hauteur);
        Ehvi1->SetVitesse(Moteur.Coup.Vq);
        Ehvi1->SetInclinaison(Moteur.Coup.AngleTapis * 180.0 / std::numbers::pi);
        Ehvi1->SetMasseQueue(Moteur.Coup.m);
        --FPlacement;
    }
    // The cue-impact control places the tip on its pixels, a hundredth of a centimetre
    // apart, and that rounding alone moves a three-cushion path by centimetres: the fitted
    // stroke is fired as fitted, the controls showing it as closely as they can.
    FCoupImpose = true;
    TireEnLignes();
    FCoupImpose = false;
    if (Moteur.QueueInsoluble) return;

    // The figure is that of the shot drawn.
    TCoupAjuste tire = resultat.Coup;
    tire.Vq = Moteur.Coup.Vq;
    tire.m = Moteur.Coup.m;
    tire.AngleOx = Moteur.Coup.AngleOx;
    tire.AngleTapis = Moteur.Coup.AngleTapis;
    tire.Effet = Moteur.Coup.Effet;
    tire.Hauteur = Moteur.Coup.Hauteur;
    auto copie = std::make_unique<TBillardAlveran>();
    copie->Fisik = Moteur.Fisik;
    FEcartMesure = RmseCoup(*copie, *FCoupMesure, tire);

    FTexteResultat += TexteEcartMesure(FEcartMesure, QLocale()) + QLatin1Char('\r');
    PointLbl->setText(QString(FTexteResultat).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}
