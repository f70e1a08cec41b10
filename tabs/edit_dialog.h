#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

// Changes the count, cost, photograph, notes and (for a typed name) the name of one entry.
// Created once at start-up and reused for the whole run.
class TdlgEdit : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgEdit(QWidget* parent = nullptr);

    // Shows the dialog modally for the entry numbered `editedId`.
    void Execute(int editedId);

    // Loads the entry EditedID into the controls; once for each showing.
    void FormActivate();
    void btnSaveClick();
    void btnCancelClick();
    void btnBrowseClick();
    void btnViewClick();
    void reject() override;

    int EditedID = 0;
    int EntryTab = 0;
    bool NameEdited = false;
    int PictureToReselect = 0;

    QLabel* lblEntry;
    QLabel* lblID;
    QLabel* lblCategory;
    QLabel* lblName;
    QLineEdit* edtName;
    QLabel* lblNumber;
    QLabel* lblAt;
    QLabel* lblCost;
    QLabel* lblEach;
    QLabel* lblNewNumber;
    QLineEdit* edtNumber;
    QLabel* lblNewCost;
    QComboBox* comValue;
    QLabel* lblPhoto;
    QLineEdit* edtPhoto;
    QPushButton* btnBrowse;
    QLabel* lblNotes;
    QTextEdit* rchNotes;
    QPushButton* btnView;
    QPushButton* btnSave;
    QPushButton* btnCancel;

  private:
    void placeCostLine();
    void emptyNewValues();
};
