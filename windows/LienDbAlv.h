#pragma once
// The main window's link with the database application: it owns the transport, listens for
// the shots dbAlv sends back, sends shot blocks without blocking, and turns each send outcome
// into the text the user reads.

#include "analysis/ComdbAlv.h"
#include "transport/TransportDbAlv.h"

#include <QObject>
#include <QString>

#include <memory>

class TLienDbAlv : public QObject {
    Q_OBJECT
  public:
    /// Listens under the program's own name ("alveran-" and its process id); without it the
    /// link still sends, it only cannot receive.
    explicit TLienDbAlv(QObject* parent = nullptr);
    ~TLienDbAlv() override;

    /// Starts sending the shot; EchecEnvoi follows if it was not stored.
    void Envoie(const TCoupDb& bloc);

    /// The server name the shots are sent to (dbAlv's own by default).
    const QString& NomServeur() const { return FNomServeur; }
    void FixeNomServeur(const QString& nom) { FNomServeur = nom; }
    TTransportDbAlv& Transport() { return *FTransport; }

    /// A frame's data as dbAlv sends it back: CoupRecu when it is a block of 296 bytes.
    void Recoit(const QByteArray& donnees);

    /// What the user is told when a send ended in `etat`; empty when the shot was stored.
    QString TexteEnvoi(TTransportDbAlv::TEnvoi etat, quint64 reponse) const;

  signals:
    /// A block of 296 bytes received from dbAlv (other sizes are ignored).
    void CoupRecu(const TCoupDb& bloc);
    /// A shot sent was not stored: the user's text saying why.
    void EchecEnvoi(const QString& texte);

  private:
    std::unique_ptr<TTransportDbAlv> FTransport;
    QString FNomServeur;
};
