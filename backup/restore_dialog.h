#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class FolderTree;

// Restores a QIVBackup folder over the user's inventories and pictures. Created once at
// start-up; it keeps its drive and folder between showings.
class TdlgRestore : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgRestore(QWidget* parent = nullptr);

    void Execute();
    void Button2Click(); // OK
    void Button1Click(); // Cancel

    QString directory() const;
    bool setDirectory(const QString& path);

    QLabel* Label1;
    QComboBox* DriveComboBox1;
    QListWidget* DirectoryListBox1;
    QLabel* Label9;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label2;
    QPushButton* Button2;
    QPushButton* Button1;

  private:
    FolderTree* tree_;
};
