// The link between the real programs: dbalv and alveran started as processes, with their own
// socket files and SQLite databases, facing what a careless or hostile user does to them — a
// locked, damaged or read-only database, a stopped dbAlv, a burst of connections, a second
// dbAlv on the same file, another user's listener, SIGTERM and kill -9.

#include "analysis/ComdbAlv.h"
#include "transport/TransportDbAlv.h"
#include "dbalv/BaseCoups.h"
#include "dbalv/FenetreDbAlv.h"
#include "support/DialoguesScriptes.h"
#include "support/Processus.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

/// A loaded machine starts a Qt program slowly: every wait for a program is this long (ms).
constexpr int DelaiProgramme = 30000;

QByteArray Bloc() {
    const TOctetsCoupDb o = EncodeCoupDb(TCoupDb{});
    return QByteArray(reinterpret_cast<const char*>(o.data()), static_cast<qsizetype>(o.size()));
}

QByteArray Empreinte(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList Messages(const TDialoguesScriptes& d) {
    QStringList l;
    for (const auto& m : d.Messages) l << m.Titre + QLatin1Char('|') + m.Texte;
    return l;
}

sockaddr_un AdresseUnix(const QString& chemin) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const QByteArray octets = QFile::encodeName(chemin);
    std::memcpy(a.sun_path, octets.constData(),
                std::min(static_cast<std::size_t>(octets.size()), sizeof a.sun_path - 1));
    return a;
}

/// A connection opened as any local program could, outside Qt; -1 when refused.
int ConnexionBrute(const QString& chemin) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const timeval uneSeconde{1, 0}; // a full backlog must not hold the burst for long
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &uneSeconde, sizeof uneSeconde);
    const sockaddr_un a = AdresseUnix(chemin);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int DescripteursOuverts(qint64 pid) {
    const std::filesystem::path dossier = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code e;
    const auto debut = std::filesystem::directory_iterator(dossier, e);
    return e ? -1 : static_cast<int>(std::distance(debut, std::filesystem::directory_iterator()));
}

/// "nobody", under whom a test run as root runs what must not run as the tester.
struct TPersonne {
    uid_t Uid;
    gid_t Gid;
};
std::optional<TPersonne> Personne() {
    if (::geteuid() != 0) return std::nullopt;
    const passwd* p = ::getpwnam("nobody");
    if (!p) return std::nullopt;
    return TPersonne{p->pw_uid, p->pw_gid};
}

/// Another user's program listening at a socket: a child of fork(), ended with the object.
class TImposteur {
  public:
    TImposteur(const QString& socket, TPersonne personne) {
        const sockaddr_un a = AdresseUnix(socket);
        if (::pipe2(Compte, O_CLOEXEC | O_NONBLOCK) != 0) return;
        Pid = ::fork();
        if (Pid == 0) Ecoute(a, personne, Compte[1]);
        ::close(Compte[1]);
    }
    ~TImposteur() {
        if (Pid > 0) {
            ::kill(Pid, SIGKILL);
            ::waitpid(Pid, nullptr, 0);
        }
        if (Compte[0] >= 0) ::close(Compte[0]);
    }
    TImposteur(const TImposteur&) = delete;
    TImposteur& operator=(const TImposteur&) = delete;

    /// The bytes the next connection that ended brought, if one has ended.
    std::optional<long> ConnexionFinie() const {
        long n = 0;
        if (::read(Compte[0], &n, sizeof n) == sizeof n) return n;
        return std::nullopt;
    }

