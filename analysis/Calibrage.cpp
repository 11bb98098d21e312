#include "analysis/Calibrage.h"

TCalibreFrm::TCalibreFrm(TMainFrm* mainFrm, QWidget* parent)
    : QWidget(parent, Qt::Window), MainFrm(mainFrm) {
    setWindowTitle(QStringLiteral("Calibrage constantes physiques"));
}
