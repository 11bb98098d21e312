#pragma once
// The tolerance evaluation window (its controls and computation come with their own work).

#include <QWidget>

class TMainFrm;

class TToleranceFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TToleranceFrm(TMainFrm* mainFrm, QWidget* parent = nullptr);

  private:
    TMainFrm* MainFrm;
};
