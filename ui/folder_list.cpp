#include "ui/folder_list.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QStorageInfo>

namespace ui {

QString VolumeOf(const QString& path) {
    return QStorageInfo(path).rootPath();
}

void FillFolderList(QListWidget& list, const QString& directory, QStringList& paths) {
    list.clear();
    paths.clear();
    const QString volume = QDir::cleanPath(VolumeOf(directory));
    QStringList chain;
    for (QString p = directory;; p = QFileInfo(p).path()) {
        chain.prepend(p);
        if (p == volume || p == QLatin1String("/") || QFileInfo(p).path() == p) break;
    }
    int depth = 0;
    for (const QString& p : chain) {
        list.addItem(QString(depth * 2, QLatin1Char(' ')) +
                     (depth == 0 ? p : QFileInfo(p).fileName()));
        paths << p;
        ++depth;
    }
    const int current = list.count() - 1;
    const QString base =
        directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
    for (const QString& s : QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                      QDir::Name | QDir::IgnoreCase)) {
        list.addItem(QString(depth * 2, QLatin1Char(' ')) + s);
        paths << base + s;
    }
    list.setCurrentRow(current);
}

} // namespace ui
