#include "dbalv/BaseCoups.h"

#include "engine/C1_Types.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUuid>
#include <QVariant>

#include <span>
#include <sys/stat.h>

namespace {

/// Decoded columns, in the order of the block.
QStringList ColonnesDecodees() {
    QStringList c{"coup1", "coup2",  "coup3",    "coup4", "coup5", "coup6", "b1x", "b1y",
                  "b1z",   "b2x",    "b2y",      "b2z",   "b3x",   "b3y",   "b3z", "type",
                  "point", "contre", "sequence", "d13",   "p13",   "d"};
    for (int i = 0; i < NbConstantesDb; ++i) c << QString::fromLatin1(TPARAMPHYS::Noms[i]);
    return c;
}

QVariantList ValeursDecodees(const TCoupDb& b) {
    QVariantList v;
    for (double x : b.Coup) v << x;
    for (const TVecteur& p : b.Positions) v << p.x << p.y << p.z;
    v << b.Type << int(b.Point) << int(b.Contre) << QString::fromLatin1(b.TexteSequence().c_str())
      << b.D13 << b.P13 << b.d;
    for (double x : b.Constantes) v << x;
    return v;
}

TCoupDb Decode(const QByteArray& bloc) {
    const auto* octets = reinterpret_cast<const uint8_t*>(bloc.constData());
    return DecodeCoupDb(std::span<const uint8_t, TailleCoupDb>(octets, TailleCoupDb));
}

TCoupStocke LitLigne(const QSqlQuery& q) {
    TCoupStocke c;
    c.Id = q.value(0).toLongLong();
    c.Recu = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
    c.Expediteur = static_cast<quint64>(q.value(2).toLongLong());
    c.Bloc = q.value(3).toByteArray();
    if (c.Bloc.size() == static_cast<qsizetype>(TailleCoupDb)) c.Coup = Decode(c.Bloc);
    return c;
}

void Erreur(QString* erreur, const QString& texte) {
    if (erreur) *erreur = texte;
}

/// SQLite's primary result codes that say why a write failed.
enum TCodeSqlite {
    sqlError = 1,    // the statement does not fit the table (no such column…)
    sqlBusy = 5,     // another connection holds the lock
    sqlLocked = 6,   // the same, within one connection's shared cache
    sqlReadonly = 8, // the file could only be opened for reading
    sqlSchema = 17,  // the table changed and the statement no longer fits it
    sqlConstraint = 19,
    sqlMismatch = 20
};

/// The answer owed to a sender for a write that failed with `e`.
quint64 CodeReponse(const QSqlError& e) {
    // The driver reports the extended code, whose low byte is the primary one.
    switch (e.nativeErrorCode().toInt() & 0xff) {
    case sqlReadonly:
        return TTransportDbAlv::rLectureSeule;
    case sqlBusy:
    case sqlLocked:
        return TTransportDbAlv::rVerrouillee;
    case sqlError:
    case sqlSchema:
    case sqlConstraint:
    case sqlMismatch:
        return TTransportDbAlv::rTableIncompatible;
    default:
        return TTransportDbAlv::rEchecEcriture;
    }
}

QString CreationTable() {
    QStringList colonnes;
    for (const QString& c : ColonnesDecodees())
        colonnes << (c == "sequence"                                ? c + " TEXT NOT NULL"
                     : c == "type" || c == "point" || c == "contre" ? c + " INTEGER NOT NULL"
                                                                    : c + " REAL");
    return QStringLiteral("CREATE TABLE IF NOT EXISTS coups ("
                          "id INTEGER PRIMARY KEY AUTOINCREMENT, "
                          "recu TEXT NOT NULL, "
                          "expediteur INTEGER NOT NULL, "
                          "bloc BLOB NOT NULL CHECK (length(bloc) = 296), %1)")
        .arg(colonnes.join(QStringLiteral(", ")));
}

/// Why dbAlv will not work on the file, for the user.
QString TexteRefus(const TEchecAjout& echec) {
    switch (echec.Code) {
    case TTransportDbAlv::rLectureSeule:
        return QStringLiteral("dbAlv ne peut pas y écrire (lecture seule) : %1").arg(echec.Texte);
    case TTransportDbAlv::rVerrouillee:
        return QStringLiteral("elle est verrouillée par un autre programme : %1").arg(echec.Texte);
    case TTransportDbAlv::rTableIncompatible:
        return QStringLiteral("sa table « coups » n'a pas les colonnes attendues : %1")
            .arg(echec.Texte);
    case TTransportDbAlv::rBaseDeplacee:
        return echec.Texte;
    default:
        return QStringLiteral("dbAlv ne peut pas y écrire : %1").arg(echec.Texte);
    }
}

} // namespace

TBaseCoups::TBaseCoups()
    : NomConnexion(QStringLiteral("dbalv-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

TBaseCoups::~TBaseCoups() {
    if (QSqlDatabase::contains(NomConnexion)) {
        QSqlDatabase::database(NomConnexion, false).close();
        QSqlDatabase::removeDatabase(NomConnexion);
    }
}

bool TBaseCoups::Ouvre(const QString& chemin, QString* erreur) {
    QSqlDatabase db = QSqlDatabase::contains(NomConnexion)
                          ? QSqlDatabase::database(NomConnexion, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), NomConnexion);
    db.close();
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(DelaiVerrou));
    db.setDatabaseName(chemin);
    if (!db.open()) {
        Erreur(erreur, db.lastError().text());
        return false;
    }
    if (!Verifie(erreur)) {
        db.close();
        return false;
    }
    QSqlQuery q(db);
    if (!q.exec(CreationTable())) {
        Erreur(erreur, q.lastError().text());
        db.close();
        return false;
    }
    CheminFichier = chemin;
    struct stat etat {};
    if (::stat(QFile::encodeName(chemin).constData(), &etat) == 0) {
        Peripherique = etat.st_dev;
        Inode = etat.st_ino;
    }
    return true;
}

