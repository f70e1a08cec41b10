#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace pictures {
// The path the Browse buttons hand to the photograph picker and take back from it.
QString& PhotoPath();
} // namespace pictures

// Created once at start-up and reused for the whole run.
class TdlgPhotograph : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgPhotograph(QWidget* parent = nullptr);

    // Shows the picker for PhotoPath(); on OK the chosen file becomes PhotoPath().
    void Execute();

    QLineEdit* edtFileName;
    QPushButton* btnFind;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
