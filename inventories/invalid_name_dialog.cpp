#include "inventories/invalid_name_dialog.h"

#include "ui/modal.h"
#include "inventories/dialog_parts.h"

TdlgInvalidName::TdlgInvalidName(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgInvalidName"));
    setWindowTitle(QStringLiteral(""));
    setFixedSize(185, 97);

    using inventories::parts::Label;
    Label1 = Label(this, "Label1", QStringLiteral("Please type in a name"), 24, 8);
    Label2 = Label(this, "Label2", QStringLiteral("for this inventory"), 24, 24);
    OKBtn = inventories::parts::Button(this, "OKBtn", QStringLiteral("&OK"), 55, 56);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TdlgInvalidName::Execute() {
    ui::Modal::exec(*this);
}
