#pragma once

#include "entries/listing_lines.h"

#include <QString>

namespace inventory {

using entries::ListingEntry;

// Longest master listing line; a longer one is cut and ends in "...".
inline constexpr int kInventoryLineLimit = 88;
// Width of the row in front of the notes column (ID to the blank after the value).
inline constexpr int kInventoryRowWidth = 72;
// Blanks before "Total Value: $" when the total's whole part has one digit.
inline constexpr int kInventoryTotalIndent = 53;

// The columns ID, sub-inventory, category, item, count and value, and the blank after the value:
// 72 characters for values below 10^7. The printout's rows are these same columns.
QString InventoryRow(const entries::ListingEntry& entry);

// A line of the master listing: the row and the first notes line, at most 88 characters.
QString InventoryLine(const entries::ListingEntry& entry);

inline QString InventoryTotalLine(store::Currency total) {
    return entries::TotalLine(total, kInventoryTotalIndent);
}

} // namespace inventory
