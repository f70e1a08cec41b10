#include "entries/entry_records.h"

#include "store/database.h"
#include "store/stored_text.h"

namespace entries {

std::vector<EntryRecord> ReadEntryRecords(store::Query& query, const QString& table) {
    std::vector<EntryRecord> records;
    query.open({QStringLiteral("SELECT ID_Number, Sub_Inventory, Sub_Inventory_Number, "
                               "Major_Category, Item_Name, Number_Of_Items, Cost_Per_Item, "
                               "Total_Value_Of_Item, Item_Notes, Item_Photo_Name"),
                QStringLiteral("FROM [") + table + QLatin1Char(']'),
                QStringLiteral("WHERE ID_Number > 0"), QStringLiteral("ORDER BY ID_Number")});
    while (!query.eof()) {
        EntryRecord r;
        r.id = static_cast<qint32>(query.integer(0));
        r.subInventory = store::FromStoredText(query.text(1));
        r.subInventoryNumber = static_cast<int>(query.integer(2));
        r.category = store::FromStoredText(query.text(3));
        r.item = store::FromStoredText(query.text(4));
        r.count = query.integer(5);
        r.cost = query.currency(6);
        r.value = query.currency(7);
        r.notes = store::FromStoredText(query.text(8));
        r.photo = store::FromStoredText(query.text(9));
        records.push_back(std::move(r));
        query.next();
    }
    query.close();
    return records;
}

} // namespace entries
