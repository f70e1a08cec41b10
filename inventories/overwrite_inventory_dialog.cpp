#include "inventories/overwrite_inventory_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "inventories/dialog_parts.h"

TdlgOverwriteInventory::TdlgOverwriteInventory(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgOverwriteInventory"));
    setWindowTitle(QStringLiteral(""));
    inventories::parts::QuestionFrame(this);
    setFixedSize(201, 113);

    using inventories::parts::Label;
    Label1 = Label(this, "Label1", QStringLiteral("An inventory by this name"), 16, 8);
    Label2 = Label(this, "Label2", QStringLiteral("allready exists.  Would you"), 16, 24);
    Label3 = Label(this, "Label3", QStringLiteral("like to replace it?"), 16, 40);
    OKBtn = inventories::parts::Button(this, "OKBtn", QStringLiteral("&Yes"), 16, 72);
    OKBtn->setDefault(true);
    CancelBtn = inventories::parts::Button(this, "CancelBtn", QStringLiteral("&No"), 108, 72);

    ui::ConnectGuarded(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    ui::ConnectGuarded(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

void TdlgOverwriteInventory::Execute() {
    // Until a button says otherwise the answer is the safe one: nothing done.
    app::State().DialogCancelled = true;
    ui::Modal::exec(*this);
}

void TdlgOverwriteInventory::OKBtnClick() {
    app::State().DialogCancelled = false;
    accept();
}

void TdlgOverwriteInventory::CancelBtnClick() {
    app::State().DialogCancelled = true;
    QDialog::reject();
}

void TdlgOverwriteInventory::reject() {
    CancelBtnClick();
}
