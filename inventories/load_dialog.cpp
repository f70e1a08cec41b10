#include "inventories/load_dialog.h"

TdlgLoad::TdlgLoad(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgLoad"));
    setWindowTitle(QStringLiteral("Open Inventory"));
}
