#include "help/help_dialog.h"

TdlgHelp::TdlgHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgHelp"));
    setWindowTitle(QStringLiteral(""));
}
