#include "inventory/inventory_lines.h"

#include <gtest/gtest.h>

using inventory::ListingEntry;
using store::Currency;

namespace {

QString Blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

} // namespace

TEST(InventoryLine, WorkedExample) {
    const ListingEntry entry{
        7, "Kitchen", "Cookware", "Frying Pan", 2, Currency::fromDouble(45.5), "~Cast iron~"};
    const QString line = inventory::InventoryLine(entry);
    EXPECT_EQ(line, "7" + Blanks(5) + "Kitchen" + Blanks(5) + "Cookware" + Blanks(7) + " " +
                        "Frying Pan" + Blanks(10) + Blanks(5) + "2" + Blanks(5) + "$45.50" + " " +
                        "Cast iron...");
    EXPECT_EQ(line.size(), 84);
}

TEST(InventoryLine, ColumnsAndLimit) {
    ListingEntry entry{
        12345, "Home Office", "c", "abcdefghijklmnopqrstu", 99999, Currency::fromDouble(999999.99),
        {}};
    const QString line = inventory::InventoryLine(entry);
    EXPECT_EQ(line.left(34), "12345 Home Office c               ");
    EXPECT_EQ(line.mid(34), "abcdefghijklmnopq... 99999 $999999.99 ");
    entry.item.chop(1);
    EXPECT_EQ(inventory::InventoryLine(entry).mid(34, 20), "abcdefghijklmnopqrst");

    entry.notes = QString(16, QLatin1Char('n'));
    EXPECT_EQ(inventory::InventoryLine(entry), inventory::InventoryRow(entry) + entry.notes);
    entry.notes += "n";
    EXPECT_EQ(inventory::InventoryLine(entry),
              inventory::InventoryRow(entry) + QString(13, QLatin1Char('n')) + "...");
}

TEST(InventoryLine, TotalLine) {
    EXPECT_EQ(inventory::InventoryTotalLine(Currency{}), Blanks(53) + "Total Value: $0");
    EXPECT_EQ(inventory::InventoryTotalLine(Currency::fromDouble(1296.5)),
              Blanks(50) + "Total Value: $1296.5");
    EXPECT_EQ(inventory::InventoryTotalLine(Currency::fromDouble(0.1) + Currency::fromDouble(0.2)),
              Blanks(53) + "Total Value: $0.3");
    // The largest possible sum, 99,999 entries just below 1,000,000: still exact.
    const QString big = inventory::InventoryTotalLine(Currency{99999LL * 9999999999LL});
    EXPECT_EQ(big, Blanks(43) + "Total Value: $99998999990.0001");
}
