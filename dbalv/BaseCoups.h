#pragma once
// The shots received by dbAlv, kept in an SQLite file: the decoded fields, for reading the
// file with any SQLite tool, and the raw 296-byte block, which is what is sent back.

#include "analysis/TypeDbAlv.h"
#include "transport/TransportDbAlv.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

/// One stored shot.
struct TCoupStocke {
    qint64 Id = 0;
    QDateTime Recu;         ///< when it was received (UTC)
    quint64 Expediteur = 0; ///< dwData of the frame: the sending main window's process id
    QByteArray Bloc;        ///< the 296 bytes as received
    TCoupDb Coup;           ///< Bloc decoded
};

/// Why a shot was not stored.
struct TEchecAjout {
    quint64 Code = TTransportDbAlv::rEchecEcriture; ///< the answer owed to its sender
    QString Texte;                                  ///< SQLite's own words
};

class TBaseCoups {
  public:
    TBaseCoups();
    ~TBaseCoups();
    TBaseCoups(const TBaseCoups&) = delete;
    TBaseCoups& operator=(const TBaseCoups&) = delete;

    /// How long (ms) a write waits for a database locked by another program before giving
    /// up: well below the sender's wait for an answer, so that the refusal reaches it.
    static constexpr int DelaiVerrou = 2000;

    /// Opens (creating if needed) the database file and its table, after checking that the
    /// file is sound (PRAGMA quick_check) and that a shot can be written into it (a write in a
    /// transaction that is rolled back). A file that fails either check is left as it was.
    bool Ouvre(const QString& chemin, QString* erreur = nullptr);
    bool EstOuverte() const;
    QString Chemin() const { return CheminFichier; }

    /// Stores a block of exactly 296 bytes; returns its id, or 0 on failure with `echec` set.
    /// The file is first checked at its path: gone (deleted, renamed), the shot is refused
    /// with rBaseDeplacee; back or replaced by another file, that file is opened (checked as
    /// Ouvre checks it) and the shot goes there.
    qint64 Ajoute(const QByteArray& bloc, quint64 expediteur, const QDateTime& recu,
                  TEchecAjout* echec = nullptr);
    /// Every stored shot, in the order received.
    std::vector<TCoupStocke> Liste() const;
    std::optional<TCoupStocke> Coup(qint64 id) const;

    /// How many times the file was opened again after it had moved (the list may differ).
    int Reouvertures() const { return NbReouvertures; }

  private:
    bool Verifie(QString* erreur);
    /// The file at CheminFichier is still the one open; reopens it when another is there.
    bool SuitLeFichier(TEchecAjout* echec);
    /// The INSERT itself: the new id, or 0 with `echec` set.
    qint64 Insere(const QByteArray& bloc, quint64 expediteur, const QDateTime& recu,
                  TEchecAjout* echec);

    QString NomConnexion;
    QString CheminFichier;
    /// Identity of the open file (device, inode), to tell it from one put in its place.
    quint64 Peripherique = 0;
    quint64 Inode = 0;
    int NbReouvertures = 0;
};
