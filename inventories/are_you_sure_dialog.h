#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgAreYouSure : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgAreYouSure(QWidget* parent = nullptr);
};
