#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

// Chooses a saved inventory to open. Created once at start-up and reused for the whole run.
class TdlgLoad : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgLoad(QWidget* parent = nullptr);

    // Fills the list, then shows the dialog modally; DialogCancelled tells the outcome.
    void Execute();
    void FormShow();
    void OKBtnClick();
    void CancelBtnClick();
    // Escape and the title bar's close button cancel.
    void reject() override;

    QListWidget* ListBox1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
