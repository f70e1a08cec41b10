#pragma once

#include "store/money.h"

#include <QString>
#include <QtGlobal>
#include <vector>

namespace store {
class Query;
}

namespace entries {

// Every column of one entry that a document about the inventory shows; texts in display form.
struct EntryRecord {
    qint32 id = 0;
    QString subInventory;
    int subInventoryNumber = 0;
    QString category;
    QString item;
    qint64 count = 0;
    store::Currency cost;  // each
    store::Currency value; // total
    QString notes;         // the whole notes text, brand line included
    QString photo;
};

// The entries of `table` (the working table "Inventory" or a saved inventory's table name) in
// the order of their numbers, header row left out.
std::vector<EntryRecord> ReadEntryRecords(store::Query& query, const QString& table);

} // namespace entries
