#pragma once

#include "store/money.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace entries {

// One entry as the listings and the printout show it. Every text is in display form (already
// through FromStoredText); `notes` is the whole notes text, brand line included.
struct ListingEntry {
    qint32 id = 0;
    QString subInventory;
    QString category;
    QString item;
    qint32 count = 0;
    store::Currency value;
    QString notes;
};

// Longest sub-inventory listing line; a longer one is cut and ends in "...".
inline constexpr int kSubInventoryLineLimit = 86;
// Blanks before "Total Value: $" when the total's whole part has one digit.
inline constexpr int kSubInventoryTotalIndent = 41;

// `text` padded with blanks to `width`, or, when longer, its first width - 3 characters and "...".
QString FitColumn(const QString& text, int width);

// "$" and the value with exactly two decimals (further decimals cut, not rounded), preceded by one
// blank for each of 1,000,000 ... 10 above the whole part: 11 characters for values below 10^7.
QString MoneyColumn(store::Currency value);

// The first line of the notes as a listing shows it; `more` tells that something follows (a line
// separator, or the closing tilde of a quoted line).
QString NotesFirstLine(const QString& notes, bool& more);

// Applies the length limit to a finished line: a line beyond `limit` is cut to limit - 3
// characters plus "..."; otherwise, when `more`, it is cut to limit - 3 if longer and gets "...".
void FinishListingLine(QString& line, bool more, int limit);

// "Total Value: $" and the total in plain decimal, indented so that the dollar sign stands where a
// value column with as many whole digits has its own.
QString TotalLine(store::Currency total, int indentForOneDigit);

// A line of a tab's listing: ID, category, item, count, value, first notes line.
QString SubInventoryLine(const ListingEntry& entry);
inline QString SubInventoryTotalLine(store::Currency total) {
    return TotalLine(total, kSubInventoryTotalIndent);
}

// The entry number at the start of a listing line (its first five characters), or nothing for a
// line that does not start with one, such as a total line.
std::optional<qint32> ListingLineId(const QString& line);

} // namespace entries
