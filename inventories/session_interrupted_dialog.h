#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Offers to save the inventory a previous, interrupted run left behind. It closes only once
// that question is settled. Created once at start-up and reused for the whole run.
class TdlgSessionInterrupted : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgSessionInterrupted(QWidget* parent = nullptr);

    void Execute();
    void btnYesClick();
    void btnNoClick();
    // Escape answers "No".
    void reject() override;

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* btnYes;
    QPushButton* btnNo;
};
