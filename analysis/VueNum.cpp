#include "analysis/VueNum.h"

TVueNumFrm::TVueNumFrm(TMainFrm* mainFrm, QWidget* parent)
    : QWidget(parent, Qt::Window), MainFrm(mainFrm) {
    setWindowTitle(QStringLiteral("pos No 0"));
}

void TVueNumFrm::FormShow() {}

void TVueNumFrm::AfficheEnregistrement(int) {}
