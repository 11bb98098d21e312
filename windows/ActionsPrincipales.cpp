#include "windows/ActionsPrincipales.h"

#include "windows/RelecturePrincipale.h"

#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QSettings>

namespace {

// Where the drawing helps are remembered between runs (the user's Qt settings).
const QString CleNumerosBandes = QStringLiteral("Dessin/NumeroterBandes");
const QString CleSensParcours = QStringLiteral("Dessin/SensParcours");
const QString CleDiamantsBandes = QStringLiteral("Dessin/DiamantsBandes");
// The choices of a group of items kept between runs: the object name of the item checked.
const QString CleDessin = QStringLiteral("Dessin/Trajets");
const QString CleBilleJoueur = QStringLiteral("Partie/BilleJoueur");
const QString CleMode = QStringLiteral("Partie/Mode");

/// Checks the item of `items` the settings name under `cle` (nothing changes for an unknown
/// name), and remembers the item checked from now on.
void RetientChoix(const QList<QAction*>& items, const QString& cle) {
    const QString garde = QSettings().value(cle).toString();
    for (QAction* a : items) {
        if (!garde.isEmpty() && a->objectName() == garde) a->setChecked(true);
        // Toggled, not triggered: a choice made by the window itself counts too.
        QObject::connect(a, &QAction::toggled, a, [a, cle](bool coche) {
            if (coche) QSettings().setValue(cle, a->objectName());
        });
    }
}

} // namespace

TActionsMain::TActionsMain(QObject* parent) : QObject(parent) {
    auto action = [this](const char* texte, const char* nom) {
        auto* a = new QAction(QString::fromUtf8(texte), this);
        a->setObjectName(QString::fromLatin1(nom));
        return a;
    };
    auto coche = [&action](const char* texte, const char* nom, bool cochee) {
        QAction* a = action(texte, nom);
        a->setCheckable(true);
        a->setChecked(cochee);
        return a;
    };
    auto groupe = [this](std::initializer_list<QAction*> items) {
        auto* g = new QActionGroup(this);
        for (QAction* a : items) g->addAction(a);
        return g;
    };

    Charger = action("Charger une position", "ChargerMnu");
    Sauvegarder = action("Sauvegarder une position", "SauvegarderMnu");
    SauverImage = action("Sauver l'image", "SauverImageMnu");
    ExporterSchema = action("Exporter le schéma du coup", "ExporterSchemaMnu");
    ImporterTrajectoire = action("Importer une trajectoire mesurée…", "ImporterTrajectoireMnu");
    AjusterCoup = action("Ajuster le coup", "AjusterCoupMnu");
    ComparerTentative = action("Comparer une tentative au coup voulu…", "ComparerTentativeMnu");
    AjusterCoup->setEnabled(false);

    // "Auto" is alone in its group: each click flips it. "Queue" and "Vitesse et Rotation"
    // exclude each other, and both may end unchecked.
    dbAlvAuto = coche("Auto", "dbAlvAutoMnu", false);
    dbAlvQueue = coche("Queue", "dbAlvQueueMnu", true);
    dbAlvVitesse = coche("Vitesse et Rotation", "dbAlvVitesseMnu", false);
    groupe({dbAlvQueue, dbAlvVitesse})
        ->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);

    ParamPhys = action("Paramètres physiques", "ParamPhysMnu");
    VueNum = action("Vue Numérique", "VueNumMnu");
    Calibrage = action("Calibrage", "CalibrageMnu");
    Tolerance = action("Evaluation de la tolérance du point", "ToleranceMnu");
    Recherche = action("Recherche de solutions", "RechercheMnu");
    Systeme = action("Système des diamants", "SystemeMnu");
    Copier = action("&Copier", "CopierMnu");
    Copier->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    Coller = action("Co&ller", "CollerMnu");
    Coller->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert));

    Blanche = coche("Blanche", "BlancheMnu", true);
    Jaune = coche("Jaune", "JauneMnu", false);
    connect(groupe({Blanche, Jaune}), &QActionGroup::triggered, this,
            &TActionsMain::BilleJoueurChoisie);

    Lignes = coche("Lignes", "LignesMnu", true);
    Billes = coche("Billes", "BillesMnu", false);
    LignesEtBilles = coche("Lignes et Billes", "LignesEtBillesMnu", false);
    TraceSimultanee = coche("Trace simultanée", "TraceSimultaneeMnu", false);
    connect(groupe({Lignes, Billes, LignesEtBilles, TraceSimultanee}), &QActionGroup::triggered,
            this, &TActionsMain::DessinChoisiChange);
    EffacerLignes = coche("Effacer lignes", "EffacerLignesMnu", true);
    Ligne[0] = coche("dessiner ligne 1", "Ligne1Mnu", true);
    Ligne[1] = coche("dessiner ligne 2", "Ligne2Mnu", true);
    Ligne[2] = coche("dessiner ligne 3", "Ligne3Mnu", true);
    // Helps to follow the lines: off at first, then as the player left them.
    const QSettings reglages;
    NumerosBandes = coche("Numéroter les bandes", "NumerosBandesMnu",
                          reglages.value(CleNumerosBandes, false).toBool());
    SensParcours = coche("Sens de parcours", "SensParcoursMnu",
                         reglages.value(CleSensParcours, false).toBool());
    DiamantsBandes = coche("Diamants des bandes", "DiamantsBandesMnu",
                           reglages.value(CleDiamantsBandes, false).toBool());
    for (QAction* a : {NumerosBandes, SensParcours, DiamantsBandes})
        connect(a, &QAction::triggered, this, [this] {
            QSettings r;
            r.setValue(CleNumerosBandes, NumerosBandes->isChecked());
            r.setValue(CleSensParcours, SensParcours->isChecked());
            r.setValue(CleDiamantsBandes, DiamantsBandes->isChecked());
            emit AidesTraceChange();
        });

    Libre = coche("Libre", "LibreMnu", false);
    UneBande = coche("1 bande", "UneBandeMnu", false);
    TroisBandes = coche("3 bandes", "TroisBandesMnu", true);
    connect(groupe({Libre, UneBande, TroisBandes}), &QActionGroup::triggered, this,
            &TActionsMain::ModeChoisi);
    // The drawing mode, the cue ball and the game mode come back as the player left them.
    RetientChoix({Lignes, Billes, LignesEtBilles, TraceSimultanee}, CleDessin);
    RetientChoix({Blanche, Jaune}, CleBilleJoueur);
    RetientChoix({Libre, UneBande, TroisBandes}, CleMode);

    Cm = coche("cm", "CmMnu", false);
    Diamants = coche("diamants", "DiamantsMnu", true);
    connect(groupe({Cm, Diamants}), &QActionGroup::triggered, this,
            &TActionsMain::AffichagePositionsChoisi);

    Aide = action("Aide", "AideMnu");
    Annuler = action("Annuler", "AnnulerMnu");
    Annuler->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Retablir = action("Rétablir", "RetablirMnu");
    Retablir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    Quitter = action("Quitter", "QuitterMnu");
    Quitter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

