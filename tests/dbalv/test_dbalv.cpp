// The socket exchange between the transport of the main window and dbAlv, both in this
// process, under server names of their own so that a running dbAlv is not disturbed.

#include "analysis/ComdbAlv.h"
#include "transport/TransportDbAlv.h"
#include "dbalv/FenetreDbAlv.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <cstring>

#include <QLabel>
#include <QStatusBar>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <memory>

namespace {

QByteArray BlocDeTest(double vq, const std::string& sequence) {
    TCoupDb b;
    b.Type = tcQueue;
    b.Coup[2] = vq;
    b.Positions[0] = {10, -20, 3.075};
    b.Point = 1;
    b.SetSequence(sequence);
    b.D13 = 5.25;
    b.P13 = -1.5;
    b.d = 12.0;
    const TOctetsCoupDb o = EncodeCoupDb(b);
    return QByteArray(reinterpret_cast<const char*>(o.data()), static_cast<qsizetype>(o.size()));
}

QByteArray EnTete(quint32 message, quint64 dwData, quint32 taille) {
    QByteArray t;
    t.resize(16);
    qToLittleEndian(message, t.data());
    qToLittleEndian(dwData, t.data() + 4);
    qToLittleEndian(taille, t.data() + 12);
    return t;
}

} // namespace

class TestDbAlv : public QObject {
    Q_OBJECT

    QTemporaryDir Dossier;
    QString NomDb;      // dbAlv's server name for these tests
    QString NomAlveran; // the main window's
    std::unique_ptr<TFenetreDbAlv> Db;
    std::unique_ptr<TTransportDbAlv> Alveran;

    QString CheminBase() const { return Dossier.filePath(QStringLiteral("coups.sqlite")); }

    QTemporaryDir Execution; // a runtime folder of the tests' own: no other program's window

    /// A socket file left by a main window that ended without removing it.
    bool SocketAbandonnee(quint64 pid) {
        const QByteArray chemin =
            QFile::encodeName(TTransportDbAlv::Adresse(TTransportDbAlv::NomAlveran(pid)));
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::memcpy(a.sun_path, chemin.constData(),
                    std::min<std::size_t>(size_t(chemin.size()), sizeof a.sun_path - 1));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool ok = ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
        ::close(fd);
        return ok;
    }

