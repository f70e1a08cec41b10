#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Shown before a backup of an inventory with unsaved changes: save it, save it under a name, or
// give up the backup (DialogCancelled). Created once and reused.
class TdlgSaveBeforeBackup : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgSaveBeforeBackup(QWidget* parent = nullptr);

    void Execute();
    void Button3Click(); // Save
    void Button2Click(); // Save As
    void Button1Click(); // Cancel
    void reject() override;

    QLabel* Label1;
    QPushButton* Button3;
    QPushButton* Button2;
    QPushButton* Button1;
};
