#pragma once

#include <QString>
#include <QStringList>

namespace store {
class Query;
}

namespace entries {

// Look-ups in one tab's catalogue tables (<key>_Main, <key>_Items, <key>_Data) on the catalogue
// connection's shared query. Names are in display form; a name not found gives number 0.
struct CategoryRow {
    int number = 0;
    int editUse = 0; // which extra entry fields the category shows
};

// Category names in catalogue order.
QStringList CategoryNames(store::Query& q, const QString& key);
CategoryRow FindCategory(store::Query& q, const QString& key, const QString& category);
// Item names of a category in catalogue order, empty names left out.
QStringList ItemNames(store::Query& q, const QString& key, int categoryNumber);
// The item is matched within its category: the same item name may stand in several categories.
int FindItem(store::Query& q, const QString& key, const QString& item, int categoryNumber);
// The cost list of an item, cheapest first, as the cost boxes show it ("$12.50").
QStringList PricePoints(store::Query& q, const QString& key, int itemNumber);

} // namespace entries
