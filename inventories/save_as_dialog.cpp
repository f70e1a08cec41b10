#include "inventories/save_as_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "inventories/dialog_parts.h"
#include "inventories/file_commands.h"
#include "inventories/invalid_name_dialog.h"
#include "inventories/inventory_store.h"
#include "inventories/overwrite_inventory_dialog.h"

#include <QLineEdit>
#include <QListWidget>

TdlgSaveAs::TdlgSaveAs(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSaveAs"));
    setWindowTitle(QStringLiteral("Save Inventory"));
    setFixedSize(281, 241);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Inventories"));
    ListBox1->setGeometry(8, 8, 265, 150);
    Label1 = inventories::parts::Label(this, "Label1", QStringLiteral("Save As:"), 8, 172);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Save As:"));
    Edit1->setGeometry(64, 168, 209, 23);
    Label1->setBuddy(Edit1);
    OKBtn = inventories::parts::Button(this, "OKBtn", QStringLiteral("&OK"), 110, 205);
    OKBtn->setDefault(true);
    CancelBtn = inventories::parts::Button(this, "CancelBtn", QStringLiteral("&Cancel"), 198, 205);

    ui::ConnectGuarded(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    ui::ConnectGuarded(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { OKBtnClick(); });
    ui::ConnectGuarded(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    ui::ConnectGuarded(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    ui::ConnectGuarded(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

void TdlgSaveAs::Execute() {
    FormActivate();
    // Until a button says otherwise the answer is the safe one: nothing done.
    app::State().DialogCancelled = true;
    ui::Modal::exec(*this);
}

void TdlgSaveAs::FormActivate() {
    auto& q = app::State().ADOQuery2;
    ListBox1->clear();
    ListBox1->addItems(inventories::SavedInventories(q));
    Edit1->clear();
    // The open inventory's name is proposed, so confirming it leads to the replace question.
    Edit1->setText(inventories::FromTableName(inventories::CurrentTableName(q)));
    Edit1->setFocus();
}

void TdlgSaveAs::ListBox1Click() {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    if (!chosen.isEmpty()) Edit1->setText(chosen.first()->text());
}

void TdlgSaveAs::Edit1Change() {
    ListBox1->clearSelection();
}

void TdlgSaveAs::OKBtnClick() {
    using inventories::NameCheck;
    auto& s = app::State();
    const QString typed = Edit1->text();
    // Every refusal comes before anything is written, so a refused name leaves no trace.
    const inventories::SaveAsName name = inventories::CheckSaveAsName(s.ADOQuery2, typed);
    switch (name.check) {
    case NameCheck::Empty:
        ui::Win().dlgInvalidName->Execute();
        return;
    case NameCheck::TooLong:
    case NameCheck::Reserved:
    case NameCheck::Unusable:
        ui::Modal::message(inventories::NameRefusalMessage(name.check), QString());
        return;
    case NameCheck::Exists:
        s.DialogCancelled = false;
        ui::Win().dlgOverwriteInventory->Execute();
        if (s.DialogCancelled) return;
        break;
    case NameCheck::New:
        break;
    }
    s.ADOQuery2.close(); // an open statement would keep the tables locked
    const inventories::HeaderWrite header = inventories::CurrentHeaderWrite();
    const bool stamped = inventories::HeaderWriteTakesTime(header);
    const inventories::SaveAsResult result = inventories::SaveInventoryAs(
        s.ADOConnection2, typed, name.check == NameCheck::Exists, header);
    if (!result.saved) {
        // Only when the saved inventories changed between the question and the save.
        ui::Modal::message(QStringLiteral("The inventory was not saved. Please try again."),
                           QString());
        return;
    }
    if (stamped) s.Stamp = header.now;
    s.InventoryModified = false;
    s.SettingsChanged = false;
    s.DialogCancelled = false;
    ListBox1->clearSelection();
    app::State().Changes.announceRecentList();
    accept();
}

void TdlgSaveAs::CancelBtnClick() {
    app::State().DialogCancelled = true;
    ListBox1->clearSelection();
    QDialog::reject();
}

void TdlgSaveAs::reject() {
    CancelBtnClick();
}
