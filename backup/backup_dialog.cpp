#include "backup/backup_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "backup/backup_exists_dialog.h"
#include "backup/folder_tree.h"
#include "backup/save_before_backup_dialog.h"
#include "ui/make_widget.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y,
              int width = 200) {
    return ui::MakeWidget<QLabel>(parent, name, QRect(x, y, width, 16), text);
}

const QString kErrors = QStringLiteral("Errors occured.  Backup may not be valid.");
const QString kErrorsCaption = QStringLiteral("Errors Occured");

} // namespace

TdlgBackup::TdlgBackup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgBackup"));
    setWindowTitle(QStringLiteral("Backup Inventory"));
    resize(393, 356);

    Panel1 = ui::MakeWidget<QFrame>(this, "Panel1", QRect(0, 0, 393, 81));
    QPalette red;
    red.setColor(QPalette::WindowText, Qt::red);
    QFont bold;
    bold.setBold(true);
    Label10 =
        label(Panel1, "Label10",
              QStringLiteral("Warning:  Distinct pictures may have the same name."), 8, 8, 377);
    Label11 =
        label(Panel1, "Label11",
              QStringLiteral("Backing up may lose some of the pictures.  Please see"), 8, 28, 377);
    Label12 = label(Panel1, "Label12", QStringLiteral("help on \"Troubleshooting\" for details."),
                    8, 48, 377);
    for (QLabel* l : {Label10, Label11, Label12}) {
        l->setPalette(red);
        l->setFont(bold);
    }

    Panel2 = ui::MakeWidget<QFrame>(this, "Panel2", QRect(0, 81, 393, 213));
    Label1 = label(Panel2, "Label1", QStringLiteral("Backup to:"), 8, 8, 100);
    DriveComboBox1 = ui::MakeWidget<QComboBox>(Panel2, "DriveComboBox1", QRect(8, 26, 185, 21));
    DriveComboBox1->setAccessibleName(QStringLiteral("Backup to:"));
    Label9 = label(Panel2, "Label9", QString(), 8, 52, 377);
    DirectoryListBox1 =
        ui::MakeWidget<QListWidget>(Panel2, "DirectoryListBox1", QRect(8, 72, 185, 133));
    DirectoryListBox1->setAccessibleName(QStringLiteral("Folders"));
    Label2 = label(Panel2, "Label2", QStringLiteral("Space Free:"), 208, 26, 90);
    Label3 = label(Panel2, "Label3", QString(), 304, 26, 72);
    Label4 = label(Panel2, "Label4", QStringLiteral("Space Needed:"), 208, 46, 90);
    Label5 = label(Panel2, "Label5", QString(), 304, 46, 72);
    for (QLabel* l : {Label3, Label5})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label6 = label(Panel2, "Label6", QString(), 208, 96, 180);
    Label7 = label(Panel2, "Label7", QStringLiteral("have enough capacity to"), 208, 114, 180);
    Label8 = label(Panel2, "Label8", QStringLiteral("back up the inventory."), 208, 132, 180);
    for (QLabel* l : {Label6, Label7, Label8})
        l->hide();

    Button2 = ui::MakeWidget<QPushButton>(this, "Button2", QRect(223, 294, 75, 25),
                                          QStringLiteral("&OK"));
    Button1 = ui::MakeWidget<QPushButton>(this, "Button1", QRect(306, 294, 75, 25),
                                          QStringLiteral("&Cancel"));
    Button2->setAccessibleName(QStringLiteral("OK"));
    Button1->setAccessibleName(QStringLiteral("Cancel"));
    Button2->setDefault(true);

    tree_ = new FolderTree(DriveComboBox1, DirectoryListBox1, Label9, this);
    tree_->onChange = [this] { DirectoryListBox1Change(); };
    ui::ConnectGuarded(DriveComboBox1, &QComboBox::activated, this,
                       [this] { DriveComboBox1Change(); });
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    FormCreate();
}