  private:
    /// In the child: only system calls, the parent has threads.
    [[noreturn]] static void Ecoute(const sockaddr_un& a, TPersonne personne, int compte) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive a test that stopped half-way
        const int ecoute = ::socket(AF_UNIX, SOCK_STREAM, 0);
        // Bound while still root (the folder is the tester's), listening as "nobody": the
        // kernel gives a client the user that called listen().
        if (ecoute < 0 || ::bind(ecoute, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 ||
            ::setgroups(0, nullptr) != 0 ||
            ::setresgid(personne.Gid, personne.Gid, personne.Gid) != 0 ||
            ::setresuid(personne.Uid, personne.Uid, personne.Uid) != 0 || ::listen(ecoute, 8) != 0)
            ::_exit(1);
        for (;;) {
            const int c = ::accept(ecoute, nullptr, nullptr);
            if (c < 0) continue;
            long n = 0;
            char tampon[512];
            for (ssize_t lus; (lus = ::read(c, tampon, sizeof tampon)) > 0;) n += lus;
            ::close(c);
            if (::write(compte, &n, sizeof n) != sizeof n) ::_exit(1);
        }
    }

    int Compte[2] = {-1, -1};
    pid_t Pid = -1;
};

} // namespace

class TestLiaisonProcessus : public QObject {
    Q_OBJECT

    QTemporaryDir Dossier;
    int NbDossiers = 0;
    std::vector<std::unique_ptr<processus::TProcessus>> Programmes;

    /// A new folder inside the test's own, private to its owner.
    QString NouveauDossier() {
        const QString d = Dossier.filePath(QStringLiteral("d%1").arg(++NbDossiers));
        QDir().mkpath(d);
        QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return d;
    }

    static QString Socket(const QString& dossierExecution, const QString& nom) {
        return QDir(dossierExecution).filePath(nom);
    }

    /// Where the program started `n`-th writes its stderr (a file: one that runs long is never
    /// held by a full pipe).
    QString FichierErreurs(std::size_t n) const {
        return Dossier.filePath(QStringLiteral("erreurs-%1.txt").arg(n));
    }

    /// What the program `p` wrote on stderr so far.
    QString Erreurs(const processus::TProcessus& p) const {
        for (std::size_t n = 0; n < Programmes.size(); ++n)
            if (Programmes[n].get() == &p)
                return QString::fromStdString(processus::Lit(FichierErreurs(n).toStdString()));
        return {};
    }

    /// Starts `programme` with `dossierExecution` as its runtime folder, under `sous` if given.
    processus::TProcessus& Lance(const QString& programme, const QStringList& arguments,
                                 const QString& dossierExecution,
                                 std::optional<TPersonne> sous = std::nullopt) {
        processus::TOptions options{
            .Erreurs = FichierErreurs(Programmes.size()).toStdString(),
            .Environnement = {"QT_QPA_PLATFORM=offscreen",
                              "XDG_RUNTIME_DIR=" + dossierExecution.toStdString()}};
        if (sous) {
            options.Utilisateur = sous->Uid;
            options.Groupe = sous->Gid;
        }
        std::vector<std::string> args;
        for (const QString& a : arguments) args.push_back(a.toStdString());
        Programmes.push_back(std::make_unique<processus::TProcessus>(programme.toStdString(),
                                                                     std::move(args), options));
        Programmes.back()->Demarre();
        return *Programmes.back();
    }

    processus::TProcessus& LanceDbAlv(const QString& base, const QString& dossierExecution) {
        return Lance(QStringLiteral(DBALV_PROGRAMME), {QStringLiteral("--db"), base},
                     dossierExecution);
    }

    /// dbAlv (on `base`) or the main window, started with `execution` as runtime folder, and
    /// the socket file it will listen at.
    std::pair<processus::TProcessus*, QString> LanceUnDesDeux(bool dbAlv, const QString& execution,
                                                              const QString& base) {
        processus::TProcessus& p = dbAlv ? LanceDbAlv(base, execution)
                                         : Lance(QStringLiteral(ALVERAN_PROGRAMME), {}, execution);
        return {&p, Socket(execution, dbAlv ? TTransportDbAlv::NomDbAlv()
                                            : TTransportDbAlv::NomAlveran(quint64(p.Pid())))};
    }

