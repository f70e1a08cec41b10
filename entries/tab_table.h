#pragma once

#include <QString>
#include <array>

namespace entries {

// One sub-inventory tab: its key (control infix and catalogue table prefix), page caption,
// the Sub_Inventory literal stored with its entries, and its sub-inventory number.
struct TabInfo {
    const char* key;
    const char* caption;
    const char* subInventory;
    int number;
    QString keyText() const { return QString::fromLatin1(key); }
    QString captionText() const { return QString::fromLatin1(caption); }
    QString subInventoryText() const { return QString::fromLatin1(subInventory); }
};

inline constexpr int kTabCount = 17;

// In page order.
const std::array<TabInfo, kTabCount>& TabTable();
// Page index (0-based) of a sub-inventory number 1..17, or -1.
int PageOfSubInventory(int number);
// Page index of a tab key, or -1.
int PageOfKey(const QString& key);

} // namespace entries
