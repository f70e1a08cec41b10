#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace store {
class Query;
}

namespace entries {

// Index line columns: the item runs to column 37, the category to column 67, then the tab.
inline constexpr int kIndexItemWidth = 37;
inline constexpr int kIndexTabColumn = 67;
// Look-up keys: at most this many characters of the typed text, and of a category line's name.
inline constexpr int kLookUpMaxLength = 36;
inline constexpr int kLookUpCategoryKeyLength = 29;

// One line of the index. `item` is empty on a category's own line.
struct IndexEntry {
    QString item;
    QString category;
    QString tab; // tab caption
};

// "item (to 37) category (to 67) tab"; a category line starts with 37 blanks.
QString IndexLine(const IndexEntry& entry);
QStringList IndexLines(const std::vector<IndexEntry>& entries);

// The statements that fill Temp_Table from every tab's items and categories, the first one
// creating it.
std::vector<QStringList> IndexFillStatements();

// Builds the index on the catalogue through Temp_Table, in one transaction: a table left by an
// interrupted run is dropped first, and the table is gone again afterwards. Items named "Other"
// are left out.
std::vector<IndexEntry> BuildItemIndex(store::Query& catalogue);

// The line a typed look-up text selects, or -1 (empty text or no lines): the first line whose key
// equals the text, else the last one sorting before it, else the first line. Keys compare as the
// index is ordered (letter case ignored, on the stored form of the names).
int LookUpIndexLine(const QStringList& lines, const QString& text);

} // namespace entries
