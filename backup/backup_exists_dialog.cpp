#include "backup/backup_exists_dialog.h"

TdlgBackupExists::TdlgBackupExists(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgBackupExists"));
    setWindowTitle(QStringLiteral("A backup exists"));
}
