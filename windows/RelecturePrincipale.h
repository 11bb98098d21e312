#pragma once
// The replay commands of the main window: pause, record by record, pace. They steer the table
// view's replay and are reachable from every window of the program (the numerical view too,
// where the player reads the records a paused replay shows).

#include <QObject>
#include <QString>

class QAction;
class QMenuBar;
class QLocale;
class TBillardAlveran;
class TCIBillardHor3B;

class TRelectureMain : public QObject {
    Q_OBJECT
  public:
    explicit TRelectureMain(TCIBillardHor3B& table, QObject* parent = nullptr);

    /// The "Relecture" menu, added to `barre`.
    void AjouteMenu(QMenuBar& barre) const;

    /// What the text beside the table says while a paused replay shows record i.
    static QString TexteEtape(const TBillardAlveran& moteur, int i, const QLocale& locale);

  private:
    TCIBillardHor3B& FTable;
    QAction* FPause;
    QAction* FSuivant;
    QAction* FPrecedent;
    QAction* FVitesses[4];
};
