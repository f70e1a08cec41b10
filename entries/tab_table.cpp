#include "entries/tab_table.h"

namespace entries {

const std::array<TabInfo, kTabCount>& TabTable() {
    static const std::array<TabInfo, kTabCount> table = {{
        {"Art", "Art/Decoration", "Art", 2},
        {"Bathroom", "Bathroom", "Bathroom", 3},
        {"Clothing", "Clothing", "Clothing", 4},
        {"Electronics", "Electronics", "Electronics", 5},
        {"Furniture", "Furniture", "Furniture", 6},
        {"Hobbies", "Hobbies/Collections", "Hobbies", 7},
        {"Office", "Home Office", "Home Office", 13},
        {"Jewelry", "Jewelry", "Jewelry", 8},
        {"Kitchen", "Kitchen/Dining", "Kitchen", 1},
        {"Laundry", "Laundry", "Laundry", 9},
        {"Libraries", "Libraries", "Libraries", 10},
        {"Linens", "Linens", "Linens", 11},
        {"Misc", "Miscellaneous", "Misc.", 12},
        {"Music", "Music", "Music", 15},
        {"Outdoors", "Outdoor Living", "Outdoors", 14},
        {"Sports", "Sports Equipment", "Sports", 16},
        {"Tools", "Tools", "Tools", 17},
    }};
    return table;
}

int PageOfSubInventory(int number) {
    const auto& t = TabTable();
    for (int i = 0; i < kTabCount; ++i)
        if (t[i].number == number) return i;
    return -1;
}

int PageOfKey(const QString& key) {
    const auto& t = TabTable();
    for (int i = 0; i < kTabCount; ++i)
        if (key == QLatin1String(t[i].key)) return i;
    return -1;
}

} // namespace entries
