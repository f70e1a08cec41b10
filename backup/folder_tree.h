#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;

// A drive list and the folder tree of the chosen drive, as the backup and restore dialogs show
// them: the way down from the volume's root to the current folder, then its subfolders. A double
// click (or Enter) on a line opens that folder; the label shows the current folder.
class FolderTree : public QObject {
    Q_OBJECT
  public:
    FolderTree(QComboBox* drives, QListWidget* folders, QLabel* label, QObject* parent);

    // The mounted volumes, sorted; extra entries (such as disc drives) follow them.
    void fillDrives(const QStringList& extra = {});
    // Shows a folder (no trailing '/' except for the root); false when it is no folder.
    bool setDirectory(const QString& path);
    QString directory() const { return directory_; }
    // The volume that holds a path.

    // Called after the directory changed through the tree or setDirectory.
    std::function<void()> onChange = [] {};

  private:
    void fillFolders();

    QComboBox* drives_;
    QListWidget* folders_;
    QLabel* label_;
    QString directory_;
    QStringList folderPaths_;
};
