#include "pictures/photo_view_window.h"

TfrmPhotoView::TfrmPhotoView(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPhotoView"));
    setWindowTitle(QStringLiteral(""));
}
