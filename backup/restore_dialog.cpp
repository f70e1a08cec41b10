#include "backup/restore_dialog.h"

TdlgRestore::TdlgRestore(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgRestore"));
    setWindowTitle(QStringLiteral("Restore from Backup"));
}
