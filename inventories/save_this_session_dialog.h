#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgSaveThisSession : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgSaveThisSession(QWidget* parent = nullptr);
};
