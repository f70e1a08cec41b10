// A tab's listing and one Add in a large inventory, against the bare query of the same rows.
// Prints the ratios; run with QT_QPA_PLATFORM=offscreen.
#include "bench/bench_support.h"
#include "app/common/app_state.h"
#include "app/common/line_list.h"
#include "app/common/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "tabs/sub_inventory_tab.h"
#include "tests/support/program_folder.h"
#include "tests/support/scripted_modal.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QTabWidget>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace {

constexpr int kEntries = 99999;
constexpr int kOnArt = 20000;
constexpr int kRounds = 10;

void fill(sqlite3* db) {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Inventory VALUES (?, 'Art', ?, 'Clocks', 8, 'Wall clock', 3, "
                       "2, 25, 50, 'Hall`~second line~', '')",
                       -1, &st, nullptr);
    for (int id = 1; id <= kEntries; ++id) {
        // Every fifth entry on the Art tab: 20,000 of them.
        sqlite3_bind_int(st, 1, id);
        sqlite3_bind_int(st, 2, id % 5 == 1 ? 2 : 1);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The same rows read by the bare engine: the baseline.
qint64 bareQuery(sqlite3* db) {
    return bench::BareQueryNs(
        db,
        "SELECT ID_Number, Item_Name, Number_Of_Items, Total_Value_Of_Item, "
        "Item_Notes, Major_Category FROM Inventory WHERE Sub_Inventory_Number = 2 "
        "ORDER BY ID_Number",
        6);
}

} // namespace

int main() {
    testing_support::EnsureApplication();
    testing_support::ProgramFolder folder;
    testing_support::ScriptedModal modal;
    app::CreateWindows();
    auto& s = app::State();
    sqlite3* db = s.ADOConnection2.handle();
    fill(db);
    tabs::SubInventoryTab* art = tabs::TabOfSubInventory(2);

    const qint64 base = bench::BestOf(kRounds, [&] { return bareQuery(db); });
    const qint64 listing = bench::BestOf(kRounds, [&] {
        QElapsedTimer t;
        t.start();
        art->FillSubInventoryList();
        return t.nsecsElapsed();
    });
    std::printf("listing of %d entries: %.2f x bare query (%.1f ms vs %.1f ms)\n",
                art->lstInventory->count() - 1, double(listing) / double(base), listing / 1e6,
                base / 1e6);

    const qint64 add = bench::BestOf(kRounds, [&] {
        sqlite3_exec(db, "DELETE FROM Inventory WHERE ID_Number = 99999", nullptr, nullptr,
                     nullptr);
        s.IDCounter = 99998;
        art->lst1->setCurrentRow(
            art->lst1->row(art->lst1->findItems("Clocks", Qt::MatchExactly)[0]));
        art->lst1Click();
        art->lst2->setCurrentRow(0);
        art->lst2Click();
        QElapsedTimer t;
        t.start();
        art->btnAddClick();
        return t.nsecsElapsed();
    });
    std::printf("one Add at ID counter 99998: %.2f x bare query (%.1f ms), stored %s\n",
                double(add) / double(base), add / 1e6, s.IDCounter == kEntries ? "yes" : "NO");
    app::DestroyWindows();
    return 0;
}
