#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgDelete : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgDelete(QWidget* parent = nullptr);
};
