#include "inventories/inventory_store.h"
#include "inventories/recent_list.h"
#include "user_database.h"

#include <sqlite3.h>

using namespace inventories;

namespace {

const ChangeStamp kFriday{5, 14, 5, 3, 2004, 5};
const InventorySettings kItemDesc{{-3, 1, 0, 0, 0, 0}, CostLevel::Low};
const HeaderWrite kModified{kFriday, kItemDesc, true, true};

// Refuses the creation of, or insertion into, one table: a copy that fails half way.
struct Refusal {
    QByteArray table;
};

int refuse(void* data, int action, const char* a, const char*, const char*, const char*) {
    const auto* r = static_cast<const Refusal*>(data);
    if ((action == SQLITE_CREATE_TABLE || action == SQLITE_INSERT) && a && r->table == a)
        return SQLITE_DENY;
    return SQLITE_OK;
}

} // namespace

class InventoryStore : public UserDatabaseTest {
  protected:
    // Everything a command may touch, to prove that a refused or failed one touched nothing.
    QStringList snapshot() {
        QStringList s = column(QStringLiteral("SELECT name FROM sqlite_master ORDER BY name"));
        s << column(QStringLiteral("SELECT Table_Names FROM Master_Table ORDER BY Table_Names"));
        s << column(QStringLiteral("SELECT Current_Table FROM Current_Table"));
        s << recent() << itemNames() << headerText();
        return s;
    }
    void refuseTable(const QString& table) {
        refusal_.table = table.toUtf8();
        sqlite3_set_authorizer(db->handle(), refuse, &refusal_);
    }
    void TearDown() override { sqlite3_set_authorizer(db->handle(), nullptr, nullptr); }

    Refusal refusal_;
};

TEST_F(InventoryStore, SaveAsNewNameRecordsEverything) {
    addEntries(3);
    const SaveAsResult r = SaveInventoryAs(*db, QStringLiteral(" Tom's Shed "), false, kModified);
    ASSERT_TRUE(r.saved);
    EXPECT_EQ(r.name.check, NameCheck::New);
    const QString t = ToTableName(QStringLiteral("Tom's Shed"));
    EXPECT_EQ(itemNames(t), itemNames());
    EXPECT_EQ(headerText(t), QStringLiteral("0205P 03/05/2004 5 -10000 L"));
    EXPECT_EQ(SavedInventories(*q), QStringList{QStringLiteral("Tom's Shed")});
    EXPECT_EQ(CurrentTableName(*q), t);
    EXPECT_EQ(recent(), QStringList{t + QStringLiteral("@1")});
}

