#pragma once
// The shots received by dbAlv, kept in an SQLite file: the decoded fields, for reading the
// file with any SQLite tool, and the raw 296-byte block, which is what is sent back.

#include "analysis/TypeDbAlv.h"

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

class TBaseCoups {
  public:
    TBaseCoups();
    ~TBaseCoups();
    TBaseCoups(const TBaseCoups&) = delete;
    TBaseCoups& operator=(const TBaseCoups&) = delete;

    /// Opens (creating if needed) the database file and its table.
    bool Ouvre(const QString& chemin, QString* erreur = nullptr);
    bool EstOuverte() const;
    QString Chemin() const { return CheminFichier; }

    /// Stores a block of exactly 296 bytes; returns its id, or 0 on failure.
    qint64 Ajoute(const QByteArray& bloc, quint64 expediteur, const QDateTime& recu,
                  QString* erreur = nullptr);
    /// Every stored shot, in the order received.
    std::vector<TCoupStocke> Liste() const;
    std::optional<TCoupStocke> Coup(qint64 id) const;

  private:
    QString NomConnexion;
    QString CheminFichier;
};
