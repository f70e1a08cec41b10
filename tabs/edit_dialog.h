#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgEdit : public QDialog {
    Q_OBJECT
public:
    explicit TdlgEdit(QWidget* parent = nullptr);
};
