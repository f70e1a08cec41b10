#pragma once

#include "store/database.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace app {

enum class CostLevel { Low, Medium, High };

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

    // Resets counters, flags and sort keys as at start-up and fills the name tables.
    void resetRunState();
};

AppState& State();

// The program folder: the directory with exactly one trailing '/'; "/" stays "/".
QString ProgramFolderFrom(const QString& currentDirectory);

} // namespace app
