#pragma once
// The physical constants dialog (its edit boxes come with their own work).

#include <QDialog>

class TPARAMPHYS;

class TParamPhysDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TParamPhysDlg(QWidget* parent = nullptr);
};

/// Shows the dialog modally for these constants and applies what the user changed.
void EditeParametres(TPARAMPHYS& fisik, QWidget* parent);
