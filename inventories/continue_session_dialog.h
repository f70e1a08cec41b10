#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgContinueSession : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgContinueSession(QWidget* parent = nullptr);
};
