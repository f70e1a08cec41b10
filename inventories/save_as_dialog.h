#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgSaveAs : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgSaveAs(QWidget* parent = nullptr);
};
