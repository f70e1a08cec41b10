#pragma once

#include "entries/cost_level.h"
#include "entries/entry_store.h"
#include "entries/inventory_changes.h"
#include "store/database.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>

namespace app {

using CostLevel = entries::CostLevel;

// Minute, hour, day, month, year and weekday (0 = Sunday) of the last change.
struct ChangeStamp {
    int minute = 0, hour = 0, day = 1, month = 1, year = 2000, weekday = 0;
    static ChangeStamp now();
    static ChangeStamp fromDateTime(const QDateTime& localTime);
    friend bool operator==(const ChangeStamp&, const ChangeStamp&) = default;
};

// The state one run of the program shares between its windows: the program folder, both
// database connections with their query objects, the announcements of inventory changes, the
// browsing state of the tab in use, the process-wide flags, the cost level and the sort keys.
// There is one instance per run.
struct AppState {
    QString programFolder; // always ends in '/'

    store::Connection ADOConnection1; // catalogue
    store::Connection ADOConnection2; // user database
    store::Query ADOQuery1{ADOConnection1};
    store::Query ADOQuery2{ADOConnection2};

    // Tells the windows of every change of the working inventory.
    entries::InventoryChanges Changes;
    int IDCounter = 0;
    // The entries of the working inventory, on the user connection; announces its changes.
    entries::EntryStore Entries{ADOConnection2, ADOQuery2, IDCounter, &Changes};
    // The Defaults menu's cost level; Low at every start.
    entries::CostLevelSetting Cost;
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

    // Resets counters, flags and sort keys as at start-up and fills the name tables.
    void resetRunState();
};

AppState& State();

// The program folder: the directory with exactly one trailing '/'; "/" stays "/".
QString ProgramFolderFrom(const QString& currentDirectory);

} // namespace app
