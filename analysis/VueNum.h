#pragma once
// The numerical view of the recorded trajectory (its panels come with their own work).

#include <QWidget>

class TMainFrm;

class TVueNumFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TVueNumFrm(TMainFrm* mainFrm, QWidget* parent = nullptr);

    /// Refreshes the view after a shot: slider range 0..NbEnr, position at the record where
    /// the main window left the balls.
    void FormShow();
    /// Shows record i of the three balls.
    void AfficheEnregistrement(int i);

  private:
    TMainFrm* MainFrm;
};
