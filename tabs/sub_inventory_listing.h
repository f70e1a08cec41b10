#pragma once

#include "ui/line_list.h"
#include "entries/listing_rows.h"
#include "store/money.h"
#include "entries/listing_lines.h"

#include <memory>

namespace store {
class Query;
}

namespace tabs {

// The entries of a tab's listing as read from its query, kept compact (numbers and the stored
// text bytes); each line is formatted when it is asked for. The last line is the total line.
class SubInventoryListing final : public ui::LineSource {
  public:
    // Reads every row of the open query `q` (ID, item, count, value, notes, category) except the
    // header row (ID 0).
    static std::shared_ptr<SubInventoryListing> Read(store::Query& q);

    int entryCount() const { return rows_.size(); }
    entries::ListingEntry entry(int i) const; // decoded, 0 <= i < entryCount()
    store::Currency total() const { return rows_.total(); }

    int count() const override { return entryCount() + 1; }
    QString line(int row) const override;

  private:
    enum Field { Item, Notes, Category, FieldCount };
    entries::ListingRows<FieldCount> rows_;
};

} // namespace tabs
