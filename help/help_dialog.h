#pragma once

#include <QDialog>

class QPushButton;
class QTextEdit;

// The help window: one topic of Help_Text, or the licence text, shown without blocking the main
// window. Created once at start-up and reused for the whole run.
class TdlgHelp : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgHelp(QWidget* parent = nullptr);

    QTextEdit* rchHelpText;
    QPushButton* Button1; // OK
    QPushButton* Button2; // Print

    int Topic = 0;
    bool LicenceMode = false;

    // Shows topic `topic` at the anchor window's corner + 8, or brings the window to the front.
    void ShowTopic(int topic, QWidget* anchor);
    // Reloads the shown text: every activation, so a changed topic or mode takes effect.
    void FormActivate();
    void FormResize();
    void Button1Click();
    void Button2Click();

  protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // A load that failed on activation is not retried by the next activation: closing its error
    // box activates the window again, which would fail again, without end.
    bool activationLoadFailed_ = false;
};
