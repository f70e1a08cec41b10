#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace entries {

inline constexpr int kSortSlotCount = 6;

// Key numbers as they are kept in the slots (and in the header row), one per header button.
enum SortKey : int {
    kSortId = 1,
    kSortSubInventory = 2,
    kSortItem = 3,
    kSortCount = 4,
    kSortValue = 5,
    kSortCategory = 6,
};

// The master listing's ordering: slot 1 (index 0) is the primary key; a slot holds a key number,
// positive for ascending, negative for descending, or anything else for "no key" (0, or -16 from a
// header of the older short form). The ordering ends at the slot holding the ID key; slots behind
// it remember keys for later clicks.
struct SortKeys {
    std::array<int, kSortSlotCount> slot{kSortId, 0, 0, 0, 0, 0};

    // A click on the header button of `key`: reverses the primary key, or brings the key to the
    // front with its remembered direction (ascending when new), shifting the slots before its old
    // place down by one. Keys outside 1..6 are ignored.
    void click(int key);

    friend bool operator==(const SortKeys&, const SortKeys&) = default;
};

// The ordering lines that follow "ORDER BY", one per slot up to and including the one naming
// ID_Number; a slot without a key stands for ID_Number.
QStringList OrderByLines(const SortKeys& keys);

// The complete statements, line by line: the master listing (header row included, the reader skips
// it) and the printout (entries only).
QStringList InventoryListingSql(const SortKeys& keys);
QStringList InventoryReportSql(const SortKeys& keys);

// objectName of the header button of a key 1..6; empty for any other number.
QString SortButtonName(int key);

// Picture of a header button without an indicator, relative to the program folder.
QString NoSortIndicatorFile();

// The indicator picture each sort button shows, indexed by key - 1, relative to the program
// folder: the picture of the slot the key sits in and its direction, for the slots that take part
// in the ordering; NoSortIndicatorFile() for the others.
std::array<QString, kSortSlotCount> SortIndicatorFiles(const SortKeys& keys);

} // namespace entries
