#include "entries/listing_lines.h"

#include <gtest/gtest.h>

using store::Currency;

namespace {

QString Blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

QString Line(qint32 id, const QString& category, const QString& item, qint32 count, double value,
             const QString& notes = {}) {
    return entries::SubInventoryLine(
        {id, QStringLiteral("Art"), category, item, count, Currency::fromDouble(value), notes});
}

} // namespace

TEST(SubInventoryLine, ColumnsAndCuts) {
    EXPECT_EQ(Line(7, "Paintings", "Oil Painting", 2, 300, "Good"),
              "7" + Blanks(5) + "Paintings      " + " " + "Oil Painting        " + Blanks(5) + "2" +
                  Blanks(4) + "$300.00" + " " + "Good");
    EXPECT_EQ(Line(1, "ABCDEFGHIJKLMNO", "x", 1, 1).mid(6, 16), "ABCDEFGHIJKLMNO ");
    EXPECT_EQ(Line(1, "ABCDEFGHIJKLMNOP", "x", 1, 1).mid(6, 16), "ABCDEFGHIJKL... ");
}

TEST(SubInventoryLine, NotesAndLengthLimit) {
    auto notesOf = [](const QString& notes) { return Line(3, "c", "i", 1, 1, notes).mid(60); };
    EXPECT_EQ(notesOf("Good"), "Good");
    EXPECT_EQ(notesOf("~Very good~"), "Very good...");
    EXPECT_EQ(notesOf("Good`More"), "Good...");
    // A brand line right in front of the notes: the two inner tildes read as one.
    EXPECT_EQ(notesOf("~Acme Co~~Cast iron~"), "Acme Co~Cast iron...");

    const QString n26(26, QLatin1Char('n'));
    const QString cut = QString(23, QLatin1Char('n')) + "...";
    EXPECT_EQ(notesOf(n26), n26); // 86 characters in all
    EXPECT_EQ(notesOf(n26 + "n"), cut);
    EXPECT_EQ(notesOf(n26 + "`more"), cut);
}

TEST(SubInventoryLine, MoneyColumn) {
    EXPECT_EQ(entries::MoneyColumn(Currency::fromDouble(5.5)), "      $5.50");
    EXPECT_EQ(entries::MoneyColumn(Currency::fromDouble(123.45)), "    $123.45");
    EXPECT_EQ(entries::MoneyColumn(Currency::fromDouble(0)), "      $0.00");
    EXPECT_EQ(entries::MoneyColumn(Currency::fromDouble(12.3456)),
              "     $12.34"); // cut, not rounded
    EXPECT_EQ(entries::MoneyColumn(Currency::fromDouble(999999.99)), " $999999.99");
    EXPECT_EQ(entries::MoneyColumn(Currency::fromDouble(1000000)), "$1000000.00");
}

TEST(SubInventoryLine, TotalLineAndId) {
    EXPECT_EQ(entries::SubInventoryTotalLine(Currency{}), Blanks(41) + "Total Value: $0");
    const Currency sum = Currency::fromDouble(12.25) + Currency::fromDouble(0.25);
    EXPECT_EQ(entries::SubInventoryTotalLine(sum), Blanks(40) + "Total Value: $12.5");
    EXPECT_EQ(Line(1, "c", "i", 1, 12.25).indexOf('$'),
              entries::SubInventoryTotalLine(sum).indexOf('$'));

    EXPECT_EQ(entries::ListingLineId(Line(99999, "c", "i", 1, 1)), 99999);
    EXPECT_EQ(entries::ListingLineId(Line(7, "c", "i", 1, 1)), 7);
    EXPECT_EQ(entries::ListingLineId(entries::SubInventoryTotalLine(Currency{})), std::nullopt);
}
