#pragma once
// "Chances de réussite": the chance that the chosen player makes the main window's current
// stroke, computed in the background and told as one line of the result text ("Réussite :
// 62 % ± 2 (Joueur de club)"). The player is chosen among the presets and "Mon jeu", the
// user's own spreads, kept in the user's settings with the choice. The main window adds the
// actions to its menus and shows the line this object emits; nothing here knows the main
// window beyond its services.

#include "analysis/Chance.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QWidget;
class TServicesMain;

/// The players offered: the four presets, then "Mon jeu" when the user has stored it.
std::vector<TJoueur> JoueursDisponibles();
/// "Mon jeu" from the user's settings, when stored.
std::optional<TJoueur> LitMonJeu();
/// Stores "Mon jeu" in the user's settings.
void EcritMonJeu(const TJoueur& joueur);
/// "Réussite : 62 % ± 2 (Joueur de club)": the chance and the larger side of its interval in
/// whole percent, in the user's number format.
QString TexteReussite(const TChance& chance, const TJoueur& joueur);

class TChancesCoup : public QObject {
    Q_OBJECT
  public:
    TChancesCoup(TServicesMain& services, QWidget* parent);
    ~TChancesCoup() override;

    /// "Chances de réussite" (Ctrl+R), for the "Edition" menu.
    QAction* CalculeMnu = nullptr;
    /// "Joueur", the exclusive player choice and "Mon jeu…", for the "Edition" menu.
    QMenu* JoueurMnu = nullptr;

    /// The chosen player.
    TJoueur Joueur() const;
    /// Chooses a player by name (a preset's or "Mon jeu"); false when none has that name.
    bool ChoisitJoueur(const QString& nom);
    /// Sets "Mon jeu" (stored in the settings) and chooses it.
    void FixeMonJeu(const TJoueur& joueur);
    /// Starts the chance of the current stroke; does nothing while one is computed.
    void Calcule();
    bool EnCours() const { return FFil.joinable(); }

  signals:
    /// The line to show under the shot's result.
    void Resultat(const QString& texte);

  private:
    void RemplitJoueurs();
    void Fin();
    void SaisitMonJeu();

    TServicesMain& Services;
    QWidget* FParent;
    QActionGroup* FGroupe = nullptr;
    std::thread FFil;
    std::atomic<bool> FArret{false};
    TChance FChance;
    TJoueur FJoueurCalcule;
};
