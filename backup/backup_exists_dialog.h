#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgBackupExists : public QDialog {
    Q_OBJECT
public:
    explicit TdlgBackupExists(QWidget* parent = nullptr);
};
