#include "pictures/photograph_dialog.h"

#include "app/common/app_state.h"
#include "app/common/guard.h"
#include "app/common/modal.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pictures {
QString& PhotoPath() {
    static QString path;
    return path;
}
} // namespace pictures

TdlgPhotograph::TdlgPhotograph(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgPhotograph"));
    setWindowTitle(QStringLiteral("Select a Photograph"));

    edtFileName = new QLineEdit(this);
    edtFileName->setObjectName(QStringLiteral("edtFileName"));
    edtFileName->setAccessibleName(QStringLiteral("File name"));
    edtFileName->setMinimumWidth(360);
    btnFind = new QPushButton(QStringLiteral("Find ..."), this);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* row = new QHBoxLayout;
    row->addWidget(edtFileName);
    row->addWidget(btnFind);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    ui::ConnectGuarded(btnFind, &QPushButton::clicked, this, [this] {
        const QString start = QFileInfo(edtFileName->text()).absolutePath();
        const QString file =
            ui::Modal::openFileName(this, QStringLiteral("Select a Photograph"), start,
                                    QStringLiteral("Photographs (*.jpg *.jpeg)"));
        if (!file.isEmpty()) edtFileName->setText(file);
    });
    ui::ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] {
        pictures::PhotoPath() = edtFileName->text();
        app::State().DialogCancelled = false;
        accept();
    });
    ui::ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] {
        app::State().DialogCancelled = true;
        reject();
    });
}

void TdlgPhotograph::Execute() {
    edtFileName->setText(pictures::PhotoPath());
    app::State().DialogCancelled = true;
    ui::Modal::exec(*this);
}
