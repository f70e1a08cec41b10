#pragma once

#include "entries/cost_level.h"
#include "entries/entry_store.h"
#include "store/database.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace app {

using CostLevel = entries::CostLevel;

// Minute, hour, day, month, year and weekday (0 = Sunday) of the last change.
struct ChangeStamp {
    int minute = 0, hour = 0, day = 1, month = 1, year = 2000, weekday = 0;
    static ChangeStamp now();
};

// The state one run of the program shares between its windows: the program folder, both
// database connections with their query objects, the browsing state of the tab in use, the
// process-wide flags and the sort keys. There is one instance per run.
struct AppState {
    QString programFolder; // always ends in '/'

    store::Connection ADOConnection1; // catalogue
    store::Connection ADOConnection2; // user database
    store::Query ADOQuery1{ADOConnection1};
    store::Query ADOQuery2{ADOConnection2};

    int IDCounter = 0;
    // The entries of the working inventory, on the user connection.
    entries::EntryStore Entries{ADOConnection2, ADOQuery2, IDCounter};
    int CurrentCategoryNumber = 0;
    int CurrentItemNumber = 0;
    quint32 EntryCount = 0;
    bool CountValid = false;
    double EntryCost = 0;
    bool CostValid = false;

    bool InventoryModified = false;
    bool SettingsChanged = false;
    bool DialogCancelled = false;

    std::array<int, 6> SortKeys{1, 0, 0, 0, 0, 0};
    ChangeStamp Stamp;

    QStringList WeekdayNames;
    QStringList MonthNames;

    // Hooks filled by the main window so that lower layers can reach higher ones.
    std::function<CostLevel()> costLevel = [] { return CostLevel::Low; };
    std::function<void(int)> fillInventoryList = [](int) {};
    std::function<void()> fillAllInventoryLists = [] {};
    std::function<void()> updateAddButtons = [] {};
    // The picture list of the Pictures page, filled when the page is created: entry moves swap
    // the numbers shown, removals and whole-inventory changes rebuild it from the database.
    std::function<void(int)> picturesNumberUp = [](int) {};
    std::function<void(int)> picturesNumberDown = [](int) {};
    std::function<void(int)> picturesRemove = [](int) {};
    std::function<void()> picturesRemoveAll = [] {};
    std::function<void()> picturesLoad = [] {};
    // The refresh after the working table was replaced as a whole: listings and pictures.
    std::function<void()> reloadWorkingInventory = [this] {
        fillAllInventoryLists();
        picturesRemoveAll();
        picturesLoad();
    };
    // Shows the Inventory page with entry n's line selected (the window that owns it fills it).
    std::function<void(int)> goToInventoryEntry = [this](int n) { fillInventoryList(n); };
    // Prints text lines through the print options dialog: for each copy, pages of a page line
    // and up to linesPerPage lines, in the given printer font and orientation. Filled by the
    // owner of the print dialog; until then nothing is printed.
    std::function<void(const QStringList& lines, int linesPerPage, const QString& fontFamily,
                       int pointSize, bool portrait)>
        printLines = [](const QStringList&, int, const QString&, int, bool) {};

    // Resets counters, flags and sort keys as at start-up and fills the name tables.
    void resetRunState();
};

AppState& State();

// The program folder: the directory with exactly one trailing '/'; "/" stays "/".
QString ProgramFolderFrom(const QString& currentDirectory);

} // namespace app
