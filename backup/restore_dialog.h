#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgRestore : public QDialog {
    Q_OBJECT
public:
    explicit TdlgRestore(QWidget* parent = nullptr);
};
