// The entry rules on a real working table, without any window: numbering on add, removal with
// renumbering only when a row went, swaps through the spare number, the edit round trip, and the
// catalogue look-ups the tabs make.
#include "entries/catalogue_lookup.h"
#include "entries/entry_store.h"
#include "entries/inventory_changes.h"
#include "store/database.h"
#include "store/schema.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

using namespace entries;

namespace {

struct WorkingInventory {
    testing_support::ProgramFolder folder;
    store::Connection connection{store::ConnectionString(store::DatabaseKind::User, folder.path())};
    store::Query q{connection};
    int counter = 0;
    InventoryChanges changes;
    EntryStore entries{connection, q, counter, &changes};
    // What `changes` announced, one line per signal.
    QStringList announced;

    void listen() {
        const auto put = [this](const char* what, int a, int b) {
            announced << QStringLiteral("%1 %2 %3").arg(QLatin1String(what)).arg(a).arg(b);
        };
        QObject::connect(&changes, &InventoryChanges::entryAdded,
                         [=](int id, int tab) { put("added", id, tab); });
        QObject::connect(&changes, &InventoryChanges::entryRemoved,
                         [=](int id) { put("removed", id, 0); });
        QObject::connect(&changes, &InventoryChanges::entryChanged,
                         [=](int id, int tab) { put("changed", id, tab); });
        QObject::connect(&changes, &InventoryChanges::entriesSwapped,
                         [=](int n, int other) { put("swapped", n, other); });
    }

    WorkingInventory() { q.execute({QStringLiteral("DELETE FROM Inventory WHERE ID_Number > 0")}); }

    int add(const QString& item, int tab = 1, quint32 count = 1, double cost = 2.5) {
        NewEntry e;
        e.subInventory = QStringLiteral("Tab%1").arg(tab);
        e.subInventoryNumber = tab;
        e.category = QStringLiteral("Category");
        e.categoryNumber = 3;
        e.item = item;
        e.itemNumber = 4;
        e.count = count;
        e.cost = cost;
        return entries.add(e);
    }

    // Entry number and item of every entry, in number order.
    std::vector<std::pair<int, QString>> rows() {
        q.open({QStringLiteral("SELECT ID_Number, Item_Name FROM Inventory WHERE ID_Number > 0 "
                               "ORDER BY ID_Number")});
        std::vector<std::pair<int, QString>> out;
        while (!q.eof()) {
            out.emplace_back(int(q.integer(0)), q.text(1));
            q.next();
        }
        q.close();
        return out;
    }
};

using Rows = std::vector<std::pair<int, QString>>;

} // namespace

TEST(EntryStore, AddNumbersEntriesOneAfterAnother) {
    WorkingInventory w;
    EXPECT_EQ(w.entries.nextNumber(), 1);
    EXPECT_EQ(w.add(QStringLiteral("Lamp")), 1);
    EXPECT_EQ(w.add(QStringLiteral("Chair")), 2);
    EXPECT_EQ(w.counter, 2);
    EXPECT_EQ(w.rows(), (Rows{{1, QStringLiteral("Lamp")}, {2, QStringLiteral("Chair")}}));

    // A failed insert leaves the counter where it was.
    w.q.execute({QStringLiteral("DROP TABLE Inventory")});
    EXPECT_THROW(w.add(QStringLiteral("Desk")), store::DatabaseError);
    EXPECT_EQ(w.counter, 2);
}

TEST(EntryStore, RemoveRenumbersTheEntriesBehind) {
    WorkingInventory w;
    for (const char* item : {"A", "B", "C", "D"})
        w.add(QString::fromLatin1(item));
    EXPECT_TRUE(w.entries.remove(2));
    EXPECT_EQ(w.counter, 3);
    EXPECT_EQ(w.rows(),
              (Rows{{1, QStringLiteral("A")}, {2, QStringLiteral("C")}, {3, QStringLiteral("D")}}));
}

