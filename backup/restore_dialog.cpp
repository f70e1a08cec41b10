#include "backup/restore_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "backup/core/backup_core.h"
#include "backup/folder_tree.h"
#include "inventories/file_commands.h"
#include "ui/make_widget.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y) {
    return ui::MakeWidget<QLabel>(parent, name, QRect(x, y, 170, 16), text);
}

} // namespace

TdlgRestore::TdlgRestore(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgRestore"));
    setWindowTitle(QStringLiteral("Restore from Backup"));
    setFixedSize(375, 303);
    Label1 = label(this, "Label1", QStringLiteral("Restore from:"), 8, 8);
    DriveComboBox1 = ui::MakeWidget<QComboBox>(this, "DriveComboBox1", QRect(8, 26, 185, 21));
    DriveComboBox1->setAccessibleName(QStringLiteral("Restore from:"));
    Label9 = ui::MakeWidget<QLabel>(this, "Label9", QRect(8, 52, 359, 16));
    DirectoryListBox1 =
        ui::MakeWidget<QListWidget>(this, "DirectoryListBox1", QRect(8, 72, 185, 185));
    DirectoryListBox1->setAccessibleName(QStringLiteral("Folders"));
    Label3 = label(this, "Label3", QStringLiteral("Open the backup folder you"), 200, 72);
    Label4 = label(this, "Label4", QStringLiteral("want to restore from."), 200, 90);
    Label6 = label(this, "Label6", QStringLiteral("WARNING:  Restoring from"), 200, 126);
    Label7 = label(this, "Label7", QStringLiteral("the backup will overwrite all"), 200, 144);
    Label8 = label(this, "Label8", QStringLiteral("current inventories and may"), 200, 162);
    Label2 = label(this, "Label2", QStringLiteral("overwrite some pictures."), 200, 180);
    Button2 = ui::MakeWidget<QPushButton>(this, "Button2", QRect(200, 268, 75, 25),
                                          QStringLiteral("&OK"));
    Button1 = ui::MakeWidget<QPushButton>(this, "Button1", QRect(288, 268, 75, 25),
                                          QStringLiteral("&Cancel"));
    Button2->setAccessibleName(QStringLiteral("OK"));
    Button1->setAccessibleName(QStringLiteral("Cancel"));
    Button2->setDefault(true);
    tree_ = new FolderTree(DriveComboBox1, DirectoryListBox1, Label9, this);
    tree_->fillDrives();
    tree_->setDirectory(QDir::homePath());
    ui::ConnectGuarded(DriveComboBox1, &QComboBox::activated, this,
                       [this] { tree_->setDirectory(DriveComboBox1->currentData().toString()); });
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

QString TdlgRestore::directory() const {
    return tree_->directory();
}

bool TdlgRestore::setDirectory(const QString& path) {
    return tree_->setDirectory(path);
}

void TdlgRestore::Execute() {
    app::State().DialogCancelled = true;
    ui::Modal::exec(*this);
}

void TdlgRestore::Button1Click() {
    app::State().DialogCancelled = true;
    reject();
}

void TdlgRestore::Button2Click() {
    auto& s = app::State();
    // Nothing of the program may hold the user database while it is replaced; the next
    // statement opens the new one.
    s.ADOQuery1.close();
    s.ADOQuery2.close();
    s.ADOConnection1.disconnect();
    s.ADOConnection2.disconnect();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    backup::RestoreReport report;
    try {
        report = backup::RestoreFromBackup(s.programFolder, directory(), {});
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    if (report.refused) {
        ui::Modal::message(report.message, report.caption);
        return;
    }
    if (!report.failedPictures.isEmpty()) ui::Modal::message(report.message, report.caption);
    s.DialogCancelled = false;
    accept();
    inventories::ReloadWorkingInventory();
    // The restored database brings its own open inventory and recent list.
    s.Changes.announceNamed();
    s.Changes.announceRecentList();
}
