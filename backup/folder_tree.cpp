#include "backup/folder_tree.h"

#include "ui/guard.h"
#include "ui/folder_list.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QStorageInfo>

FolderTree::FolderTree(QComboBox* drives, QListWidget* folders, QLabel* label, QObject* parent)
    : QObject(parent), drives_(drives), folders_(folders), label_(label) {
    ui::ConnectGuarded(folders_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = folders_->row(item);
        if (row >= 0 && row < folderPaths_.size()) setDirectory(folderPaths_[row]);
    });
}

void FolderTree::fillDrives(const QStringList& extra) {
    drives_->clear();
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady() && !roots.contains(v.rootPath())) roots << v.rootPath();
    roots.sort();
    for (const QString& r : roots)
        drives_->addItem(r, r);
    for (const QString& e : extra)
        drives_->addItem(e, e);
}

bool FolderTree::setDirectory(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir()) return false;
    directory_ = QDir::cleanPath(info.absoluteFilePath());
    const QString volume = ui::VolumeOf(directory_);
    int drive = drives_->findData(volume);
    if (drive < 0) {
        drives_->addItem(volume, volume);
        drive = drives_->count() - 1;
    }
    drives_->setCurrentIndex(drive);
    fillFolders();
    if (label_) label_->setText(directory_);
    onChange();
    return true;
}

void FolderTree::fillFolders() {
    ui::FillFolderList(*folders_, directory_, folderPaths_);
}