void TdlgBackup::FormCreate() {
    backup::ConfigureForBackup(DiscWriter1);
    // The burn's end is handled on the user-interface thread.
    DiscWriter1.SetSynchronizer([this](std::function<void()> fn) {
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
    });
    DiscWriter1.SetOnWriteDone(
        [this](void*, bool failed) { ui::Guarded([&] { DiscWriter1WriteDone(failed); }); });
    DiscWriter1.InitializeASPI({});
    fillDrives();
    tree_->setDirectory(QDir::homePath());
    BackupFiles.clear();
}

void TdlgBackup::fillDrives() {
    QStringList discs;
    for (int i = 0; i < DiscWriter1.GetDeviceCount(); ++i)
        if (DiscWriter1.SelectDevice(i))
            discs << QString::fromStdString(DiscWriter1.GetDeviceLetter());
    tree_->fillDrives(discs);
}

QString TdlgBackup::directory() const {
    return tree_->directory();
}

bool TdlgBackup::setDirectory(const QString& path) {
    return tree_->setDirectory(path);
}

void TdlgBackup::Execute() {
    app::State().DialogCancelled = true;
    FormShow();
    ui::Modal::exec(*this);
    FormClose();
}

void TdlgBackup::FormShow() {
    auto& s = app::State();
    SpaceNeeded = 0;
    DuplicateNames = false;
    Panel1->hide();
    Panel2->move(0, 0);
    Button2->move(Button2->x(), 213);
    Button1->move(Button1->x(), 213);
    setFixedHeight(269);
    BackupFiles.clear();
    Label3->clear();
    Label5->clear();
    s.ADOQuery2.close();
    backup::CollectBackupFiles(s.ADOQuery2, s.programFolder, BackupFiles);
    DuplicateNames = BackupFiles.duplicateNames();
    if (DuplicateNames) {
        setFixedHeight(350);
        Panel1->show();
        Panel2->move(0, 81);
        Button2->move(Button2->x(), 294);
        Button1->move(Button1->x(), 294);
    }
    SpaceNeeded = backup::SpaceNeeded(BackupFiles);
    Label5->setText(backup::KiloText(SpaceNeeded));
    evaluateDrive(false);
    layOut();
}

void TdlgBackup::FormClose() {
    BackupFiles.clear();
}

void TdlgBackup::evaluateDrive(bool afterDriveChange) {
    const QString letter = DriveComboBox1->currentData().toString();
    const bool device = !letter.isEmpty() && !letter.startsWith(QLatin1Char('/'));
    const backup::DiscDrive drive =
        device ? backup::EvaluateDisc(DiscWriter1, letter) : backup::DiscDrive{};
    ToDisc = drive.burner;
    DirectoryListBox1->setEnabled(!ToDisc);
    if (ToDisc) {
        SpaceFree = drive.free;
        DriveSize = drive.size;
    } else {
        const QStorageInfo volume(directory());
        SpaceFree = volume.bytesAvailable();
        DriveSize = volume.bytesTotal();
    }
    const backup::SpaceVerdict v =
        backup::EvaluateSpace(SpaceNeeded, SpaceFree, DriveSize, ToDisc, afterDriveChange);
    Label3->setText(v.label3);
    Label6->setText(v.label6);
    Label6->setVisible(v.label6Shown);
    if (v.label7Shown) Label7->setText(v.label7);
    Label7->setVisible(v.label7Shown);
    Label8->setVisible(v.label8Shown);
    Button2->setEnabled(v.okEnabled);
}

void TdlgBackup::layOut() {
    const QFontMetrics fm(Label3->font());
    const int wide =
        std::max(fm.horizontalAdvance(Label3->text()), fm.horizontalAdvance(Label5->text()));
    int width = 393;
    if (wide > 72) {
        width = wide + 321;
        Label3->setGeometry(304, Label3->y(), wide, Label3->height());
        Label5->setGeometry(304, Label5->y(), wide, Label5->height());
        Button2->move(wide + 151, Button2->y());
        Button1->move(wide + 234, Button1->y());
    } else {
        Label3->setGeometry(376 - 72, Label3->y(), 72, Label3->height());
        Label5->setGeometry(376 - 72, Label5->y(), 72, Label5->height());
        Button2->move(223, Button2->y());
        Button1->move(306, Button1->y());
    }
    setFixedWidth(width);
    Panel1->resize(width, Panel1->height());
    Panel2->resize(width, Panel2->height());
}

