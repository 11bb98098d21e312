#pragma once
// Exchange of shot blocks with the database application over local sockets.
//
// A message is one frame: uint32 message number (74), uint64 dwData, uint32 cbData, then
// cbData bytes, all little-endian. The receiver reads the whole frame, handles it and answers
// with one uint64: 0 when the frame was handled, one of TReponse when a shot could not be
// stored. The sender waits for that answer, then closes the connection. The database
// application listens under "dbAlv V.1", the main window under "alveran-<pid>" and sends its
// process id as dwData, so that a block can be sent back to it.
//
// The socket files live in the user's private runtime folder (QStandardPaths::RuntimeLocation,
// mode 0700), where no other user can create or reach them; a sender still checks that the
// program it reached runs under the same user before sending anything.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

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
    /// Connections served at once; the ones beyond are closed as soon as accepted, so that a
    /// burst of clients cannot use up the program's file descriptors.
    static constexpr int ConnexionsMax = 64;
    /// Frames of one connection handled in one turn of the event loop: the connections are
    /// served in turn, so that one client pipelining frames cannot starve the others.
    static constexpr int TramesParTour = 4;

    /// The answer to a frame. 0 keeps meaning "handled" (for a shot: stored); the database
    /// application answers the others when it could not store a shot.
    enum TReponse : quint64 {
        rEnregistre = 0,
        rLectureSeule = 1,      ///< its database file cannot be written
        rVerrouillee = 2,       ///< another program holds its database locked
        rTableIncompatible = 3, ///< the table of shots does not have the expected columns
        rEchecEcriture = 4,     ///< any other failure of the write (disk full, I/O error…)
        rBaseDeplacee = 5       ///< its database file was moved or deleted while it ran
    };
    /// Why a shot was not stored, for the user: "sa base est en lecture seule"…
    static QString TexteReponse(quint64 reponse);

    /// The database application's server name.
    static QString NomDbAlv();
    /// The server name of the main window of process `pid`.
    static QString NomAlveran(quint64 pid);
    /// The process ids of the main windows that answer a connection now in the private runtime
    /// folder, the most recently started first (by their socket file's time, then the higher
    /// pid). `delai` bounds the wait of each check (ms); a socket file left by a program that
    /// ended is refused at once by the kernel, so the scan costs little.
    static QList<quint64> FenetresAlveran(int delai = 300);
    /// Where a stored shot goes back to: its sender when it still runs, else the most recently
    /// started of the running main windows (`ouvertes`, newest first); 0 when none runs.
    static quint64 CibleRenvoi(quint64 expediteur, const QList<quint64>& ouvertes);
    /// Error text shown when the database application cannot be reached.
    static QString TexteDbAlvNonOuvert();
    /// Path of the socket file of server `nom`: in the user's private runtime folder, or `nom`
    /// itself when it is already an absolute path. Empty when there is no private folder (it
    /// cannot be created, or it belongs to another user or is open to others).
    static QString Adresse(const QString& nom);

    enum TEnvoi {
        eEnvoye,          ///< the frame was sent and the receiver answered 0
        eNonOuvert,       ///< no server answered the connection within the connection time-out
        eSansReponse,     ///< the frame was sent but no answer came in time (or the peer closed)
        eRefuse,          ///< the receiver answered a non-zero value: see TReponse
        eAutreUtilisateur ///< the server runs under another user: nothing was sent
    };
    Q_ENUM(TEnvoi)

    explicit TTransportDbAlv(QObject* parent = nullptr);
    ~TTransportDbAlv() override;

    /// Time-outs of a send (ms): connection, then the answer.
    int DelaiConnexion = 1000;
    int DelaiReponse = 5000;
    /// A connection must complete a frame within this time (ms) from its start or from its
    /// last whole frame — silent, trickling, or stopped in the middle of one, it is closed.
    int DelaiTrameIncomplete = 5000;
    /// How often (ms) the server checks that it still listens and that its socket file is
    /// still there, and listens again if not.
    int DelaiSurveillance = 1000;

    /// Starts listening under `nom`. Refuses (false, `erreur` set) when a server already
    /// answers under that name; a name left behind by a program that ended is taken over.
    bool Ecoute(const QString& nom, QString* erreur = nullptr);
    /// Stops listening; connections already open are closed.
    void ArreteEcoute();
    bool EnEcoute() const;
    /// The socket file listened on (what Adresse gave for the name).
    QString NomServeur() const;
    /// Connections being served.
    int NbConnexions() const;

    /// True when a server accepts a connection under `nom` within `delai` ms.
    static bool ServeurActif(const QString& nom, int delai);

    /// Starts sending one frame of message 74 to the server `nom` and returns at once; the
    /// outcome comes later through EnvoiTermine with the number returned here. Nothing here
    /// waits: a stopped or hung receiver costs the caller nothing but the time-outs.
    quint64 Lance(const QString& nom, quint64 dwData, const QByteArray& donnees);
    /// Sends that have not ended yet.
    int EnvoisEnAttente() const { return NbEnvois; }

    /// Sends one frame as Lance does and waits for the outcome; `reponse`, when given,
    /// receives the receiver's answer. While waiting, socket and timer events go on (user
    /// input does not), so a receiver in this same process can answer; blocks that arrive for
    /// this object meanwhile are reported once the send is over.
    TEnvoi Envoie(const QString& nom, quint64 dwData, const QByteArray& donnees,
                  quint64* reponse = nullptr);

    /// Called by a handler of BlocRecu: the answer sent for the frame being handled (0 when
    /// the handler does not call it).
    void FixeReponse(quint64 reponse) { ReponseCourante = reponse; }

    /// Builds one frame.
    static QByteArray Trame(quint32 message, quint64 dwData, const QByteArray& donnees);

  signals:
    /// A frame of message 74 holding exactly 296 bytes was received; it is answered once the
    /// handlers return.
    void BlocRecu(const QByteArray& bloc, quint64 dwData);
    /// The send `numero` of Lance is over; `reponse` is the receiver's answer (eEnvoye and
    /// eRefuse only).
    void EnvoiTermine(quint64 numero, TTransportDbAlv::TEnvoi etat, quint64 reponse);

  private:
    class TConnexion;
    friend class TConnexion;
    class TEnvoiEnCours;
    friend class TEnvoiEnCours;

    bool OuvreServeur(QString* erreur);
    void SurveilleServeur();
    void NouvelleConnexion();
    /// A whole frame read from a connection; returns the answer once it has been handled.
    quint64 TrameComplete(quint32 message, quint64 dwData, const QByteArray& donnees);
    void SignaleDiffere();
    void Termine(quint64 numero, TEnvoi etat, quint64 reponse);

    QLocalServer* Serveur = nullptr;
    QList<TConnexion*> Connexions; ///< the connections being served
    QString AdresseEcoute;         ///< the socket file listened on, kept to listen again
    QTimer Surveillance;
    quint64 DernierEnvoi = 0;
    int NbEnvois = 0;
    quint64 ReponseCourante = 0;
    int EnvoisEnCours = 0; ///< blocking sends waiting in Envoie
    struct TBlocDiffere {
        QByteArray Bloc;
        quint64 DwData;
    };
    std::vector<TBlocDiffere> Differes;
};
