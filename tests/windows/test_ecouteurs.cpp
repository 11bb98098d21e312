// The two listeners of the socket exchange — the main window's and dbAlv's — facing clients
// that misbehave: one that connects and says nothing, a cut frame, an oversized header, a
// thousand frames in a row, and many clients at once. Each listener must keep answering every
// well-formed frame, and the user-interface thread must keep running meanwhile.

#include "analysis/ComdbAlv.h"
#include "transport/TransportDbAlv.h"
#include "dbalv/FenetreDbAlv.h"
#include "ui/Dialogues.h"
#include "support/DialoguesScriptes.h"
#include "support/FenetrePrincipale.h"
#include "support/ReglagesDeTest.h"
#include "dessin/TexteCoup.h"
#include "windows/LienDbAlv.h"
#include "windows/Main.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

QByteArray Trame(quint32 message, quint64 dwData, const QByteArray& donnees) {
    return TTransportDbAlv::Trame(message, dwData, donnees);
}

QByteArray EnTete(quint32 taille) {
    QByteArray t(16, '\0');
    qToLittleEndian<quint32>(74, t.data());
    qToLittleEndian<quint64>(1, t.data() + 4);
    qToLittleEndian(taille, t.data() + 12);
    return t;
}

/// A type-2 block whose balls stand still: receiving it computes a short shot.
QByteArray BlocImmobile() {
    TBillardAlveran e;
    e.Trajets[1][0].Position = Vecteur(0, -50, 3.075);
    e.Trajets[2][0].Position = Vecteur(0, 50, 3.075);
    e.Trajets[3][0].Position = Vecteur(30, 0, 3.075);
    const TOctetsCoupDb o = EncodeCoupDb(PrepareCoupDb(e, TCaracteristiques{}, false));
    return QByteArray(reinterpret_cast<const char*>(o.data()), static_cast<qsizetype>(o.size()));
}

/// A client connected to `nom`, driven without blocking the thread (the listener lives in it).
std::unique_ptr<QLocalSocket> Client(const QString& nom) {
    auto s = std::make_unique<QLocalSocket>();
    s->connectToServer(TTransportDbAlv::Adresse(nom));
    return s;
}

/// Longest pause of the event loop seen by a 10 ms timer while `duree_ms` of events run.
class TChronoBoucle : public QObject {
  public:
    TChronoBoucle() {
        connect(&Minuterie, &QTimer::timeout, this,
                [this] { PlusLonguePause = std::max(PlusLonguePause, Depuis.restart()); });
        Depuis.start();
        Minuterie.start(10);
    }
    qint64 PlusLonguePause = 0;

  private:
    QTimer Minuterie;
    QElapsedTimer Depuis;
};

} // namespace

class TestEcouteurs : public TTestFenetre {
    Q_OBJECT

    QTemporaryDir Dossier;
    std::unique_ptr<TFenetreDbAlv> Db;

    /// The server name of the listener under test.
    QString Nom() const {
        return QTest::currentDataTag() == QByteArray("dbAlv")
                   ? NomDb
                   : F->LienDbAlv().Transport().NomServeur();
    }
    QString NomDb;

    /// Sends `n` frames of `taille` bytes on one connection and waits for the n answers.
    void EnvoieEtAttend(QLocalSocket& s, int n, int taille) {
        QByteArray lot;
        for (int i = 0; i < n; ++i) lot += Trame(74, 7, QByteArray(taille, 'x'));
        s.write(lot);
        QTRY_COMPARE_WITH_TIMEOUT(s.bytesAvailable(), qint64(8) * n, 10000);
        const QByteArray r = s.readAll();
        QCOMPARE(r, QByteArray(8 * n, '\0'));
    }

  private slots:
    void initTestCase() {
        ReglagesVierges();
        NomDb = QStringLiteral("test-ecouteurs-dbAlv-") +
                QString::number(QCoreApplication::applicationPid());
        Db = std::make_unique<TFenetreDbAlv>(Dossier.filePath("coups.sqlite"), NomDb);
        QString erreur;
        QVERIFY2(Db->Demarre(&erreur), qPrintable(erreur));
        QVERIFY(OuvreFenetre({}));
        QVERIFY(F->LienDbAlv().Transport().EnEcoute());
    }

