#pragma once

#include "ui/line_list.h"
#include "inventory/inventory_lines.h"
#include "entries/listing_rows.h"
#include "store/money.h"

#include <memory>

namespace store {
class Query;
}

namespace inventory {

// The entries of the master listing as read from the listing query, kept compact (numbers and the
// stored text bytes); each line is formatted when it is asked for, so a listing of 100,000
// entries costs little more than the query. The last line is the total line.
class InventoryListing final : public ui::LineSource {
  public:
    // Reads every row of the open query `q` (the listing's columns) except the header row (ID 0).
    // `selectId`'s line index goes to `found`, -1 when no entry has that number.
    // `expectedEntries` sizes the storage up front; the listing grows past it as needed.
    static std::shared_ptr<InventoryListing> Read(store::Query& q, int selectId = 0,
                                                  int* found = nullptr, int expectedEntries = 0);

    int entryCount() const { return rows_.size(); }
    entries::ListingEntry entry(int i) const; // decoded, 0 <= i < entryCount()
    store::Currency total() const { return rows_.total(); }

    int count() const override { return entryCount() + 1; }
    QString line(int row) const override;

  private:
    enum Field { Item, Notes, SubInventory, Category, FieldCount };
    entries::ListingRows<FieldCount> rows_;
};

} // namespace inventory
