#include "inventories/session_interrupted_dialog.h"

TdlgSessionInterrupted::TdlgSessionInterrupted(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSessionInterrupted"));
    setWindowTitle(QStringLiteral("Session Interrupted"));
}
