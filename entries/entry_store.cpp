#include "entries/entry_store.h"

#include "entries/inventory_changes.h"

#include "store/database.h"
#include "store/stored_text.h"

namespace entries {

int EntryStore::add(const NewEntry& e) {
    const int id = nextNumber();
    const double total = e.count * e.cost;
    query_.execute(
        {QStringLiteral("INSERT INTO Inventory"),
         QStringLiteral("VALUES (") + QString::number(id) + QStringLiteral(", '") + e.subInventory +
             QStringLiteral("', ") + QString::number(e.subInventoryNumber) + QStringLiteral(", '") +
             store::ToStoredText(e.category) + QStringLiteral("', ") +
             QString::number(e.categoryNumber) + QStringLiteral(", '") +
             store::ToStoredText(e.item) + QStringLiteral("', ") + QString::number(e.itemNumber) +
             QStringLiteral(", ") + QString::number(e.count) + QStringLiteral(", ") +
             store::MoneyToSql(e.cost) + QStringLiteral(", ") + store::MoneyToSql(total) +
             QStringLiteral(", '") + store::ToStoredText(e.notes) + QStringLiteral("', '") +
             store::ToStoredText(e.photo) + QStringLiteral("')")});
    idCounter_ = id;
    if (changes_) emit changes_->entryAdded(id, e.subInventoryNumber);
    return id;
}

void EntryStore::addAll(const std::vector<NewEntry>& entries,
                        const std::function<void()>& alsoInTransaction) {
    const int before = idCounter_;
    try {
        connection_.transaction([&] {
            for (const NewEntry& e : entries)
                add(e);
            if (alsoInTransaction) alsoInTransaction();
        });
    } catch (...) {
        idCounter_ = before;
        throw;
    }
}

bool EntryStore::remove(int id) {
    bool removed = false;
    // Both statements or neither: a deletion without the renumbering would leave a gap.
    connection_.transaction([&] {
        query_.execute({QStringLiteral("DELETE FROM Inventory"),
                        QStringLiteral("WHERE ID_Number = ") + QString::number(id)});
        // An entry already gone must not pull its successors onto the numbers of others.
        removed = query_.rowsAffected() > 0;
        if (!removed) return;
        query_.execute({QStringLiteral("UPDATE Inventory"),
                        QStringLiteral("SET ID_Number = ID_Number - 1"),
                        QStringLiteral("WHERE ID_Number > ") + QString::number(id)});
    });
    if (!removed) return false;
    --idCounter_;
    if (changes_) emit changes_->entryRemoved(id);
    return true;
}

void EntryStore::swap(int n, int other) {
    const int spare = idCounter_ + 1;
    const auto set = [](int to) {
        return QStringLiteral("SET ID_Number = ") + QString::number(to);
    };
    const auto where = [](int id) {
        return QStringLiteral("WHERE ID_Number = ") + QString::number(id);
    };
    // All three or none: stopping halfway would leave an entry on the spare number.
    connection_.transaction([&] {
        query_.execute({QStringLiteral("UPDATE Inventory"), set(spare), where(n)});
        query_.execute({QStringLiteral("UPDATE Inventory"), set(n), where(other)});
        query_.execute({QStringLiteral("UPDATE Inventory"), set(other), where(spare)});
    });
    if (changes_) emit changes_->entriesSwapped(n, other);
}

void EntryStore::update(int id, const EntryChange& c) {
    const double total = c.count * c.cost;
    QStringList sql = {
        QStringLiteral("UPDATE Inventory"),
        QStringLiteral("SET Number_Of_Items = ") + QString::number(c.count) + QStringLiteral(","),
        QStringLiteral("Cost_Per_Item = ") + store::MoneyToSql(c.cost) + QStringLiteral(","),
        QStringLiteral("Total_Value_Of_Item = ") + store::MoneyToSql(total) + QStringLiteral(","),
        QStringLiteral("Item_Notes = '") + store::ToStoredText(c.notes) + QStringLiteral("',"),
        QStringLiteral("Item_Photo_Name = '") + store::ToStoredText(c.photo) + QStringLiteral("'")};
    if (c.item)
        sql << QStringLiteral(", Item_Name = '") + store::ToStoredText(*c.item) +
                   QStringLiteral("'");
    sql << QStringLiteral("WHERE ID_Number = ") + QString::number(id);
    query_.execute(sql);
    if (changes_) emit changes_->entryChanged(id, c.subInventoryNumber);
}

StoredEntry EntryStore::read(int id) {
    query_.open({QStringLiteral("SELECT Item_Name, Number_Of_Items, Cost_Per_Item, Item_Notes, "
                                "Item_Photo_Name, Sub_Inventory_Number, Item_Number, "
                                "Major_Category"),
                 QStringLiteral("FROM Inventory"),
                 QStringLiteral("WHERE ID_Number = ") + QString::number(id)});
    StoredEntry e;
    e.item = store::FromStoredText(query_.text(0));
    e.count = query_.integer(1);
    e.cost = query_.currency(2);
    e.notes = store::FromStoredText(query_.text(3));
    e.photo = store::FromStoredText(query_.text(4));
    e.subInventoryNumber = static_cast<int>(query_.integer(5));
    e.itemNumber = query_.integer(6);
    e.category = store::FromStoredText(query_.text(7));
    query_.close();
    return e;
}

void EntryStore::openTab(int subInventoryNumber) {
    query_.open(
        {QStringLiteral("SELECT ID_Number, Item_Name, Number_Of_Items, "
                        "Total_Value_Of_Item, Item_Notes, Major_Category"),
         QStringLiteral("FROM Inventory"),
         QStringLiteral("WHERE Sub_Inventory_Number = ") + QString::number(subInventoryNumber),
         QStringLiteral("ORDER BY ID_Number")});
}

void EntryStore::openMaster(const SortKeys& keys) {
    query_.open(InventoryListingSql(keys));
}

void EntryStore::openReport(const SortKeys& keys) {
    query_.open(InventoryReportSql(keys));
}

} // namespace entries
