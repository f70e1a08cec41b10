#pragma once

#include "backup/core/backup_core.h"
#include "backup/core/disc_backup.h"
#include "burner/dwdiscwriter.h"

#include <memory>

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class FolderTree;

// Backs the user database and every picture of every inventory up into a QIVBackup folder.
// Created once at start-up and reused; every showing collects the files again.
class TdlgBackup : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgBackup(QWidget* parent = nullptr);

    void Execute();
    void FormCreate();
    void FormShow();
    void FormClose();
    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void Button2Click(); // OK
    void Button1Click(); // Cancel
    // The end of a disc backup's burn, on the user-interface thread.
    void DiscWriter1WriteDone(bool writeFailed);
    // The drive list again: mounted volumes, then the disc writer's drives by name.
    void fillDrives();

    // The folder the tree shows; the backup goes into its QIVBackup folder.
    QString directory() const;
    bool setDirectory(const QString& path);

    const backup::BackupFiles& files() const { return BackupFiles; }
    qint64 spaceNeeded() const { return SpaceNeeded; }
    bool toDisc() const { return ToDisc; }

    QFrame* Panel1;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QFrame* Panel2;
    QLabel* Label1;
    QComboBox* DriveComboBox1;
    QListWidget* DirectoryListBox1;
    QLabel* Label9;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QPushButton* Button2;
    QPushButton* Button1;
    dw::TDiscWriter DiscWriter1;

  private:
    void evaluateDrive(bool afterDriveChange);
    void layOut();
    void setBusy(bool busy);
    void folderBackup();
    void discBackup();
    void closeAfterDisc(const backup::DiscBackupReport& report);

    FolderTree* tree_;
    backup::BackupFiles BackupFiles;
    qint64 SpaceNeeded = 0;
    qint64 SpaceFree = 0;
    qint64 DriveSize = 0;
    bool ToDisc = false;
    bool DuplicateNames = false;
    std::unique_ptr<backup::DiscBackup> disc_;
};
