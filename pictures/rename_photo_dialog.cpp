#include "pictures/rename_photo_dialog.h"

TdlgRenamePhoto::TdlgRenamePhoto(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgRenamePhoto"));
    setWindowTitle(QStringLiteral("Rename Picture"));
}
