#pragma once
// The main window's menu items and menus. The items are created here with their texts, check
// marks, groups and shortcuts; the main window connects them to what they do. The drawing helps
// ("Numéroter les bandes", "Sens de parcours"), the drawing mode, the cue ball and the game mode
// are remembered here between runs.

#include <QList>
#include <QObject>

class QAction;
class QMenuBar;
class TRelectureMain;

class TActionsMain : public QObject {
    Q_OBJECT
  public:
    explicit TActionsMain(QObject* parent = nullptr);

    /// The menus, in order: Fichier, Edition (`analyses` after its windows), Options, then the
    /// replay's, then Aide.
    void AjouteMenus(QMenuBar& barre, const TRelectureMain& relecture,
                     const QList<QAction*>& analyses) const;

    /// The drawing choice checked under "Dessin trajets".
    QAction* DessinChoisi() const;

    // The items, as a form's: the main window connects them.
    QAction* Charger;
    QAction* Sauvegarder;
    QAction* SauverImage;
    QAction* ExporterSchema;
    QAction* ImporterTrajectoire;
    QAction* AjusterCoup;
    QAction* ComparerTentative; ///< an attempt against the stroke meant
    QAction* dbAlvAuto;         ///< every shot sent
    QAction* dbAlvQueue;        ///< shots sent as strokes…
    QAction* dbAlvVitesse;      ///< …or as velocities and rotations (both may be unchecked)
    QAction* ParamPhys;
    QAction* VueNum;
    QAction* Calibrage;
    QAction* Tolerance;
    QAction* Recherche;
    QAction* Systeme;
    QAction* Copier;
    QAction* Coller;
    QAction* Blanche;
    QAction* Jaune;
    QAction* Lignes;
    QAction* Billes;
    QAction* LignesEtBilles;
    QAction* TraceSimultanee;
    QAction* EffacerLignes;
    QAction* Ligne[3];
    QAction* NumerosBandes;
    QAction* SensParcours;
    QAction* DiamantsBandes;
    QAction* Libre;
    QAction* UneBande;
    QAction* TroisBandes;
    QAction* Cm;
    QAction* Diamants;
    QAction* Aide;
    QAction* Annuler;  ///< "Annuler", Ctrl+Z
    QAction* Retablir; ///< "Rétablir", Ctrl+Y
    QAction* Quitter;  ///< "Quitter", Ctrl+Q

  signals:
    /// "Bille joueur", "Mode de jeu", "Affiche pos billes" or "Dessin trajets" chose an item.
    void BilleJoueurChoisie(QAction* item);
    void ModeChoisi(QAction* item);
    void AffichagePositionsChoisi(QAction* item);
    void DessinChoisiChange();
    /// A drawing help was switched (and remembered).
    void AidesTraceChange();
};
