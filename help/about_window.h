#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box, shown modally from the Help menu. Created once at start-up and reused.
class TfrmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* lblVersion;
    QLabel* lblEula;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Button1;

    void Button1Click();
    // Shows the licence text in the help window; the about box stays open.
    void lblEulaClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
