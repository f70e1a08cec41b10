#include "help/index_window.h"

TfrmIndex::TfrmIndex(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmIndex"));
    setWindowTitle(QStringLiteral("Quivera! Index"));
}
