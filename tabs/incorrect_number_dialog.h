#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// Tells the user which number was refused: 0 the count, 1 the cost, 2 the total value.
// Created once at start-up and reused for the whole run.
class TdlgIncorrectNumber : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgIncorrectNumber(QWidget* parent = nullptr);

    int Mode = 0;
    // Sets the texts for Mode and lays the dialog out around them.
    void FormShow();
    // Sets Mode and shows the dialog modally.
    void Execute(int mode);

    QFrame* pnlMessage;
    QLabel* lblMessage1;
    QLabel* lblMessage2;
    QLabel* lblRule;
    QPushButton* btnOK;
};
