// The master listing of a full inventory against the bare query with the same ORDER BY, and the
// full printout written to PDF (left out with --no-pdf). Prints ratios and rates; run with
// QT_QPA_PLATFORM=offscreen.
#include "bench/bench_support.h"
#include "app/common/app_state.h"
#include "app/common/line_list.h"
#include "app/common/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "inventory/inventory_page.h"
#include "inventory/report_printer.h"
#include "inventory/sort_keys.h"
#include "tests/support/program_folder.h"
#include "tests/support/scripted_modal.h"

#include <QElapsedTimer>
#include <QPrinter>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sqlite3.h>

namespace {

constexpr int kEntries = 99999;
constexpr int kRounds = 5;
constexpr int kScreenLines = 22;

void fill(sqlite3* db) {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Inventory VALUES (?, ?, ?, ?, 8, ?, 3, ?, 25, ?, "
                       "'~Bought in spring~`~kept in the hall cupboard~', '')",
                       -1, &st, nullptr);
    static const char* const subs[] = {"Art", "Kitchen", "Tools", "Home Office", "Misc."};
    static const char* const categories[] = {"Clocks", "Cookware", "Power Tools", "Desks"};
    for (int id = 1; id <= kEntries; ++id) {
        const QByteArray item = "Item " + QByteArray::number((id * 7919) % 5003);
        sqlite3_bind_int(st, 1, id);
        sqlite3_bind_text(st, 2, subs[id % 5], -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 3, id % 5 + 1);
        sqlite3_bind_text(st, 4, categories[id % 4], -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 5, item.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 6, id % 9 + 1);
        sqlite3_bind_double(st, 7, (id % 997) * 1.25);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The listing's statement run by the bare engine, every field read: the baseline.
qint64 bareQuery(sqlite3* db, const QStringList& sql) {
    return bench::BareQueryNs(db, sql.join(QLatin1Char(' ')).toUtf8().constData(), 7);
}

} // namespace

int main(int argc, char** argv) {
    const bool withPdf = !(argc > 1 && std::strcmp(argv[1], "--no-pdf") == 0);
    testing_support::EnsureApplication();
    testing_support::ProgramFolder folder;
    testing_support::ScriptedModal modal;
    app::CreateWindows();
    auto& s = app::State();
    sqlite3* db = s.ADOConnection2.handle();
    fill(db);
    s.IDCounter = kEntries;
    inventory::InventoryPage& page = *ui::Win().frmMain->tabInventory;

    const std::pair<const char*, std::array<int, 6>> orders[] = {
        {"default order (ID)", {1, 0, 0, 0, 0, 0}},
        {"three keys (item, value desc, ID)", {3, -5, 1, 0, 0, 0}},
    };
    bool withinGoal = true;
    qsizetype shown = 0;
    for (const auto& [name, keys] : orders) {
        s.SortKeys = keys;
        const QStringList sql = inventory::InventoryListingSql(inventory::SortKeys{keys});
        const qint64 base = bench::BestOf(kRounds, [&] { return bareQuery(db, sql); });
        const qint64 listing = bench::BestOf(kRounds, [&] {
            QElapsedTimer t;
            t.start();
            page.FillInventoryList(0);
            // Lines are formatted when shown: count the ones a full screen of the list asks for.
            for (int row = 0; row < kScreenLines; ++row)
                shown += page.lstInventory->line(row).size();
            return t.nsecsElapsed();
        });
        const double ratio = double(listing) / double(base);
        withinGoal = withinGoal && ratio <= 3.0;
        std::printf("listing of %d entries, %s: %.2f x bare query (%.1f ms vs %.1f ms)\n",
                    page.lstInventory->count() - 1, name, ratio, listing / 1e6, base / 1e6);
    }

    bench::sink = shown;
    std::printf("listing goal (at most 3 x bare query): %s\n", withinGoal ? "met" : "MISSED");
    if (!withPdf) {
        app::DestroyWindows();
        return 0;
    }

    // The full printout as the print button makes it, into a PDF file.
    s.SortKeys = {1, 0, 0, 0, 0, 0};
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.file("bench.pdf"));
    QElapsedTimer t;
    t.start();
    const QStringList lines =
        page.InventoryReportLines(inventory::StampTime::fromDateTime(QDateTime::currentDateTime()));
    const qint64 built = t.nsecsElapsed();
    inventory::PrintLines(printer, lines, inventory::kReportLinesPerPage, 1,
                          inventory::InventoryPrintStyle());
    const qint64 total = t.nsecsElapsed();
    const qsizetype pages =
        (lines.size() + inventory::kReportLinesPerPage - 1) / inventory::kReportLinesPerPage;
    std::printf("printout of %lld lines on %lld pages to PDF: %.0f pages/s (%.1f s, of which "
                "%.2f s building the lines)\n",
                static_cast<long long>(lines.size()), static_cast<long long>(pages),
                double(pages) / (total / 1e9), total / 1e9, built / 1e9);
    app::DestroyWindows();
    return 0;
}
