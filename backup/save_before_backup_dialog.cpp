#include "backup/save_before_backup_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "inventories/dialog_parts.h"
#include "inventories/file_commands.h"
#include "inventories/inventory_store.h"
#include "inventories/save_as_dialog.h"

TdlgSaveBeforeBackup::TdlgSaveBeforeBackup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSaveBeforeBackup"));
    setWindowTitle(QStringLiteral("Unsaved Inventory"));
    inventories::parts::QuestionFrame(this);
    setFixedSize(289, 97);
    Label1 = inventories::parts::Label(
        this, "Label1", QStringLiteral("You must save this inventory before backing up."), 16, 16);
    using inventories::parts::Button;
    Button3 = Button(this, "Button3", QStringLiteral("&Save"), 8, 56);
    Button3->setDefault(true);
    Button2 = Button(this, "Button2", QStringLiteral("Save &As ..."), 104, 56);
    Button1 = Button(this, "Button1", QStringLiteral("&Cancel"), 200, 56);
    ui::ConnectGuarded(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TdlgSaveBeforeBackup::Execute() {
    app::State().DialogCancelled = true;
    ui::Modal::exec(*this);
}

void TdlgSaveBeforeBackup::Button3Click() {
    auto& s = app::State();
    s.ADOQuery2.close();
    // The same save as the File menu's Save; an inventory without a name is saved under one.
    if (inventories::SaveInventory(s.ADOConnection2, inventories::CurrentHeaderWrite()) ==
        inventories::SaveResult::NeedsName) {
        Button2Click();
        return;
    }
    s.InventoryModified = false;
    s.SettingsChanged = false;
    s.DialogCancelled = false;
    accept();
}

void TdlgSaveBeforeBackup::Button2Click() {
    auto& s = app::State();
    s.DialogCancelled = false;
    ui::Win().dlgSaveAs->Execute();
    app::State().Changes.announceNamed();
    // A cancelled Save As leaves this question open for another choice.
    if (!s.DialogCancelled) accept();
}

void TdlgSaveBeforeBackup::Button1Click() {
    app::State().DialogCancelled = true;
    QDialog::reject();
}

void TdlgSaveBeforeBackup::reject() {
    Button1Click();
}
