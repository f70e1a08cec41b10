#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TfrmIndex : public QDialog {
    Q_OBJECT
public:
    explicit TfrmIndex(QWidget* parent = nullptr);
};
