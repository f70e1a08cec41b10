#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgSessionInterrupted : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgSessionInterrupted(QWidget* parent = nullptr);
};
