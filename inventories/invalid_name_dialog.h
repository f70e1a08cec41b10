#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Tells the user that an inventory needs a name. Created once at start-up and reused.
class TdlgInvalidName : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgInvalidName(QWidget* parent = nullptr);

    void Execute();

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* OKBtn;
};
