#include "pictures/photograph_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "pictures/jpeg_decode.h"
#include "pictures/rendition_cache.h"
#include "ui/folder_list.h"
#include "ui/make_widget.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QStorageInfo>

namespace pictures {

QStringList FilterMasks(const QString& filter) {
    QStringList masks;
    for (const QString& m : filter.section(QLatin1Char('|'), 1).split(QLatin1Char(';')))
        if (!m.trimmed().isEmpty()) masks << m.trimmed();
    return masks;
}

QString JoinFolder(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool PreviewableName(const QString& name) {
    return (name.size() > 4 && name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive)) ||
           (name.size() > 5 && name.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive));
}

} // namespace pictures

namespace {

const QString kFilter = QStringLiteral(" Pictures (*.jpg; *.jpeg)|*.jpg; *.jpeg");

QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, 120, 16);
    l->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return l;
}

// The volume holding a path: the mounted volume with the longest root that contains it.

} // namespace

TdlgPhotograph::TdlgPhotograph(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgPhotograph"));
    setWindowTitle(QStringLiteral("Select a Photograph"));
    setFixedSize(425, 274);

    Edit1 = ui::MakeWidget<QLineEdit>(this, "Edit1", QRect(8, 24, 145, 21));
    FileListBox1 = ui::MakeWidget<QListWidget>(this, "FileListBox1", QRect(8, 48, 145, 161));
    FilterComboBox1 = ui::MakeWidget<QComboBox>(this, "FilterComboBox1", QRect(8, 236, 145, 21));
    DirectoryListBox1 =
        ui::MakeWidget<QListWidget>(this, "DirectoryListBox1", QRect(160, 24, 129, 185));
    DriveComboBox1 = ui::MakeWidget<QComboBox>(this, "DriveComboBox1", QRect(160, 236, 129, 21));
    Panel1 = ui::MakeWidget<QFrame>(this, "Panel1", QRect(296, 24, 129, 97));
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Image1 = ui::MakeWidget<QLabel>(Panel1, "Image1", QRect(1, 1, 127, 95));
    Image1->setScaledContents(true);
    Image1->setAccessibleName(QStringLiteral("Preview"));
    OKBtn = ui::MakeWidget<QPushButton>(this, "OKBtn", QRect(304, 196, 113, 25),
                                        QStringLiteral("&Select"));
    OKBtn->setDefault(true);
    OKBtn->setAccessibleName(QStringLiteral("Select"));
    CancelBtn = ui::MakeWidget<QPushButton>(this, "CancelBtn", QRect(304, 232, 113, 25),
                                            QStringLiteral("&Cancel"));
    CancelBtn->setAccessibleName(QStringLiteral("Cancel"));
    caption(this, QStringLiteral("File &Name:"), Edit1, 8, 6);
    caption(this, QStringLiteral("File &Type:"), FilterComboBox1, 8, 218);
    caption(this, QStringLiteral("&Folders:"), DirectoryListBox1, 160, 6);
    caption(this, QStringLiteral("&Drives:"), DriveComboBox1, 160, 218);

    ui::ConnectGuarded(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    ui::ConnectGuarded(FileListBox1, &QListWidget::currentTextChanged, this,
                       [this](const QString& name) {
                           if (!name.isEmpty()) Edit1->setText(name);
                       });
    ui::ConnectGuarded(DirectoryListBox1, &QListWidget::itemActivated, this,
                       [this](QListWidgetItem* item) {
                           const int row = DirectoryListBox1->row(item);
                           if (row >= 0 && row < folderPaths_.size())
                               setDirectory(folderPaths_[row]);
                       });
    ui::ConnectGuarded(DriveComboBox1, &QComboBox::activated, this, [this](int index) {
        setDirectory(DriveComboBox1->itemData(index).toString());
    });
    ui::ConnectGuarded(FilterComboBox1, &QComboBox::activated, this, [this] { fillFiles(); });
    ui::ConnectGuarded(OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    ui::ConnectGuarded(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    FormCreate();
}

void TdlgPhotograph::FormCreate() {
    FilterComboBox1->addItem(kFilter.section(QLatin1Char('|'), 0, 0), kFilter);
    Edit1->clear();
    fillDrives();
    setDirectory(QDir::homePath());
}

QString TdlgPhotograph::Execute(const QString& current) {
    chosen_ = current;
    app::State().DialogCancelled = true;
    if (ui::Modal::exec(*this) == QDialog::Accepted) {
        app::State().DialogCancelled = false;
        // The report and the tile will want its rendition: made now, away from the window.
        if (chosen_ != current)
            pictures::MakeRenditionsLater(app::State().programFolder, {chosen_});
    }
    return chosen_;
}

void TdlgPhotograph::fillDrives() {
    DriveComboBox1->clear();
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady() && !roots.contains(v.rootPath())) roots << v.rootPath();
    roots.sort();
    for (const QString& r : roots)
        DriveComboBox1->addItem(r, r);
}

void TdlgPhotograph::setDirectory(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir()) return;
    directory_ = QDir::cleanPath(info.absoluteFilePath());
    const QString volume = ui::VolumeOf(directory_);
    int drive = DriveComboBox1->findData(volume);
    if (drive < 0) {
        DriveComboBox1->addItem(volume, volume);
        drive = DriveComboBox1->count() - 1;
    }
    DriveComboBox1->setCurrentIndex(drive);
    fillFolders();
    fillFiles();
}

void TdlgPhotograph::fillFolders() {
    // The way down from the drive's root to the folder, then the folder's own subfolders.
    ui::FillFolderList(*DirectoryListBox1, directory_, folderPaths_);
}

void TdlgPhotograph::fillFiles() {
    FileListBox1->clear();
    // Masks match without regard to letter case: cameras write ".JPG".
    const QStringList masks = pictures::FilterMasks(FilterComboBox1->currentData().toString());
    QStringList names;
    for (const QString& n : QDir(directory_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (QDir::match(masks, n)) names << n;
    FileListBox1->addItems(names);
    FileListBox1->setCurrentRow(-1);
}

void TdlgPhotograph::Edit1Change() {
    if (DirectoryListBox1->currentRow() < 0) return;
    const QString name = Edit1->text();
    const QString path = pictures::JoinFolder(directory_, name);
    if (!pictures::PreviewableName(name)) return;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return;
    file.close();
    const pictures::Decoded d = pictures::DecodeJpegThumbnail(path);
    if (!d.image.isNull()) Image1->setPixmap(QPixmap::fromImage(d.image));
}

void TdlgPhotograph::OKBtnClick() {
    if (DirectoryListBox1->currentRow() < 0 || FileListBox1->currentRow() < 0) return;
    chosen_ = pictures::JoinFolder(directory_, Edit1->text());
}
