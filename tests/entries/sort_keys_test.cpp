#include "entries/sort_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

using entries::SortKeys;

namespace {

using Slots = std::array<int, 6>;

SortKeys Clicked(std::initializer_list<int> clicks, SortKeys keys = {}) {
    for (int key : clicks)
        keys.click(key);
    return keys;
}

QStringList Order(Slots values) {
    return entries::OrderByLines(SortKeys{values});
}

} // namespace

TEST(SortKeys, ClickSequences) {
    // Item, Item, Total Value, Item.
    EXPECT_EQ(Clicked({3}).slot, (Slots{3, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Clicked({3, 3}).slot, (Slots{-3, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Clicked({3, 3, 5}).slot, (Slots{5, -3, 1, 0, 0, 0}));
    EXPECT_EQ(Clicked({3, 3, 5, 3}).slot, (Slots{-3, 5, 1, 0, 0, 0}));
    // ID when not primary orders by ID only; a remembered key comes back with its direction.
    EXPECT_EQ(Clicked({3, 3, 5, 1}).slot, (Slots{1, 5, -3, 0, 0, 0}));
    EXPECT_EQ(Clicked({3, 3, 5, 1, 3}).slot, (Slots{-3, 1, 5, 0, 0, 0}));
    EXPECT_EQ(Clicked({1}).slot, (Slots{-1, 0, 0, 0, 0, 0}));
    // An old header's -16 in slot 6 is pushed out; keys outside 1..6 change nothing.
    EXPECT_EQ(Clicked({5, 0, 7, -3}, SortKeys{{3, 1, 0, 0, 0, -16}}).slot,
              (Slots{5, 3, 1, 0, 0, 0}));
}

TEST(SortKeys, SixKeysNoneLost) {
    const SortKeys full = Clicked({2, 3, 4, 5, 6});
    ASSERT_EQ(full.slot, (Slots{6, 5, 4, 3, 2, 1}));
    for (int key = 1; key <= 6; ++key) {
        const SortKeys keys = Clicked({key}, full);
        EXPECT_EQ(std::abs(keys.slot[0]), key);
        std::array<bool, 7> seen{};
        for (int value : keys.slot)
            seen[std::abs(value)] = true;
        EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), true), 6) << "after clicking " << key;
    }
    EXPECT_EQ(Clicked({1, 4}, full).slot, (Slots{4, 1, 6, 5, 3, 2}));
}

TEST(SortKeys, OrderByLines) {
    EXPECT_EQ(Order({1, 0, 0, 0, 0, 0}), QStringList{"ID_Number ASC"});
    EXPECT_EQ(Order({-1, 3, 0, 0, 0, 0}), QStringList{"ID_Number DESC"});
    EXPECT_EQ(Order({5, -3, 1, 0, 0, 0}),
              (QStringList{"Total_Value_Of_Item ASC,", "Item_Name DESC,", "ID_Number ASC"}));
    EXPECT_EQ(
        Order({-6, 5, -4, 3, -2, -1}),
        (QStringList{"Major_Category DESC,", "Total_Value_Of_Item ASC,", "Number_Of_Items DESC,",
                     "Item_Name ASC,", "Sub_Inventory DESC,", "ID_Number DESC"}));
    // Empty, old or damaged slots stand for ID_Number and end the list.
    EXPECT_EQ(Order({0, 0, 0, 0, 0, 0}), QStringList{"ID_Number"});
    EXPECT_EQ(Order({3, 0, 1, 0, 0, 0}), (QStringList{"Item_Name ASC,", "ID_Number"}));
    EXPECT_EQ(Order({2, 3, 4, 5, 6, -16}).back(), "ID_Number");
    EXPECT_EQ(Order({std::numeric_limits<int>::min(), 3, 1, 0, 0, 0}), QStringList{"ID_Number"});
    // A key repeated six times never reaches the ID: the list is still closed.
    EXPECT_EQ(Order({2, 2, 2, 2, 2, 2}).back(), "ID_Number");

    EXPECT_EQ(entries::InventoryListingSql(SortKeys{}).mid(2),
              (QStringList{"ORDER BY ", "ID_Number ASC"}));
}

TEST(SortKeys, IndicatorPictures) {
    const QString none = entries::NoSortIndicatorFile();
    using Files = std::array<QString, 6>;
    // Keys behind the ID are remembered but show nothing.
    EXPECT_EQ(
        entries::SortIndicatorFiles(SortKeys{{5, -3, 1, 2, 0, 0}}),
        (Files{"Content/thdup.bmp", none, "Content/snddwn.bmp", none, "Content/priup.bmp", none}));
    EXPECT_EQ(entries::SortIndicatorFiles(SortKeys{{-6, 5, -4, 3, -2, -1}}),
              (Files{"Content/sxhdwn.bmp", "Content/ffhdwn.bmp", "Content/frhup.bmp",
                     "Content/thddwn.bmp", "Content/sndup.bmp", "Content/pridwn.bmp"}));
    // An empty or old slot is passed over without stopping the pass.
    EXPECT_EQ(entries::SortIndicatorFiles(SortKeys{{0, 4, -16, 1, 0, 0}}),
              (Files{"Content/frhup.bmp", none, none, "Content/sndup.bmp", none, none}));
}