TEST(EntryStore, RemovingANumberNoEntryHasChangesNothing) {
    WorkingInventory w;
    for (const char* item : {"A", "B", "C"})
        w.add(QString::fromLatin1(item));
    // A number past the last, and a gap left by another program's change: neither may pull
    // entries onto other numbers nor lower the counter.
    EXPECT_FALSE(w.entries.remove(7));
    EXPECT_EQ(w.counter, 3);
    w.q.execute({QStringLiteral("DELETE FROM Inventory WHERE ID_Number = 2")});
    EXPECT_FALSE(w.entries.remove(2));
    EXPECT_EQ(w.counter, 3);
    EXPECT_EQ(w.rows(), (Rows{{1, QStringLiteral("A")}, {3, QStringLiteral("C")}}));
    EXPECT_EQ(w.entries.nextNumber(), 4);
}

TEST(EntryStore, SwapExchangesTwoNumbersAndLeavesNoSpare) {
    WorkingInventory w;
    for (const char* item : {"A", "B", "C"})
        w.add(QString::fromLatin1(item));
    w.entries.swap(3, 2);
    EXPECT_EQ(w.rows(),
              (Rows{{1, QStringLiteral("A")}, {2, QStringLiteral("C")}, {3, QStringLiteral("B")}}));
    EXPECT_EQ(w.counter, 3);
}

TEST(EntryStore, UpdateAndReadRoundTrip) {
    WorkingInventory w;
    w.add(QStringLiteral("Rock's \"best\""), 5, 3, 1.25);
    StoredEntry e = w.entries.read(1);
    EXPECT_EQ(e.item, QStringLiteral("Rock's \"best\""));
    EXPECT_EQ(e.count, 3);
    EXPECT_EQ(e.cost.toSqlText(), QStringLiteral("1.25"));
    EXPECT_EQ(e.subInventoryNumber, 5);
    EXPECT_EQ(e.itemNumber, 4);
    EXPECT_EQ(e.category, QStringLiteral("Category"));

    EntryChange c;
    c.count = 4;
    c.cost = 2.5;
    c.notes = QStringLiteral("it's ~here~");
    c.photo = QStringLiteral("/tmp/a b.jpg");
    w.entries.update(1, c); // the name stays
    e = w.entries.read(1);
    EXPECT_EQ(e.item, QStringLiteral("Rock's \"best\""));
    EXPECT_EQ(e.count, 4);
    EXPECT_EQ(e.notes, c.notes);
    EXPECT_EQ(e.photo, c.photo);
    w.q.open({QStringLiteral("SELECT Total_Value_Of_Item FROM Inventory WHERE ID_Number = 1")});
    EXPECT_EQ(w.q.currency(0).toSqlText(), QStringLiteral("10"));
    w.q.close();

    c.item = QStringLiteral("Pebble");
    w.entries.update(1, c);
    EXPECT_EQ(w.entries.read(1).item, QStringLiteral("Pebble"));
}

