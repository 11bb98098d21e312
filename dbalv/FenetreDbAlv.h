#pragma once
// dbAlv's window: receives shot blocks, stores them, lists them and sends the chosen one back
// to the main window that sent it.

#include "transport/TransportDbAlv.h"
#include "dbalv/BaseCoups.h"
#include "dbalv/VerrouBase.h"

#include <QHash>
#include <QMainWindow>

class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;

class TFenetreDbAlv : public QMainWindow {
    Q_OBJECT
  public:
    /// Column order of the list.
    enum TColonne {
        kRecu,
        kExpediteur,
        kType,
        kPoint,
        kContre,
        kSequence,
        kD13,
        kP13,
        kD,
        kNbColonnes
    };

    /// `nomServeur` is the name the window listens under ("dbAlv V.1" for the real program).
    explicit TFenetreDbAlv(QString cheminBase, QString nomServeur = TTransportDbAlv::NomDbAlv(),
                           QWidget* parent = nullptr);

    /// Opens the database and starts listening. False with `erreur` set when either fails:
    /// another dbAlv already listens under the same name or works on the same file (a lock
    /// file beside it, "<file>.lock"), or the file is damaged or cannot be written.
    bool Demarre(QString* erreur);

    /// Starts sending the shot of list row `ligne` back to a main window: "alveran-<cible>"
    /// when `cible` is given, else its sender when it still runs, else the most recently
    /// started main window. The outcome shows in the status bar and comes through
    /// CoupRenvoye (eNonOuvert at once when no main window runs). False when the row holds no
    /// shot.
    bool Renvoie(int ligne, quint64 cible = 0);
    /// The entries of the "Renvoyer vers…" menu for the current row: the running main windows,
    /// newest first, the sender marked.
    QStringList ChoixFenetres();

    QTableWidget* Liste() const { return Table; }
    /// The banner that reports shots received but not stored (hidden while there is none).
    QWidget* Alerte() const { return AlerteCadre; }
    QString TexteAlerte() const;
    TTransportDbAlv& Transport() { return Liaison; }
    const TBaseCoups& Base() const { return Coups; }

  signals:
    /// A block was stored (and listed).
    void CoupStocke(qint64 id);
    /// A send of Renvoie is over.
    void CoupRenvoye(TTransportDbAlv::TEnvoi etat);

  private:
    void CreeAlerte(QWidget* parent);
    void BlocRecu(const QByteArray& bloc, quint64 dwData);
    void SignaleNonEnregistre(quint64 dwData, const QString& raison);
    void RenvoiTermine(quint64 numero, TTransportDbAlv::TEnvoi etat, quint64 reponse);
    void AjouteLigne(const TCoupStocke& coup);
    void RenvoieSelection();
    void MajBoutons();
    void RemplitMenuFenetres();

    QString CheminBase;
    QString NomServeur;
    TVerrouBase Verrou;
    TBaseCoups Coups;
    TTransportDbAlv Liaison;
    QTableWidget* Table = nullptr;
    QPushButton* RenvoyerBtn = nullptr;
    QPushButton* RenvoyerVersBtn = nullptr; ///< lets the user pick the window
    QMenu* MenuFenetres = nullptr;
    QLabel* EtatLbl = nullptr;
    QWidget* AlerteCadre = nullptr;
    QLabel* AlerteLbl = nullptr;
    int NbNonEnregistres = 0;
    struct TRenvoi {
        QString Cible;
        QString Note; ///< why the shot did not go to its sender (empty when it did)
    };
    QHash<quint64, TRenvoi> Renvois; ///< sends under way: their number and their target
};
