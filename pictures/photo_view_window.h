#pragma once

#include <QDialog>

// Created once at start-up and reused for the whole run.
class TfrmPhotoView : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPhotoView(QWidget* parent = nullptr);
};
