#include "tabs/edit_dialog.h"

TdlgEdit::TdlgEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgEdit"));
    setWindowTitle(QStringLiteral("Edit Inventory Item"));
}
