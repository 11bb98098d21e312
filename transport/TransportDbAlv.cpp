#include "transport/TransportDbAlv.h"
#include "analysis/TrameDbAlv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

namespace {

template <typename T> void AjouteLE(QByteArray& o, T valeur) {
    const T le = qToLittleEndian(valeur);
    o.append(reinterpret_cast<const char*>(&le), sizeof le);
}

} // namespace

/// One incoming connection: gathers whole frames, answers each one, and closes itself on a
/// header announcing too much or a frame left incomplete for too long.
class TTransportDbAlv::TConnexion : public QObject {
  public:
    TConnexion(TTransportDbAlv& transport, QLocalSocket* socket)
        : QObject(&transport), Transport(transport), Socket(socket) {
        Socket->setParent(this);
        Attente.setSingleShot(true);
        connect(Socket, &QLocalSocket::readyRead, this, &TConnexion::Lit);
        connect(Socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
        connect(Socket, &QLocalSocket::errorOccurred, this, &QObject::deleteLater);
        connect(&Attente, &QTimer::timeout, this, &TConnexion::Ferme);
        Lit(); // data may have come with the connection
    }

  private:
    void Lit() {
        // A handler that runs a nested event loop may bring us back here: the outer call
        // goes on with whatever came meanwhile.
        if (Ferme_ || EnTraitement) return;
        while (!Ferme_) {
            const QByteArray recu = Socket->readAll();
            Lecteur.Ajoute(recu.constData(), static_cast<std::size_t>(recu.size()));
            TTrame trame;
            const TLecteurTrames::TResultat r = Lecteur.Suivante(trame);
            if (r == TLecteurTrames::rRefus) {
                Ferme();
                return;
            }
            if (r == TLecteurTrames::rIncomplet) break;
            const QByteArray donnees(trame.Donnees.data(),
                                     static_cast<qsizetype>(trame.Donnees.size()));
            QPointer<TConnexion> vivant(this);
            EnTraitement = true;
            Transport.TrameComplete(trame.Message, trame.DwData, donnees);
            if (!vivant) return;
            EnTraitement = false;
            if (Ferme_) return;
            QByteArray reponse;
            AjouteLE<quint64>(reponse, 0);
            Socket->write(reponse);
            Socket->flush();
        }
        // A partial frame must not hold the connection forever.
        if (Lecteur.Vide())
            Attente.stop();
        else
            Attente.start(Transport.DelaiTrameIncomplete);
    }

    void Ferme() {
        if (Ferme_) return;
        Ferme_ = true;
        Attente.stop();
        Socket->abort();
        deleteLater();
    }

    TTransportDbAlv& Transport;
    QLocalSocket* Socket;
    TLecteurTrames Lecteur;
    QTimer Attente{this};
    bool Ferme_ = false;
    bool EnTraitement = false;
};

QString TTransportDbAlv::NomDbAlv() {
    return QStringLiteral("dbAlv V.1");
}

QString TTransportDbAlv::NomAlveran(quint64 pid) {
    return QStringLiteral("alveran-") + QString::number(pid);
}

QString TTransportDbAlv::TexteDbAlvNonOuvert() {
    return QStringLiteral("dbAlv n'est pas ouvert");
}

TTransportDbAlv::TTransportDbAlv(QObject* parent) : QObject(parent) {}

TTransportDbAlv::~TTransportDbAlv() {
    ArreteEcoute();
}

bool TTransportDbAlv::ServeurActif(const QString& nom, int delai) {
    QLocalSocket s;
    s.connectToServer(nom);
    const bool actif = s.waitForConnected(delai);
    s.abort();
    return actif;
}

bool TTransportDbAlv::Ecoute(const QString& nom, QString* erreur) {
    ArreteEcoute();
    if (ServeurActif(nom, DelaiConnexion)) {
        if (erreur)
            *erreur = QStringLiteral("un programme écoute déjà sous le nom « %1 »").arg(nom);
        return false;
    }
    // Nobody answers: a socket file left by a program that ended is in the way.
    QLocalServer::removeServer(nom);
    Serveur = new QLocalServer(this);
    Serveur->setSocketOptions(QLocalServer::UserAccessOption);
    if (!Serveur->listen(nom)) {
        if (erreur) *erreur = Serveur->errorString();
        delete Serveur;
        Serveur = nullptr;
        return false;
    }
    connect(Serveur, &QLocalServer::newConnection, this, &TTransportDbAlv::NouvelleConnexion);
    return true;
}

void TTransportDbAlv::ArreteEcoute() {
    if (!Serveur) return;
    Serveur->close();
    delete Serveur;
    Serveur = nullptr;
    for (TConnexion* c : findChildren<TConnexion*>(Qt::FindDirectChildrenOnly)) delete c;
}

bool TTransportDbAlv::EnEcoute() const {
    return Serveur && Serveur->isListening();
}

QString TTransportDbAlv::NomServeur() const {
    return Serveur ? Serveur->serverName() : QString();
}

void TTransportDbAlv::NouvelleConnexion() {
    while (Serveur && Serveur->hasPendingConnections())
        if (QLocalSocket* s = Serveur->nextPendingConnection()) new TConnexion(*this, s);
}

void TTransportDbAlv::TrameComplete(quint32 message, quint64 dwData, const QByteArray& donnees) {
    if (message != MessageCopieDonnees || donnees.size() != TailleBloc) return;
    if (EnvoisEnCours > 0) {
        // This object is waiting for an answer of its own: handling the block now would run
        // a shot in the middle of another one's export.
        Differes.push_back({donnees, dwData});
        return;
    }
    emit BlocRecu(donnees, dwData);
}

void TTransportDbAlv::SignaleDiffere() {
    if (EnvoisEnCours > 0) return;
    std::vector<TBlocDiffere> blocs;
    blocs.swap(Differes);
    for (const TBlocDiffere& b : blocs) emit BlocRecu(b.Bloc, b.DwData);
}

QByteArray TTransportDbAlv::Trame(quint32 message, quint64 dwData, const QByteArray& donnees) {
    QByteArray t;
    t.reserve(TailleEnTete + donnees.size());
    AjouteLE<quint32>(t, message);
    AjouteLE<quint64>(t, dwData);
    AjouteLE<quint32>(t, static_cast<quint32>(donnees.size()));
    t.append(donnees);
    return t;
}

TTransportDbAlv::TEnvoi TTransportDbAlv::Envoie(const QString& nom, quint64 dwData,
                                                const QByteArray& donnees) {
    QLocalSocket socket;
    socket.connectToServer(nom);
    if (!socket.waitForConnected(DelaiConnexion)) return eNonOuvert;

    ++EnvoisEnCours;
    socket.write(Trame(MessageCopieDonnees, dwData, donnees));
    socket.flush();

    // Wait for the 8-byte answer with events flowing, so that a receiver living in this
    // process (or a block arriving for us) is served; user input waits.
    QEventLoop boucle;
    QTimer delai;
    delai.setSingleShot(true);
    connect(&delai, &QTimer::timeout, &boucle, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::readyRead, &boucle, [&] {
        if (socket.bytesAvailable() >= 8) boucle.quit();
    });
    connect(&socket, &QLocalSocket::disconnected, &boucle, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::errorOccurred, &boucle, &QEventLoop::quit);
    if (socket.bytesAvailable() < 8 && socket.state() == QLocalSocket::ConnectedState) {
        delai.start(DelaiReponse);
        boucle.exec(QEventLoop::ExcludeUserInputEvents);
    }
    const bool repondu = socket.bytesAvailable() >= 8;
    socket.abort();

    --EnvoisEnCours;
    if (EnvoisEnCours == 0 && !Differes.empty())
        QTimer::singleShot(0, this, &TTransportDbAlv::SignaleDiffere);
    return repondu ? eEnvoye : eSansReponse;
}
