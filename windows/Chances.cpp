#include "windows/Chances.h"

#include "windows/Services.h"

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* CleJoueur = "chances/joueur";
constexpr const char* CleMonJeu = "chances/monjeu";

} // namespace

std::optional<TJoueur> LitMonJeu() {
    const QSettings reglages;
    const QStringList valeurs = reglages.value(QString::fromLatin1(CleMonJeu)).toStringList();
    if (valeurs.size() != 3) return std::nullopt;
    TJoueur j{NomJoueurMesure, 0, 0, 0};
    bool ok[3] = {};
    // Stored with ".", whatever the user's number format.
    j.EcartAngle = valeurs[0].toDouble(&ok[0]);
    j.EcartProcede = valeurs[1].toDouble(&ok[1]);
    j.EcartVitesse = valeurs[2].toDouble(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || j.EcartAngle < 0 || j.EcartProcede < 0 || j.EcartVitesse < 0)
        return std::nullopt;
    return j;
}

void EcritMonJeu(const TJoueur& joueur) {
    QSettings reglages;
    reglages.setValue(QString::fromLatin1(CleMonJeu),
                      QStringList{QString::number(joueur.EcartAngle, 'g', 17),
                                  QString::number(joueur.EcartProcede, 'g', 17),
                                  QString::number(joueur.EcartVitesse, 'g', 17)});
}

std::vector<TJoueur> JoueursDisponibles() {
    std::vector<TJoueur> joueurs;
    for (const TJoueurPredefini& j : JoueursPredefinis()) joueurs.push_back(j.Joueur);
    if (const auto monJeu = LitMonJeu()) joueurs.push_back(*monJeu);
    return joueurs;
}

QString TexteReussite(const TChance& chance, const TJoueur& joueur) {
    const QLocale locale;
    const double ecart =
        std::max(chance.Probabilite - chance.Bas, chance.Haut - chance.Probabilite);
    return QStringLiteral("Réussite : %1 % ± %2 (%3)")
        .arg(locale.toString(static_cast<int>(std::lround(100 * chance.Probabilite))),
             locale.toString(static_cast<int>(std::lround(100 * ecart))),
             QString::fromStdString(joueur.Nom));
}

TChancesCoup::TChancesCoup(TServicesMain& services, QWidget* parent)
    : QObject(parent), Services(services), FParent(parent) {
    CalculeMnu = new QAction(QStringLiteral("Chances de réussite"), this);
    CalculeMnu->setObjectName(QStringLiteral("ChancesMnu"));
    CalculeMnu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(CalculeMnu, &QAction::triggered, this, [this] { Calcule(); });
    JoueurMnu = new QMenu(QStringLiteral("Joueur"), parent);
    JoueurMnu->setObjectName(QStringLiteral("JoueurMnu"));
    FGroupe = new QActionGroup(this);
    FGroupe->setExclusive(true);
    RemplitJoueurs();
}

TChancesCoup::~TChancesCoup() {
    FArret = true;
    if (FFil.joinable()) FFil.join();
}

void TChancesCoup::RemplitJoueurs() {
    const QSettings reglages;
    const QString choisi =
        reglages.value(QString::fromLatin1(CleJoueur), QStringLiteral("Joueur de club")).toString();
    JoueurMnu->clear();
    for (QAction* a : FGroupe->actions()) FGroupe->removeAction(a);
    bool coche = false;
    for (const TJoueur& j : JoueursDisponibles()) {
        const QString nom = QString::fromStdString(j.Nom);
        QAction* a = JoueurMnu->addAction(nom);
        a->setCheckable(true);
        FGroupe->addAction(a);
        if (nom == choisi) a->setChecked(coche = true);
        connect(a, &QAction::triggered, this,
                [nom] { QSettings().setValue(QString::fromLatin1(CleJoueur), nom); });
    }
    if (!coche) FGroupe->actions()[2]->setChecked(true); // "Joueur de club"
    JoueurMnu->addSeparator();
    QAction* saisie = JoueurMnu->addAction(QStringLiteral("Mon jeu…"));
    saisie->setObjectName(QStringLiteral("MonJeuMnu"));
    connect(saisie, &QAction::triggered, this, [this] { SaisitMonJeu(); });
}