TEST(EntryStore, TabListingHoldsOnlyThatTabInNumberOrder) {
    WorkingInventory w;
    w.add(QStringLiteral("A"), 2);
    w.add(QStringLiteral("B"), 1);
    w.add(QStringLiteral("C"), 2);
    w.entries.openTab(2);
    QStringList items;
    while (!w.q.eof()) {
        if (w.q.integer(0) > 0) items << w.q.text(1);
        w.q.next();
    }
    w.q.close();
    EXPECT_EQ(items, (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
}

TEST(EntryStore, RoomEndsAtTheLastFiveDigitNumber) {
    WorkingInventory w;
    w.counter = kLastEntryNumber - 1;
    EXPECT_TRUE(w.entries.hasRoom());
    w.counter = kLastEntryNumber;
    EXPECT_FALSE(w.entries.hasRoom());
}

TEST(CatalogueLookup, NamesNumbersAndPricePoints) {
    testing_support::ProgramFolder folder;
    store::Connection catalogue{
        store::ConnectionString(store::DatabaseKind::Catalogue, folder.path())};
    store::Query q{catalogue};
    for (const QString& ddl : store::CatalogueTabTablesDdl(QStringLiteral("Zz")))
        q.execute({ddl});
    q.execute({QStringLiteral("INSERT INTO Zz_Main VALUES ('Tools', 2, 7, 1), ('Art', 1, 8, 0)")});
    q.execute({QStringLiteral("INSERT INTO Zz_Items VALUES ('Tools', 7, 'Saw', 2, 70), "
                              "('Tools', 7, 'Axe', 1, 71), ('Art', 8, 'Saw', 1, 80), "
                              "('Art', 8, '', 2, 81)")});
    q.execute({QStringLiteral("INSERT INTO Zz_Data VALUES ('Saw', 70, 12.5), ('Saw', 70, 3), "
                              "('Saw', 70, 7.125)")});
    const QString key = QStringLiteral("Zz");

    EXPECT_EQ(CategoryNames(q, key), (QStringList{QStringLiteral("Art"), QStringLiteral("Tools")}));
    const CategoryRow tools = FindCategory(q, key, QStringLiteral("tools"));
    EXPECT_EQ(tools.number, 7);
    EXPECT_EQ(tools.editUse, 1);
    EXPECT_EQ(FindCategory(q, key, QStringLiteral("Nothing")).number, 0);
    EXPECT_EQ(ItemNames(q, key, 7), (QStringList{QStringLiteral("Axe"), QStringLiteral("Saw")}));
    EXPECT_EQ(ItemNames(q, key, 8), QStringList{QStringLiteral("Saw")});
    // The same item name in two categories: each category finds its own.
    EXPECT_EQ(FindItem(q, key, QStringLiteral("Saw"), 7), 70);
    EXPECT_EQ(FindItem(q, key, QStringLiteral("Saw"), 8), 80);
    EXPECT_EQ(FindItem(q, key, QStringLiteral("Saw"), 9), 0);
    EXPECT_EQ(
        PricePoints(q, key, 70),
        (QStringList{QStringLiteral("$3.00"), QStringLiteral("$7.125"), QStringLiteral("$12.50")}));
}

TEST(EntryStore, AnnouncesEachChangeThatTookPlaceAndNothingElse) {
    WorkingInventory w;
    w.listen();
    w.add(QStringLiteral("A"), 4);
    w.add(QStringLiteral("B"), 9);
    w.add(QStringLiteral("C"), 9);
    EXPECT_TRUE(w.entries.remove(1));
    EXPECT_FALSE(w.entries.remove(8)); // no such entry: nothing to tell
    w.entries.swap(2, 1);
    EntryChange change;
    change.count = 2;
    change.cost = 1;
    change.subInventoryNumber = 9;
    w.entries.update(2, change);
    w.entries.read(1);
    w.entries.openTab(9);
    w.q.close();
    EXPECT_EQ(w.announced, (QStringList{"added 1 4", "added 2 9", "added 3 9", "removed 1 0",
                                        "swapped 2 1", "changed 2 9"}));

    // A change that fails is not announced: the listeners would show what is not there.
    w.announced.clear();
    w.q.execute({QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON Inventory "
                                "BEGIN SELECT RAISE(ABORT, 'locked'); END")});
    EXPECT_THROW(w.entries.swap(1, 2), store::DatabaseError);
    EXPECT_THROW(w.entries.update(1, change), store::DatabaseError);
    EXPECT_THROW(w.entries.remove(1), store::DatabaseError);
    w.q.execute({QStringLiteral("DROP TABLE Inventory")});
    EXPECT_THROW(w.add(QStringLiteral("D")), store::DatabaseError);
    EXPECT_TRUE(w.announced.isEmpty()) << w.announced.join(", ").toStdString();
}
