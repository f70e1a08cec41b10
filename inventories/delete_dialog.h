#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

// Chooses a saved inventory to delete, after a confirmation. Created once at start-up and reused.
class TdlgDelete : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgDelete(QWidget* parent = nullptr);

    void Execute();
    void FormShow();
    void ListBox1Click();
    void OKBtnClick();
    void CancelBtnClick();
    void reject() override;

    QListWidget* ListBox1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
