#include "inventories/load_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "inventories/dialog_parts.h"
#include "inventories/file_commands.h"
#include "inventories/inventory_store.h"

#include <QListWidget>

TdlgLoad::TdlgLoad(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgLoad"));
    setWindowTitle(QStringLiteral("Open Inventory"));
    setFixedSize(281, 241);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Inventories"));
    ListBox1->setGeometry(8, 8, 265, 185);
    OKBtn =
        inventories::parts::Button(this, "OKBtn", QStringLiteral("&Open Inventory"), 8, 205, 110);
    OKBtn->setDefault(true);
    CancelBtn = inventories::parts::Button(this, "CancelBtn", QStringLiteral("&Cancel"), 198, 205);

    ui::ConnectGuarded(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    ui::ConnectGuarded(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { OKBtnClick(); });
    ui::ConnectGuarded(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

void TdlgLoad::Execute() {
    FormShow();
    // Until a button says otherwise the answer is the safe one: nothing done.
    app::State().DialogCancelled = true;
    ui::Modal::exec(*this);
}

void TdlgLoad::FormShow() {
    ListBox1->clear();
    ListBox1->addItems(inventories::SavedInventories(app::State().ADOQuery2));
}

void TdlgLoad::OKBtnClick() {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty()) {
        ui::Modal::message(QStringLiteral("Select an inventory to open."), QString());
        return;
    }
    // A failure leaves the working inventory as it was and this dialog open for another choice.
    inventories::OpenInventory(chosen.first()->text());
    ListBox1->clearSelection();
    app::State().DialogCancelled = false;
    accept();
}

void TdlgLoad::CancelBtnClick() {
    app::State().DialogCancelled = true;
    ListBox1->clearSelection();
    QDialog::reject();
}

void TdlgLoad::reject() {
    CancelBtnClick();
}
