#include "inventories/save_as_dialog.h"

TdlgSaveAs::TdlgSaveAs(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSaveAs"));
    setWindowTitle(QStringLiteral("Save Inventory"));
}
