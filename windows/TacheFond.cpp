#include "windows/TacheFond.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <limits>

TTacheFond::TTacheFond(QWidget* parent, const QString& titre) : QObject(parent) {
    auto* fenetre = new QDialog(parent);
    fenetre->setWindowTitle(titre);
    fenetre->setModal(false);
    fenetre->setObjectName(QStringLiteral("TacheFondFrm"));
    auto* disposition = new QVBoxLayout(fenetre);
    EtapeLbl = new QLabel(fenetre);
    EtapeLbl->setMinimumWidth(280);
    Barre = new QProgressBar(fenetre);
    InterrompreBtn = new QPushButton(QStringLiteral("Interrompre"), fenetre);
    InterrompreBtn->setObjectName(QStringLiteral("InterrompreBtn"));
    disposition->addWidget(EtapeLbl);
    disposition->addWidget(Barre);
    disposition->addWidget(InterrompreBtn, 0, Qt::AlignRight);
    connect(InterrompreBtn, &QPushButton::clicked, this, [this] { Interrompt(); });
    // Closing the window is asking to stop, as the button does.
    connect(fenetre, &QDialog::rejected, this, [this] { Interrompt(); });
    Fenetre = fenetre;
}

TTacheFond::~TTacheFond() {
    if (FFil == nullptr) return;
    FArret = true;
    FFil->wait();
}

bool TTacheFond::EnCours() const {
    return FFil != nullptr;
}

bool TTacheFond::Lance(std::function<void(const TSuiviAjustement&)> travail) {
    if (FFil != nullptr) return false;
    FArret = false;
    EtapeLbl->clear();
    Barre->setRange(0, 0); // busy until the first report
    TSuiviAjustement suivi;
    suivi.Arret = &FArret;
    // Reports come from the worker threads: they are queued to this object's thread.
    suivi.Progression = [this](std::string_view etape, int64_t faits, int64_t total) {
        const QString texte = QString::fromUtf8(etape.data(), static_cast<qsizetype>(etape.size()));
        QMetaObject::invokeMethod(
            this, [this, texte, faits, total] { Progression(texte, faits, total); },
            Qt::QueuedConnection);
    };
    FFil = QThread::create([travail = std::move(travail), suivi] { travail(suivi); });
    connect(FFil, &QThread::finished, this, [this] {
        FFil->deleteLater();
        FFil = nullptr;
        Fenetre->hide();
        emit Termine();
    });
    Fenetre->show();
    FFil->start();
    return true;
}

void TTacheFond::Progression(const QString& etape, qint64 faits, qint64 total) {
    if (FFil == nullptr) return; // a report queued before the end
    EtapeLbl->setText(etape);
    if (total <= 0 || total > std::numeric_limits<int>::max()) {
        Barre->setRange(0, 0);
        return;
    }
    Barre->setRange(0, static_cast<int>(total));
    Barre->setValue(static_cast<int>(std::min(faits, total)));
}
