#include "inventories/recent_list.h"
#include "inventories/table_names.h"
#include "user_database.h"

using namespace inventories;

using RecentList = UserDatabaseTest;

TEST_F(RecentList, NewNamesPushDownRepeatsMoveUp) {
    PushRecent(*q, QStringLiteral("A"));
    PushRecent(*q, QStringLiteral("B"));
    PushRecent(*q, QStringLiteral("C"));
    EXPECT_EQ(recent(), (QStringList{"C@1", "B@2", "A@3"}));
    // The same name twice in a row changes nothing.
    PushRecent(*q, QStringLiteral("C"));
    EXPECT_EQ(recent(), (QStringList{"C@1", "B@2", "A@3"}));
    // A listed name leaves its place; those before it move down, those after it stay.
    PushRecent(*q, QStringLiteral("D"));
    PushRecent(*q, QStringLiteral("B"));
    EXPECT_EQ(recent(), (QStringList{"B@1", "D@2", "C@3", "A@4"}));
    // The database takes "b" as the same table: no second entry for it.
    PushRecent(*q, QStringLiteral("b"));
    EXPECT_EQ(recent(), (QStringList{"b@1", "D@2", "C@3", "A@4"}));
}

TEST_F(RecentList, FifthNameDropsTheOldest) {
    for (const char* n : {"A", "B", "C", "D", "E"})
        PushRecent(*q, QString::fromLatin1(n));
    EXPECT_EQ(recent(), (QStringList{"E@1", "D@2", "C@3", "B@4"}));
    PushRecent(*q, QStringLiteral("B")); // the one at place 4
    EXPECT_EQ(recent(), (QStringList{"B@1", "E@2", "D@3", "C@4"}));
}

TEST_F(RecentList, RemovalAtPlaceTwoClosesTheGap) {
    for (const char* n : {"A", "B", "C", "D"})
        PushRecent(*q, QString::fromLatin1(n));
    EXPECT_FALSE(RemoveRecent(*q, QStringLiteral("Nowhere")));
    EXPECT_EQ(recent(), (QStringList{"D@1", "C@2", "B@3", "A@4"}));
    EXPECT_TRUE(RemoveRecent(*q, QStringLiteral("C")));
    EXPECT_EQ(recent(), (QStringList{"D@1", "B@2", "A@3"}));
    const auto places = RecentInventories(*q);
    EXPECT_EQ(places[0], QStringLiteral("D"));
    EXPECT_EQ(places[2], QStringLiteral("A"));
    EXPECT_FALSE(places[3]);
}

TEST_F(RecentList, MenuShowsDisplayNamesAndIgnoresOtherPlaces) {
    EXPECT_EQ(RecentInventories(*q), (std::array<std::optional<QString>, 4>{}));
    PushRecent(*q, ToTableName(QStringLiteral("Tom's Shed")));
    q->execute({QStringLiteral("INSERT INTO Last_Used VALUES ('Stray', 7)")});
    const auto places = RecentInventories(*q);
    EXPECT_EQ(places[0], QStringLiteral("Tom's Shed"));
    EXPECT_FALSE(places[1]);
    EXPECT_FALSE(places[3]);
}
