#include "backup/backup_dialog.h"

TdlgBackup::TdlgBackup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgBackup"));
    setWindowTitle(QStringLiteral("Backup Inventory"));
}
