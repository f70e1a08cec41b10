#include "inventories/header_row.h"
#include "user_database.h"

#include <gtest/gtest.h>

using namespace inventories;

namespace {

// Friday 5 March 2004, 14:05.
const ChangeStamp kFriday{5, 14, 5, 3, 2004, 5};
const InventorySettings kItemDescThenId{{-3, 1, 0, 0, 0, 0}, CostLevel::Low};

// A whole header row as the program writes it.
QString Header(const InventoryHeader& h) {
    return StampText(h.stamp) + SettingsText(h.settings);
}

} // namespace

TEST(HeaderText, ExampleStateAndReadBack) {
    EXPECT_TRUE(ChangeStamp::fromDateTime(QDateTime(QDate(2004, 3, 5), QTime(14, 5))) == kFriday);
    const QString text = Header({kFriday, kItemDescThenId});
    EXPECT_EQ(text, QStringLiteral("0205P 03/05/2004 5 -10000 L"));
    ASSERT_EQ(text.size(), kHeaderLength);
    const auto back = ParseHeaderText(text);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->stamp == kFriday);
    EXPECT_EQ(back->settings, kItemDescThenId);
}

TEST(HeaderText, TwelveHourClockAndDescendingSlots) {
    ChangeStamp midnight{30, 0, 31, 12, 1999, 0};
    ChangeStamp noon{30, 12, 1, 1, 2000, 6};
    EXPECT_EQ(StampText(midnight), QStringLiteral("1230A 12/31/1999 0"));
    EXPECT_EQ(StampText(noon), QStringLiteral("1230P 01/01/2000 6"));
    const InventorySettings desc{{-1, -2, -3, -4, -5, -6}, CostLevel::High};
    EXPECT_EQ(SettingsText(desc), QStringLiteral(" /.-,+* H"));
    for (const ChangeStamp& s : {midnight, noon}) {
        const auto back = ParseHeaderText(Header({s, desc}));
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->stamp == s);
        EXPECT_EQ(back->settings, desc);
    }
}

