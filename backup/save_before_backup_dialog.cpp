#include "backup/save_before_backup_dialog.h"

TdlgSaveBeforeBackup::TdlgSaveBeforeBackup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSaveBeforeBackup"));
    setWindowTitle(QStringLiteral("Unsaved Inventory"));
}
