#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

// Asks before a backup goes into a folder that already holds one. Created once and reused;
// DialogCancelled tells the answer.
class TdlgBackupExists : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgBackupExists(QWidget* parent = nullptr);

    void Execute();
    void Button2Click(); // Continue
    void Button1Click(); // Cancel
    void reject() override;
    // "Do not overwrite old pictures" is chosen.
    bool keepOldPictures() const;

    QLabel* Label1;
    QLabel* Label2;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QPushButton* Button2;
    QPushButton* Button1;
};
