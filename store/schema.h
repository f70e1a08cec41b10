#pragma once

#include <QStringList>

namespace store {

// Table definitions of the two shipped databases. Text columns ignore letter case.
QStringList CatalogueTabTablesDdl(const QString& key); // <key>_Main, <key>_Items, <key>_Data
QStringList CatalogueCommonDdl();                      // Help_Text, Inventories
QStringList UserDatabaseDdl();                         // Inventory and the bookkeeping tables
// The working inventory's indexes; a table rebuilt by copying has none until these run again.
QStringList WorkingInventoryIndexDdl();

// The user database's own tables: never usable as a saved inventory's name.
QStringList UserDatabaseTableNames();

} // namespace store