    /// The program listens at `socket` (it answers a connection).
    static bool AttendSocket(processus::TProcessus& p, const QString& socket) {
        QElapsedTimer chrono;
        chrono.start();
        while (chrono.elapsed() < DelaiProgramme && p.EnCours()) {
            if (QFileInfo::exists(socket) && TTransportDbAlv::ServeurActif(socket, 500))
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    /// A frame is answered at `socket` within the programs' delay.
    static bool Repond(const QString& socket, const QByteArray& donnees) {
        TTransportDbAlv t;
        QElapsedTimer chrono;
        chrono.start();
        while (chrono.elapsed() < DelaiProgramme) {
            if (t.Envoie(socket, 0, donnees) == TTransportDbAlv::eEnvoye) return true;
            QTest::qWait(200);
        }
        return false;
    }

    /// A database of one stored shot, made as dbAlv makes it.
    static bool BaseDUnCoup(const QString& chemin, int doublements = 0) {
        {
            TBaseCoups b;
            if (!b.Ouvre(chemin) || b.Ajoute(Bloc(), 1, QDateTime::currentDateTimeUtc()) == 0)
                return false;
        }
        if (doublements == 0) return true;
        const QString nom = QStringLiteral("remplissage");
        bool ok = true;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom);
            db.setDatabaseName(chemin);
            ok = db.open();
            QStringList colonnes;
            const QSqlRecord r = db.record(QStringLiteral("coups"));
            for (int i = 1; i < r.count(); ++i) colonnes << r.fieldName(i); // all but the id
            const QString liste = colonnes.join(QLatin1Char(','));
            QSqlQuery q(db);
            for (int i = 0; ok && i < doublements; ++i)
                ok = q.exec(
                    QStringLiteral("INSERT INTO coups (%1) SELECT %1 FROM coups").arg(liste));
        }
        QSqlDatabase::removeDatabase(nom);
        return ok;
    }

    std::unique_ptr<TMainFrm> FenetrePrincipale(TDialoguesScriptes& d, const QString& dbAlv) {
        auto f = std::make_unique<TMainFrm>(&d);
        f->CreeFenetres();
        f->show();
        f->LienDbAlv().FixeNomServeur(dbAlv);
        return f;
    }

  private slots:
    void initTestCase() {
        QVERIFY(Dossier.isValid());
        // Another user run by a root tester must be able to cross the test's folder.
        QFile::setPermissions(Dossier.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ExeGroup |
                                                  QFile::ExeOther);
    }

    void cleanup() {
        for (auto& p : Programmes)
            if (p->EnCours()) p->Tue(); // a stopped one too: SIGKILL needs no SIGCONT
        Programmes.clear();
    }

    // --- A shot that was not stored is not acknowledged ----------------------------------

