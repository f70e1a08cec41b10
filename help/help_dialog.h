#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgHelp : public QDialog {
    Q_OBJECT
public:
    explicit TdlgHelp(QWidget* parent = nullptr);
};