TEST(HeaderText, ShortFormAndCostLetters) {
    const auto shortForm = ParseHeaderText(QStringLiteral("0205P 03/05/2004 5 -1000 M"));
    ASSERT_TRUE(shortForm);
    EXPECT_TRUE(shortForm->stamp == kFriday);
    EXPECT_EQ(shortForm->settings.sortKeys, (SortSlots{-3, 1, 0, 0, 0, kShortHeaderSlot}));
    EXPECT_EQ(shortForm->settings.cost, CostLevel::Medium);
    const auto other = ParseHeaderText(QStringLiteral("0205P 03/05/2004 5 -10000 x"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->settings.cost, CostLevel::High);
}

TEST(HeaderText, MalformedReadsAsNothing) {
    for (const QString& bad : {QString(), QStringLiteral("0205P 03/05/2004 5 -10000"),
                               QStringLiteral("0205P 03/05/2004 5 -10000 LL"),
                               QStringLiteral("0205P 13/05/2004 5 -10000 L"),  // month 13
                               QStringLiteral("0205P 03/05/2004 7 -10000 L"),  // weekday 7
                               QStringLiteral("0261P 03/05/2004 5 -10000 L"),  // minute 61
                               QStringLiteral("0205P 03/00/2004 5 -10000 L"),  // day 0
                               QStringLiteral("a205P 03/05/2004 5 -10000 L")}) // not digits
        EXPECT_FALSE(ParseHeaderText(bad)) << bad.toStdString();
}

TEST(HeaderText, ComposedWriteKeepsWhatIsStillTrue) {
    const QString stored = QStringLiteral("0205P 03/05/2004 5 -10000 L");
    const ChangeStamp later{0, 9, 1, 7, 2025, 2};
    const InventorySettings now{{2, 1, 0, 0, 0, 0}, CostLevel::High};
    HeaderWrite w{later, now, false, false};
    EXPECT_EQ(ComposeHeaderWrite(stored, w), stored);
    w.inventoryModified = true;
    EXPECT_EQ(ComposeHeaderWrite(stored, w), StampText(later) + stored.mid(18));
    w.inventoryModified = false;
    w.settingsChanged = true;
    EXPECT_EQ(ComposeHeaderWrite(stored, w), stored.left(18) + SettingsText(now));

    // The short form is widened, its missing sixth slot becoming a blank.
    w.settingsChanged = false;
    const QString widened = ComposeHeaderWrite(QStringLiteral("0205P 03/05/2004 5 -1000 M"), w);
    EXPECT_EQ(widened, QStringLiteral("0205P 03/05/2004 5 -1000  M"));
    EXPECT_EQ(ParseHeaderText(widened)->settings.sortKeys[5], kShortHeaderSlot);

    // Anything malformed is replaced as a whole, flags or not.
    EXPECT_EQ(ComposeHeaderWrite(QStringLiteral("garbage"), w), Header({later, now}));
    EXPECT_EQ(ComposeHeaderWrite(QStringLiteral("0205P 13/05/2004 5 -10000 L"), w),
              Header({later, now}));
}

using HeaderRowDb = UserDatabaseTest;

TEST_F(HeaderRowDb, WriteThenReadThroughTheDatabase) {
    EXPECT_FALSE(ReadInventoryHeader(*q)); // the empty header of a fresh file
    const QString written = WriteInventoryHeader(*q, {kFriday, kItemDescThenId, false, false});
    EXPECT_EQ(written, QStringLiteral("0205P 03/05/2004 5 -10000 L"));
    EXPECT_EQ(headerText(), written);
    EXPECT_EQ(column(QStringLiteral("SELECT Total_Value_Of_Item FROM Inventory WHERE ID_Number = "
                                    "0")),
              QStringList{QStringLiteral("1.1")});
    const auto back = ReadInventoryHeader(*q);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->settings, kItemDescThenId);

    // Unchanged flags keep the stored text even though the state passed in differs.
    WriteInventoryHeader(*q, {ChangeStamp{}, InventorySettings{}, false, false});
    EXPECT_EQ(headerText(), written);
}

TEST_F(HeaderRowDb, AMissingHeaderRowIsInsertedAgain) {
    q->execute({QStringLiteral("DELETE FROM Inventory WHERE ID_Number = 0")});
    const QString written = WriteInventoryHeader(*q, {kFriday, kItemDescThenId, false, true});
    EXPECT_EQ(headerText(), written);
    EXPECT_EQ(column(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number = 0")),
              QStringList{QStringLiteral("1")});
    ASSERT_TRUE(ReadInventoryHeader(*q));
    EXPECT_EQ(ReadInventoryHeader(*q)->settings, kItemDescThenId);
    // From then on it is rewritten in place, never doubled.
    const InventorySettings byItem{{4, 0, 0, 0, 0, 0}, CostLevel::High};
    WriteInventoryHeader(*q, {kFriday, byItem, false, true});
    EXPECT_EQ(column(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number = 0")),
              QStringList{QStringLiteral("1")});
    EXPECT_EQ(ReadInventoryHeader(*q)->settings, byItem);
}

TEST_F(HeaderRowDb, KeptTextWithAnApostropheStaysIntact) {
    // Slot -9 is an apostrophe; a kept header must not be able to break the statement.
    const QString odd = QStringLiteral("0205P 03/05/2004 5 '00000 L");
    q->execute({QStringLiteral("UPDATE Inventory SET Item_Notes = '%1' WHERE ID_Number = 0")
                    .arg(QString(odd).replace(QStringLiteral("'"), QStringLiteral("''")))});
    EXPECT_EQ(WriteInventoryHeader(*q, {kFriday, kItemDescThenId, false, false}), odd);
    EXPECT_EQ(headerText(), odd);
    EXPECT_EQ(ReadInventoryHeader(*q)->settings.sortKeys[0], -9);
}
