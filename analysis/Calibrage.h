#pragma once
// The calibration window (its controls come with their own work).

#include <QWidget>

class TMainFrm;

class TCalibreFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TCalibreFrm(TMainFrm* mainFrm, QWidget* parent = nullptr);

  private:
    TMainFrm* MainFrm;
};
