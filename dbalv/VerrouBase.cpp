#include "dbalv/VerrouBase.h"

#include "engine/EcritureFichier.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TVerrouBase::TVerrouBase(QString chemin) : FChemin(std::move(chemin)) {}

TVerrouBase::~TVerrouBase() {
    Libere();
}

TVerrouBase::TEtat TVerrouBase::Prend() {
    if (FDescripteur >= 0) return vPris;
    const QByteArray nom = QFile::encodeName(FChemin);
    // An empty folder in the lock's place holds nothing: it gives way. One with content is
    // somebody's, and is said so.
    if (QFileInfo(FChemin).isDir() && !QDir().rmdir(FChemin)) {
        FRaison = QStringLiteral("« %1 » est un dossier, pas un verrou").arg(FChemin);
        return vImpossible;
    }
    const int fd = ::open(nom.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        FRaison = QStringLiteral("verrou « %1 » : %2")
                      .arg(FChemin, QString::fromStdString(TexteErreurSysteme(errno)));
        return vImpossible;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int erreur = errno;
        ::close(fd);
        if (erreur == EWOULDBLOCK) return vTenu;
        FRaison = QStringLiteral("verrou « %1 » : %2")
                      .arg(FChemin, QString::fromStdString(TexteErreurSysteme(erreur)));
        return vImpossible;
    }
    // Who holds it, in words; what was there before goes.
    const QByteArray qui = QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                           QSysInfo::machineHostName().toUtf8() + '\n';
    if (::ftruncate(fd, 0) == 0) {
        const ssize_t n = ::pwrite(fd, qui.constData(), static_cast<size_t>(qui.size()), 0);
        (void)n; // the lock is the flock, not these words
    }
    FDescripteur = fd;
    return vPris;
}

void TVerrouBase::Libere() {
    if (FDescripteur < 0) return;
    // Removed while still held, so that no other dbAlv can have taken it in between.
    ::unlink(QFile::encodeName(FChemin).constData());
    ::flock(FDescripteur, LOCK_UN);
    ::close(FDescripteur);
    FDescripteur = -1;
}
