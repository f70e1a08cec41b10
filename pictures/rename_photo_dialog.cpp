#include "pictures/rename_photo_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "pictures/photo_rename.h"
#include "pictures/photo_view_window.h"
#include "pictures/picture_list.h"
#include "store/database.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The edit dialog lies above this layer; its photograph field is reached by name.
QLineEdit* editDialogPhotoField() {
    for (QWidget* w : ui::Win().all)
        if (w && w->objectName() == QLatin1String("dlgEdit"))
            return w->findChild<QLineEdit*>(QStringLiteral("edtPhoto"));
    return nullptr;
}

// A rename changes photograph paths and nothing else: the pictures are rebuilt from the database,
// while unsaved entries, sort order and cost level stay as they are (a full reload of the working
// inventory would mark it saved, and closing would then drop the unsaved entries unasked).
void RefreshPictures() {
    app::State().Changes.announcePicturesChanged();
}

} // namespace

TdlgRenamePhoto::TdlgRenamePhoto(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgRenamePhoto"));
    setWindowTitle(QStringLiteral("Rename Picture"));
    setFixedSize(253, 85);

    lblOldName1 = new QLabel(QStringLiteral("Old Name:"), this);
    lblOldName1->setObjectName(QStringLiteral("lblOldName1"));
    lblOldName1->setGeometry(8, 8, 64, 17);
    lblOldName2 = new QLabel(this);
    lblOldName2->setObjectName(QStringLiteral("lblOldName2"));
    lblOldName2->setGeometry(76, 8, 169, 17);
    lblNewName = new QLabel(QStringLiteral("New Name:"), this);
    lblNewName->setObjectName(QStringLiteral("lblNewName"));
    lblNewName->setGeometry(8, 32, 64, 17);
    edtNewName = new QLineEdit(this);
    edtNewName->setObjectName(QStringLiteral("edtNewName"));
    edtNewName->setAccessibleName(QStringLiteral("New Name:"));
    edtNewName->setGeometry(76, 29, 169, 21);
    lblNewName->setBuddy(edtNewName);
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAccessibleName(QStringLiteral("OK"));
    btnOK->setGeometry(88, 56, 75, 25);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAccessibleName(QStringLiteral("Cancel"));
    btnCancel->setGeometry(170, 56, 75, 25);

    ui::ConnectGuarded(edtNewName, &QLineEdit::textChanged, this, [this] { edtNewNameChange(); });
    ui::ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    ui::ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TdlgRenamePhoto::Execute() {
    FormActivate();
    ui::Modal::exec(*this);
}

void TdlgRenamePhoto::FormActivate() {
    const TfrmPhotoView* viewer = ui::Win().frmPhotoView;
    const pictures::PhotoNameParts parts =
        pictures::SplitPhotoName(viewer ? viewer->PhotoName : QString());
    OldBase = parts.base;
    OldExtension = parts.extension;
    lblOldName2->setText(OldBase);
    edtNewName->clear();
    btnOK->setEnabled(false);
}

void TdlgRenamePhoto::edtNewNameChange() {
    btnOK->setEnabled(!edtNewName->text().isEmpty());
}

void TdlgRenamePhoto::btnCancelClick() {
    reject();
}

void TdlgRenamePhoto::btnOKClick() {
    TfrmPhotoView* viewer = ui::Win().frmPhotoView;
    if (!viewer) return;
    const QString newName = pictures::TrimNewName(edtNewName->text());
    edtNewName->setText(newName);
    if (newName.isEmpty()) {
        ui::Modal::message(QStringLiteral("Please type a new name for the photograph."),
                           QStringLiteral("Rename Picture"));
        return;
    }
    auto& s = app::State();
    const QString oldPath = viewer->PhotoFile;
    const QString newPath = viewer->PhotoFolder + newName + OldExtension;
    const bool renamed = !oldPath.isEmpty() && pictures::UsableFileName(newName + OldExtension) &&
                         QFile::rename(oldPath, newPath);
    if (!renamed) {
        ui::Modal::message(pictures::RenameFailureMessage(OldBase),
                           QStringLiteral("Unable to rename photo"));
        RefreshPictures();
        viewer->LoadPhoto(oldPath);
        return;
    }
    viewer->PhotoFile = newPath;
    viewer->PhotoName = newName + OldExtension;
    viewer->lblName->setText(viewer->PhotoName);
    try {
        pictures::ReplacePhotoPath(s.ADOConnection2, oldPath, newPath);
    } catch (const std::exception& e) {
        // The inventories still name the old file: give it its name back.
        if (!QFile::rename(newPath, oldPath))
            throw store::DatabaseError(
                QStringLiteral("%1\nThe photograph could not get its old name back; it is now "
                               "\"%2\".")
                    .arg(QString::fromUtf8(e.what()), newPath)
                    .toStdString());
        viewer->PhotoFile = oldPath;
        viewer->PhotoName = viewer->PhotoFile.mid(viewer->PhotoFolder.size());
        viewer->lblName->setText(viewer->PhotoName);
        throw;
    }
    pictures::PictureDList* list = pictures::Pictures();
    const quint32 reselect = list && list->Selected ? list->Selected->EntryNumber : 0;
    RefreshPictures();
    if (reselect != 0 && (list = pictures::Pictures())) list->SelectPicture(reselect);
    viewer->LoadPhoto(newPath);
    if (QLineEdit* photo = editDialogPhotoField()) photo->setText(newPath);
    accept();
}
