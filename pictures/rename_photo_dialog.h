#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TdlgRenamePhoto : public QDialog {
    Q_OBJECT
public:
    explicit TdlgRenamePhoto(QWidget* parent = nullptr);
};
