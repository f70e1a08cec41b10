// The master listing of a full inventory against the bare typed query with the same ORDER BY, for
// the first listing and every header sort; continuing an interrupted session of a full inventory
// (time and peak resident memory); the full printout written to PDF. Run with
// QT_QPA_PLATFORM=offscreen:
//
//   bench_inventory [--no-pdf]     listing goals, then the printout
//   bench_inventory --continue     the interrupted session continued, in a fresh process
#include "bench/bench_support.h"
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "inventories/file_commands.h"
#include "inventory/inventory_page.h"
#include "inventory/report_printer.h"
#include "entries/sort_keys.h"
#include "tests/support/program_folder.h"
#include "tests/support/scripted_modal.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sqlite3.h>

namespace {

constexpr int kEntries = 99999;
constexpr int kRounds = 7;
constexpr int kScreenLines = 22;
constexpr double kListingGoal = 1.5;
constexpr double kContinueSeconds = 1.0;
constexpr double kContinueMegabytes = 100.0;

// A full inventory of varied entries: items, categories and tabs of different lengths and
// letter cases, a few with accented letters, counts, values and notes of different sizes.
void fill(sqlite3* db) {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Inventory VALUES (?, ?, ?, ?, 8, ?, 3, ?, ?, ?, ?, '')", -1,
                       &st, nullptr);
    static const char* const subs[] = {"Art",   "Kitchen",  "Tools",    "Home Office", "Misc.",
                                       "Music", "Outdoors", "Bedrooms", "Garage"};
    static const char* const categories[] = {"Clocks",      "Cookware",  "Power Tools", "Desks",
                                             "cutlery",     "Paintings", "Lamps",       "Rugs",
                                             "Kaffeemühle", "Stühle",    "Bicycles"};
    static const char* const items[] = {"Wall clock",   "frying pan", "Cordless drill", "Écritoire",
                                        "Oil painting", "desk lamp",  "Persian rug",    "Guitar"};
    static const char* const notes[] = {
        "", "~Bought in spring~", "~Bought in spring~`~kept in the hall cupboard~",
        "~Brand: Acme  Serial Number: 12-3344  Purchase Date: 2003~`~gift from aunt Mary~`~third~",
        "~ein Geschenk~"};
    for (int id = 1; id <= kEntries; ++id) {
        const int sub = id % 9;
        const QByteArray item =
            QByteArray(items[(id * 31) % 8]) + ' ' + QByteArray::number((id * 7919) % 5003);
        const int count = id % 9 + 1;
        const double price = (id % 997) * 1.25;
        sqlite3_bind_int(st, 1, id);
        sqlite3_bind_text(st, 2, subs[sub], -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 3, sub + 1);
        sqlite3_bind_text(st, 4, categories[(id * 13) % 11], -1, SQLITE_STATIC);
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

double megabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ')[0].toDouble() /
                   1024;
    return -1;
}

// The interrupted session: entries, the header row as a run at the medium cost level leaves it,
// and the marker of a run still going.
int continueSession() {
    testing_support::EnsureApplication();
    testing_support::ProgramFolder folder;
    testing_support::ScriptedModal modal;
    {
        sqlite3* db = nullptr;
        sqlite3_open(folder.file(QStringLiteral("QIVUser.mdb")).toUtf8().constData(), &db);
        fill(db);
        sqlite3_exec(db,
                     "UPDATE Inventory SET Item_Notes = '0205P 03/05/2004 5 -10000 M' "
                     "WHERE ID_Number = 0; INSERT INTO Master_Table VALUES ('Inventory')",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    // The peak resident size counts from here: the program's own start and the continuing.
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
    bench::PrintLoad("before");
    QElapsedTimer t;
    t.start();
    app::CreateWindows();
    const qint64 made = t.nsecsElapsed();
    modal.onNextDialog([](QDialog& d) { // "save the interrupted session?" No
        testing_support::ClickButton(d, QStringLiteral("btnNo"));
        return d.result();
    });
    modal.onNextDialog([](QDialog& d) { // Continue
        testing_support::ClickButton(d, QStringLiteral("btnContinue"));
        return d.result();
    });
    t.restart();
    inventories::StartupCheck();
    const qint64 continued = t.nsecsElapsed();
    const double peak = megabytes("VmHWM:");
    const auto& s = app::State();
    const int lines = ui::Win().frmMain->tabInventory->lstInventory->count() - 1;
    const double total = double(made + continued) / 1e9;
    std::printf("continuing %d entries (%d listed): %.3f s from the start of the windows to the "
                "continued session (%.3f s making the windows, %.3f s after the answers); goal "
                "under %.1f s: %s\n",
                s.IDCounter, lines, total, made / 1e9, continued / 1e9, kContinueSeconds,
                bench::Verdict(total < kContinueSeconds && lines == kEntries));
    std::printf("peak resident memory of the process from its windows to the continued session: "
                "%.1f MB; goal under %.0f MB: %s\n",
                peak, kContinueMegabytes, bench::Verdict(peak >= 0 && peak < kContinueMegabytes));
    // The sub-inventory pages are built after that, one per turn of the event loop: the longest
    // turn is how long the window may not answer.
    double longest = 0, all = 0;
    for (;;) {
        t.restart();
        const bool more = ui::Win().frmMain->BuildNextPage();
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        longest = std::max(longest, seconds);
        all += seconds;
        if (!more) break;
    }
    std::printf("then the sub-inventory pages, one per turn (built %s): longest turn %.3f s, all "
                "%.3f s; peak resident memory %.1f MB\n",
                ui::Win().frmMain->allPagesBuilt() ? "all" : "not all", longest, all,
                megabytes("VmHWM:"));
    bench::PrintLoad("after");
    app::DestroyWindows();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--continue") == 0) return continueSession();
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
    sqlite3* bare = bench::BareConnection(db, folder.file(QStringLiteral("QIVUser.mdb")));

    // The first listing (ID ascending), then each header button clicked once and again from
    // the default order: every key ascending and descending.
    std::vector<std::pair<QString, entries::SortKeys>> orders;
    orders.push_back({QStringLiteral("load (ID ascending)"), entries::SortKeys{}});
    static const char* const names[] = {"",  "ID",          "Inventory", "Item",
                                        "#", "Total Value", "Category"};
    for (int key = 1; key <= entries::kSortSlotCount; ++key) {
        entries::SortKeys keys;
        for (int click = 1; click <= 2; ++click) {
            keys.click(key);
            orders.push_back({QStringLiteral("header %1, click %2 (%3)")
                                  .arg(QLatin1String(names[key]))
                                  .arg(click)
                                  .arg(keys.slot[0] > 0 ? QStringLiteral("ascending")
                                                        : QStringLiteral("descending")),
                              keys});
        }
    }

    bench::PrintLoad("before");
    bool allPass = true;
    qsizetype shown = 0;
    for (const auto& [name, keys] : orders) {
        const QByteArray sql = entries::InventoryListingSql(keys).join(QLatin1Char(' ')).toUtf8();
        const auto c = bench::Interleaved(
            kRounds, [&] { return double(bench::BareQueryNs(bare, sql.constData())); },
            [&] {
                s.SortKeys = keys.slot;
                QElapsedTimer t;
                t.start();
                page.FillInventoryList(0);
                // Lines are formatted when shown: the ones a full screen of the list asks for.
                for (int row = 0; row < kScreenLines; ++row)
                    shown += page.lstInventory->line(row).size();
                return double(t.nsecsElapsed());
            });
        allPass = bench::ReportRatio(QStringLiteral("master listing of %1 entries, %2")
                                         .arg(page.lstInventory->count() - 1)
                                         .arg(name)
                                         .toStdString(),
                                     c, kListingGoal) &&
                  allPass;
    }
    bench::sink = shown;
    std::printf("master listing, load and every header sort at most %.1f x the bare typed "
                "query: %s\n",
                kListingGoal, bench::Verdict(allPass));
    bench::PrintLoad("after");
    sqlite3_close(bare);
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
