#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Asks before a saved inventory is replaced. Created once at start-up and reused for the run.
class TdlgOverwriteInventory : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgOverwriteInventory(QWidget* parent = nullptr);

    // Shows the question modally; DialogCancelled is set after "No".
    void Execute();
    void OKBtnClick();
    void CancelBtnClick();
    void reject() override;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
