#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Saves the working inventory under a name typed or picked from the saved ones. Created once at
// start-up and reused for the whole run.
class TdlgSaveAs : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgSaveAs(QWidget* parent = nullptr);

    // Prepares the list and the proposed name, then shows the dialog modally; DialogCancelled
    // tells whether the inventory was saved.
    void Execute();
    void FormActivate();
    void ListBox1Click();
    void Edit1Change();
    void OKBtnClick();
    void CancelBtnClick();
    // Escape and the title bar's close button cancel.
    void reject() override;

    QListWidget* ListBox1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
