#include "transport/TransportDbAlv.h"
#include "analysis/TrameDbAlv.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>
#include <optional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <typename T> void AjouteLE(QByteArray& o, T valeur) {
    const T le = qToLittleEndian(valeur);
    o.append(reinterpret_cast<const char*>(&le), sizeof le);
}

/// The program at the other end of a connected local socket runs under our own user. The
/// kernel's answer, not anything the peer says: a socket file can be created by whoever may
/// write in its folder.
bool MemeUtilisateur(qintptr descripteur) {
    ucred pair{};
    socklen_t taille = sizeof pair;
    if (::getsockopt(static_cast<int>(descripteur), SOL_SOCKET, SO_PEERCRED, &pair, &taille) != 0)
        return false;
    return pair.uid == ::geteuid();
}

/// The runtime folder, if it is ours alone.
QString DossierPrive() {
    const QString dossier = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dossier.isEmpty()) return {};
    const QFileInfo info(dossier);
    const QFileDevice::Permissions autres = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (!info.isDir() || info.ownerId() != ::geteuid() || (info.permissions() & autres)) return {};
    return dossier;
}

/// The socket file is there, and is a socket (not a file put in its place).
bool FichierSocketPresent(const QString& adresse) {
    struct stat etat {};
    return ::lstat(QFile::encodeName(adresse).constData(), &etat) == 0 && S_ISSOCK(etat.st_mode);
}

} // namespace

