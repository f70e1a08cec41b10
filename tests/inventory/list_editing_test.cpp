// Editing the master listing: Edit/View, Remove and the two moves, and what they keep in step.
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "inventory/inventory_page.h"
#include "tabs/edit_dialog.h"
#include "tabs/sub_inventory_tab.h"
#include "tests/inventory/entries.h"
#include "tests/support/app_session.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Session : AppSession {
    // The changes announced to the other windows (the pictures follow these).
    QStringList announced;
    QObject listener;

    Session() {
        const auto* changes = &app::State().Changes;
        using entries::InventoryChanges;
        QObject::connect(
            changes, &InventoryChanges::entriesSwapped, &listener, [this](int n, int other) {
                announced << "swap " + QString::number(n) + " " + QString::number(other);
            });
        QObject::connect(changes, &InventoryChanges::entryRemoved, &listener,
                         [this](int n) { announced << "removed " + QString::number(n); });
        QObject::connect(changes, &InventoryChanges::inventoryReloaded, &listener,
                         [this] { announced << "reloaded"; });
        AddEntry(1, "Kitchen", "Cookware", "Pan", 2, "45.5");
        AddEntry(2, "Art", "Clocks", "Wall clock", 1, "10");
        AddEntry(3, "Tools", "Power", "Drill", 1, "1241");
        page().FillInventoryList(0);
    }
    inventory::InventoryPage& page() { return *ui::Win().frmMain->tabInventory; }
    // Item names by ID_Number, header row excluded.
    QStringList itemsById() {
        QStringList out;
        auto& q = app::State().ADOQuery2;
        q.open({"SELECT Item_Name FROM Inventory WHERE ID_Number > 0 ORDER BY ID_Number"});
        while (!q.eof()) {
            out << q.text(0);
            q.next();
        }
        return out;
    }
    void select(int id) {
        const QStringList lines = page().lstInventory->lines();
        for (int row = 0; row < lines.size(); ++row)
            if (lines[row].left(6).trimmed() == QString::number(id)) {
                page().lstInventory->setCurrentRow(row);
                return;
            }
        FAIL() << "no line of entry " << id;
    }
    QString selectedLine() { return page().lstInventory->line(page().lstInventory->currentRow()); }
};

const QStringList kStart{"Pan", "Wall clock", "Drill"};

} // namespace

TEST(ListEditing, NothingHappensWithoutAnEntryToActOn) {
    Session s;
    auto& page = s.page();
    for (int row : {-1, page.lstInventory->count() - 1}) { // nothing, then the total line
        page.lstInventory->setCurrentRow(row);
        for (QPushButton* b : {page.btnEdit, page.btnRemove, page.btnMoveUp, page.btnMoveDown})
            b->click();
    }
    s.select(1);
    page.btnMoveUp->click();
    s.select(3);
    page.btnMoveDown->click();
    EXPECT_EQ(s.itemsById(), kStart);
    EXPECT_FALSE(app::State().InventoryModified);
    EXPECT_TRUE(s.modal.dialogsShown.isEmpty());
    EXPECT_TRUE(s.announced.isEmpty());
}

TEST(ListEditing, MovesSwapNumbersAndKeepTheEntrySelected) {
    Session s;
    s.select(3);
    s.page().btnMoveUp->click();
    EXPECT_EQ(s.itemsById(), (QStringList{"Pan", "Drill", "Wall clock"}));
    EXPECT_TRUE(s.selectedLine().startsWith("2     Tools"));
    EXPECT_TRUE(app::State().InventoryModified);
    EXPECT_EQ(s.userValue("SELECT COUNT(*) FROM Inventory WHERE ID_Number = 4"), 0);

    // The moves follow the numbers, not the screen: with ID descending "up" goes down the list.
    s.page().btnInventoryID->click();
    EXPECT_EQ(app::State().SortKeys[0], -1);
    s.select(2);
    s.page().btnMoveUp->click();
    EXPECT_EQ(s.itemsById(), (QStringList{"Drill", "Pan", "Wall clock"}));
    EXPECT_EQ(s.page().lstInventory->currentRow(), 2);
    EXPECT_TRUE(s.selectedLine().startsWith("1     Tools"));

    s.page().btnMoveDown->click();
    EXPECT_EQ(s.itemsById(), (QStringList{"Pan", "Drill", "Wall clock"}));
    EXPECT_TRUE(s.selectedLine().startsWith("2     Tools"));
    EXPECT_EQ(s.announced, (QStringList{"swap 3 2", "swap 2 1", "swap 1 2"}));
    EXPECT_EQ(s.userValue("SELECT COUNT(*) FROM Inventory WHERE ID_Number = 0"), 1);
}

