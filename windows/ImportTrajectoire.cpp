#include "windows/ImportTrajectoire.h"

#include "analysis/LectureBornee.h"
#include "analysis/TrajectoireMesuree.h"
#include "ui/TexteNombre.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

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

TImportTrajectoire::TImportTrajectoire(QWidget* parent, TDialogues& dialogues)
    : QObject(parent), FParent(parent), FDialogues(dialogues),
      FTache(std::make_unique<TTacheFond>(parent, QStringLiteral("Ajustement du coup mesuré"))) {}

TImportTrajectoire::~TImportTrajectoire() = default;

bool TImportTrajectoire::AjustementPossible() const {
    return FCoupMesure != nullptr && !FTache->EnCours();
}

void TImportTrajectoire::ImporteDepuisDialogue(const TPARAMPHYS& fisik) {
    const std::optional<TChoixFichier> choix =
        FDialogues.FichierAOuvrir(FParent, FiltresTrajectoire);
    if (choix) Importe(choix->Nom, fisik);
}

bool TImportTrajectoire::Importe(const QString& nom, const TPARAMPHYS& fisik) {
    // Bounded: a huge file chosen by mistake is refused, a FIFO is not waited on.
    std::string texte;
    if (const TLectureBornee l =
            LitFichierBorne(QFile::encodeName(nom).toStdString(), TailleMaxTrajectoire, texte);
        l != TLectureBornee::Lu) {
        FDialogues.Message(
            FParent, QStringLiteral("Erreur"),
            l == TLectureBornee::TropGros
                ? QStringLiteral("Impossible de lire %1 : fichier trop gros").arg(nom)
                : QStringLiteral("Impossible de lire %1").arg(nom),
            tmErreur);
        return false;
    }
    const TLectureTrajectoire lecture = LitTrajectoireMesuree(texte, fisik);
    if (!lecture.Erreur.empty()) {
        FDialogues.Message(
            FParent, QStringLiteral("Erreur"),
            QStringLiteral("Trajectoire mesurée refusée (%1)\n%2")
                .arg(QFileInfo(nom).fileName(), QString::fromStdString(lecture.Erreur)),
            tmErreur);
        return false;
    }
    FCoupMesure = std::make_unique<TCoupMesure>(
        PrepareCoupMesure(lecture.Trajectoire, fisik, CoupureAffichee));
    ++FNumero;
    std::array<TPointTable, 4> departs{};
    for (std::size_t n = 1; n <= 3; ++n)
        departs[n] = {FCoupMesure->Depart[n].x, FCoupMesure->Depart[n].y};
    emit Importee(departs, Releves(lecture.Trajectoire));
    emit AjustementPossibleChange(AjustementPossible());
    return true;
}

void TImportTrajectoire::Oublie() {
    FCoupMesure.reset();
    ++FNumero;
    emit Oubliee();
    emit AjustementPossibleChange(false);
}

void TImportTrajectoire::LanceAjustement(const TBillardAlveran& moteur) {
    if (!AjustementPossible()) return;
    // The fit works on its own engine and its own copy of the tracked shot: the window may
    // go on firing, loading or forgetting meanwhile.
    auto copie = std::make_shared<TBillardAlveran>(moteur);
    auto mesure = std::make_shared<const TCoupMesure>(*FCoupMesure);
    auto resultat = std::make_shared<TResultatAjustement>();
    emit AjustementPossibleChange(false);
    auto fin = std::make_shared<QMetaObject::Connection>();
    *fin =
        connect(FTache.get(), &TTacheFond::Termine, this, [this, fin, resultat, numero = FNumero] {
            disconnect(*fin);
            emit AjustementPossibleChange(FCoupMesure != nullptr);
            // A tracked shot loaded or forgotten meanwhile is not this one.
            if (FCoupMesure && numero == FNumero) emit Ajuste(*resultat);
        });
    FTache->Lance([copie, mesure, resultat](const TSuiviAjustement& suivi) {
        TOptionsAjustement options;
        options.Coupure = CoupureAffichee;
        options.Arret = suivi.Arret;
        if (suivi.Progression) suivi.Progression("ajustement du coup", 0, 0);
        *resultat = AjusteCoup(*copie, *mesure, options);
    });
}

double TImportTrajectoire::Ecart(const TPARAMPHYS& fisik, const TCoupAjuste& coup) const {
    if (!FCoupMesure) return -1.0;
    auto moteur = std::make_unique<TBillardAlveran>();
    moteur->Fisik = fisik;
    return RmseCoup(*moteur, *FCoupMesure, coup);
}
