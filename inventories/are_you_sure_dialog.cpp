#include "inventories/are_you_sure_dialog.h"

TdlgAreYouSure::TdlgAreYouSure(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgAreYouSure"));
    setWindowTitle(QStringLiteral(""));
}
