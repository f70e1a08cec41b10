#pragma once

#include <QString>
#include <QStringList>

class QListWidget;

namespace ui {

// The root of the mounted volume that holds `path`.
QString VolumeOf(const QString& path);

// Fills a folder list as the drive dialogs show it: the way down from the volume's root to
// `directory`, indented a step per level, then the folder's own subfolders; `directory` is the
// current row. `paths` gets each row's folder.
void FillFolderList(QListWidget& list, const QString& directory, QStringList& paths);

} // namespace ui
