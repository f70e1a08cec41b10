#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgBackup : public QDialog {
    Q_OBJECT
public:
    explicit TdlgBackup(QWidget* parent = nullptr);
};
