#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Asks whether to save a modified inventory before it is replaced or the program ends; the
// caller goes on only when DialogCancelled is clear afterwards. Created once and reused.
class TdlgSaveThisSession : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgSaveThisSession(QWidget* parent = nullptr);

    void Execute();
    void btnYesClick();
    void btnNoClick();
    void btnCancelClick();
    // Escape cancels.
    void reject() override;

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* btnYes;
    QPushButton* btnNo;
    QPushButton* btnCancel;
};
