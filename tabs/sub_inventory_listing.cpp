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
    constexpr entries::ListingRows<3>::Columns columns{
        ColId, ColCount, ColValue, {ColItem, ColNotes, ColCategory}};
    for (; !q.eof(); q.next())
        listing->rows_.append(q, columns);
    return listing;
}

entries::ListingEntry SubInventoryListing::entry(int i) const {
    std::array<QString, 3> texts;
    return decoded(i, texts);
}

QString SubInventoryListing::line(int row) const {
    return row < entryCount() ? entries::SubInventoryLine(entry(row))
                              : entries::SubInventoryTotalLine(rows_.total());
}

} // namespace tabs