QAction* TActionsMain::DessinChoisi() const {
    for (QAction* a : {Lignes, Billes, LignesEtBilles})
        if (a->isChecked()) return a;
    return TraceSimultanee;
}

void TActionsMain::AjouteMenus(QMenuBar& barre, const TRelectureMain& relecture,
                               const QList<QAction*>& analyses) const {
    QMenu* fichier = barre.addMenu(QStringLiteral("&Fichier"));
    fichier->addActions({Charger, Sauvegarder, SauverImage, ExporterSchema});
    fichier->addSeparator();
    fichier->addActions({ImporterTrajectoire, AjusterCoup, ComparerTentative});
    fichier->addSeparator();
    QMenu* dbAlv = fichier->addMenu(QStringLiteral("Sauvegarde dbAlv"));
    dbAlv->addAction(dbAlvAuto);
    dbAlv->addSeparator();
    dbAlv->addActions({dbAlvQueue, dbAlvVitesse});
    fichier->addSeparator();
    fichier->addAction(ParamPhys);
    fichier->addSeparator();
    fichier->addAction(Quitter);

    QMenu* edition = barre.addMenu(QStringLiteral("&Edition"));
    edition->addActions({Annuler, Retablir});
    edition->addSeparator();
    edition->addActions({VueNum, Calibrage, Tolerance, Recherche, Systeme});
    edition->addActions(analyses);
    edition->addSeparator();
    edition->addActions({Copier, Coller});

    QMenu* options = barre.addMenu(QStringLiteral("&Options"));
    options->addMenu(QStringLiteral("Bille joueur"))->addActions({Blanche, Jaune});
    QMenu* dessin = options->addMenu(QStringLiteral("Dessin trajets"));
    dessin->addActions({Lignes, Billes, LignesEtBilles, TraceSimultanee});
    dessin->addSeparator();
    dessin->addAction(EffacerLignes);
    dessin->addSeparator();
    dessin->addActions({Ligne[0], Ligne[1], Ligne[2]});
    dessin->addSeparator();
    dessin->addActions({NumerosBandes, SensParcours, DiamantsBandes});
    options->addMenu(QStringLiteral("Mode de jeu"))->addActions({Libre, UneBande, TroisBandes});
    options->addMenu(QStringLiteral("Affiche pos billes"))->addActions({Cm, Diamants});

    relecture.AjouteMenu(barre);

    barre.addMenu(QStringLiteral("Aide"))->addAction(Aide);
}
