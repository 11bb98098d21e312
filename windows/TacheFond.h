#pragma once
// A long computation run on a worker thread while the windows stay live: a small modeless
// window shows its progress and offers "Interrompre", which raises the stop flag the
// computation polls; it then returns with what it has.

#include "analysis/AjustementConstantes.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QWidget;

class TTacheFond : public QObject {
    Q_OBJECT
  public:
    /// The progress window is titled `titre` and belongs to `parent`.
    TTacheFond(QWidget* parent, const QString& titre);
    /// A running computation is asked to stop and waited for.
    ~TTacheFond() override;

    /// Runs `travail` on a worker thread with a follow-up that reports into the progress
    /// window and carries the stop flag. Refused (false) while another runs.
    bool Lance(std::function<void(const TSuiviAjustement&)> travail);
    bool EnCours() const;
    /// Asks the computation to stop at its next check ("Interrompre").
    void Interrompt() { FArret = true; }
    bool Interrompue() const { return FArret; }

    QWidget* Fenetre = nullptr; ///< the progress window, shown while the work runs
    QLabel* EtapeLbl = nullptr;
    QProgressBar* Barre = nullptr;
    QPushButton* InterrompreBtn = nullptr;

  signals:
    /// Raised in the window's thread once the computation has returned.
    void Termine();

  private:
    void Progression(const QString& etape, qint64 faits, qint64 total);

    std::atomic<bool> FArret{false};
    QThread* FFil = nullptr;
};
