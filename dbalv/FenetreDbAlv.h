#pragma once
// dbAlv's window: receives shot blocks, stores them, lists them and sends the chosen one back
// to the main window that sent it.

#include "transport/TransportDbAlv.h"
#include "dbalv/BaseCoups.h"

#include <QMainWindow>

class QLabel;
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

    /// Opens the database and starts listening. False with `erreur` set when either fails,
    /// in particular when another dbAlv already listens under the same name.
    bool Demarre(QString* erreur);

    /// Sends the shot of list row `ligne` back to "alveran-<sender>".
    TTransportDbAlv::TEnvoi Renvoie(int ligne);

    QTableWidget* Liste() const { return Table; }
    TTransportDbAlv& Transport() { return Liaison; }
    const TBaseCoups& Base() const { return Coups; }

  signals:
    /// A block was stored (and listed).
    void CoupStocke(qint64 id);

  private:
    void BlocRecu(const QByteArray& bloc, quint64 dwData);
    void AjouteLigne(const TCoupStocke& coup);
    void RenvoieSelection();
    void MajBoutons();

    QString CheminBase;
    QString NomServeur;
    TBaseCoups Coups;
    TTransportDbAlv Liaison;
    QTableWidget* Table = nullptr;
    QPushButton* RenvoyerBtn = nullptr;
    QLabel* EtatLbl = nullptr;
};
