#pragma once
// The vector editor: one recorded vector as a norm and two angles (its fields come with
// their own work).

#include <QWidget>

class TMainFrm;

class TEditVectFrm : public QWidget {
    Q_OBJECT
  public:
    explicit TEditVectFrm(TMainFrm* mainFrm, QWidget* parent = nullptr);

  private:
    TMainFrm* MainFrm;
};
