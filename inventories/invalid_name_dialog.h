#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgInvalidName : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgInvalidName(QWidget* parent = nullptr);
};