    void unCoupNonEnregistreEstSignaleDansLaFenetre_data() {
        QTest::addColumn<QStringList>("autreProgramme");
        QTest::addColumn<quint64>("reponse");
        QTest::addColumn<QString>("message");
        QTest::newRow("base verrouillée")
            << QStringList{QStringLiteral("BEGIN EXCLUSIVE")}
            << quint64{TTransportDbAlv::rVerrouillee}
            << QStringLiteral("Erreur|coup non enregistré par dbAlv : sa base est verrouillée "
                              "par un autre programme");
        QTest::newRow("table remplacée")
            << QStringList{QStringLiteral("DROP TABLE coups"),
                           QStringLiteral("CREATE TABLE coups (x INTEGER)")}
            << quint64{TTransportDbAlv::rTableIncompatible}
            << QStringLiteral("Erreur|coup non enregistré par dbAlv : sa table des coups n'a pas "
                              "les colonnes attendues");
    }
    void unCoupNonEnregistreEstSignaleDansLaFenetre() {
        QFETCH(QStringList, autreProgramme);
        QFETCH(quint64, reponse);
        QFETCH(QString, message);
        const QString execution = NouveauDossier();
        const QString base = QDir(NouveauDossier()).filePath(QStringLiteral("coups.sqlite"));
        const QString socket = Socket(execution, TTransportDbAlv::NomDbAlv());
        processus::TProcessus& dbAlv = LanceDbAlv(base, execution);
        QVERIFY(AttendSocket(dbAlv, socket));

        const QString connexion = QStringLiteral("autre-programme");
        {
            QSqlDatabase autre = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connexion);
            autre.setDatabaseName(base);
            QVERIFY(autre.open());
            QSqlQuery q(autre);
            for (const QString& instruction : autreProgramme) QVERIFY(q.exec(instruction));

            quint64 recu = 0;
            TTransportDbAlv t;
            QCOMPARE(t.Envoie(socket, 1, Bloc(), &recu), TTransportDbAlv::eRefuse);
            QCOMPARE(recu, reponse);

            TDialoguesScriptes d;
            const auto f = FenetrePrincipale(d, socket);
            QTest::keyClick(f.get(), Qt::Key_F9);
            QTRY_COMPARE_WITH_TIMEOUT(Messages(d), QStringList{message}, DelaiProgramme);

            // Once the other program lets go, a shot is stored without a word.
            if (autreProgramme.first() == QStringLiteral("BEGIN EXCLUSIVE")) {
                QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
                QTest::keyClick(f.get(), Qt::Key_F9);
                QTRY_COMPARE_WITH_TIMEOUT(f->LienDbAlv().Transport().EnvoisEnAttente(), 0,
                                          DelaiProgramme);
                QCOMPARE(Messages(d).size(), 1);
                QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM coups")) && q.next());
                QCOMPARE(q.value(0).toInt(), 1);
            }
        }
        QSqlDatabase::removeDatabase(connexion);
    }

    // --- A database that cannot be written or is damaged is refused at start -------------

    void uneBaseInutilisableEstRefuseeAuDemarrage_data() {
        QTest::addColumn<QString>("defaut");
        QTest::addColumn<QString>("raison");
        QTest::newRow("endommagée") << "endommagée"
                                    << "endommagée";
        QTest::newRow("lecture seule") << "lecture seule"
                                       << "lecture seule";
        QTest::newRow("table étrangère") << "table étrangère"
                                         << "colonnes attendues";
    }
    void uneBaseInutilisableEstRefuseeAuDemarrage() {
        QFETCH(QString, defaut);
        QFETCH(QString, raison);
        const QString execution = NouveauDossier();
        const QString dossierBase = NouveauDossier();
        const QString base = QDir(dossierBase).filePath(QStringLiteral("coups.sqlite"));
        std::optional<TPersonne> sous;
        if (defaut == QStringLiteral("endommagée")) {
            QVERIFY(BaseDUnCoup(base, 10)); // 1,024 shots
            // 8 KiB of garbage over the pages in the middle of the file.
            QFile f(base);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(f.size() / 2 / 4096 * 4096));
            QVERIFY(f.write(QByteArray(8192, '\x5a')) == 8192);
        } else if (defaut == QStringLiteral("lecture seule")) {
            QVERIFY(BaseDUnCoup(base));
            QVERIFY(QFile::setPermissions(base,
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            // Root writes whatever the mode: the program then runs as another user, who may
            // use the folders but not write the file.
            sous = Personne();
            if (sous) {
                QVERIFY(::chmod(QFile::encodeName(dossierBase).constData(), 0777) == 0);
                QVERIFY(::chown(QFile::encodeName(execution).constData(), sous->Uid, sous->Gid) ==
                        0);
            }
        } else {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), defaut);
            db.setDatabaseName(base);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE coups (x INTEGER)")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO coups VALUES (1)")));
        }
        QSqlDatabase::removeDatabase(defaut);
        const QByteArray avant = Empreinte(base);

        processus::TProcessus& dbAlv =
            Lance(QStringLiteral(DBALV_PROGRAMME), {QStringLiteral("--db"), base}, execution, sous);
        QVERIFY(dbAlv.AttendFin(std::chrono::milliseconds(DelaiProgramme)));
        const QString erreur = Erreurs(dbAlv);
        QCOMPARE(dbAlv.Attend().Statut, 1); // ended by itself, not by a signal
        QVERIFY2(erreur.contains(QStringLiteral("impossible d'ouvrir la base")) &&
                     erreur.contains(raison),
                 qPrintable(erreur));
        QCOMPARE(Empreinte(base), avant);
        QVERIFY(!QFile::exists(base + QStringLiteral("-journal")));
        QVERIFY(!QFile::exists(Socket(execution, TTransportDbAlv::NomDbAlv())));
    }

    // --- A stopped dbAlv does not freeze the main window ---------------------------------

    void unDbAlvArreteNeFigePasLaFenetre() {
        const QString execution = NouveauDossier();
        const QString socket = Socket(execution, TTransportDbAlv::NomDbAlv());
        processus::TProcessus& dbAlv =
            LanceDbAlv(QDir(NouveauDossier()).filePath(QStringLiteral("coups.sqlite")), execution);
        QVERIFY(AttendSocket(dbAlv, socket));
        QVERIFY(::kill(dbAlv.Pid(), SIGSTOP) == 0);

        TDialoguesScriptes d;
        const auto f = FenetrePrincipale(d, socket);
        QElapsedTimer chrono;
        chrono.start();
        QTest::keyClick(f.get(), Qt::Key_F9);
        // F9 used to wait for the whole answer time-out; half of it is a generous bound for
        // a shot and its drawing on a loaded machine.
        QVERIFY2(chrono.elapsed() < f->LienDbAlv().Transport().DelaiReponse / 2,
                 qPrintable(QString::number(chrono.elapsed())));
        QCOMPARE(f->LienDbAlv().Transport().EnvoisEnAttente(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(
            Messages(d),
            QStringList{QStringLiteral("Erreur|dbAlv n'a pas répondu : le "
                                       "coup n'est peut-être pas enregistré")},
            DelaiProgramme);
    }

    // --- A burst of connections does not deafen a listener -------------------------------

    void uneRafaleNeRendPasSourd_data() {
        QTest::addColumn<bool>("dbAlv");
        QTest::addColumn<int>("marge"); // descriptors left to the program; -1: the usual 1,024
        QTest::newRow("dbAlv, limite habituelle") << true << -1;
        QTest::newRow("dbAlv, descripteurs épuisés") << true << 8;
        QTest::newRow("fenêtre principale, limite habituelle") << false << -1;
        QTest::newRow("fenêtre principale, descripteurs épuisés") << false << 8;
    }
    void uneRafaleNeRendPasSourd() {
        QFETCH(bool, dbAlv);
        QFETCH(int, marge);
        constexpr int Rafale = 1100;
        rlimit avant{};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &avant) == 0);
        if (avant.rlim_max != RLIM_INFINITY && avant.rlim_max < Rafale + 100)
            QSKIP("the tester's own descriptor limit cannot hold the burst");
        const QString execution = NouveauDossier();
        const auto [programme, socket] = LanceUnDesDeux(
            dbAlv, execution, QDir(NouveauDossier()).filePath(QStringLiteral("c.sqlite")));
        processus::TProcessus& p = *programme;
        QVERIFY(AttendSocket(p, socket));

        const int ouverts = DescripteursOuverts(p.Pid());
        QVERIFY(ouverts > 0);
        const rlim_t limite = marge < 0 ? 1024 : static_cast<rlim_t>(ouverts + marge);
        const rlimit sienne{limite, limite};
        QVERIFY(::prlimit(p.Pid(), RLIMIT_NOFILE, &sienne, nullptr) == 0);
        const rlimit large{std::max<rlim_t>(avant.rlim_cur, Rafale + 100), avant.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &large) == 0);
        std::vector<int> clients;
        QElapsedTimer chrono;
        chrono.start();
        for (int i = 0; i < Rafale && chrono.elapsed() < DelaiProgramme; ++i)
            if (const int fd = ConnexionBrute(socket); fd >= 0) clients.push_back(fd);
        for (const int fd : clients) ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &avant);

        QVERIFY(Repond(socket, QByteArray()));
        QVERIFY(p.EnCours());
    }

    void deuxDbAlvNePartagentPasUneBase() {
        // The second one has another runtime folder: it cannot see the first one's socket,
        // only the lock beside the database.
        const QString base = QDir(NouveauDossier()).filePath(QStringLiteral("coups.sqlite"));
        const QString execution = NouveauDossier();
        processus::TProcessus& premier = LanceDbAlv(base, execution);
        QVERIFY(AttendSocket(premier, Socket(execution, TTransportDbAlv::NomDbAlv())));
        processus::TProcessus& second = LanceDbAlv(base, NouveauDossier());
        QVERIFY(second.AttendFin(std::chrono::milliseconds(DelaiProgramme)));
        QCOMPARE(second.Attend().Statut, 1);
        const QString erreur = Erreurs(second);
        QVERIFY2(erreur.contains(QStringLiteral("déjà ouvert sur la base")), qPrintable(erreur));
        QVERIFY(Repond(Socket(execution, TTransportDbAlv::NomDbAlv()), Bloc()));
    }

    // --- The sockets are the user's alone --------------------------------------------------

    void lesSocketsSontDansLeDossierPrive_data() {
        QTest::addColumn<bool>("dbAlv");
        QTest::newRow("dbAlv") << true;
        QTest::newRow("fenêtre principale") << false;
    }
    void lesSocketsSontDansLeDossierPrive() {
        QFETCH(bool, dbAlv);
        const QString execution = NouveauDossier();
        const auto [programme, socket] = LanceUnDesDeux(
            dbAlv, execution, QDir(NouveauDossier()).filePath(QStringLiteral("c.sqlite")));
        processus::TProcessus& p = *programme;
        QVERIFY(AttendSocket(p, socket));
        struct stat etat {};
        QVERIFY(::stat(QFile::encodeName(socket).constData(), &etat) == 0);
        QVERIFY(S_ISSOCK(etat.st_mode));
    }

    void unImposteurNeRecoitRien() {
        const std::optional<TPersonne> personne = Personne();
        if (!personne) QSKIP("listening under another user needs a root tester");
        const QString socket = Socket(NouveauDossier(), TTransportDbAlv::NomDbAlv());
        const TImposteur imposteur(socket, *personne);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), DelaiProgramme);

        TTransportDbAlv t;
        QCOMPARE(t.Envoie(socket, 1, Bloc()), TTransportDbAlv::eAutreUtilisateur);
        TDialoguesScriptes d;
        const auto f = FenetrePrincipale(d, socket);
        QTest::keyClick(f.get(), Qt::Key_F9);
        QTRY_COMPARE_WITH_TIMEOUT(
            Messages(d),
            QStringList{QStringLiteral("Erreur|« %1 » appartient à un autre utilisateur : coup "
                                       "non envoyé")
                            .arg(socket)},
            DelaiProgramme);

        // Both connections reached it; not one byte of a shot did.
        long octets = 0;
        int connexions = 0;
        QElapsedTimer chrono;
        chrono.start();
        while (connexions < 2 && chrono.elapsed() < DelaiProgramme) {
            if (const auto n = imposteur.ConnexionFinie()) {
                ++connexions;
                octets += *n;
            } else {
                QTest::qWait(50);
            }
        }
        QCOMPARE(connexions, 2);
        QCOMPARE(octets, 0L);
    }

    // --- Stored shots outlive their sender ------------------------------------------------

    void unCoupStockeRevientAUneFenetreRedemarree() {
        // The window that sent the shot has ended (its socket file left behind by kill -9);
        // a new main window runs: "Renvoyer vers Alveran" reaches it.
        const QString execution = NouveauDossier();
        const QString base = QDir(NouveauDossier()).filePath(QStringLiteral("c.sqlite"));
        auto [premiere, socketPremiere] = LanceUnDesDeux(false, execution, base);
        QVERIFY(AttendSocket(*premiere, socketPremiere));
        const auto expediteur = quint64(premiere->Pid());
        QCOMPARE(premiere->Tue().Statut, 1000 + SIGKILL);
        QVERIFY(QFile::exists(socketPremiere));
        auto [seconde, socketSeconde] = LanceUnDesDeux(false, execution, base);
        QVERIFY(AttendSocket(*seconde, socketSeconde));

        const QByteArray ancien = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(execution));
        const auto restaure = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", ancien); });
        TFenetreDbAlv db(base, QStringLiteral("dbAlv-test"));
        QString erreur;
        QVERIFY2(db.Demarre(&erreur), qPrintable(erreur));
        TTransportDbAlv alveran;
        QCOMPARE(alveran.Envoie(QStringLiteral("dbAlv-test"), expediteur, Bloc()),
                 TTransportDbAlv::eEnvoye);
        QSignalSpy fin(&db, &TFenetreDbAlv::CoupRenvoye);
        QVERIFY(db.Renvoie(0));
        QTRY_COMPARE_WITH_TIMEOUT(fin.count(), 1, DelaiProgramme);
        QCOMPARE(fin.at(0).at(0).value<TTransportDbAlv::TEnvoi>(), TTransportDbAlv::eEnvoye);
        QCOMPARE(TTransportDbAlv::FenetresAlveran(), QList<quint64>{quint64(seconde->Pid())});
    }

    // --- Socket files left behind ----------------------------------------------------------

    void unSignalDArretEfaceLaSocket_data() {
        QTest::addColumn<bool>("dbAlv");
        QTest::addColumn<int>("signal");
        QTest::newRow("dbAlv, SIGTERM") << true << SIGTERM;
        QTest::newRow("dbAlv, SIGINT") << true << SIGINT;
        QTest::newRow("fenêtre principale, SIGTERM") << false << SIGTERM;
        QTest::newRow("fenêtre principale, SIGINT") << false << SIGINT;
    }
    void unSignalDArretEfaceLaSocket() {
        QFETCH(bool, dbAlv);
        QFETCH(int, signal);
        const QString execution = NouveauDossier();
        const QString base = QDir(NouveauDossier()).filePath(QStringLiteral("c.sqlite"));
        const auto [programme, socket] = LanceUnDesDeux(dbAlv, execution, base);
        processus::TProcessus& p = *programme;
        QVERIFY(AttendSocket(p, socket));
        p.Signale(signal);
        QVERIFY(p.AttendFin(std::chrono::milliseconds(DelaiProgramme)));
        QCOMPARE(p.Attend().Statut, 0); // ended by itself, not by the signal
        QVERIFY(!QFile::exists(socket));
        if (dbAlv) QVERIFY(!QFile::exists(base + QStringLiteral(".lock")));
    }

    void uneSocketAbandonneeEstRemplacee() {
        // kill -9 leaves the socket file and the lock: the next dbAlv takes both over.
        const QString execution = NouveauDossier();
        const QString base = QDir(NouveauDossier()).filePath(QStringLiteral("c.sqlite"));
        const QString socket = Socket(execution, TTransportDbAlv::NomDbAlv());
        processus::TProcessus& premier = LanceDbAlv(base, execution);
        QVERIFY(AttendSocket(premier, socket));
        QCOMPARE(premier.Tue().Statut, 1000 + SIGKILL);
        QVERIFY(QFile::exists(socket));
        QVERIFY(QFile::exists(base + QStringLiteral(".lock")));
        processus::TProcessus& second = LanceDbAlv(base, execution);
        QVERIFY(AttendSocket(second, socket));
        QVERIFY(Repond(socket, Bloc()));
    }
};

QTEST_MAIN(TestLiaisonProcessus)
#include "test_liaison_processus.moc"
