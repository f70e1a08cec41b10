#include "tabs/incorrect_number_dialog.h"

TdlgIncorrectNumber::TdlgIncorrectNumber(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgIncorrectNumber"));
    setWindowTitle(QStringLiteral(""));
}
