// A tab's listing and one Add in a large inventory, against the bare typed query of the same
// rows, in interleaved rounds. Prints the ratios and the goal's verdict; run with
// QT_QPA_PLATFORM=offscreen.
#include "bench/bench_support.h"
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
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
constexpr int kRounds = 9;
constexpr double kListingGoal = 1.5;

// Entries of varied items, categories, counts, values and notes; every fifth on the Art tab.
void fill(sqlite3* db) {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Inventory VALUES (?, ?, ?, ?, 8, ?, 3, ?, ?, ?, ?, '')", -1,
                       &st, nullptr);
    static const char* const categories[] = {"Clocks", "Paintings", "Sculpture",
                                             "Prints", "Ölbilder",  "frames"};
    static const char* const items[] = {"Wall clock", "Oil painting", "bronze figure",
                                        "Lithograph", "Aquarell",     "Mantel clock"};
    static const char* const notes[] = {
        "", "Hall`~second line~", "~Bought in spring~`~kept in the hall cupboard~",
        "~Brand: Acme  Artist: J. Doe  Purchase Date: 1998~`~signed~`~insured separately~",
        "~Geschenk von Tante Käthe~"};
    for (int id = 1; id <= kEntries; ++id) {
        const bool art = id % 5 == 1;
        const QByteArray item =
            QByteArray(items[(id * 7) % 6]) + ' ' + QByteArray::number((id * 7919) % 5003);
        const int count = id % 7 + 1;
        const double price = (id % 991) * 2.5;
        sqlite3_bind_int(st, 1, id);
        sqlite3_bind_text(st, 2, art ? "Art" : "Kitchen", -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 3, art ? 2 : 1);
        sqlite3_bind_text(st, 4, categories[(id * 11) % 6], -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 5, item.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 6, count);
        sqlite3_bind_double(st, 7, price);
        sqlite3_bind_double(st, 8, price * count);
        sqlite3_bind_text(st, 9, notes[(id * 3) % 5], -1, SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The same rows read by the bare engine, every column typed: the baseline.
const char* const kTabQuery =
    "SELECT ID_Number, Item_Name, Number_Of_Items, Total_Value_Of_Item, Item_Notes, "
    "Major_Category FROM Inventory WHERE Sub_Inventory_Number = 2 ORDER BY ID_Number";

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

    sqlite3* bare = bench::BareConnection(db, folder.file(QStringLiteral("QIVUser.mdb")));
    bench::PrintLoad("before");
    // A full screen of the list is formatted, as the list shows it.
    qsizetype shown = 0;
    const auto c = bench::Interleaved(
        kRounds, [&] { return double(bench::BareQueryNs(bare, kTabQuery)); },
        [&] {
            QElapsedTimer t;
            t.start();
            art->FillSubInventoryList();
            for (int row = 0; row < 22; ++row)
                shown += art->lstInventory->line(row).size();
            return double(t.nsecsElapsed());
        });
    bench::sink = shown;
    const int listed = art->lstInventory->count() - 1;
    bench::ReportRatio(QStringLiteral("Art tab listing of %1 entries").arg(listed).toStdString(), c,
                       kListingGoal);
    if (listed != kOnArt) std::printf("the listing holds %d entries, not %d\n", listed, kOnArt);

    // One Add at the top of the numbering, which lists the tab again (no goal of its own).
    double addNs = 0;
    bool stored = true;
    const auto add = bench::Interleaved(
        kRounds, [&] { return double(bench::BareQueryNs(bare, kTabQuery)); },
        [&] {
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
            addNs = double(t.nsecsElapsed());
            stored = stored && s.IDCounter == kEntries;
            return addNs;
        });
    const bench::Spread r = bench::SpreadOf(add.ratio);
    std::printf("one Add at ID counter 99998: ratio to the bare tab query min %.2f / median %.2f / "
                "max %.2f (%.1f ms median), stored %s\n",
                r.min, r.median, r.max, bench::SpreadOf(add.program).median / 1e6,
                stored ? "yes" : "NO");
    bench::PrintLoad("after");
    sqlite3_close(bare);
    app::DestroyWindows();
    return 0;
}
