#include "entries/sort_keys.h"

namespace entries {

namespace {

const char* const kColumns[kSortSlotCount] = {"ID_Number",           "Sub_Inventory",
                                              "Item_Name",           "Number_Of_Items",
                                              "Total_Value_Of_Item", "Major_Category"};

const char* const kButtons[kSortSlotCount] = {"btnInventoryID",    "btnInventoryIName",
                                              "btnInventoryItem",  "btnInventoryNumber",
                                              "btnInventoryValue", "btnInventoryCategory"};

const char* const kIndicatorStems[kSortSlotCount] = {"pri", "snd", "thd", "frh", "ffh", "sxh"};

// Key number of a slot value, or 0 when the slot holds no key.
int KeyOf(int slot) {
    if (slot >= 1 && slot <= kSortSlotCount) return slot;
    if (slot <= -1 && slot >= -kSortSlotCount) return -slot;
    return 0;
}

const QString kIdFiller = QStringLiteral("ID_Number");

} // namespace

void SortKeys::click(int key) {
    if (key < 1 || key > kSortSlotCount) return;
    if (KeyOf(slot[0]) == key) {
        slot[0] = -slot[0];
        return;
    }
    int found = -1;
    for (int s = 1; s < kSortSlotCount; ++s) {
        if (KeyOf(slot[s]) == key) {
            found = s;
            break;
        }
    }
    const int value = found >= 0 ? slot[found] : key;
    for (int s = found >= 0 ? found : kSortSlotCount - 1; s > 0; --s)
        slot[s] = slot[s - 1];
    slot[0] = value;
}

QStringList OrderByLines(const SortKeys& keys) {
    QStringList lines;
    for (int value : keys.slot) {
        const int key = KeyOf(value);
        if (key == 0) {
            lines << kIdFiller;
            return lines;
        }
        QString line = QLatin1String(kColumns[key - 1]);
        line += value > 0 ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
        if (key == kSortId) {
            lines << line;
            return lines;
        }
        lines << line + QLatin1Char(',');
    }
    // Six keys without the ID key can only come from a damaged header (a key twice); every line so
    // far ends in a comma, so close the list rather than hand the engine a broken statement.
    lines << kIdFiller;
    return lines;
}

QStringList InventoryListingSql(const SortKeys& keys) {
    QStringList lines{QStringLiteral("SELECT ID_Number, Item_Name, Number_Of_Items, "
                                     "Total_Value_Of_Item, Item_Notes, Sub_Inventory, "
                                     "Major_Category"),
                      QStringLiteral("FROM Inventory"), QStringLiteral("ORDER BY ")};
    return lines + OrderByLines(keys);
}

QStringList InventoryReportSql(const SortKeys& keys) {
    QStringList lines{QStringLiteral("SELECT ID_Number, Item_Name, Number_Of_Items, "
                                     "Total_Value_Of_Item, Item_Notes, Sub_Inventory, "
                                     "Major_Category"),
                      QStringLiteral("FROM Inventory"), QStringLiteral("WHERE ID_Number > 0"),
                      QStringLiteral("ORDER BY")};
    return lines + OrderByLines(keys);
}

QString SortButtonName(int key) {
    if (key < 1 || key > kSortSlotCount) return {};
    return QLatin1String(kButtons[key - 1]);
}

QString NoSortIndicatorFile() {
    return QStringLiteral("Content/nthng.bmp");
}

std::array<QString, kSortSlotCount> SortIndicatorFiles(const SortKeys& keys) {
    std::array<QString, kSortSlotCount> files;
    files.fill(NoSortIndicatorFile());
    for (int s = 0; s < kSortSlotCount; ++s) {
        const int key = KeyOf(keys.slot[s]);
        if (key == 0) continue;
        files[key - 1] = QStringLiteral("Content/") + QLatin1String(kIndicatorStems[s]) +
                         (keys.slot[s] > 0 ? QStringLiteral("up.bmp") : QStringLiteral("dwn.bmp"));
        if (key == kSortId) break;
    }
    return files;
}

} // namespace entries
