#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// After an interrupted run: continue with its inventory, begin a new one or open a saved one.
// Created once at start-up and reused for the whole run.
class TdlgContinueSession : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgContinueSession(QWidget* parent = nullptr);

    void Execute();
    void btnContinueClick();
    void btnNewClick();
    void btnLoadClick();
    // Escape chooses to open a saved inventory.
    void reject() override;

    QLabel* Label1;
    QPushButton* btnContinue;
    QPushButton* btnNew;
    QPushButton* btnLoad;
};
