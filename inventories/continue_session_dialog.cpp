#include "inventories/continue_session_dialog.h"

TdlgContinueSession::TdlgContinueSession(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgContinueSession"));
    setWindowTitle(QStringLiteral("Continue Session?"));
}
