#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgIncorrectNumber : public QDialog {
    Q_OBJECT
public:
    explicit TdlgIncorrectNumber(QWidget* parent = nullptr);
};
