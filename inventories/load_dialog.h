#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgLoad : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgLoad(QWidget* parent = nullptr);
};
