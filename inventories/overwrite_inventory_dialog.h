#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgOverwriteInventory : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgOverwriteInventory(QWidget* parent = nullptr);
};
