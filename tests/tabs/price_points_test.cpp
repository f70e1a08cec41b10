// Cost texts, price-point choice, cents, notes lines, photograph checks and refresh order.
#include "pictures/picture_checks.h"
#include "entries/price_points.h"
#include "tabs/tab_set.h"
#include "entries/tab_table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tabs;
using namespace entries;

TEST(PricePoints, LinesOfTheCostList) {
    EXPECT_EQ(PricePointText(store::Currency::fromDouble(12)), QStringLiteral("$12.00"));
    EXPECT_EQ(PricePointText(store::Currency::fromDouble(12.5)), QStringLiteral("$12.50"));
    EXPECT_EQ(PricePointText(store::Currency::fromDouble(0)), QStringLiteral("$0.00"));
    EXPECT_EQ(PricePointText(store::Currency::fromDouble(3000)), QStringLiteral("$3000.00"));
}

TEST(PricePoints, CostBoxForm) {
    EXPECT_EQ(CostBoxText(0), QStringLiteral("$0.00"));
    EXPECT_EQ(CostBoxText(7), QStringLiteral("$7.00"));
    EXPECT_EQ(CostBoxText(7.5), QStringLiteral("$7.50"));
    EXPECT_EQ(CostBoxText(1250.25), QStringLiteral("$1250.25"));
    // More than two decimals must stay a readable cost, not "$1.234.00".
    double back = 0;
    ASSERT_TRUE(ParseCostText(CostBoxText(1.234), back));
    EXPECT_DOUBLE_EQ(back, 1.234);
}

TEST(PricePoints, CostLevelPicks) {
    const QStringList three = {"$10.00", "$20.00", "$30.00"};
    EXPECT_DOUBLE_EQ(PickPricePoint(three, entries::CostLevel::Low), 10);
    EXPECT_DOUBLE_EQ(PickPricePoint(three, entries::CostLevel::Medium), 20);
    EXPECT_DOUBLE_EQ(PickPricePoint(three, entries::CostLevel::High), 30);
    const QStringList two = {"$10.00", "$20.00"};
    EXPECT_DOUBLE_EQ(PickPricePoint(two, entries::CostLevel::Medium), 10);
    EXPECT_DOUBLE_EQ(PickPricePoint(two, entries::CostLevel::High), 20);
    EXPECT_DOUBLE_EQ(PickPricePoint({}, entries::CostLevel::High), 0);
    EXPECT_DOUBLE_EQ(PickPricePoint({"$1,250.50"}, entries::CostLevel::Low), 1250.5);
    EXPECT_DOUBLE_EQ(PickPricePoint({"junk"}, entries::CostLevel::Low), 0);
}

TEST(PricePoints, TypedCosts) {
    double cost = 5;
    EXPECT_TRUE(ParseCostText(QStringLiteral("$1,250.00"), cost));
    EXPECT_DOUBLE_EQ(cost, 1250);
    EXPECT_FALSE(ParseCostText(QStringLiteral("$1,25"), cost));
    EXPECT_DOUBLE_EQ(cost, 1250); // a refused text changes nothing
    EXPECT_FALSE(ParseCostText(QString(), cost));
}

TEST(PricePoints, CentsAreCutNotRounded) {
    EXPECT_DOUBLE_EQ(CutToCents(12.345), 12.34);
    EXPECT_DOUBLE_EQ(CutToCents(12.349999), 12.34);
    EXPECT_DOUBLE_EQ(CutToCents(0.29), 0.29); // 0.29 * 100 is 28.999... in binary
    EXPECT_DOUBLE_EQ(CutToCents(999999.99), 999999.99);
    EXPECT_DOUBLE_EQ(CutToCents(-1.239), -1.23);
}

TEST(NotesBox, LinesOfTheBox) {
    EXPECT_TRUE(NotesLines(QString()).isEmpty());
    EXPECT_EQ(NotesLines(QStringLiteral("Good")), QStringList{"Good"});
    EXPECT_EQ(NotesLines(QStringLiteral("Good\nMore\n")), (QStringList{"Good", "More"}));
    EXPECT_EQ(NotesLines(QStringLiteral("a\n\nb")), (QStringList{"a", "", "b"}));
}

TEST(TabSet, OutdoorsIsRefreshedBeforeMusic) {
    const auto order = RefreshOrder();
    const auto& table = TabTable();
    QStringList keys;
    for (int page : order)
        keys << table[page].keyText();
    EXPECT_EQ(keys.indexOf("Outdoors"), 13);
    EXPECT_EQ(keys.indexOf("Music"), 14);
    EXPECT_EQ(keys.first(), QStringLiteral("Art"));
    EXPECT_EQ(keys.last(), QStringLiteral("Tools"));
    EXPECT_EQ(keys.removeDuplicates(), 0);
}

TEST(PhotographChecks, NameTestComesBeforeTheFile) {
    using namespace pictures;
    EXPECT_EQ(CheckPhotograph(QString()), PhotoAccepted);
    EXPECT_EQ(CheckPhotograph(QStringLiteral("/nowhere/x.gif")), PhotoNotJpeg);
    EXPECT_EQ(CheckPhotograph(QStringLiteral("/nowhere/x.jpg.bak")), PhotoNotJpeg);
    EXPECT_EQ(CheckPhotograph(QStringLiteral("jpg")), PhotoNotJpeg);
    EXPECT_EQ(CheckPhotograph(QStringLiteral("/nowhere/x.JPEG")), PhotoCannotOpen);
    EXPECT_EQ(CheckPhotograph(QStringLiteral("/nowhere/x.jpg")), PhotoCannotOpen);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Photo.JpG"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(CheckPhotograph(file), PhotoAccepted);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.jpg")));
    EXPECT_EQ(CheckPhotograph(dir.filePath(QStringLiteral("folder.jpg"))), PhotoCannotOpen);
    EXPECT_TRUE(PhotoCheckMessage(PhotoAccepted).isEmpty());
    EXPECT_TRUE(PhotoCheckMessage(PhotoNotJpeg).startsWith("The photograph file you have"));
}