TEST(ListEditing, AFailingSwapChangesNothing) {
    Session s;
    // The last of the three statements fails: the entry must not stay on the spare number.
    app::State().ADOQuery2.execute(
        {"CREATE TRIGGER refuse BEFORE UPDATE ON Inventory WHEN OLD.ID_Number = 4",
         "BEGIN SELECT RAISE(ABORT, 'entry locked'); END"});
    s.select(3);
    s.page().btnMoveUp->click();
    ASSERT_FALSE(s.modal.messages.empty());
    EXPECT_EQ(s.modal.messages.back().caption, "Error");
    EXPECT_TRUE(s.modal.lastMessage().contains("entry locked"));
    EXPECT_EQ(s.itemsById(), kStart);
    EXPECT_FALSE(app::State().InventoryModified);
    EXPECT_TRUE(s.announced.isEmpty());
}

TEST(ListEditing, RemoveRenumbersTheLaterEntries) {
    Session s;
    s.select(2);
    s.page().btnRemove->click();
    EXPECT_EQ(s.itemsById(), (QStringList{"Pan", "Drill"}));
    EXPECT_EQ(s.userValue("SELECT MAX(ID_Number) FROM Inventory"), 2);
    EXPECT_EQ(s.userValue("SELECT COUNT(*) FROM Inventory WHERE ID_Number = 0"), 1);
    EXPECT_EQ(app::State().IDCounter, 2);
    EXPECT_EQ(s.page().lstInventory->count(), 3);
    EXPECT_TRUE(s.page().lstInventory->line(1).startsWith("2     Tools"));
    EXPECT_EQ(s.page().lstInventory->currentRow(), -1);
    EXPECT_TRUE(app::State().InventoryModified);
    EXPECT_EQ(s.announced, (QStringList{"removed 2"}));
    // The sub-inventory tabs show the new numbers the next time they are listed.
    // (The test entries all carry sub-inventory number 1.)
    tabs::SubInventoryTab* tab = tabs::TabOfSubInventory(1);
    tab->FillSubInventoryList();
    ASSERT_EQ(tab->lstInventory->count(), 3);
    EXPECT_TRUE(tab->lstInventory->line(1).startsWith("2 "));

    // Removing from a full inventory makes room for adding again.
    app::State().IDCounter = 99999;
    app::State().Changes.announceReloaded();
    ASSERT_FALSE(tab->btnAdd->isEnabled());
    s.select(2);
    s.page().btnRemove->click();
    EXPECT_TRUE(tab->btnAdd->isEnabled());
    app::State().IDCounter = 1;
    s.select(1);
    s.page().btnRemove->click();
    EXPECT_TRUE(s.itemsById().isEmpty());
    EXPECT_EQ(app::State().IDCounter, 0);
    EXPECT_EQ(s.page().lstInventory->lines(), QStringList{QString(53, ' ') + "Total Value: $0"});
}

TEST(ListEditing, EditOpensTheEditorOnTheSelectedEntry) {
    Session s;
    s.page().btnInventoryItem->click(); // Drill, Pan, Wall clock
    app::State().SettingsChanged = false;
    s.modal.onNextDialog([](QDialog& d) {
        ClickButton(d, "btnCancel");
        return static_cast<int>(QDialog::Rejected);
    });
    s.page().lstInventory->setCurrentRow(1);
    s.page().btnEdit->click();
    EXPECT_EQ(s.modal.dialogsShown, QStringList{"dlgEdit"});
    EXPECT_EQ(ui::Win().dlgEdit->EditedID, 1);
    EXPECT_EQ(ui::Win().dlgEdit->lblName->text(), "Pan");
    EXPECT_FALSE(app::State().InventoryModified);
    EXPECT_EQ(s.itemsById(), kStart);
}
