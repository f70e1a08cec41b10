#include "inventories/save_this_session_dialog.h"

TdlgSaveThisSession::TdlgSaveThisSession(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSaveThisSession"));
    setWindowTitle(QStringLiteral("Save this Inventory?"));
}