bool TBaseCoups::SuitLeFichier(TEchecAjout* echec) {
    struct stat etat {};
    if (::stat(QFile::encodeName(CheminFichier).constData(), &etat) != 0) {
        if (echec)
            *echec = {TTransportDbAlv::rBaseDeplacee,
                      QStringLiteral("la base « %1 » a été déplacée ou supprimée")
                          .arg(CheminFichier)};
        return false;
    }
    if (etat.st_dev == Peripherique && etat.st_ino == Inode) return true;
    // Back at its path, or another file put there: that is the database now.
    QString erreur;
    if (!Ouvre(CheminFichier, &erreur)) {
        if (echec)
            *echec = {TTransportDbAlv::rEchecEcriture,
                      QStringLiteral("la base « %1 » a changé et ne s'ouvre pas : %2")
                          .arg(CheminFichier, erreur)};
        return false;
    }
    ++NbReouvertures;
    return true;
}

bool TBaseCoups::Verifie(QString* erreur) {
    QSqlDatabase db = QSqlDatabase::database(NomConnexion, false);
    QSqlQuery q(db);
    // A damaged file would show only the shots SQLite can still reach, and take new ones into
    // a broken tree.
    if (!q.exec(QStringLiteral("PRAGMA quick_check"))) {
        Erreur(erreur, QStringLiteral("elle est endommagée ou n'est pas une base SQLite : %1")
                           .arg(q.lastError().text()));
        return false;
    }
    QStringList constats;
    while (q.next()) constats << q.value(0).toString();
    if (constats != QStringList{QStringLiteral("ok")}) {
        Erreur(
            erreur,
            QStringLiteral("elle est endommagée (PRAGMA quick_check) : %1").arg(constats.value(0)));
        return false;
    }
    // A shot written and taken back: everything a real one needs (a writable file, the lock,
    // the table's columns) without changing the file.
    TEchecAjout echec;
    bool ecrit = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!ecrit) {
        echec = {CodeReponse(q.lastError()), q.lastError().text()};
    } else {
        ecrit = q.exec(CreationTable());
        if (!ecrit) echec = {CodeReponse(q.lastError()), q.lastError().text()};
        ecrit = ecrit && Insere(QByteArray(static_cast<qsizetype>(TailleCoupDb), '\0'), 0,
                                QDateTime::currentDateTimeUtc(), &echec) != 0;
        q.exec(QStringLiteral("ROLLBACK"));
    }
    if (!ecrit) Erreur(erreur, TexteRefus(echec));
    return ecrit;
}

bool TBaseCoups::EstOuverte() const {
    return QSqlDatabase::contains(NomConnexion) &&
           QSqlDatabase::database(NomConnexion, false).isOpen();
}

qint64 TBaseCoups::Ajoute(const QByteArray& bloc, quint64 expediteur, const QDateTime& recu,
                          TEchecAjout* echec) {
    if (bloc.size() != static_cast<qsizetype>(TailleCoupDb)) {
        if (echec)
            *echec = {TTransportDbAlv::rEchecEcriture,
                      QStringLiteral("bloc de %1 octets au lieu de 296").arg(bloc.size())};
        return 0;
    }
    if (!EstOuverte()) {
        if (echec) *echec = {TTransportDbAlv::rEchecEcriture, QStringLiteral("base non ouverte")};
        return 0;
    }
    if (!SuitLeFichier(echec)) return 0;
    return Insere(bloc, expediteur, recu, echec);
}

qint64 TBaseCoups::Insere(const QByteArray& bloc, quint64 expediteur, const QDateTime& recu,
                          TEchecAjout* echec) {
    const QStringList colonnes = ColonnesDecodees();
    QStringList marques;
    for (qsizetype i = 0; i < colonnes.size(); ++i) marques << QStringLiteral("?");
    QSqlQuery q(QSqlDatabase::database(NomConnexion, false));
    // A table without these columns fails here, and only here says why.
    const bool prepare = q.prepare(
        QStringLiteral("INSERT INTO coups (recu, expediteur, bloc, %1) VALUES (?, ?, ?, %2)")
            .arg(colonnes.join(QStringLiteral(", ")), marques.join(QStringLiteral(", "))));
    if (!prepare) {
        if (echec) *echec = {CodeReponse(q.lastError()), q.lastError().text()};
        return 0;
    }
    q.addBindValue(recu.toUTC().toString(Qt::ISODateWithMs));
    q.addBindValue(static_cast<qint64>(expediteur));
    q.addBindValue(bloc);
    for (const QVariant& v : ValeursDecodees(Decode(bloc))) q.addBindValue(v);
    if (!q.exec()) {
        if (echec) *echec = {CodeReponse(q.lastError()), q.lastError().text()};
        return 0;
    }
    return q.lastInsertId().toLongLong();
}

std::vector<TCoupStocke> TBaseCoups::Liste() const {
    std::vector<TCoupStocke> coups;
    if (!EstOuverte()) return coups;
    QSqlQuery q(QSqlDatabase::database(NomConnexion, false));
    if (!q.exec(QStringLiteral("SELECT id, recu, expediteur, bloc FROM coups ORDER BY id")))
        return coups;
    while (q.next()) coups.push_back(LitLigne(q));
    return coups;
}

std::optional<TCoupStocke> TBaseCoups::Coup(qint64 id) const {
    if (!EstOuverte()) return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(NomConnexion, false));
    q.prepare(QStringLiteral("SELECT id, recu, expediteur, bloc FROM coups WHERE id = ?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next()) return std::nullopt;
    return LitLigne(q);
}
