#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};
