#pragma once
// A clean end on SIGTERM and SIGINT. Their default action kills the process at once, which
// leaves its socket file (and dbAlv's lock file) behind; here the signal only asks the event
// loop to return, so that the program ends as when its window is closed and every destructor
// runs.

#include <QObject>

class QSocketNotifier;

class TArretSurSignal : public QObject {
  public:
    /// Catches SIGTERM and SIGINT for as long as this object lives. One at a time per process.
    explicit TArretSurSignal(QObject* parent = nullptr);
    ~TArretSurSignal() override;
    TArretSurSignal(const TArretSurSignal&) = delete;
    TArretSurSignal& operator=(const TArretSurSignal&) = delete;

  private:
    void SignalRecu();

    int Paire[2] = {-1, -1}; ///< [0] read by the event loop, [1] written by the handler
    QSocketNotifier* Notificateur = nullptr;
};
