#include "backup/folder_tree.h"

#include "ui/guard.h"

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

QString FolderTree::volumeOf(const QString& path) {
    return QStorageInfo(path).rootPath();
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
    const QString volume = volumeOf(directory_);
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
    folders_->clear();
    folderPaths_.clear();
    const QString volume = QDir::cleanPath(volumeOf(directory_));
    QStringList chain;
    for (QString p = directory_;; p = QFileInfo(p).path()) {
        chain.prepend(p);
        if (p == volume || p == QLatin1String("/") || QFileInfo(p).path() == p) break;
    }
    int depth = 0;
    for (const QString& p : chain) {
        folders_->addItem(QString(depth * 2, QLatin1Char(' ')) +
                          (depth == 0 ? p : QFileInfo(p).fileName()));
        folderPaths_ << p;
        ++depth;
    }
    const int current = folders_->count() - 1;
    for (const QString& s :
         QDir(directory_)
             .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        folders_->addItem(QString(depth * 2, QLatin1Char(' ')) + s);
        folderPaths_ << (directory_.endsWith(QLatin1Char('/')) ? directory_ + s
                                                               : directory_ + QLatin1Char('/') + s);
    }
    folders_->setCurrentRow(current);
}
