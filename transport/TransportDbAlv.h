#pragma once
// Exchange of shot blocks with the database application over local sockets.
//
// A message is one frame: uint32 message number (74), uint64 dwData, uint32 cbData, then
// cbData bytes, all little-endian. The receiver reads the whole frame, handles it and answers
// with one uint64 (0); the sender waits for that answer, then closes the connection. The
// database application listens under "dbAlv V.1", the main window under "alveran-<pid>" and
// sends its process id as dwData, so that a block can be sent back to it.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <vector>

class QLocalServer;
class QLocalSocket;

class TTransportDbAlv : public QObject {
    Q_OBJECT
  public:
    static constexpr quint32 MessageCopieDonnees = 74;
    static constexpr qint64 TailleEnTete = 16;
    /// Frames announcing more than this are refused: the connection is closed.
    static constexpr quint64 TailleMaxDonnees = 1024 * 1024;
    static constexpr int TailleBloc = 296;

    /// The database application's server name.
    static QString NomDbAlv();
    /// The server name of the main window of process `pid`.
    static QString NomAlveran(quint64 pid);
    /// Error text shown when the database application cannot be reached.
    static QString TexteDbAlvNonOuvert();

    enum TEnvoi {
        eEnvoye,     ///< the frame was sent and the receiver answered
        eNonOuvert,  ///< no server answered the connection within the connection time-out
        eSansReponse ///< the frame was sent but no answer came in time (or the peer closed)
    };

    explicit TTransportDbAlv(QObject* parent = nullptr);
    ~TTransportDbAlv() override;

    /// Time-outs of a send (ms): connection, then the answer.
    int DelaiConnexion = 1000;
    int DelaiReponse = 5000;
    /// A connection whose frame stays incomplete this long (ms) is closed.
    int DelaiTrameIncomplete = 5000;

    /// Starts listening under `nom`. Refuses (false, `erreur` set) when a server already
    /// answers under that name; a name left behind by a program that ended is taken over.
    bool Ecoute(const QString& nom, QString* erreur = nullptr);
    /// Stops listening; connections already open are closed.
    void ArreteEcoute();
    bool EnEcoute() const;
    QString NomServeur() const;

    /// True when a server accepts a connection under `nom` within `delai` ms.
    static bool ServeurActif(const QString& nom, int delai);

    /// Sends one frame of message 74 to the server `nom` and waits for its answer. While
    /// waiting, socket and timer events go on (user input does not), so a receiver in this
    /// same process can answer; blocks that arrive for this object meanwhile are reported once
    /// the send is over.
    TEnvoi Envoie(const QString& nom, quint64 dwData, const QByteArray& donnees);

    /// Builds one frame.
    static QByteArray Trame(quint32 message, quint64 dwData, const QByteArray& donnees);

  signals:
    /// A frame of message 74 holding exactly 296 bytes was received (and answered).
    void BlocRecu(const QByteArray& bloc, quint64 dwData);

  private:
    class TConnexion;
    friend class TConnexion;

    void NouvelleConnexion();
    /// A whole frame read from a connection; returns once it has been handled.
    void TrameComplete(quint32 message, quint64 dwData, const QByteArray& donnees);
    void SignaleDiffere();

    QLocalServer* Serveur = nullptr;
    int EnvoisEnCours = 0;
    struct TBlocDiffere {
        QByteArray Bloc;
        quint64 DwData;
    };
    std::vector<TBlocDiffere> Differes;
};
