#include "inventory/print_dialog.h"

TdlgQIVPrint::TdlgQIVPrint(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgQIVPrint"));
    setWindowTitle(QStringLiteral("Print"));
}
