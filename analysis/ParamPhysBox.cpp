#include "analysis/ParamPhysBox.h"

#include "engine/C1_Types.h"

TParamPhysDlg::TParamPhysDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Constantes physiques en cours"));
}

void EditeParametres(TPARAMPHYS&, QWidget* parent) {
    TParamPhysDlg dialogue(parent);
    dialogue.exec();
}
