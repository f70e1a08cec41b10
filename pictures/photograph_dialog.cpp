#include "pictures/photograph_dialog.h"

TdlgPhotograph::TdlgPhotograph(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgPhotograph"));
    setWindowTitle(QStringLiteral("Select a Photograph"));
}