/// One incoming connection: gathers whole frames, answers each one, and closes itself on a
/// header announcing too much or when no whole frame comes for too long.
class TTransportDbAlv::TConnexion : public QObject {
  public:
    TConnexion(TTransportDbAlv& transport, QLocalSocket* socket)
        : QObject(&transport), Transport(transport), Socket(socket) {
        Socket->setParent(this);
        Transport.Connexions.push_back(this);
        Attente.setSingleShot(true);
        connect(Socket, &QLocalSocket::readyRead, this, &TConnexion::Lit);
        connect(Socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
        connect(Socket, &QLocalSocket::errorOccurred, this, &QObject::deleteLater);
        connect(&Attente, &QTimer::timeout, this, &TConnexion::Ferme);
        Attente.start(Transport.DelaiTrameIncomplete); // a silent client must not keep its place
        Lit();                                         // data may have come with the connection
    }

    ~TConnexion() override { Transport.Connexions.removeOne(this); }

  private:
    void Lit() {
        // A handler that runs a nested event loop may bring us back here: the outer call
        // goes on with whatever came meanwhile.
        if (Ferme_ || EnTraitement) return;
        int traitees = 0;
        while (!Ferme_) {
            if (traitees == TramesParTour) {
                // The other connections' turn: the frames left wait for the next turn of the
                // event loop, so that one client pipelining frames cannot hold the listener.
                if (!SuiteAttendue) {
                    SuiteAttendue = true;
                    QMetaObject::invokeMethod(
                        this,
                        [this] {
                            SuiteAttendue = false;
                            Lit();
                        },
                        Qt::QueuedConnection);
                }
                break;
            }
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
            Attente.stop(); // handling a shot may take a while, and may show a box
            const quint64 reponse = Transport.TrameComplete(trame.Message, trame.DwData, donnees);
            if (!vivant) return;
            EnTraitement = false;
            if (Ferme_) return;
            QByteArray octets;
            AjouteLE<quint64>(octets, reponse);
            Socket->write(octets);
            Socket->flush();
            ++traitees;
            // The next frame has its whole delay from the end of this one; bytes that come
            // without completing a frame do not restart it (one byte every few seconds must
            // not keep a connection's place for ever).
            Attente.start(Transport.DelaiTrameIncomplete);
        }
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
    bool SuiteAttendue = false; ///< a turn is queued for the frames already received
};

/// One outgoing frame: connects, checks who listens, writes the frame, reads the answer. Every
/// step is driven by the socket's signals and bounded by a timer, so nothing ever waits.
class TTransportDbAlv::TEnvoiEnCours : public QObject {
  public:
    TEnvoiEnCours(TTransportDbAlv& transport, quint64 numero, QByteArray trame)
        : QObject(&transport), Transport(transport), Numero(numero), Trame(std::move(trame)) {
        Delai.setSingleShot(true);
        connect(&Socket, &QLocalSocket::connected, this, &TEnvoiEnCours::Connecte);
        connect(&Socket, &QLocalSocket::readyRead, this, &TEnvoiEnCours::Lit);
        connect(&Socket, &QLocalSocket::errorOccurred, this, &TEnvoiEnCours::Coupe);
        connect(&Socket, &QLocalSocket::disconnected, this, &TEnvoiEnCours::Coupe);
        connect(&Delai, &QTimer::timeout, this, &TEnvoiEnCours::Coupe);
    }

    void Demarre(const QString& adresse) {
        if (adresse.isEmpty()) {
            Fin(eNonOuvert);
            return;
        }
        Delai.start(Transport.DelaiConnexion);
        Socket.connectToServer(adresse);
    }

  private:
    void Connecte() {
        Connecte_ = true;
        if (!MemeUtilisateur(Socket.socketDescriptor())) {
            Fin(eAutreUtilisateur);
            return;
        }
        Delai.start(Transport.DelaiReponse);
        Socket.write(Trame);
    }

    void Lit() {
        if (Socket.bytesAvailable() < 8) return;
        const QByteArray octets = Socket.read(8);
        const quint64 reponse = qFromLittleEndian<quint64>(octets.constData());
        Fin(reponse == rEnregistre ? eEnvoye : eRefuse, reponse);
    }

    void Coupe() { Fin(Connecte_ ? eSansReponse : eNonOuvert); }

    void Fin(TEnvoi etat, quint64 reponse = 0) {
        if (Fini) return;
        Fini = true;
        Delai.stop();
        Socket.abort();
        // Reported from the event loop, never from inside Lance: the caller has its number.
        QMetaObject::invokeMethod(
            &Transport,
            [t = &Transport, n = Numero, etat, reponse] { t->Termine(n, etat, reponse); },
            Qt::QueuedConnection);
        deleteLater();
    }

    TTransportDbAlv& Transport;
    const quint64 Numero;
    const QByteArray Trame;
    QLocalSocket Socket{this};
    QTimer Delai{this};
    bool Connecte_ = false;
    bool Fini = false;
};

QString TTransportDbAlv::NomDbAlv() {
    return QStringLiteral("dbAlv V.1");
}

QString TTransportDbAlv::NomAlveran(quint64 pid) {
    return QStringLiteral("alveran-") + QString::number(pid);
}

QList<quint64> TTransportDbAlv::FenetresAlveran(int delai) {
    const QString dossier = DossierPrive();
    if (dossier.isEmpty()) return {};
    const QString prefixe = NomAlveran(0).chopped(1);
    struct TFenetre {
        quint64 Pid;
        QDateTime Depuis;
    };
    std::vector<TFenetre> fenetres;
    const QFileInfoList fichiers = QDir(dossier).entryInfoList(
        {prefixe + QLatin1Char('*')}, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : fichiers) {
        bool ok = false;
        const quint64 pid = f.fileName().mid(prefixe.size()).toULongLong(&ok);
        // Only "alveran-<digits>": test servers and other names sharing the prefix are not
        // main windows.
        if (!ok || pid == 0 || NomAlveran(pid) != f.fileName()) continue;
        if (!FichierSocketPresent(f.filePath()) || !ServeurActif(f.filePath(), delai)) continue;
        fenetres.push_back({pid, f.lastModified()});
    }
    std::sort(fenetres.begin(), fenetres.end(), [](const TFenetre& a, const TFenetre& b) {
        return a.Depuis != b.Depuis ? a.Depuis > b.Depuis : a.Pid > b.Pid;
    });
    QList<quint64> pids;
    for (const TFenetre& f : fenetres) pids << f.Pid;
    return pids;
}

quint64 TTransportDbAlv::CibleRenvoi(quint64 expediteur, const QList<quint64>& ouvertes) {
    if (ouvertes.contains(expediteur)) return expediteur;
    return ouvertes.isEmpty() ? 0 : ouvertes.first();
}

QString TTransportDbAlv::TexteDbAlvNonOuvert() {
    return QStringLiteral("dbAlv n'est pas ouvert");
}

QString TTransportDbAlv::TexteReponse(quint64 reponse) {
    switch (reponse) {
    case rEnregistre:
        return QStringLiteral("coup enregistré");
    case rLectureSeule:
        return QStringLiteral("sa base est en lecture seule");
    case rVerrouillee:
        return QStringLiteral("sa base est verrouillée par un autre programme");
    case rTableIncompatible:
        return QStringLiteral("sa table des coups n'a pas les colonnes attendues");
    case rEchecEcriture:
        return QStringLiteral("l'écriture dans sa base a échoué");
    case rBaseDeplacee:
        return QStringLiteral("sa base a été déplacée ou supprimée");
    default:
        return QStringLiteral("réponse inconnue %1").arg(reponse);
    }
}

QString TTransportDbAlv::Adresse(const QString& nom) {
    if (QDir::isAbsolutePath(nom)) return nom;
    const QString dossier = DossierPrive();
    return dossier.isEmpty() ? QString() : QDir(dossier).filePath(nom);
}

TTransportDbAlv::TTransportDbAlv(QObject* parent) : QObject(parent) {
    connect(&Surveillance, &QTimer::timeout, this, &TTransportDbAlv::SurveilleServeur);
}

TTransportDbAlv::~TTransportDbAlv() {
    ArreteEcoute();
}

bool TTransportDbAlv::ServeurActif(const QString& nom, int delai) {
    const QString adresse = Adresse(nom);
    if (adresse.isEmpty()) return false;
    QLocalSocket s;
    s.connectToServer(adresse);
    const bool actif = s.waitForConnected(delai);
    s.abort();
    return actif;
}

bool TTransportDbAlv::Ecoute(const QString& nom, QString* erreur) {
    ArreteEcoute();
    const QString adresse = Adresse(nom);
    if (adresse.isEmpty()) {
        if (erreur)
            *erreur =
                QStringLiteral("pas de dossier d'exécution privé pour la socket « %1 »").arg(nom);
        return false;
    }
    if (ServeurActif(adresse, DelaiConnexion)) {
        if (erreur)
            *erreur = QStringLiteral("un programme écoute déjà sous le nom « %1 »").arg(nom);
        return false;
    }
    AdresseEcoute = adresse;
    if (!OuvreServeur(erreur)) {
        AdresseEcoute.clear();
        return false;
    }
    Surveillance.start(DelaiSurveillance);
    return true;
}

bool TTransportDbAlv::OuvreServeur(QString* erreur) {
    // Nobody answers: a socket file left by a program that ended is in the way.
    QLocalServer::removeServer(AdresseEcoute);
    Serveur = new QLocalServer(this);
    Serveur->setSocketOptions(QLocalServer::UserAccessOption);
    if (!Serveur->listen(AdresseEcoute)) {
        if (erreur) *erreur = Serveur->errorString();
        delete Serveur;
        Serveur = nullptr;
        return false;
    }
    connect(Serveur, &QLocalServer::newConnection, this, &TTransportDbAlv::NouvelleConnexion);
    return true;
}

void TTransportDbAlv::SurveilleServeur() {
    // When accept() fails (no descriptor left), Qt closes the listening socket and removes its
    // file without a word; a cleaner purging the runtime folder removes the file too, and the
    // socket still listens but nobody can reach it. Either way: listen again, under the same
    // name, as soon as that works.
    if (AdresseEcoute.isEmpty() || (EnEcoute() && FichierSocketPresent(AdresseEcoute))) return;
    delete Serveur;
    Serveur = nullptr;
    OuvreServeur(nullptr);
}

void TTransportDbAlv::ArreteEcoute() {
    Surveillance.stop();
    AdresseEcoute.clear();
    if (!Serveur) return;
    Serveur->close();
    delete Serveur;
    Serveur = nullptr;
    for (TConnexion* c : QList<TConnexion*>(Connexions)) delete c;
}

bool TTransportDbAlv::EnEcoute() const {
    return Serveur && Serveur->isListening() && Serveur->socketDescriptor() != -1;
}

QString TTransportDbAlv::NomServeur() const {
    return Serveur ? Serveur->serverName() : QString();
}

int TTransportDbAlv::NbConnexions() const {
    return static_cast<int>(Connexions.size());
}

void TTransportDbAlv::NouvelleConnexion() {
    int n = NbConnexions();
    while (Serveur && Serveur->hasPendingConnections()) {
        QLocalSocket* s = Serveur->nextPendingConnection();
        if (!s) continue;
        if (n >= ConnexionsMax || !MemeUtilisateur(s->socketDescriptor())) {
            s->abort();
            delete s;
            continue;
        }
        new TConnexion(*this, s);
        ++n;
    }
}

quint64 TTransportDbAlv::TrameComplete(quint32 message, quint64 dwData, const QByteArray& donnees) {
    if (message != MessageCopieDonnees || donnees.size() != TailleBloc) return rEnregistre;
    if (EnvoisEnCours > 0) {
        // This object is waiting for an answer of its own: handling the block now would run
        // a shot in the middle of another one's export.
        Differes.push_back({donnees, dwData});
        return rEnregistre;
    }
    // A handler that runs a nested event loop may see another frame handled meanwhile: each
    // frame keeps its own answer.
    const quint64 exterieure = ReponseCourante;
    ReponseCourante = rEnregistre;
    emit BlocRecu(donnees, dwData);
    const quint64 reponse = ReponseCourante;
    ReponseCourante = exterieure;
    return reponse;
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

quint64 TTransportDbAlv::Lance(const QString& nom, quint64 dwData, const QByteArray& donnees) {
    const quint64 numero = ++DernierEnvoi;
    ++NbEnvois;
    auto* envoi = new TEnvoiEnCours(*this, numero, Trame(MessageCopieDonnees, dwData, donnees));
    envoi->Demarre(Adresse(nom));
    return numero;
}

void TTransportDbAlv::Termine(quint64 numero, TEnvoi etat, quint64 reponse) {
    --NbEnvois;
    emit EnvoiTermine(numero, etat, reponse);
}

TTransportDbAlv::TEnvoi TTransportDbAlv::Envoie(const QString& nom, quint64 dwData,
                                                const QByteArray& donnees, quint64* reponse) {
    ++EnvoisEnCours;
    QEventLoop boucle;
    std::optional<std::pair<TEnvoi, quint64>> fin;
    const quint64 numero = Lance(nom, dwData, donnees);
    connect(this, &TTransportDbAlv::EnvoiTermine, &boucle, [&](quint64 n, TEnvoi etat, quint64 r) {
        if (n != numero) return;
        fin.emplace(etat, r);
        boucle.quit();
    });
    // The outcome always comes from the event loop, and every step of a send is bounded by a
    // time-out: this loop ends.
    while (!fin) boucle.exec(QEventLoop::ExcludeUserInputEvents);

    --EnvoisEnCours;
    if (EnvoisEnCours == 0 && !Differes.empty())
        QTimer::singleShot(0, this, &TTransportDbAlv::SignaleDiffere);
    if (reponse) *reponse = fin->second;
    return fin->first;
}
