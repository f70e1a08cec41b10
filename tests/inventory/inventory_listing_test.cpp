// The master listing read from a real working table: stored text decoded only when a line is
// asked for, the header row left out, the selected entry found, the total summed exactly.
#include "inventory/inventory_listing.h"
#include "entries/sort_keys.h"
#include "store/database.h"
#include "store/stored_text.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

using namespace store;

namespace {

struct WorkingTable {
    testing_support::ProgramFolder folder;
    Connection connection{ConnectionString(DatabaseKind::User, folder.path())};
    Query q{connection};

    // Texts go in as display text; `notes` as the stored notes format. A null text is NULL.
    void add(int id, const QString& sub, const QString& category, const QString& item, int count,
             const QString& value, const QString& notes) {
        const auto quoted = [](const QString& t) {
            return t.isNull() ? QStringLiteral("NULL")
                              : QLatin1Char('\'') + ToStoredText(t) + QLatin1Char('\'');
        };
        q.execute({QStringLiteral("INSERT INTO Inventory VALUES (%1, ").arg(id) + quoted(sub) +
                   QStringLiteral(", 1, ") + quoted(category) + QStringLiteral(", 1, ") +
                   quoted(item) + QStringLiteral(", 1, %1, 1, ").arg(count) + value +
                   QStringLiteral(", ") + quoted(notes) + QStringLiteral(", '')")});
    }
    std::shared_ptr<inventory::InventoryListing> read(int selectId, int* found,
                                                      std::array<int, 6> keys = {1}) {
        q.open(entries::InventoryListingSql(entries::SortKeys{keys}));
        return inventory::InventoryListing::Read(q, selectId, found);
    }
};

} // namespace

TEST(InventoryListing, LinesDecodeStoredTextOnDemand) {
    WorkingTable t;
    t.q.execute({QStringLiteral("DELETE FROM Inventory")});
    t.add(0, "Kitchen", "header", "header", 0, "0", "~6~`~1~"); // the header row
    t.add(1, "Kitchen", "Cookware", "Frying Pan", 2, "45.5", "~Cast iron~");
    t.add(2, "Art", "Clocks: Wall", "Rosie's cuckoo", 1, "1241", "Grandma's");
    t.add(3, "Misc.", QString(), "Kaffeemühle €", 3, "0.1", QString());
    int found = 0;
    const auto listing = t.read(2, &found);
    ASSERT_EQ(listing->entryCount(), 3);
    ASSERT_EQ(listing->count(), 4);
    EXPECT_EQ(found, 1);

    EXPECT_EQ(listing->line(0),
              inventory::InventoryLine({1, "Kitchen", "Cookware", "Frying Pan", 2,
                                        Currency::fromDouble(45.5), "~Cast iron~"}));
    const QString second = listing->line(1);
    EXPECT_EQ(second.mid(18, 15), QStringLiteral("Clocks: Wall   "));
    EXPECT_EQ(second.mid(34, 20), QStringLiteral("Rosie's cuckoo      "));
    EXPECT_TRUE(second.endsWith(QStringLiteral("$1241.00 Grandma's")));
    const QString third = listing->line(2);
    EXPECT_EQ(third.left(18), QStringLiteral("3     Misc.       "));
    EXPECT_EQ(third.mid(18, 16), QString(16, QLatin1Char(' ')));
    EXPECT_EQ(third.mid(34, 20), QStringLiteral("Kaffeemühle €       "));
    EXPECT_TRUE(third.endsWith(QStringLiteral("$0.10 ")));

    EXPECT_EQ(listing->entry(1).item, QStringLiteral("Rosie's cuckoo"));
    EXPECT_TRUE(listing->entry(2).notes.isEmpty());
    // 45.5 + 1241 + 0.1 summed in exact units, shown in the general format.
    EXPECT_EQ(listing->line(3), QString(50, QLatin1Char(' ')) + "Total Value: $1286.6");
}

TEST(InventoryListing, OrderAndAbsentSelection) {
    WorkingTable t;
    t.add(1, "Tools", "Power Tools", "drill", 1, "10", "x");
    t.add(2, "Art", "Clocks", "Anvil", 1, "20", "y");
    int found = 7;
    const auto byItem = t.read(9, &found, {3, 1});
    EXPECT_EQ(found, -1);
    ASSERT_EQ(byItem->entryCount(), 2);
    EXPECT_EQ(byItem->entry(0).id, 2); // NOCASE: "Anvil" before "drill"
    EXPECT_EQ(byItem->entry(1).id, 1);

    t.q.execute({QStringLiteral("DELETE FROM Inventory")});
    const auto empty = t.read(0, &found);
    EXPECT_EQ(found, -1);
    ASSERT_EQ(empty->count(), 1);
    EXPECT_EQ(empty->line(0), QString(53, QLatin1Char(' ')) + "Total Value: $0");
}
