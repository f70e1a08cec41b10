#pragma once

#include "inventories/header_row.h"
#include "inventories/table_names.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace store {
class Connection;
class Query;
} // namespace store

// The database side of the File menu's inventory commands and of session continuity. The windows
// ask the questions and keep the flags; these run the statements. Every command that replaces a
// table runs as one transaction: a failure leaves the user database as it was and throws
// store::DatabaseError.
namespace inventories {

// The open inventory's table name, empty for an inventory without a name.
QString CurrentTableName(store::Query& query);
// Display names of the saved inventories, in Master_Table's order, without the session marker.
QStringList SavedInventories(store::Query& query);

struct InventoryTitles {
    QString label;   // the Inventory tab's title
    QString caption; // the main window's caption
};
InventoryTitles TitlesFor(const QString& displayName);

// What the window takes over after the working table was replaced as a whole.
struct WorkingInventory {
    int idCounter = 0; // the highest ID_Number, 0 with only the header row
    std::optional<InventoryHeader> header;
};
WorkingInventory ReadWorkingInventory(store::Query& query);

// Empties the working inventory down to its header row and forgets its name.
void NewInventory(store::Connection& connection, const ChangeStamp& now,
                  const InventorySettings& current);

// Replaces the working inventory by a saved one, names it open and puts it first in the recent
// list. When the saved table cannot be copied the working inventory stays as it was.
void OpenInventory(store::Connection& connection, const QString& displayName);

enum class SaveResult { NeedsName, Gone, Saved };
// Saves under the open inventory's name; NeedsName when it has none, Gone when its saved table
// no longer exists (deleted while open); nothing is written in either case.
SaveResult SaveInventory(store::Connection& connection, const HeaderWrite& header);

// The Save As checks against the database's Prohibited, Master_Table and schema.
SaveAsName CheckSaveAsName(store::Query& query, const QString& displayName);

struct SaveAsResult {
    SaveAsName name;
    bool saved = false;
};
// Checks the name first and writes nothing unless it passes. An existing inventory is replaced
// only with `replaceExisting`; otherwise the result is Exists, unsaved, and the caller asks.
SaveAsResult SaveInventoryAs(store::Connection& connection, const QString& displayName,
                             bool replaceExisting, const HeaderWrite& header);

// Drops a saved inventory and takes it out of the recent list. Returns whether the recent list
// changed.
bool DeleteInventory(store::Connection& connection, const QString& displayName);

// Start of a run: true when the previous run ended without closing (its marker is still there);
// otherwise the marker is set for this run.
bool StartSession(store::Query& query);
// Whether the previous run ended without closing, without setting the marker.
bool SessionInterrupted(store::Query& query);
// After an interruption, the choice to begin a new inventory: header row and settings stay.
void BeginNewAfterInterruption(store::Connection& connection);
// A normal end: empties the working inventory, removes the marker and forgets the open name.
void CloseSession(store::Connection& connection);

} // namespace inventories
