// The item index: its lines, its build through the scratch table, and the look-up.
#include "entries/item_index.h"
#include "store/database.h"
#include "store/stored_text.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Catalogue {
    ProgramFolder folder;
    store::Connection connection{
        store::ConnectionString(store::DatabaseKind::Catalogue, folder.path())};
    store::Query q{connection};
    qint64 value(const QString& sql) {
        q.open({sql});
        const qint64 v = q.integer(0);
        q.close();
        return v;
    }
};

QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

} // namespace

TEST(IndexLines, ItemAndCategoryColumns) {
    EXPECT_EQ(entries::IndexLine({"Ship's clock", "Clocks", "Art/Decoration"}),
              QStringLiteral("Ship's clock") + blanks(25) + QStringLiteral("Clocks") + blanks(24) +
                  QStringLiteral("Art/Decoration"));
    EXPECT_EQ(entries::IndexLine({QString(), "Clocks", "Art/Decoration"}),
              blanks(37) + QStringLiteral("Clocks") + blanks(24) +
                  QStringLiteral("Art/Decoration"));
    // A name longer than its column runs on without padding.
    const QString longItem(40, QLatin1Char('x'));
    EXPECT_EQ(entries::IndexLine({longItem, "C", "Tools"}),
              longItem + QStringLiteral("C") + blanks(26) + QStringLiteral("Tools"));
}

TEST(IndexBuild, EveryItemAndCategoryOnceInOrderWithoutOtherAndWithoutScratchTable) {
    Catalogue c;
    // A table left by an interrupted run, an item called Other and a name with an apostrophe.
    c.q.execute({QStringLiteral("CREATE TABLE Temp_Table (Junk INTEGER)")});
    c.q.execute({QStringLiteral("INSERT INTO Tools_Items VALUES ('Hand Tools', 1, 'Other', 99, "
                                "9001)")});
    c.q.execute({QStringLiteral("INSERT INTO Tools_Items VALUES ('Hand Tools', 1, '") +
                 store::ToStoredText(QStringLiteral("Joiner's mallet")) +
                 QStringLiteral("', 98, 9002)")});

    qint64 expected = 0;
    for (const char* key : {"Art", "Bathroom", "Clothing", "Electronics", "Furniture", "Hobbies",
                            "Office", "Jewelry", "Kitchen", "Laundry", "Libraries", "Linens",
                            "Misc", "Music", "Outdoors", "Sports", "Tools"}) {
        const QString k = QString::fromLatin1(key);
        expected += c.value(QStringLiteral("SELECT COUNT(*) FROM ") + k +
                            QStringLiteral("_Main WHERE Category_Name <> 'Other'"));
        expected += c.value(QStringLiteral("SELECT COUNT(*) FROM ") + k +
                            QStringLiteral("_Items WHERE Item_Name <> 'Other'"));
    }
    ASSERT_GT(expected, 500);

    const auto entries = entries::BuildItemIndex(c.q);
    EXPECT_EQ(static_cast<qint64>(entries.size()), expected);
    EXPECT_EQ(
        c.value(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'Temp_Table'")), 0);

    bool mallet = false;
    for (const auto& e : entries) {
        EXPECT_NE(e.item, QStringLiteral("Other"));
        if (e.item == QStringLiteral("Joiner's mallet"))
            mallet = e.category == QStringLiteral("Hand Tools") && e.tab == QStringLiteral("Tools");
    }
    EXPECT_TRUE(mallet);
    // A second build (the next start) works on the same catalogue.
    EXPECT_EQ(entries::BuildItemIndex(c.q).size(), entries.size());
}

TEST(IndexLookUp, PrefixInEitherCaseOnItemsAndCategories) {
    const QStringList lines = entries::IndexLines({
        {"Alarm clock", "Clocks", "Art/Decoration"},
        {"lamp shade", "Lamps", "Furniture"},
        {QString(), "Lamps", "Furniture"},
        {"Laptop", "Computers", "Home Office"},
        {"Lawn mower", "Mowers", "Outdoor Living"},
        {"Zither", "Strings", "Music"},
    });
    EXPECT_EQ(entries::LookUpIndexLine(lines, QStringLiteral("la")), 1);
    EXPECT_EQ(entries::LookUpIndexLine(lines, QStringLiteral("LA")), 1);
    EXPECT_EQ(entries::LookUpIndexLine(lines, QStringLiteral("LAMPS")), 2);
    EXPECT_EQ(entries::LookUpIndexLine(lines, QStringLiteral("lap")), 3);
    EXPECT_EQ(entries::LookUpIndexLine(lines, QStringLiteral("zither")), 5);
    // No line starts with the text: the last one sorting before it, or the first line.
    EXPECT_EQ(entries::LookUpIndexLine(lines, QStringLiteral("Lb")), 4);
    EXPECT_EQ(entries::LookUpIndexLine(lines, QStringLiteral("Zz")), 5);
    EXPECT_EQ(entries::LookUpIndexLine(lines, QStringLiteral("Aa")), 0);
    EXPECT_EQ(entries::LookUpIndexLine(lines, QString()), -1);
    EXPECT_EQ(entries::LookUpIndexLine({}, QStringLiteral("a")), -1);
    // Only 36 characters of the text count.
    EXPECT_EQ(entries::LookUpIndexLine(lines,
                                    QStringLiteral("Laptop") + blanks(30) + QStringLiteral("Zzzz")),
              3);
}

TEST(IndexLookUp, EveryShippedLineIsFoundByItsOwnName) {
    Catalogue c;
    const auto entries = entries::BuildItemIndex(c.q);
    const QStringList lines = entries::IndexLines(entries);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto& e = entries[static_cast<size_t>(i)];
        const QString name = e.item.isEmpty() ? e.category.left(29) : e.item.left(36);
        const int found = entries::LookUpIndexLine(lines, name);
        ASSERT_GE(found, 0);
        const auto& f = entries[static_cast<size_t>(found)];
        const QString foundName = f.item.isEmpty() ? f.category : f.item;
        // The first line of that name (another tab may list the same name first).
        EXPECT_EQ(foundName.left(name.size()).compare(name, Qt::CaseInsensitive), 0)
            << name.toStdString() << " found " << foundName.toStdString();
        EXPECT_LE(found, i) << name.toStdString();
    }
}
