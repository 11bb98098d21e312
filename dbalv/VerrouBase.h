#pragma once
// The lock that keeps a second dbAlv off a database file: an OS lock (flock) on "<file>.lock",
// which the kernel releases when its process ends, however it ends. So a lock file left behind
// (empty, holding anything, written on another host, by a process long dead) is merely there
// and is taken; only a lock that a running process holds refuses.

#include <QString>

class TVerrouBase {
  public:
    enum TEtat {
        vPris,       ///< this object holds the lock
        vTenu,       ///< a running process holds it
        vImpossible, ///< the lock file cannot be created or opened (see Raison)
    };

    explicit TVerrouBase(QString chemin);
    ~TVerrouBase();
    TVerrouBase(const TVerrouBase&) = delete;
    TVerrouBase& operator=(const TVerrouBase&) = delete;

    /// Tries to take the lock, without waiting. The file then holds this process's id and host,
    /// for a person who wonders who holds it.
    TEtat Prend();
    /// Removes the lock file and releases the lock (at the end of the program).
    void Libere();
    /// Why the lock could not be taken (vImpossible).
    QString Raison() const { return FRaison; }
    QString Chemin() const { return FChemin; }

  private:
    QString FChemin;
    QString FRaison;
    int FDescripteur = -1;
};
