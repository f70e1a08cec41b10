// A tab's listing read from a real working table and formatted on demand: every line as the
// eager reading (each field read as text, every line formatted up front) made it.
#include "store/database.h"
#include "store/stored_text.h"
#include "tabs/sub_inventory_listing.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

using namespace store;

namespace {

const QStringList kTabQuery = {
    QStringLiteral("SELECT ID_Number, Item_Name, Number_Of_Items, Total_Value_Of_Item, "
                   "Item_Notes, Major_Category"),
    QStringLiteral("FROM Inventory"), QStringLiteral("WHERE Sub_Inventory_Number = 2"),
    QStringLiteral("ORDER BY ID_Number")};

struct WorkingTable {
    testing_support::ProgramFolder folder;
    Connection connection{ConnectionString(DatabaseKind::User, folder.path())};
    Query q{connection};

    // Texts go in as display text (NULL for a null string); notes in the stored notes format.
    void add(int id, int tab, const QString& category, const QString& item, int count,
             const QString& value, const QString& notes) {
        const auto quoted = [](const QString& t) {
            return t.isNull() ? QStringLiteral("NULL")
                              : QLatin1Char('\'') + ToStoredText(t) + QLatin1Char('\'');
        };
        q.execute(
            {QStringLiteral("INSERT INTO Inventory VALUES (%1, 'Art', %2, ").arg(id).arg(tab) +
             quoted(category) + QStringLiteral(", 1, ") + quoted(item) +
             QStringLiteral(", 1, %1, 1, ").arg(count) + value + QStringLiteral(", ") +
             quoted(notes) + QStringLiteral(", '')")});
    }

    // The lines as the tab formatted them before: every field read as text, every line made.
    QStringList eagerLines() {
        q.open(kTabQuery);
        QStringList lines;
        Currency sum;
        entries::ListingEntry entry;
        do {
            entry.id = static_cast<qint32>(q.integer(0));
            if (entry.id != 0) {
                entry.item = FromStoredText(q.text(1));
                entry.count = static_cast<qint32>(q.integer(2));
                entry.value = q.currency(3);
                entry.notes = FromStoredText(q.text(4));
                entry.category = FromStoredText(q.text(5));
                sum = sum + entry.value;
                lines << entries::SubInventoryLine(entry);
            }
            q.next();
        } while (!q.eof());
        q.close();
        return lines << entries::SubInventoryTotalLine(sum);
    }

    QStringList onDemandLines() {
        q.open(kTabQuery);
        const auto listing = tabs::SubInventoryListing::Read(q);
        q.close();
        QStringList lines;
        for (int row = 0; row < listing->count(); ++row)
            lines << listing->line(row);
        return lines;
    }
};

} // namespace

TEST(SubInventoryListing, LinesAreThoseOfTheEagerReading) {
    WorkingTable t;
    t.q.execute({QStringLiteral("UPDATE Inventory SET Sub_Inventory_Number = 2")}); // header row
    t.add(1, 2, "Clocks: Wall", "Rosie's cuckoo", 1, "1241", "~Brand: Acme~`~second~");
    t.add(2, 1, "Cookware", "Frying Pan", 2, "45.5", "~Cast iron~"); // another tab
    t.add(3, 2, QString(), "Kaffeemühle € with a name far too long", 3, "0.1", QString());
    t.add(4, 2, "Ölbilder", "", 12, "9999999.99",
          "plain ~~tilde~~ note, long enough to be cut "
          "at the end of the listing line");
    t.add(5, 2, "Prints", "Lithograph", 0, "12.3456", "~~~");
    const QStringList eager = t.eagerLines();
    ASSERT_EQ(eager.size(), 5);
    EXPECT_EQ(t.onDemandLines(), eager);

    t.q.open(kTabQuery);
    const auto listing = tabs::SubInventoryListing::Read(t.q);
    ASSERT_EQ(listing->entryCount(), 4);
    EXPECT_EQ(listing->entry(0).item, QStringLiteral("Rosie's cuckoo"));
    EXPECT_TRUE(listing->entry(1).category.isEmpty());
    Currency sum;
    for (double v : {1241.0, 0.1, 9999999.99, 12.3456})
        sum = sum + Currency::fromDouble(v);
    EXPECT_EQ(listing->total().units, sum.units);
}

TEST(SubInventoryListing, AnEmptyTabListsItsTotalLineOnly) {
    WorkingTable t;
    const QStringList eager = t.eagerLines();
    ASSERT_EQ(eager.size(), 1);
    EXPECT_EQ(t.onDemandLines(), eager);
}
