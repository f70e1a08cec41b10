// The sub-inventory pages are built when first shown, or from the event loop once the main window
// is on the screen; whenever that is, a page shows the inventory as it is then.
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "entries/entry_store.h"
#include "entries/listing_lines.h"
#include "entries/tab_table.h"
#include "inventories/file_commands.h"
#include "inventory/inventory_page.h"
#include "store/database.h"
#include "tabs/sub_inventory_tab.h"
#include "tests/support/app_session.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Session : AppSession {
    // Adds an entry to the tab with that sub-inventory number, as its Add button does.
    int add(int number, const QString& item, double cost = 10) {
        const entries::TabInfo& tab = entries::TabTable()[entries::PageOfSubInventory(number)];
        entries::NewEntry e;
        e.subInventory = tab.subInventoryText();
        e.subInventoryNumber = number;
        e.category = QStringLiteral("Other");
        e.categoryNumber = 1;
        e.item = item;
        e.itemNumber = -1;
        e.count = 1;
        e.cost = cost;
        app::State().Entries.add(e);
        return app::State().IDCounter;
    }
    // The entry numbers of a tab in the working inventory, in number order.
    QList<int> stored(int number) {
        auto& q = app::State().ADOQuery2;
        q.open({QStringLiteral("SELECT ID_Number FROM Inventory WHERE ID_Number > 0 AND "
                               "Sub_Inventory_Number = ") +
                    QString::number(number),
                QStringLiteral("ORDER BY ID_Number")});
        QList<int> ids;
        while (!q.eof()) {
            ids << int(q.integer(0));
            q.next();
        }
        q.close();
        return ids;
    }
    // The entry numbers a page lists, after checking that its last line is the total line.
    static QList<int> listed(const tabs::SubInventoryTab& tab) {
        QList<int> ids;
        const ui::LineList* list = tab.lstInventory;
        if (list->count() == 0) {
            ADD_FAILURE() << tab.info().key << ": no total line";
            return ids;
        }
        for (int row = 0; row + 1 < list->count(); ++row)
            ids << entries::ListingLineId(list->line(row)).value_or(-1);
        EXPECT_FALSE(entries::ListingLineId(list->line(list->count() - 1)).has_value())
            << tab.info().key;
        return ids;
    }
    int categories(const tabs::SubInventoryTab& tab) {
        auto& q = app::State().ADOQuery1;
        q.open({QStringLiteral("SELECT COUNT(*) FROM ") + tab.info().keyText() +
                QStringLiteral("_Main")});
        const int n = int(q.integer(0));
        q.close();
        return n;
    }
};

const int kArt = 1;

int NumberOfKey(const char* key) {
    return entries::TabTable()[entries::PageOfKey(QString::fromLatin1(key))].number;
}

} // namespace

TEST(DeferredPages, StartUpBuildsNoSubInventoryPageAndTheInventoryPageIsExact) {
    Session run;
    TfrmMain& main = run.main();
    for (const auto* tab : main.subTabs) {
        EXPECT_FALSE(tab->built()) << tab->info().key;
        EXPECT_EQ(tab->lstInventory, nullptr);
    }
    EXPECT_EQ(main.findChild<QListWidget*>(QStringLiteral("lstArt1")), nullptr);
    // Entries of pages that do not exist yet are all on the Inventory page, with their total.
    run.add(kArt, QStringLiteral("Clock"), 25);
    run.add(NumberOfKey("Kitchen"), QStringLiteral("Pan"), 12.5);
    run.add(NumberOfKey("Tools"), QStringLiteral("Saw"), 40);
    main.tabInventory->tabEnter();
    const ui::LineList* master = main.tabInventory->lstInventory;
    ASSERT_EQ(master->count(), 4);
    EXPECT_TRUE(master->line(3).contains(QStringLiteral("Total Value: $77.5")))
        << master->line(3).toStdString();
    for (const auto* tab : main.subTabs)
        EXPECT_FALSE(tab->built()) << tab->info().key;
    EXPECT_TRUE(run.modal.messages.empty()) << run.modal.lastMessage().toStdString();
}

TEST(DeferredPages, EachPageShowsTheEntriesAsTheyAreWhenItIsFirstShown) {
    Session run;
    TfrmMain& main = run.main();
    main.show();
    // One page is built and shown before the changes, the others only after them.
    main.tabMain->setCurrentWidget(main.subTabs[0]);
    ASSERT_TRUE(main.subTabs[0]->built());
    const int kitchen = NumberOfKey("Kitchen");
    const int tools = NumberOfKey("Tools");
    run.add(kArt, QStringLiteral("Clock"));
    for (int i = 0; i < 3; ++i)
        run.add(kitchen, QStringLiteral("Pan %1").arg(i));
    const int saw = run.add(tools, QStringLiteral("Saw"));
    run.add(tools, QStringLiteral("Drill"));
    // A removal renumbers the entries after it, across pages.
    ASSERT_TRUE(app::State().Entries.remove(saw));
    // Rows written behind the program's back and taken over as a whole, as a continued session
    // or a restore does.
    auto& q = app::State().ADOQuery2;
    const int linens = NumberOfKey("Linens");
    q.execute({QStringLiteral("INSERT INTO Inventory VALUES (6, '") +
               entries::TabTable()[entries::PageOfSubInventory(linens)].subInventoryText() +
               QStringLiteral("', ") + QString::number(linens) +
               QStringLiteral(", 'Other', 1, 'Quilt', -1, 1, 30, 30, '', '')")});
    inventories::ReloadWorkingInventory();
    ASSERT_EQ(app::State().IDCounter, 6);
    // And an import through the File menu.
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("in.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Item,Area,Count,Cost Each\r\nMug,Kitchen,2,3.5\r\nHammer,Tools,1,20\r\n");
    }
    run.modal.nextFileName(csv);
    main.ImportInventory1->trigger();
    ASSERT_GT(run.stored(kitchen).size(), 3);

    for (auto* tab : main.subTabs) {
        main.tabMain->setCurrentWidget(tab);
        ASSERT_TRUE(tab->built()) << tab->info().key;
        EXPECT_TRUE(tab->isVisible()) << tab->info().key;
        EXPECT_FALSE(tab->lst1->isHidden()) << tab->info().key;
        EXPECT_EQ(tab->lst1->count(), run.categories(*tab)) << tab->info().key;
        EXPECT_EQ(Session::listed(*tab), run.stored(tab->info().number)) << tab->info().key;
    }
    EXPECT_GT(Session::listed(*main.subTabs[entries::PageOfSubInventory(kitchen)]).size(), 3);
    EXPECT_EQ(Session::listed(*main.subTabs[entries::PageOfSubInventory(linens)]), QList<int>{6});
    // Built pages follow later changes as before.
    const int cup = run.add(kitchen, QStringLiteral("Cup"));
    EXPECT_EQ(Session::listed(*main.subTabs[entries::PageOfSubInventory(kitchen)]).last(), cup);
    main.hide();
    EXPECT_EQ(run.modal.messages.size(), 1u); // the import's report
}

