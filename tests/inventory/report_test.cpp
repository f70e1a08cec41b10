#include "inventory/report.h"

#include "store/stored_text.h"

#include <gtest/gtest.h>

using inventory::ReportEntry;
using inventory::StampTime;
using store::Currency;

namespace {

QString Blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

// Friday 5 March 2004, 14:05.
const StampTime kShedStamp{5, 14, 5, 2, 104, 5};
const QString kProduct = "  Quivera!" + QString(QChar(0x2122));

struct Recorded {
    std::vector<QStringList> pages;
    std::vector<int> breaksBefore; // page breaks seen before each page was drawn
    int breaks = 0;
};

Recorded Print(const QStringList& lines, int perPage, int copies) {
    Recorded r;
    inventory::PrintCopies(
        lines, perPage, copies,
        [&](const QStringList& page) {
            r.breaksBefore.push_back(r.breaks);
            r.pages.push_back(page);
        },
        [&] { ++r.breaks; });
    return r;
}

} // namespace

TEST(Report, TitleLine) {
    EXPECT_EQ(inventory::ReportTitleLine("Inventory: Shed", kShedStamp),
              "Inventory: Shed at 2:05 PM on Friday, March 5, 2004" + kProduct);
    auto clock = [](int hour, int minute) {
        const QString title =
            inventory::ReportTitleLine("Inventory", StampTime{minute, hour, 31, 11, 99, 0});
        return title.chopped(kProduct.size());
    };
    EXPECT_EQ(clock(0, 30), "Inventory at 12:30 AM on Sunday, December 31, 1999");
    EXPECT_EQ(clock(12, 30), "Inventory at 12:30 PM on Sunday, December 31, 1999");
    EXPECT_EQ(clock(11, 9), "Inventory at 11:09 AM on Sunday, December 31, 1999");
    // Names out of range (a damaged header) are left out rather than read past the tables.
    EXPECT_EQ(inventory::ReportTitleLine("Inventory", StampTime{0, 9, 1, 12, 100, 7}),
              "Inventory at 9:00 AM on 1, 2000" + kProduct);

    const QDateTime now(QDate(2024, 7, 7), QTime(0, 30)); // a Sunday
    EXPECT_EQ(inventory::ReportTime(true, kShedStamp, now), (StampTime{30, 0, 7, 6, 124, 0}));
    EXPECT_EQ(inventory::ReportTime(false, kShedStamp, now), kShedStamp);
}

TEST(Report, WrapNotesLine) {
    EXPECT_EQ(inventory::WrapNotesLine(""), QStringList{""});
    const QString sixty = "Bought at a county fair in spring for the cabin porch swings";
    EXPECT_EQ(inventory::WrapNotesLine(sixty),
              (QStringList{"Bought at a county fair in spring for the ", "cabin porch swings"}));

    const QString word100(100, QLatin1Char('x'));
    EXPECT_EQ(inventory::WrapNotesLine("ab " + word100),
              (QStringList{"ab ", word100.left(46), word100.mid(46, 46), word100.mid(92)}));

    // A word that fills the column exactly keeps its line; the blanks after it hang.
    const QString filled = QString(40, QLatin1Char('a')) + " bcdef";
    EXPECT_EQ(inventory::WrapNotesLine(filled + "   next"), (QStringList{filled, "next"}));

    const QString text = "one two  three " + word100 + " four five six seven eight nine ten";
    const QStringList pieces = inventory::WrapNotesLine(text);
    for (const QString& piece : pieces)
        EXPECT_LE(piece.size(), 46);
    EXPECT_EQ(pieces.join(QString()), text);
}

TEST(Report, SmallInventoryExactly) {
    const std::vector<ReportEntry> entries{
        {1, "Kitchen", "Cookware", "Frying Pan", 2, Currency::fromDouble(45.5), "~Cast iron~"},
        {2, "Art", "Paintings", "Oil Painting", 1, Currency::fromDouble(300), ""},
        {3, "Misc.", "Garden Furniture", "Porch Swing", 1, Currency::fromDouble(950.25),
         store::NotesToText(
             {"Red", "", "Bought at a county fair in spring for the cabin porch swings"})},
    };
    const QString notes = Blanks(72);
    EXPECT_EQ(
        inventory::ReportLines("Inventory: Shed", kShedStamp, entries),
        (QStringList{
            "Inventory: Shed at 2:05 PM on Friday, March 5, 2004" + kProduct,
            "",
            "ID    Inventory   Category        Item                     #      Value Notes:",
            "1     Kitchen     Cookware        Frying Pan               2     $45.50 Cast iron",
            "2     Art         Paintings       Oil Painting             1    $300.00 ",
            "3     Misc.       Garden Furni... Porch Swing              1    $950.25 Red",
            notes,
            notes + "Bought at a county fair in spring for the ",
            notes + "cabin porch swings",
            Blanks(50) + "Total Value: $1295.75",
        }));
}

TEST(Report, PagesAndCopies) {
    // A report of 48 lines: 3 head lines, 44 entries, the total line.
    const std::vector<ReportEntry> entries(44, {1, "Art", "c", "i", 1, Currency{10000}, ""});
    const QStringList lines = inventory::ReportLines("Inventory", kShedStamp, entries);
    ASSERT_EQ(lines.size(), 48);

    const Recorded one = Print(lines, inventory::kReportLinesPerPage, 1);
    ASSERT_EQ(one.pages.size(), 2u);
    EXPECT_EQ(one.pages[0], QStringList{"Page 1"} + lines.mid(0, 47));
    EXPECT_EQ(one.pages[1], (QStringList{"Page 2", lines.back()}));
    EXPECT_EQ(one.breaksBefore, (std::vector<int>{0, 1}));
    EXPECT_EQ(Print(lines.mid(0, 47), inventory::kReportLinesPerPage, 1).pages.size(), 1u);

    const Recorded none = Print(lines, inventory::kReportLinesPerPage, 0);
    EXPECT_TRUE(none.pages.empty());
    EXPECT_EQ(none.breaks, 0);

    const Recorded two = Print(lines, inventory::kReportLinesPerPage, 2);
    ASSERT_EQ(two.pages.size(), 4u);
    EXPECT_EQ(two.pages[2], one.pages[0]);
    EXPECT_EQ(two.pages[3], one.pages[1]);
    EXPECT_EQ(two.breaksBefore, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(two.breaks, 3);

    // The help printout's 51-line pages follow the same rule.
    EXPECT_EQ(Print(lines.mid(0, 4) + lines, 51, 1).pages.back(),
              (QStringList{"Page 2", lines.back()}));
}