    void cleanupTestCase() {
        FermeFenetre();
        Db.reset();
    }

    void unClientMuetNeBloqueRien_data() { Ecouteurs(); }
    void unClientMuetNeBloqueRien() {
        auto muet = Client(Nom());
        QTRY_COMPARE(muet->state(), QLocalSocket::ConnectedState);
        auto coupe = Client(Nom());
        QTRY_COMPARE(coupe->state(), QLocalSocket::ConnectedState);
        coupe->write(Trame(74, 1, QByteArray(296, 'c')).left(120)); // half a frame
        TChronoBoucle chrono;
        auto bon = Client(Nom());
        QTRY_COMPARE(bon->state(), QLocalSocket::ConnectedState);
        EnvoieEtAttend(*bon, 3, 10);
        coupe->disconnectFromServer();
        auto apres = Client(Nom());
        QTRY_COMPARE(apres->state(), QLocalSocket::ConnectedState);
        EnvoieEtAttend(*apres, 1, 296 - 1);
        QVERIFY2(chrono.PlusLonguePause < 1000,
                 qPrintable(QString::number(chrono.PlusLonguePause)));
        QCOMPARE(muet->state(), QLocalSocket::ConnectedState); // still waiting, harmlessly
    }

    void unEnTeteTropGrandNeFermeQueSaConnexion_data() { Ecouteurs(); }
    void unEnTeteTropGrandNeFermeQueSaConnexion() {
        auto autre = Client(Nom());
        QTRY_COMPARE(autre->state(), QLocalSocket::ConnectedState);
        auto geant = Client(Nom());
        QTRY_COMPARE(geant->state(), QLocalSocket::ConnectedState);
        geant->write(EnTete(0xFFFFFFF0u));
        QTRY_COMPARE_WITH_TIMEOUT(geant->state(), QLocalSocket::UnconnectedState, 5000);
        EnvoieEtAttend(*autre, 2, 0);
    }

    void milleTramesALaSuite_data() { Ecouteurs(); }
    void milleTramesALaSuite() {
        auto s = Client(Nom());
        QTRY_COMPARE(s->state(), QLocalSocket::ConnectedState);
        TChronoBoucle chrono;
        EnvoieEtAttend(*s, 1000, 100);
        QVERIFY2(chrono.PlusLonguePause < 1000,
                 qPrintable(QString::number(chrono.PlusLonguePause)));
    }

    void plusieursClientsALaFois_data() { Ecouteurs(); }
    void plusieursClientsALaFois() {
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        for (int i = 0; i < 20; ++i) clients.push_back(Client(Nom()));
        for (auto& c : clients) QTRY_COMPARE(c->state(), QLocalSocket::ConnectedState);
        // Interleaved: every client sends its frames in two halves, round after round.
        for (int tour = 0; tour < 3; ++tour) {
            const QByteArray t = Trame(74, static_cast<quint64>(tour), QByteArray(50, 'm'));
            for (auto& c : clients) c->write(t.left(20));
            QCoreApplication::processEvents();
            for (auto& c : clients) c->write(t.mid(20));
        }
        for (auto& c : clients) QTRY_COMPARE_WITH_TIMEOUT(c->bytesAvailable(), qint64(24), 10000);
    }

    void desBlocsValidesSontTraitesEtRepondus_data() { Ecouteurs(); }
    void desBlocsValidesSontTraitesEtRepondus() {
        auto s = Client(Nom());
        QTRY_COMPARE(s->state(), QLocalSocket::ConnectedState);
        QByteArray lot;
        for (int i = 0; i < 5; ++i) lot += Trame(74, 7, BlocImmobile());
        s->write(lot);
        QTRY_COMPARE_WITH_TIMEOUT(s->bytesAvailable(), qint64(40), 20000);
    }

  private:
    void Ecouteurs() {
        QTest::addColumn<int>("rien");
        QTest::newRow("dbAlv") << 0;
        QTest::newRow("fenetre principale") << 0;
    }
};

QTEST_MAIN(TestEcouteurs)
#include "test_ecouteurs.moc"
