#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgSaveBeforeBackup : public QDialog {
    Q_OBJECT
public:
    explicit TdlgSaveBeforeBackup(QWidget* parent = nullptr);
};
