#include "inventories/delete_dialog.h"

TdlgDelete::TdlgDelete(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgDelete"));
    setWindowTitle(QStringLiteral("Delete Inventory"));
}
