#pragma once

#include "ui/entry_listing.h"

#include <memory>

namespace store {
class Query;
}

namespace tabs {

// The entries of a tab's listing as read from its query, each line formatted when asked for.
class SubInventoryListing final : public ui::EntryListing<3> {
  public:
    // Reads every row of the open query `q` (ID, item, count, value, notes, category) except the
    // header row (ID 0).
    static std::shared_ptr<SubInventoryListing> Read(store::Query& q);

    entries::ListingEntry entry(int i) const; // decoded, 0 <= i < entryCount()
    QString line(int row) const override;
};

} // namespace tabs
