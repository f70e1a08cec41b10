#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Renames the photograph the viewer shows, on disk and in every inventory that uses it.
// Created once at start-up and reused for the whole run.
class TdlgRenamePhoto : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgRenamePhoto(QWidget* parent = nullptr);

    // Shows the dialog modally for the viewer's photograph.
    void Execute();

    void FormActivate();
    void edtNewNameChange();
    void btnOKClick();
    void btnCancelClick();

    QLabel* lblOldName1;
    QLabel* lblOldName2;
    QLabel* lblNewName;
    QLineEdit* edtNewName;
    QPushButton* btnOK;
    QPushButton* btnCancel;

  private:
    QString OldBase;
    QString OldExtension;
};
