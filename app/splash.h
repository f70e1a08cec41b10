#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The start-up picture: borderless, centred, closed by a one-shot timer after three seconds.
class TfrmSplash : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmSplash(const QString& programFolder, QWidget* parent = nullptr);
    QLabel* Image1;
    QTimer* Timer1;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Timer1Timer();
};
