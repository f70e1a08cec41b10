#pragma once

#include <QString>
#include <array>
#include <vector>

namespace store {
class Query;
}

namespace entries {

// One record of a catalogue file: "category ~ item ~ price 1 ~ price 2 ~ price 3 ~ price 4".
struct PriceGroup {
    QString category;
    QString item;
    std::array<QString, 4> prices;
};

// Line breaks and ";" end records. Blanks at a record's start and after each "~" are skipped;
// other blanks belong to the field. Records without the "~" after the item, or with an empty
// category, are left out.
std::vector<PriceGroup> ParsePriceGroups(const QString& text);

// The loading steps on a catalogue connection, for tab key `key`. Categories and items are found
// again by name, so loading the same record twice adds nothing. Database errors propagate.
struct CatalogueIds {
    int categoryNumber = 0;
    int itemNumber = 0;
};
int EnsureCategory(store::Query& q, const QString& key, const QString& category);
int EnsureItem(store::Query& q, const QString& key, int categoryNumber, const QString& category,
               const QString& item);
// Adds each price that the number check accepts and the item does not have yet.
void EnsurePrices(store::Query& q, const QString& key, int itemNumber, const QString& item,
                  const std::array<QString, 4>& prices);
CatalogueIds LoadPriceGroup(store::Query& q, const QString& key, const PriceGroup& group);

} // namespace entries
