#include "inventory/inventory_listing.h"

#include "store/database.h"
#include "store/stored_text.h"

namespace inventory {

namespace {

// Column positions in the listing query.
enum Column { ColId, ColItem, ColCount, ColValue, ColNotes, ColSubInventory, ColCategory };

// Item, notes, tab and category of an everyday entry take about this many bytes together.
constexpr qsizetype kTypicalTextBytes = 80;

} // namespace

std::shared_ptr<InventoryListing> InventoryListing::Read(store::Query& q, int selectId, int* found,
                                                         int expectedEntries) {
    auto listing = std::make_shared<InventoryListing>();
    if (found) *found = -1;
    if (expectedEntries > 0) {
        // Growing by copying 100,000 rows' texts costs as much as reading them.
        listing->rows_.reserve(expectedEntries, qsizetype(expectedEntries) * kTypicalTextBytes);
    }
    constexpr entries::ListingRows<4>::Columns columns{
        ColId, ColCount, ColValue, {ColItem, ColNotes, ColCategory, ColSubInventory}};
    for (; !q.eof(); q.next()) {
        const int index = listing->entryCount();
        const qint32 id = listing->rows_.append(q, columns);
        if (id != 0 && id == selectId && found) *found = index;
    }
    return listing;
}

entries::ListingEntry InventoryListing::entry(int i) const {
    std::array<QString, 4> texts;
    entries::ListingEntry e = decoded(i, texts);
    e.subInventory = texts[SubInventory]; // a tab's short name, stored as shown
    return e;
}

QString InventoryListing::line(int row) const {
    return row < entryCount() ? InventoryLine(entry(row)) : InventoryTotalLine(rows_.total());
}

} // namespace inventory
