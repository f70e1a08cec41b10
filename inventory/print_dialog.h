#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgQIVPrint : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgQIVPrint(QWidget* parent = nullptr);
};
