#include "entries/entry_table.h"

#include "store/database.h"
#include "store/stored_text.h"

namespace entries {

std::vector<EntryRecord> ReadEntryTable(store::Query& q, const QString& table) {
    q.open({QStringLiteral("SELECT ID_Number, Sub_Inventory, Sub_Inventory_Number, "
                           "Major_Category, Category_Number, Item_Name, Item_Number, "
                           "Number_Of_Items, Cost_Per_Item, Total_Value_Of_Item, Item_Notes, "
                           "Item_Photo_Name"),
            QStringLiteral("FROM [") + table + QStringLiteral("]"),
            QStringLiteral("WHERE ID_Number > 0"), QStringLiteral("ORDER BY ID_Number")});
    std::vector<EntryRecord> rows;
    while (!q.eof()) {
        EntryRecord r;
        r.id = static_cast<int>(q.integer(0));
        r.subInventory = store::FromStoredText(q.text(1));
        r.subInventoryNumber = static_cast<int>(q.integer(2));
        r.category = store::FromStoredText(q.text(3));
        r.categoryNumber = static_cast<int>(q.integer(4));
        r.item = store::FromStoredText(q.text(5));
        r.itemNumber = static_cast<int>(q.integer(6));
        r.count = q.integer(7);
        r.cost = q.currency(8);
        r.total = q.currency(9);
        r.notes = store::FromStoredText(q.text(10));
        r.photo = store::FromStoredText(q.text(11));
        rows.push_back(std::move(r));
        q.next();
    }
    q.close();
    return rows;
}

} // namespace entries
