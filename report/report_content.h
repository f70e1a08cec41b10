#pragma once

#include "entries/entry_table.h"
#include "store/money.h"

#include <QDate>
#include <QString>
#include <vector>

namespace store {
class Query;
}

// The insurance report: what it holds (read here, without windows), how it is laid out on paper
// (report_layout) and the small dialog that asks for it (report_dialog).
namespace report {

// One area of the home with its entries in the order of their numbers.
struct AreaSection {
    QString caption; // the tab's caption, "Kitchen/Dining"
    std::vector<entries::EntryRecord> entries;
    store::Currency subtotal;
};

struct ReportContent {
    QString inventoryName; // display name; empty for a working inventory never saved
    QDate date;            // the day the report is made
    int entryCount = 0;
    store::Currency total;
    std::vector<AreaSection> areas; // in tab order, areas without entries left out
};

// "Inventory: Shed", or "Inventory" for an inventory without a name.
QString InventoryLabel(const ReportContent& content);
// "March 5, 2004".
QString DateText(const QDate& date);

// Money as the listings show it: "$" and the amount with exactly two decimals, further decimals
// cut, no blanks and no thousands separators.
QString MoneyText(store::Currency value);

// Groups the entries by area in tab order. An entry whose area number is none of the seventeen
// keeps its own stored area name, in a section after them.
ReportContent GroupByArea(std::vector<entries::EntryRecord> records, const QString& name,
                          const QDate& date);

// The working inventory as it stands, unsaved changes included.
ReportContent ReadWorkingInventory(store::Query& query, const QDate& date);
// A saved inventory by its display name (letter case ignored). Throws std::runtime_error naming
// the inventory when there is none of that name.
ReportContent ReadSavedInventory(store::Query& query, const QString& displayName,
                                 const QDate& date);

} // namespace report
