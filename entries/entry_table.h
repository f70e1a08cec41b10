#pragma once

#include "store/money.h"

#include <QString>
#include <vector>

namespace store {
class Query;
}

namespace entries {

// One entry with all its columns, texts in display form.
struct EntryRecord {
    int id = 0;
    QString subInventory;
    int subInventoryNumber = 0;
    QString category;
    int categoryNumber = 0;
    QString item;
    int itemNumber = 0;
    qint64 count = 0;
    store::Currency cost;
    store::Currency total;
    QString notes;
    QString photo;
};

// Every entry of an inventory table (the working one, "Inventory", or a saved inventory's table
// name) in entry order, the header row left out.
std::vector<EntryRecord> ReadEntryTable(store::Query& query, const QString& table);

} // namespace entries
