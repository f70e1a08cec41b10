#include "tabs/sub_inventory_listing.h"

#include "store/database.h"
#include "store/stored_text.h"

namespace tabs {

namespace {

// Column positions in a tab's listing query.
enum Column { ColId, ColItem, ColCount, ColValue, ColNotes, ColCategory };

} // namespace

std::shared_ptr<SubInventoryListing> SubInventoryListing::Read(store::Query& q) {
    auto listing = std::make_shared<SubInventoryListing>();
    constexpr entries::ListingRows<FieldCount>::Columns columns{
        ColId, ColCount, ColValue, {ColItem, ColNotes, ColCategory}};
    for (; !q.eof(); q.next())
        listing->rows_.append(q, columns);
    return listing;
}

entries::ListingEntry SubInventoryListing::entry(int i) const {
    const auto texts = rows_.texts(i);
    entries::ListingEntry e;
    e.id = rows_.id(i);
    e.item = store::FromStoredText(texts[Item]);
    e.count = rows_.count(i);
    e.value = rows_.value(i);
    e.notes = store::FromStoredText(texts[Notes]);
    e.category = store::FromStoredText(texts[Category]);
    return e;
}

QString SubInventoryListing::line(int row) const {
    return row < entryCount() ? entries::SubInventoryLine(entry(row))
                              : entries::SubInventoryTotalLine(rows_.total());
}

} // namespace tabs
