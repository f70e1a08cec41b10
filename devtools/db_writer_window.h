#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TQIVDBWriter : public QDialog {
    Q_OBJECT
public:
    explicit TQIVDBWriter(QWidget* parent = nullptr);
};