TEST(DeferredPages, TheRestAreBuiltAfterTheWindowIsShownWithoutTheUser) {
    Session run;
    TfrmMain& main = run.main();
    const int kitchen = NumberOfKey("Kitchen");
    const int pan = run.add(kitchen, QStringLiteral("Pan"));
    app::ShowMainWindow();
    QTRY_VERIFY_WITH_TIMEOUT(main.allPagesBuilt(), 10000);
    // Made in the event loop after the splash, while the Inventory page stayed in front.
    EXPECT_EQ(run.modal.dialogsShown.value(0), QStringLiteral("frmSplash"));
    EXPECT_EQ(main.tabMain->currentWidget(), main.tabInventory);
    EXPECT_EQ(ui::Win().all.size(), 25);
    const auto* page = main.subTabs[entries::PageOfSubInventory(kitchen)];
    EXPECT_EQ(Session::listed(*page), QList<int>{pan});
    EXPECT_EQ(page->lst1->count(), run.categories(*page));
    EXPECT_TRUE(run.modal.messages.empty()) << run.modal.lastMessage().toStdString();
    main.hide();
}

TEST(DeferredPages, APageThatCannotBePreparedIsReportedOnceAndTheRestWaitForTheirShowing) {
    Session run;
    TfrmMain& main = run.main();
    ASSERT_TRUE(QFile::remove(run.folder.file(QStringLiteral("Content/kitchen.jpg"))));
    ASSERT_TRUE(QFile::remove(run.folder.file(QStringLiteral("Content/tools.jpg"))));
    app::ShowMainWindow();
    const int kitchen = entries::PageOfKey(QStringLiteral("Kitchen"));
    QTRY_VERIFY_WITH_TIMEOUT(main.subTabs[kitchen]->built(), 10000);
    // The background build stops there: one fault, one message.
    QTest::qWait(100);
    ASSERT_EQ(run.modal.messages.size(), 1u);
    EXPECT_EQ(run.modal.messages[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(run.modal.messages[0].text.contains(QStringLiteral("kitchen.jpg")));
    EXPECT_TRUE(main.subTabs[kitchen - 1]->built());
    EXPECT_FALSE(main.subTabs[kitchen + 1]->built());
    EXPECT_FALSE(main.allPagesBuilt());
    // The categories of the page were read all the same.
    EXPECT_EQ(main.subTabs[kitchen]->lst1->count(), run.categories(*main.subTabs[kitchen]));

    // Another page with the same fault says so when it is first shown, and only then.
    const int tools = entries::PageOfKey(QStringLiteral("Tools"));
    main.tabMain->setCurrentWidget(main.subTabs[tools]);
    ASSERT_EQ(run.modal.messages.size(), 2u);
    EXPECT_TRUE(run.modal.messages[1].text.contains(QStringLiteral("tools.jpg")));
    main.tabMain->setCurrentWidget(main.tabInventory);
    main.tabMain->setCurrentWidget(main.subTabs[tools]);
    main.tabMain->setCurrentWidget(main.subTabs[kitchen + 1]);
    EXPECT_TRUE(main.subTabs[kitchen + 1]->built());
    EXPECT_EQ(run.modal.messages.size(), 2u) << run.modal.lastMessage().toStdString();
    main.hide();
}

TEST(DeferredPages, GoingToAnItemOfAPageNotBuiltYetBuildsIt) {
    Session run;
    // Reaching a page by its number builds it, with its categories.
    tabs::SubInventoryTab* tools = tabs::TabOfSubInventory(NumberOfKey("Tools"));
    ASSERT_NE(tools, nullptr);
    ASSERT_TRUE(tools->built());
    EXPECT_EQ(tools->lst1->count(), run.categories(*tools));
    EXPECT_EQ(Session::listed(*tools), QList<int>{});
    // A new inventory resets the built pages' entry areas and leaves the others to be built.
    tools->lst1->setCurrentRow(0);
    tools->lst1Click();
    inventories::New1Click();
    EXPECT_TRUE(tools->lst1->selectedItems().isEmpty());
    EXPECT_FALSE(run.main().subTabs[0]->built());
    EXPECT_TRUE(run.modal.messages.empty()) << run.modal.lastMessage().toStdString();
}