TEST_F(InventoryStore, SaveAsRefusalsWriteNothing) {
    addEntries(2);
    q->execute({QStringLiteral("INSERT INTO Prohibited VALUES ('Garage')")});
    ASSERT_TRUE(SaveInventoryAs(*db, QStringLiteral("Shed"), false, kModified).saved);
    const QStringList before = snapshot();

    struct Case {
        const char* name;
        NameCheck expected;
    };
    for (const Case& c :
         {Case{"   ", NameCheck::Empty}, Case{"garage", NameCheck::Reserved},
          Case{"Inventory", NameCheck::Reserved}, Case{"Inventory_Sub", NameCheck::Unusable},
          Case{"Shed", NameCheck::Exists}, Case{"SHED", NameCheck::Exists}}) {
        const SaveAsResult r = SaveInventoryAs(*db, QString::fromUtf8(c.name), false, kModified);
        EXPECT_EQ(r.name.check, c.expected) << c.name;
        EXPECT_FALSE(r.saved) << c.name;
        EXPECT_EQ(snapshot(), before) << c.name;
    }
    // Even when asked to replace, a refused name writes nothing.
    EXPECT_FALSE(SaveInventoryAs(*db, QStringLiteral("garage"), true, kModified).saved);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(InventoryStore, SaveAsOverExistingReplacesUnderItsOwnName) {
    addEntries(2, QStringLiteral("Old"));
    ASSERT_TRUE(SaveInventoryAs(*db, QStringLiteral("Shed"), false, kModified).saved);
    q->execute({QStringLiteral("DELETE FROM Inventory WHERE ID_Number > 0")});
    addEntries(3, QStringLiteral("New"));

    const SaveAsResult r = SaveInventoryAs(*db, QStringLiteral("sHED"), true, kModified);
    ASSERT_TRUE(r.saved);
    EXPECT_EQ(r.name.tableName, QStringLiteral("Shed"));
    EXPECT_EQ(itemNames(QStringLiteral("Shed")), itemNames());
    EXPECT_EQ(column(QStringLiteral("SELECT Table_Names FROM Master_Table")),
              QStringList{QStringLiteral("Shed")});
    EXPECT_EQ(CurrentTableName(*q), QStringLiteral("Shed"));
    EXPECT_EQ(recent(), QStringList{QStringLiteral("Shed@1")});
}

TEST_F(InventoryStore, SaveReplacesAllOrNothing) {
    addEntries(2, QStringLiteral("Old"));
    EXPECT_EQ(SaveInventory(*db, kModified), SaveResult::NeedsName);
    ASSERT_TRUE(SaveInventoryAs(*db, QStringLiteral("Shed"), false, kModified).saved);

    addEntries(3, QStringLiteral("New"));
    q->execute({QStringLiteral("UPDATE Inventory SET Item_Notes = '' WHERE ID_Number = 0")});
    const QStringList before = snapshot();
    const QStringList saved = itemNames(QStringLiteral("Shed"));
    refuseTable(QStringLiteral("Shed"));
    EXPECT_THROW(SaveInventory(*db, kModified), store::DatabaseError);
    TearDown();
    EXPECT_EQ(snapshot(), before); // the header write was undone as well
    EXPECT_EQ(itemNames(QStringLiteral("Shed")), saved);

    EXPECT_EQ(SaveInventory(*db, kModified), SaveResult::Saved);
    EXPECT_EQ(itemNames(QStringLiteral("Shed")), itemNames());
    EXPECT_EQ(recent(), QStringList{QStringLiteral("Shed@1")}); // plain Save leaves it alone
}

TEST_F(InventoryStore, SaveAsCopyFailureLeavesNoRowWithoutItsTable) {
    addEntries(1);
    const QStringList before = snapshot();
    refuseTable(QStringLiteral("Cellar"));
    EXPECT_THROW(SaveInventoryAs(*db, QStringLiteral("Cellar"), false, kModified),
                 store::DatabaseError);
    TearDown();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(InventoryStore, OpenReplacesTheWorkingInventory) {
    addEntries(2, QStringLiteral("Shed"));
    ASSERT_TRUE(SaveInventoryAs(*db, QStringLiteral("Tom's Shed"), false, kModified).saved);
    NewInventory(*db, kFriday, kItemDesc);
    addEntries(5, QStringLiteral("Other"));
    ASSERT_TRUE(SaveInventoryAs(*db, QStringLiteral("Other"), false, kModified).saved);

    OpenInventory(*db, QStringLiteral("Tom's Shed"));
    EXPECT_EQ(itemNames(), (QStringList{"Shed 1", "Shed 2"}));
    EXPECT_EQ(FromTableName(CurrentTableName(*q)), QStringLiteral("Tom's Shed"));
    EXPECT_EQ(RecentInventories(*q)[0], QStringLiteral("Tom's Shed"));
    const WorkingInventory w = ReadWorkingInventory(*q);
    EXPECT_EQ(w.idCounter, 2);
    ASSERT_TRUE(w.header);
    EXPECT_EQ(w.header->settings, kItemDesc);
    q->open({QStringLiteral("SELECT COUNT(*) FROM sqlite_master"),
             QStringLiteral("WHERE type = 'index' AND tbl_name = 'Inventory'")});
    EXPECT_EQ(q->integer(0), 2) << "the working table keeps its indexes";
    q->close();
}

TEST_F(InventoryStore, OpenFailureKeepsTheWorkingInventory) {
    addEntries(3);
    ASSERT_TRUE(SaveInventoryAs(*db, QStringLiteral("Shed"), false, kModified).saved);
    addEntries(4, QStringLiteral("Unsaved"));
    const QStringList before = snapshot();

    EXPECT_THROW(OpenInventory(*db, QStringLiteral("Ghost")), store::DatabaseError);
    EXPECT_EQ(snapshot(), before);

    refuseTable(QStringLiteral("Inventory"));
    try {
        OpenInventory(*db, QStringLiteral("Shed"));
        ADD_FAILURE() << "the refused copy went through";
    } catch (const store::DatabaseError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("\"Shed\"")));
    }
    TearDown();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(InventoryStore, DeleteDropsAndLeavesTheRecentList) {
    for (const char* n : {"A", "B", "C", "D"})
        ASSERT_TRUE(SaveInventoryAs(*db, QString::fromLatin1(n), false, kModified).saved);
    ASSERT_EQ(recent(), (QStringList{"D@1", "C@2", "B@3", "A@4"}));
    EXPECT_TRUE(DeleteInventory(*db, QStringLiteral("C")));
    EXPECT_FALSE(tableExists(QStringLiteral("C")));
    EXPECT_EQ(SavedInventories(*q), (QStringList{"A", "B", "D"}));
    EXPECT_EQ(recent(), (QStringList{"D@1", "B@2", "A@3"}));

    const QStringList before = snapshot();
    EXPECT_THROW(DeleteInventory(*db, QStringLiteral("Inventory")), store::DatabaseError);
    EXPECT_THROW(DeleteInventory(*db, QStringLiteral("Ghost")), store::DatabaseError);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(InventoryStore, ANameWhoseTableIsGoneCanBeDeletedOrSavedOver) {
    for (const char* n : {"Lost", "Gone"}) {
        ASSERT_TRUE(SaveInventoryAs(*db, QString::fromLatin1(n), false, kModified).saved);
        q->execute({QStringLiteral("DROP TABLE [%1]").arg(QString::fromLatin1(n))});
    }
    EXPECT_TRUE(DeleteInventory(*db, QStringLiteral("Lost")));
    EXPECT_EQ(SavedInventories(*q), (QStringList{"Gone"}));
    addEntries(2);
    const SaveAsResult over = SaveInventoryAs(*db, QStringLiteral("Gone"), true, kModified);
    EXPECT_TRUE(over.saved);
    EXPECT_TRUE(tableExists(QStringLiteral("Gone")));
    EXPECT_EQ(SavedInventories(*q), (QStringList{"Gone"}));
}

TEST_F(InventoryStore, NewKeepsAWellFormedHeaderAndRepairsABadOne) {
    addEntries(3);
    setCurrent(QStringLiteral("Shed"));
    const QString header = QStringLiteral("0205P 03/05/2004 5 -10000 L");
    q->execute(
        {QStringLiteral("UPDATE Inventory SET Item_Notes = '%1' WHERE ID_Number = 0").arg(header)});
    const ChangeStamp later{0, 9, 1, 7, 2025, 2};
    const InventorySettings high{{1, 0, 0, 0, 0, 0}, CostLevel::High};
    NewInventory(*db, later, high);
    EXPECT_TRUE(itemNames().isEmpty());
    EXPECT_EQ(CurrentTableName(*q), QString());
    EXPECT_EQ(headerText(), header);

    q->execute({QStringLiteral("UPDATE Inventory SET Item_Notes = 'x' WHERE ID_Number = 0")});
    NewInventory(*db, later, high);
    EXPECT_EQ(headerText(), StampText(later) + SettingsText(high));
    EXPECT_EQ(ReadWorkingInventory(*q).idCounter, 0);
}

TEST_F(InventoryStore, SessionMarkerTellsAnInterruptedRun) {
    EXPECT_FALSE(StartSession(*q));
    EXPECT_TRUE(SavedInventories(*q).isEmpty()); // the marker is no inventory
    addEntries(2);
    setCurrent(QStringLiteral("Shed"));
    // The run is killed here: the next start finds the marker and the entries.
    EXPECT_TRUE(StartSession(*q));
    EXPECT_EQ(column(QStringLiteral("SELECT Table_Names FROM Master_Table")).size(), 1);
    EXPECT_EQ(itemNames().size(), 2);

    WriteInventoryHeader(*q, kModified);
    const QString header = headerText();
    BeginNewAfterInterruption(*db);
    EXPECT_TRUE(itemNames().isEmpty());
    EXPECT_EQ(CurrentTableName(*q), QString());
    EXPECT_EQ(headerText(), header);
    EXPECT_TRUE(StartSession(*q)); // still this run's marker

    addEntries(1);
    CloseSession(*db);
    EXPECT_TRUE(itemNames().isEmpty());
    EXPECT_EQ(headerText(), header);
    EXPECT_TRUE(column(QStringLiteral("SELECT Table_Names FROM Master_Table")).isEmpty());
    EXPECT_FALSE(StartSession(*q));
}