  private slots:
    void initTestCase() {
        QVERIFY(Execution.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Execution.path()));
    }

    void init() {
        const QString suffixe = QString::number(QCoreApplication::applicationPid()) +
                                QStringLiteral("-") +
                                QString::number(QDateTime::currentMSecsSinceEpoch());
        NomDb = QStringLiteral("test-dbAlv-") + suffixe;
        NomAlveran = TTransportDbAlv::NomAlveran(QCoreApplication::applicationPid()) + "-test";
        QFile::remove(CheminBase());
        Db = std::make_unique<TFenetreDbAlv>(CheminBase(), NomDb);
        QString erreur;
        QVERIFY2(Db->Demarre(&erreur), qPrintable(erreur));
        Alveran = std::make_unique<TTransportDbAlv>();
    }

    void cleanup() {
        Alveran.reset();
        Db.reset();
    }

    void unBlocEstStockeEtListe() {
        QCOMPARE(Db->windowTitle(), QStringLiteral("dbAlv V.1"));
        QSignalSpy stocke(Db.get(), &TFenetreDbAlv::CoupStocke);
        QCOMPARE(Alveran->Envoie(NomDb, 4242, BlocDeTest(430, "2ENS3")), TTransportDbAlv::eEnvoye);
        QCOMPARE(stocke.count(), 1);
        const auto coups = Db->Base().Liste();
        QCOMPARE(coups.size(), size_t{1});
        QCOMPARE(coups[0].Expediteur, quint64{4242});
        QCOMPARE(coups[0].Bloc, BlocDeTest(430, "2ENS3"));
        QCOMPARE(coups[0].Coup.Coup[2], 430.0);

        QTableWidget* t = Db->Liste();
        QCOMPARE(t->rowCount(), 1);
        QCOMPARE(t->item(0, TFenetreDbAlv::kType)->text(), QStringLiteral("Queue"));
        QCOMPARE(t->item(0, TFenetreDbAlv::kPoint)->text(), QStringLiteral("oui"));
        QCOMPARE(t->item(0, TFenetreDbAlv::kContre)->text(), QStringLiteral("non"));
        QCOMPARE(t->item(0, TFenetreDbAlv::kSequence)->text(), QStringLiteral("2ENS3"));
        QCOMPARE(t->item(0, TFenetreDbAlv::kD13)->text(), QLocale().toString(5.25, 'f', 3));
        QCOMPARE(t->item(0, TFenetreDbAlv::kP13)->text(), QLocale().toString(-1.5, 'f', 3));
    }

    void lesTaillesVoisinesSontRepondueMaisIgnorees() {
        for (const int taille : {295, 297, 0}) {
            QByteArray donnees = BlocDeTest(1, "");
            donnees.resize(taille);
            QCOMPARE(Alveran->Envoie(NomDb, 1, donnees), TTransportDbAlv::eEnvoye);
        }
        QCOMPARE(Db->Liste()->rowCount(), 0);
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(2, "")), TTransportDbAlv::eEnvoye);
        QCOMPARE(Db->Liste()->rowCount(), 1);
    }

    void uneConnexionPeutPorterPlusieursTrames() {
        QLocalSocket s;
        s.connectToServer(TTransportDbAlv::Adresse(NomDb));
        QVERIFY(s.waitForConnected(1000));
        const QByteArray a = BlocDeTest(1, "S");
        QByteArray trames = TTransportDbAlv::Trame(74, 7, a) +
                            TTransportDbAlv::Trame(74, 7, a.left(100)) +
                            TTransportDbAlv::Trame(75, 7, a) + TTransportDbAlv::Trame(74, 7, a);
        // Sent in small pieces: frames are gathered whatever the cuts.
        for (qsizetype i = 0; i < trames.size(); i += 50) {
            s.write(trames.mid(i, 50));
            s.flush();
            QTest::qWait(1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(s.bytesAvailable(), qint64{32}, 3000); // four answers
        const QByteArray reponses = s.readAll();
        QCOMPARE(reponses, QByteArray(32, '\0'));
        QCOMPARE(Db->Liste()->rowCount(), 2); // the 100-byte block and message 75 ignored
    }

    void unEnTeteTropGrandNeFermeQueSaConnexion() {
        QLocalSocket fautive;
        fautive.connectToServer(TTransportDbAlv::Adresse(NomDb));
        QVERIFY(fautive.waitForConnected(1000));
        QLocalSocket sage;
        sage.connectToServer(TTransportDbAlv::Adresse(NomDb));
        QVERIFY(sage.waitForConnected(1000));

        fautive.write(EnTete(74, 1, 1024 * 1024 + 1));
        fautive.flush();
        QTRY_COMPARE_WITH_TIMEOUT(fautive.state(), QLocalSocket::UnconnectedState, 3000);

        // The other connection and the server go on.
        sage.write(TTransportDbAlv::Trame(74, 1, BlocDeTest(3, "")));
        sage.flush();
        QTRY_COMPARE_WITH_TIMEOUT(sage.bytesAvailable(), qint64{8}, 3000);
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(4, "")), TTransportDbAlv::eEnvoye);
        QCOMPARE(Db->Liste()->rowCount(), 2);
    }

    void uneTrameCoupeeOuInacheveeEstOubliee() {
        {
            QLocalSocket s;
            s.connectToServer(TTransportDbAlv::Adresse(NomDb));
            QVERIFY(s.waitForConnected(1000));
            s.write(TTransportDbAlv::Trame(74, 1, BlocDeTest(5, "")).left(200));
            s.flush();
            QTest::qWait(20);
            s.disconnectFromServer();
        }
        QTest::qWait(20);
        QCOMPARE(Db->Liste()->rowCount(), 0);

        // A sender that stops in the middle of a frame is cut off after a while.
        Db->Transport().DelaiTrameIncomplete = 100;
        QLocalSocket s;
        s.connectToServer(TTransportDbAlv::Adresse(NomDb));
        QVERIFY(s.waitForConnected(1000));
        s.write(EnTete(74, 1, 296));
        s.flush();
        QTRY_COMPARE_WITH_TIMEOUT(s.state(), QLocalSocket::UnconnectedState, 3000);

        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(6, "")), TTransportDbAlv::eEnvoye);
        QCOMPARE(Db->Liste()->rowCount(), 1);
    }

    void desClientsMuetsNeGardentPasLaPlace() {
        // As many silent clients as the cap: one more is closed at once, and the silent ones
        // are closed after the delay, so that the shots get through again.
        Db->Transport().DelaiTrameIncomplete = 3000;
        std::vector<std::unique_ptr<QLocalSocket>> muets;
        for (int i = 0; i < TTransportDbAlv::ConnexionsMax; ++i) {
            muets.push_back(std::make_unique<QLocalSocket>());
            muets.back()->connectToServer(TTransportDbAlv::Adresse(NomDb));
        }
        QTRY_COMPARE(Db->Transport().NbConnexions(), TTransportDbAlv::ConnexionsMax);
        QLocalSocket enTrop;
        enTrop.connectToServer(TTransportDbAlv::Adresse(NomDb));
        QTRY_COMPARE_WITH_TIMEOUT(enTrop.state(), QLocalSocket::UnconnectedState, 2000);
        QCOMPARE(Db->Transport().NbConnexions(), TTransportDbAlv::ConnexionsMax);
        QTRY_COMPARE_WITH_TIMEOUT(Db->Transport().NbConnexions(), 0, 10000);
        for (const auto& m : muets) QCOMPARE(m->state(), QLocalSocket::UnconnectedState);
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(1, "")), TTransportDbAlv::eEnvoye);
    }

    void leCoupChoisiRevientALExpediteur() {
        // dbAlv sends back to "alveran-" followed by the dwData it received.
        const quint64 pid = QCoreApplication::applicationPid();
        QVERIFY(Alveran->Ecoute(TTransportDbAlv::NomAlveran(pid)));
        QSignalSpy recu(Alveran.get(), &TTransportDbAlv::BlocRecu);
        const QByteArray bloc = BlocDeTest(430, "2ENS3");
        QCOMPARE(Alveran->Envoie(NomDb, pid, bloc), TTransportDbAlv::eEnvoye);
        QCOMPARE(Db->Liste()->rowCount(), 1);

        Db->Liste()->selectRow(0);
        QSignalSpy fin(Db.get(), &TFenetreDbAlv::CoupRenvoye);
        QVERIFY(Db->Renvoie(0));
        QTRY_COMPARE_WITH_TIMEOUT(recu.count(), 1, 5000);
        QCOMPARE(recu.at(0).at(0).toByteArray(), bloc);
        QCOMPARE(recu.at(0).at(1).toULongLong(), pid);
        QTRY_COMPARE_WITH_TIMEOUT(fin.count(), 1, 5000);
        QCOMPARE(fin.at(0).at(0).value<TTransportDbAlv::TEnvoi>(), TTransportDbAlv::eEnvoye);

        Alveran->ArreteEcoute();
        QVERIFY(Db->Renvoie(0));
        QTRY_COMPARE_WITH_TIMEOUT(fin.count(), 2, 5000);
        QCOMPARE(fin.at(1).at(0).value<TTransportDbAlv::TEnvoi>(),
                 TTransportDbAlv::eNonOuvert); // the sender has closed
        QVERIFY(!Db->Renvoie(5));              // no such row
    }

    void laCibleEstLExpediteurSinonLaPlusRecente() {
        QCOMPARE(TTransportDbAlv::CibleRenvoi(7, {9, 7, 3}), quint64{7});
        QCOMPARE(TTransportDbAlv::CibleRenvoi(5, {9, 7, 3}), quint64{9});
        QCOMPARE(TTransportDbAlv::CibleRenvoi(5, {}), quint64{0});
    }

    void lesFenetresOuvertesSontListeesDeLaPlusRecente() {
        // Only main windows that answer count, newest first; a file left by a window killed
        // without cleaning up, and servers whose name only starts like a main window's, do not.
        TTransportDbAlv ancienne, recente, autre;
        QVERIFY(SocketAbandonnee(333));
        QVERIFY(ancienne.Ecoute(TTransportDbAlv::NomAlveran(222)));
        QTest::qWait(30);
        QVERIFY(recente.Ecoute(TTransportDbAlv::NomAlveran(111)));
        QVERIFY(autre.Ecoute(TTransportDbAlv::NomAlveran(444) + QStringLiteral("-test")));
        QCOMPARE(TTransportDbAlv::FenetresAlveran(), (QList<quint64>{111, 222}));
        recente.ArreteEcoute();
        QCOMPARE(TTransportDbAlv::FenetresAlveran(), (QList<quint64>{222}));
    }

    void unCoupDUneFenetreFermeeVaALaPlusRecente() {
        // The shot was sent by a window that has since closed (a restart): it goes to the
        // newest running window, or to the one the user picks, not nowhere.
        TTransportDbAlv ancienne, recente;
        QVERIFY(ancienne.Ecoute(TTransportDbAlv::NomAlveran(222)));
        QTest::qWait(30);
        QVERIFY(recente.Ecoute(TTransportDbAlv::NomAlveran(111)));
        QSignalSpy recuAncienne(&ancienne, &TTransportDbAlv::BlocRecu);
        QSignalSpy recuRecente(&recente, &TTransportDbAlv::BlocRecu);
        const QByteArray bloc = BlocDeTest(430, "2ENS3");
        QCOMPARE(Alveran->Envoie(NomDb, 999999, bloc), TTransportDbAlv::eEnvoye);
        Db->Liste()->selectRow(0);
        QCOMPARE(Db->ChoixFenetres(), (QStringList{QStringLiteral("alveran-111 (la plus récente)"),
                                                   QStringLiteral("alveran-222")}));

        QSignalSpy fin(Db.get(), &TFenetreDbAlv::CoupRenvoye);
        QVERIFY(Db->Renvoie(0));
        QTRY_COMPARE_WITH_TIMEOUT(fin.count(), 1, 5000);
        QCOMPARE(fin.at(0).at(0).value<TTransportDbAlv::TEnvoi>(), TTransportDbAlv::eEnvoye);
        QCOMPARE(recuRecente.count(), 1);
        QCOMPARE(recuRecente.at(0).at(0).toByteArray(), bloc);
        QCOMPARE(recuAncienne.count(), 0);
        QVERIFY(Db->statusBar()->findChild<QLabel*>()->text().contains(
            QStringLiteral("alveran-999999 n'est plus ouvert")));

        QVERIFY(Db->Renvoie(0, 222)); // picked in "Renvoyer vers…"
        QTRY_COMPARE_WITH_TIMEOUT(fin.count(), 2, 5000);
        QCOMPARE(recuAncienne.count(), 1);
        QCOMPARE(recuRecente.count(), 1);

        // The sender running again (same pid) takes its shot back, though it is not the newest.
        QVERIFY(Alveran->Envoie(NomDb, 222, bloc) == TTransportDbAlv::eEnvoye);
        Db->Liste()->selectRow(1);
        QCOMPARE(Db->ChoixFenetres().last(), QStringLiteral("alveran-222 (expéditeur)"));
        QVERIFY(Db->Renvoie(1));
        QTRY_COMPARE_WITH_TIMEOUT(recuAncienne.count(), 2, 5000);
        QCOMPARE(recuRecente.count(), 1);
    }

    void dbAlvFermeDonneLeMessageAttendu() {
        Db.reset();
        QElapsedTimer chrono;
        chrono.start();
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(1, "")), TTransportDbAlv::eNonOuvert);
        QVERIFY(chrono.elapsed() < 1500);
    }

    void unReceveurMuetNeBloquePasPlusQueLeDelai() {
        // A server that accepts but never answers.
        QLocalServer muet;
        const QString nom = NomDb + QStringLiteral("-muet");
        QLocalServer::removeServer(TTransportDbAlv::Adresse(nom));
        QVERIFY(muet.listen(TTransportDbAlv::Adresse(nom)));
        Alveran->DelaiReponse = 300;
        QElapsedTimer chrono;
        chrono.start();
        QCOMPARE(Alveran->Envoie(nom, 1, BlocDeTest(1, "")), TTransportDbAlv::eSansReponse);
        QVERIFY(chrono.elapsed() >= 250);
        QVERIFY(chrono.elapsed() < 2000);
    }

    void uneSecondeInstanceRefuseDeDemarrer() {
        TFenetreDbAlv seconde(Dossier.filePath(QStringLiteral("autre.sqlite")), NomDb);
        QString erreur;
        QVERIFY(!seconde.Demarre(&erreur));
        QVERIFY(erreur.contains(QStringLiteral("déjà ouvert")));
        // The first one still receives.
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(1, "")), TTransportDbAlv::eEnvoye);
        QCOMPARE(Db->Liste()->rowCount(), 1);
        QVERIFY(!QFile::exists(Dossier.filePath(QStringLiteral("autre.sqlite"))));
    }

    void unNomAbandonneEstRepris() {
        // A socket file left behind by a program that ended: nobody answers, it is taken over.
        Db.reset();
        QLocalServer abandonne;
        abandonne.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(abandonne.listen(TTransportDbAlv::Adresse(NomDb)));
        const QString fichier = abandonne.fullServerName();
        abandonne.close(); // removes the file; make a stale one in its place
        QFile stale(fichier);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        Db = std::make_unique<TFenetreDbAlv>(CheminBase(), NomDb);
        QString erreur;
        QVERIFY2(Db->Demarre(&erreur), qPrintable(erreur));
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(1, "")), TTransportDbAlv::eEnvoye);
    }

    void laBaseSurvitAuRedemarrage() {
        QCOMPARE(Alveran->Envoie(NomDb, 77, BlocDeTest(111, "NN")), TTransportDbAlv::eEnvoye);
        QCOMPARE(Alveran->Envoie(NomDb, 78, BlocDeTest(222, "SS")), TTransportDbAlv::eEnvoye);
        Db.reset();
        Db = std::make_unique<TFenetreDbAlv>(CheminBase(), NomDb);
        QString erreur;
        QVERIFY2(Db->Demarre(&erreur), qPrintable(erreur));
        QCOMPARE(Db->Liste()->rowCount(), 2);
        QCOMPARE(Db->Liste()->item(1, TFenetreDbAlv::kSequence)->text(), QStringLiteral("SS"));
        QCOMPARE(Db->Base().Liste()[1].Expediteur, quint64{78});
    }

    void unCoupNonEnregistreEstRefuseEtSignale() {
        // Another program takes the file's lock, then replaces the table: each shot is
        // answered with why it was not stored, and the window says so above the list.
        const QString connexion = QStringLiteral("autre-programme");
        {
            QSqlDatabase autre = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connexion);
            autre.setDatabaseName(CheminBase());
            QVERIFY(autre.open());
            QSqlQuery q(autre);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            quint64 reponse = 0;
            QCOMPARE(Alveran->Envoie(NomDb, 31, BlocDeTest(1, ""), &reponse),
                     TTransportDbAlv::eRefuse);
            QCOMPARE(reponse, quint64{TTransportDbAlv::rVerrouillee});
            QCOMPARE(Db->Liste()->rowCount(), 0);
            QVERIFY(!Db->Alerte()->isHidden());
            QVERIFY2(Db->TexteAlerte().startsWith(
                         QStringLiteral("COUP NON ENREGISTRÉ : le coup reçu de alveran-31")),
                     qPrintable(Db->TexteAlerte()));

            // Once the lock is gone the next shot is stored; the banner stays until hidden.
            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
            QCOMPARE(Alveran->Envoie(NomDb, 32, BlocDeTest(2, ""), &reponse),
                     TTransportDbAlv::eEnvoye);
            QCOMPARE(reponse, quint64{0});
            QCOMPARE(Db->Liste()->rowCount(), 1);
            QVERIFY(!Db->TexteAlerte().isEmpty());

            QVERIFY(q.exec(QStringLiteral("DROP TABLE coups")));
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE coups (x INTEGER)")));
            QCOMPARE(Alveran->Envoie(NomDb, 33, BlocDeTest(3, ""), &reponse),
                     TTransportDbAlv::eRefuse);
            QCOMPARE(reponse, quint64{TTransportDbAlv::rTableIncompatible});
            QVERIFY(Db->TexteAlerte().contains(
                QStringLiteral("2 coups reçus n'ont pas été enregistrés")));
            Db->Alerte()->findChild<QPushButton*>()->click();
            QVERIFY(Db->Alerte()->isHidden());
        }
        QSqlDatabase::removeDatabase(connexion);
    }

    void unBlocRecuPendantUnEnvoiEstSignaleApres() {
        // The main window's transport sends to dbAlv while dbAlv sends it a block: the block
        // is reported after our own send, not in the middle of it.
        QVERIFY(Alveran->Ecoute(NomAlveran));
        bool dansEnvoi = false;
        bool signaleDansEnvoi = false;
        int recus = 0;
        connect(Alveran.get(), &TTransportDbAlv::BlocRecu, this, [&] {
            ++recus;
            signaleDansEnvoi = signaleDansEnvoi || dansEnvoi;
        });
        TTransportDbAlv autre;
        connect(Db.get(), &TFenetreDbAlv::CoupStocke, this, [&] {
            QCOMPARE(autre.Envoie(NomAlveran, 9, BlocDeTest(9, "")), TTransportDbAlv::eEnvoye);
        });
        dansEnvoi = true;
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(1, "")), TTransportDbAlv::eEnvoye);
        dansEnvoi = false;
        QTRY_COMPARE_WITH_TIMEOUT(recus, 1, 2000);
        QVERIFY(!signaleDansEnvoi);
    }

    // ---------------------------------------------------------------------------------------
    // Fair to every client

    void unClientQuiDistilleSesOctetsEstCoupe() {
        // One byte every 100 ms never completes a frame: the connection is closed once its
        // delay from the start has passed, whatever comes in between.
        Db->Transport().DelaiTrameIncomplete = 500;
        QLocalSocket lent;
        lent.connectToServer(TTransportDbAlv::Adresse(NomDb));
        QVERIFY(lent.waitForConnected(1000));
        const QByteArray trame = TTransportDbAlv::Trame(74, 1, BlocDeTest(1, ""));
        QElapsedTimer chrono;
        chrono.start();
        for (int i = 0; i < 30 && lent.state() == QLocalSocket::ConnectedState; ++i) {
            lent.write(trame.mid(i, 1));
            lent.flush();
            QTest::qWait(100);
        }
        QCOMPARE(lent.state(), QLocalSocket::UnconnectedState);
        QVERIFY2(chrono.elapsed() < 1500, qPrintable(QString::number(chrono.elapsed())));
        // A client that completes its frames keeps its place frame after frame.
        QLocalSocket regulier;
        regulier.connectToServer(TTransportDbAlv::Adresse(NomDb));
        QVERIFY(regulier.waitForConnected(1000));
        for (int i = 0; i < 4; ++i) {
            regulier.write(trame);
            regulier.flush();
            QTest::qWait(300);
        }
        QCOMPARE(regulier.state(), QLocalSocket::ConnectedState);
        QTRY_COMPARE(regulier.bytesAvailable(), qint64{32});
    }

    void unClientGourmandNAffamePasLesAutres() {
        std::vector<quint64> ordre;
        connect(&Db->Transport(), &TTransportDbAlv::BlocRecu, this,
                [&ordre](const QByteArray&, quint64 dwData) { ordre.push_back(dwData); });
        QLocalSocket gourmand;
        gourmand.connectToServer(TTransportDbAlv::Adresse(NomDb));
        QVERIFY(gourmand.waitForConnected(1000));
        QByteArray trames;
        const QByteArray une = TTransportDbAlv::Trame(74, 1, BlocDeTest(1, ""));
        for (int i = 0; i < 400; ++i) trames += une;
        gourmand.write(trames);
        gourmand.flush();
        QTRY_VERIFY(!ordre.empty()); // the greedy client's frames are being handled
        QCOMPARE(Alveran->Envoie(NomDb, 2, BlocDeTest(2, "")), TTransportDbAlv::eEnvoye);
        const auto mien = std::find(ordre.begin(), ordre.end(), quint64{2});
        QVERIFY(mien != ordre.end());
        // Served within a few turns, not behind the 400 frames.
        QVERIFY2(mien - ordre.begin() < 100, qPrintable(QString::number(mien - ordre.begin())));
        QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(ordre.size()), 401, 30000);
    }

    void uneSocketEffaceeEstRecreee() {
        // A cleaner purges the runtime folder: the listener notices and listens again.
        const QString fichier = Db->Transport().NomServeur();
        QVERIFY(QFile::exists(fichier));
        QVERIFY(QFile::remove(fichier));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(fichier), 3000);
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(1, "")), TTransportDbAlv::eEnvoye);
        QCOMPARE(Db->Liste()->rowCount(), 1);
    }

    // ---------------------------------------------------------------------------------------
    // The lock and the database file

    void unVerrouLaisseEnPlaceEstRepris() {
        const QString verrou = CheminBase() + QStringLiteral(".lock");
        QVERIFY(QFile::exists(verrou));
        // Held by a running dbAlv (this one): refused.
        {
            TFenetreDbAlv seconde(CheminBase(), NomDb + QStringLiteral("-2"));
            QString erreur;
            QVERIFY(!seconde.Demarre(&erreur));
            QVERIFY2(erreur.contains(QStringLiteral("déjà ouvert")), qPrintable(erreur));
        }
        Db.reset();
        QVERIFY(!QFile::exists(verrou));
        // Merely there, whatever it holds: taken over.
        const QByteArray contenus[] = {QByteArray(), QByteArray("\x8f\x01\xff\x00zz", 6),
                                       QByteArray("123\nautre-machine\nqt\n"),
                                       QByteArray("999999 ailleurs\n")};
        for (const QByteArray& contenu : contenus) {
            QFile f(verrou);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(contenu);
            f.close();
            Db = std::make_unique<TFenetreDbAlv>(CheminBase(), NomDb);
            QString erreur;
            QVERIFY2(Db->Demarre(&erreur), qPrintable(erreur));
            Db.reset();
        }
        // An empty folder in its place too.
        QVERIFY(QDir().mkdir(verrou));
        Db = std::make_unique<TFenetreDbAlv>(CheminBase(), NomDb);
        QString erreur;
        QVERIFY2(Db->Demarre(&erreur), qPrintable(erreur));
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(1, "")), TTransportDbAlv::eEnvoye);
    }

    void uneBaseDeplaceeEstSignaleePuisRouverte() {
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(1, "")), TTransportDbAlv::eEnvoye);
        const QString ailleurs = Dossier.filePath(QStringLiteral("ailleurs.sqlite"));
        QVERIFY(QFile::rename(CheminBase(), ailleurs));
        quint64 reponse = 0;
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(2, ""), &reponse), TTransportDbAlv::eRefuse);
        QCOMPARE(reponse, quint64{TTransportDbAlv::rBaseDeplacee});
        QVERIFY2(Db->TexteAlerte().contains(QStringLiteral("a été déplacée ou supprimée")),
                 qPrintable(Db->TexteAlerte()));
        // Back at its path: reopened, and the shots go there again.
        QVERIFY(QFile::rename(ailleurs, CheminBase()));
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(3, "")), TTransportDbAlv::eEnvoye);
        QCOMPARE(Db->Base().Liste().size(), size_t{2});
        // Deleted and replaced by a new file: that one receives them.
        QVERIFY(QFile::remove(CheminBase()));
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(4, ""), &reponse), TTransportDbAlv::eRefuse);
        {
            TBaseCoups neuve;
            QVERIFY(neuve.Ouvre(CheminBase()));
        }
        QCOMPARE(Alveran->Envoie(NomDb, 1, BlocDeTest(5, "")), TTransportDbAlv::eEnvoye);
        QCOMPARE(Db->Base().Liste().size(), size_t{1});
        QCOMPARE(Db->Liste()->rowCount(), 1);
    }
};

QTEST_MAIN(TestDbAlv)
#include "test_dbalv.moc"