TJoueur TChancesCoup::Joueur() const {
    const QAction* choisi = FGroupe->checkedAction();
    for (const TJoueur& j : JoueursDisponibles())
        if (choisi != nullptr && QString::fromStdString(j.Nom) == choisi->text()) return j;
    return *JoueurPredefini("club");
}

bool TChancesCoup::ChoisitJoueur(const QString& nom) {
    for (QAction* a : FGroupe->actions())
        if (a->text() == nom) {
            a->trigger();
            return true;
        }
    return false;
}

void TChancesCoup::FixeMonJeu(const TJoueur& joueur) {
    EcritMonJeu(joueur);
    RemplitJoueurs();
    ChoisitJoueur(QString::fromLatin1(NomJoueurMesure));
}

void TChancesCoup::SaisitMonJeu() {
    // The three spreads, typed in the user's number format; "fit --dispersion" measures them
    // from tracked attempts of one shot.
    QDialog dialogue(FParent);
    dialogue.setWindowTitle(QStringLiteral("Mon jeu"));
    auto* forme = new QFormLayout(&dialogue);
    const TJoueur actuel = LitMonJeu().value_or(*JoueurPredefini("club"));
    const QLocale locale;
    auto* angle = new QLineEdit(locale.toString(actuel.EcartAngle), &dialogue);
    auto* procede = new QLineEdit(locale.toString(actuel.EcartProcede), &dialogue);
    auto* vitesse = new QLineEdit(locale.toString(actuel.EcartVitesse), &dialogue);
    forme->addRow(QStringLiteral("Écart de visée (°)"), angle);
    forme->addRow(QStringLiteral("Écart du procédé (cm)"), procede);
    forme->addRow(QStringLiteral("Écart de vitesse (%)"), vitesse);
    auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    forme->addRow(boutons);
    connect(boutons, &QDialogButtonBox::accepted, &dialogue, &QDialog::accept);
    connect(boutons, &QDialogButtonBox::rejected, &dialogue, &QDialog::reject);
    if (dialogue.exec() != QDialog::Accepted) return;
    TJoueur j{NomJoueurMesure, 0, 0, 0};
    bool ok[3] = {};
    j.EcartAngle = locale.toDouble(angle->text(), &ok[0]);
    j.EcartProcede = locale.toDouble(procede->text(), &ok[1]);
    j.EcartVitesse = locale.toDouble(vitesse->text(), &ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || j.EcartAngle < 0 || j.EcartProcede < 0 ||
        j.EcartVitesse < 0) {
        Services.Dialogues().Message(FParent, QStringLiteral("Erreur"),
                                     QStringLiteral("Écarts positifs ou nuls attendus"), tmErreur);
        return;
    }
    FixeMonJeu(j);
}

void TChancesCoup::Calcule() {
    if (FFil.joinable()) return;
    // The position and stroke as "Feu !" would fire them now.
    Services.PositionsVersMoteur();
    auto moteur = std::make_shared<TBillardAlveran>(Services.MoteurPartage());
    const TCoupQueue coup = Services.Coup();
    FJoueurCalcule = Joueur();
    CalculeMnu->setEnabled(false);
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    FFil = std::thread([this, moteur, coup, threads] {
        const TTirages tirages(NbEssaisDefaut, GraineDefaut);
        FChance = ChanceCoup(*moteur, coup, FJoueurCalcule, tirages, threads, &FArret);
        QMetaObject::invokeMethod(
            this, [this] { Fin(); }, Qt::QueuedConnection);
    });
}

void TChancesCoup::Fin() {
    if (FFil.joinable()) FFil.join();
    CalculeMnu->setEnabled(true);
    emit Resultat(TexteReussite(FChance, FJoueurCalcule));
}
