#include "inventories/overwrite_inventory_dialog.h"

TdlgOverwriteInventory::TdlgOverwriteInventory(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgOverwriteInventory"));
    setWindowTitle(QStringLiteral(""));
}
