#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgPhotograph : public QDialog {
    Q_OBJECT
public:
    explicit TdlgPhotograph(QWidget* parent = nullptr);
};