void TdlgBackup::DriveComboBox1Change() {
    DirectoryListBox1->clear();
    const QString root = DriveComboBox1->currentData().toString();
    // A folder-mode drive moves the tree to its root and reads it again.
    if (!root.startsWith(QLatin1Char('/')) || !tree_->setDirectory(root)) evaluateDrive(true);
    layOut();
}

void TdlgBackup::DirectoryListBox1Change() {
    const QString dir = directory();
    Label9->setText((dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/')) +
                    backup::kBackupFolder);
    if (isVisible() || !BackupFiles.entries().empty()) {
        evaluateDrive(true);
        layOut();
    }
}

void TdlgBackup::Button1Click() {
    reject();
}

void TdlgBackup::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    DriveComboBox1->setEnabled(!busy);
    DirectoryListBox1->setEnabled(!busy);
    Button1->setEnabled(!busy);
    Button2->setEnabled(!busy);
}

void TdlgBackup::Button2Click() {
    auto& s = app::State();
    if (s.InventoryModified) {
        ui::Win().dlgSaveBeforeBackup->Execute();
        if (s.DialogCancelled) return;
        // The save may have added a table: the list is made again from what is now saved.
        BackupFiles.clear();
        s.ADOQuery2.close();
        backup::CollectBackupFiles(s.ADOQuery2, s.programFolder, BackupFiles);
    }
    if (ToDisc)
        discBackup();
    else
        folderBackup();
}

void TdlgBackup::discBackup() {
    auto& s = app::State();
    s.ADOQuery2.close();
    setBusy(true);
    disc_ = std::make_unique<backup::DiscBackup>(DiscWriter1, s.programFolder);
    const backup::DiscBackupReport report = disc_->start(BackupFiles);
    // Running: the dialog stays, its controls disabled, until the writer reports the end.
    if (report.started || report.ignored) return;
    closeAfterDisc(report);
}

void TdlgBackup::DiscWriter1WriteDone(bool writeFailed) {
    if (!disc_) return;
    const backup::DiscBackupReport report = disc_->finish(writeFailed);
    if (report.ignored) return;
    closeAfterDisc(report);
}

void TdlgBackup::closeAfterDisc(const backup::DiscBackupReport& report) {
    setBusy(false);
    app::State().DialogCancelled = false;
    if (report.failed)
        ui::Modal::message(kErrors, kErrorsCaption);
    else if (!report.unverified.isEmpty())
        ui::Modal::message(backup::VerificationMessage(report.unverified),
                           QStringLiteral("Backup Not Valid"));
    accept();
}

void TdlgBackup::folderBackup() {
    auto& s = app::State();
    const QString dir = directory();
    const QString folder =
        (dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/')) + backup::kBackupFolder;
    backup::FolderBackupOptions options;
    if (QFileInfo(folder).isDir()) {
        ui::Win().dlgBackupExists->Execute();
        if (s.DialogCancelled) return;
        options.keepOldPictures = ui::Win().dlgBackupExists->keepOldPictures();
    }
    try {
        backup::PrepareBackupFolder(folder);
    } catch (const backup::BackupError& e) {
        ui::Modal::message(QString::fromUtf8(e.what()), QStringLiteral("Error"));
        return;
    }
    s.ADOQuery2.close();
    setBusy(true);
    backup::FolderBackupReport report;
    try {
        report = backup::BackUpToFolder(BackupFiles, folder, options);
    } catch (...) {
        setBusy(false);
        throw;
    }
    setBusy(false);
    s.DialogCancelled = false;
    if (!report.failed.isEmpty())
        ui::Modal::message(kErrors, kErrorsCaption);
    else if (!report.unverified.isEmpty())
        ui::Modal::message(backup::VerificationMessage(report.unverified),
                           QStringLiteral("Backup Not Valid"));
    accept();
}
