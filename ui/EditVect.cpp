#include "ui/EditVect.h"

TEditVectFrm::TEditVectFrm(TMainFrm* mainFrm, QWidget* parent)
    : QWidget(parent, Qt::Window), MainFrm(mainFrm) {
    setWindowTitle(QStringLiteral("Editeur"));
    resize(136, 220);
}
