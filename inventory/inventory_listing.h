#pragma once

#include "ui/entry_listing.h"
#include "inventory/inventory_lines.h"

#include <memory>

namespace store {
class Query;
}

namespace inventory {

// The entries of the master listing as read from the listing query, each line formatted when
// asked for; beside the shared texts it keeps the tab's name.
class InventoryListing final : public ui::EntryListing<4> {
  public:
    // Reads every row of the open query `q` (the listing's columns) except the header row (ID 0).
    // `selectId`'s line index goes to `found`, -1 when no entry has that number.
    // `expectedEntries` sizes the storage up front; the listing grows past it as needed.
    static std::shared_ptr<InventoryListing> Read(store::Query& q, int selectId = 0,
                                                  int* found = nullptr, int expectedEntries = 0);

    entries::ListingEntry entry(int i) const; // decoded, 0 <= i < entryCount()
    QString line(int row) const override;

  private:
    static constexpr int SubInventory = SharedTextCount;
};

} // namespace inventory
