#include "inventories/invalid_name_dialog.h"

TdlgInvalidName::TdlgInvalidName(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgInvalidName"));
    setWindowTitle(QStringLiteral(""));
}
