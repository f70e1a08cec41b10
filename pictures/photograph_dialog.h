#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QFrame;
class QPushButton;

namespace pictures {

// The file masks of a filter text "description|mask; mask".
QStringList FilterMasks(const QString& filter);
// The folder path joined with a file name, with exactly one '/' between them.
QString JoinFolder(const QString& folder, const QString& name);
// True when the typed name may be previewed: longer than four characters and ending in ".jpg",
// or longer than five and ending in ".jpeg", in any letter case.
bool PreviewableName(const QString& name);
} // namespace pictures

// The photograph picker: drives, the folder tree of a drive, the photographs in a folder, and a
// preview. Created once at start-up and reused: drive, folder, name and preview persist.
class TdlgPhotograph : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgPhotograph(QWidget* parent = nullptr);

    // Shows the picker. Returns the chosen photograph's path, or `current` when none was chosen;
    // a newly chosen photograph's rendition is made in the background.
    QString Execute(const QString& current);

    void FormCreate();
    void Edit1Change();
    void OKBtnClick();

    // The chosen folder (no trailing '/' except for the root).
    QString directory() const { return directory_; }
    // Shows a folder: its drive, its place in the tree, its photographs.
    void setDirectory(const QString& path);

    QComboBox* DriveComboBox1;
    QListWidget* DirectoryListBox1;
    QListWidget* FileListBox1;
    QComboBox* FilterComboBox1;
    QLineEdit* Edit1;
    QFrame* Panel1;
    QLabel* Image1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

  private:
    void fillDrives();
    void fillFolders();
    void fillFiles();

    QString directory_;
    QString chosen_;          // what Execute returns
    QStringList folderPaths_; // the path of each line of the folder list
};
