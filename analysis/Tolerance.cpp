#include "analysis/Tolerance.h"

TToleranceFrm::TToleranceFrm(TMainFrm* mainFrm, QWidget* parent)
    : QWidget(parent, Qt::Window), MainFrm(mainFrm) {
    setWindowTitle(QStringLiteral("Evaluation de la tolérance du point"));
}
