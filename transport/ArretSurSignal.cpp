#include "transport/ArretSurSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may only touch static storage and call async-signal-safe functions: it
// writes one byte on this descriptor, and the event loop does the rest.
std::atomic<int> DescripteurSignal{-1};

void Gestionnaire(int) {
    const int fd = DescripteurSignal.load();
    if (fd < 0) return;
    const int errnoAvant = errno; // the interrupted code may be about to read it
    const char octet = 1;
    // A full socket already holds a request to stop: losing this byte loses nothing.
    [[maybe_unused]] const ssize_t ecrit = ::write(fd, &octet, 1);
    errno = errnoAvant;
}

void Installe(void (*gestionnaire)(int)) {
    struct sigaction action {};
    action.sa_handler = gestionnaire;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

TArretSurSignal::TArretSurSignal(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, Paire) != 0) return;
    Notificateur = new QSocketNotifier(Paire[0], QSocketNotifier::Read, this);
    connect(Notificateur, &QSocketNotifier::activated, this, &TArretSurSignal::SignalRecu);
    DescripteurSignal.store(Paire[1]);
    Installe(Gestionnaire);
}

TArretSurSignal::~TArretSurSignal() {
    if (Paire[0] < 0) return;
    Installe(SIG_DFL);
    DescripteurSignal.store(-1);
    ::close(Paire[0]);
    ::close(Paire[1]);
}

void TArretSurSignal::SignalRecu() {
    char octets[16];
    while (::read(Paire[0], octets, sizeof octets) > 0) {
    }
    QCoreApplication::quit();
}
