#include "inventories/file_commands.h"

#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "inventories/continue_session_dialog.h"
#include "inventories/delete_dialog.h"
#include "inventories/inventory_store.h"
#include "inventories/load_dialog.h"
#include "inventories/save_as_dialog.h"
#include "inventories/save_this_session_dialog.h"
#include "inventories/session_interrupted_dialog.h"
#include "inventory/inventory_page.h"
#include "tabs/sub_inventory_tab.h"
#include "tabs/tab_set.h"

#include <QLabel>

namespace inventories {

namespace {

// A statement left open on the shared query would keep the tables a command replaces locked.
void releaseSharedQuery() {
    app::State().ADOQuery2.close();
}

// Clears what only makes sense for the inventory that was there before.
void forgetPendingEntry() {
    auto& s = app::State();
    s.CountValid = false;
    s.CostValid = false;
}

// The save question when there are unsaved changes; true when the command may go on.
bool mayReplaceWorkingInventory() {
    auto& s = app::State();
    if (s.InventoryModified)
        ui::Win().dlgSaveThisSession->Execute();
    else
        s.DialogCancelled = false;
    return !s.DialogCancelled;
}

} // namespace

HeaderWrite CurrentHeaderWrite() {
    const auto& s = app::State();
    HeaderWrite w;
    w.now = ChangeStamp::now();
    w.current = {s.SortKeys, s.Cost.level()};
    w.inventoryModified = s.InventoryModified;
    w.settingsChanged = s.SettingsChanged;
    return w;
}

bool HeaderWriteTakesTime(const HeaderWrite& write) {
    if (write.inventoryModified) return true;
    const bool wellFormed = ReadInventoryHeader(app::State().ADOQuery2).has_value();
    releaseSharedQuery();
    return !wellFormed;
}

void New1Click() {
    auto& s = app::State();
    if (mayReplaceWorkingInventory()) {
        s.Stamp = ChangeStamp::now();
        releaseSharedQuery();
        NewInventory(s.ADOConnection2, s.Stamp, {s.SortKeys, s.Cost.level()});
        s.IDCounter = 0;
        s.InventoryModified = false;
        s.SettingsChanged = false;
        forgetPendingEntry();
        s.Changes.announceReloaded();
        tabs::ResetAllEntryForms(tabs::RegisteredTabs());
    }
    s.Changes.announceNamed();
}

void LoadInventory1Click() {
    if (mayReplaceWorkingInventory()) ui::Win().dlgLoad->Execute();
    app::State().Changes.announceNamed();
}

void SaveInventory1Click() {
    auto& s = app::State();
    releaseSharedQuery();
    const HeaderWrite header = CurrentHeaderWrite();
    const bool stamped = HeaderWriteTakesTime(header);
    const SaveResult result = SaveInventory(s.ADOConnection2, header);
    if (result == SaveResult::Gone) {
        // Deleted while it was open: the entries are still here and can go under a name.
        const QString name = FromTableName(CurrentTableName(s.ADOQuery2));
        releaseSharedQuery();
        if (ui::Modal::question(QStringLiteral("The inventory named \"%1\" no longer exists.\n"
                                               "Do you want to save this inventory under a name?")
                                    .arg(name),
                                QStringLiteral("Save Inventory"),
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Yes) != QMessageBox::Yes)
            return;
    }
    if (result != SaveResult::Saved) {
        ui::Win().dlgSaveAs->Execute();
        s.Changes.announceNamed();
        return;
    }
    if (stamped) s.Stamp = header.now;
    s.InventoryModified = false;
    s.SettingsChanged = false;
}

void SaveInventoryAs1Click() {
    ui::Win().dlgSaveAs->Execute();
    app::State().Changes.announceNamed();
}

void DeleteInventory1Click() {
    ui::Win().dlgDelete->Execute();
}

void OpenInventory(const QString& displayName) {
    auto& s = app::State();
    // All or nothing: on failure the working inventory, its name and the recent list stay.
    releaseSharedQuery();
    inventories::OpenInventory(s.ADOConnection2, displayName);
    ReloadWorkingInventory();
    tabs::ResetAllEntryForms(tabs::RegisteredTabs());
    s.Changes.announceRecentList();
    s.Changes.announceNamed();
}

void ReloadWorkingInventory() {
    auto& s = app::State();
    const WorkingInventory w = ReadWorkingInventory(s.ADOQuery2);
    s.IDCounter = w.idCounter;
    s.InventoryModified = false;
    s.SettingsChanged = false;
    forgetPendingEntry();
    // A malformed header changes nothing: the run keeps its own stamp, sort and cost level.
    if (w.header) {
        s.Stamp = w.header->stamp;
        s.SortKeys = w.header->settings.sortKeys;
        s.Cost.set(w.header->settings.cost);
    }
    s.Changes.announceReloaded();
}

int CentredLeft(int pageWidth, int labelWidth) {
    return (pageWidth + 1) / 2 - (labelWidth - 1) / 2;
}

void ShowInventoryCaption(inventory::InventoryPage& page) {
    const InventoryTitles titles =
        TitlesFor(FromTableName(CurrentTableName(app::State().ADOQuery2)));
    QLabel* label = page.lblInventory;
    label->setText(titles.label);
    label->resize(label->sizeHint().width(), label->height());
    label->move(CentredLeft(page.width(), label->width()), label->y());
    page.window()->setWindowTitle(titles.caption);
}

void StartupCheck() {
    auto& s = app::State();
    if (StartSession(s.ADOQuery2)) {
        ui::Win().dlgSessionInterrupted->Execute();
        ui::Win().dlgContinueSession->Execute();
    }
    s.Changes.announceNamed();
}

bool ClosingSteps() {
    auto& s = app::State();
    if (s.InventoryModified) {
        ui::Win().dlgSaveThisSession->Execute();
        if (s.DialogCancelled) return false;
    }
    // Past the question the program ends whatever happens here: a failure leaves the marker,
    // and the next start offers the entries again instead of losing them.
    ui::Guarded([&] {
        releaseSharedQuery();
        CloseSession(s.ADOConnection2);
    });
    return true;
}

} // namespace inventories
