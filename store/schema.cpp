#include "store/schema.h"

namespace store {

QStringList CatalogueTabTablesDdl(const QString& key) {
    return {
        QStringLiteral("CREATE TABLE %1_Main (Category_Name VARCHAR(255) COLLATE NOCASE, "
                       "Order_Number INTEGER, Category_Number INTEGER, Edit_Use INTEGER)")
            .arg(key),
        QStringLiteral("CREATE TABLE %1_Items (Category_Name VARCHAR(255) COLLATE NOCASE, "
                       "Category_Number INTEGER, Item_Name VARCHAR(255) COLLATE NOCASE, "
                       "Order_Number INTEGER, Item_Number INTEGER)")
            .arg(key),
        QStringLiteral("CREATE TABLE %1_Data (Item_Name VARCHAR(255) COLLATE NOCASE, "
                       "Item_Number INTEGER, Item_Cost CURRENCY)")
            .arg(key),
        QStringLiteral("CREATE INDEX %1_Main_Order ON %1_Main (Order_Number)").arg(key),
        QStringLiteral("CREATE INDEX %1_Items_Category ON %1_Items (Category_Number, Order_Number)")
            .arg(key),
        QStringLiteral("CREATE INDEX %1_Data_Item ON %1_Data (Item_Number)").arg(key),
    };
}

QStringList CatalogueCommonDdl() {
    return {
        QStringLiteral("CREATE TABLE Help_Text (Tab_Number INTEGER, Tab_Help MEMO, "
                       "Tab_Name VARCHAR(255) COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE Inventories (Inventory_Number INTEGER, "
                       "Long_Inventory_Name VARCHAR(255) COLLATE NOCASE)"),
    };
}

QStringList WorkingInventoryIndexDdl() {
    return {QStringLiteral("CREATE INDEX IF NOT EXISTS Inventory_ID ON Inventory (ID_Number)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS Inventory_Sub ON Inventory "
                           "(Sub_Inventory_Number, ID_Number)")};
}

QStringList UserDatabaseDdl() {
    QStringList ddl{
        QStringLiteral(
            "CREATE TABLE Inventory (ID_Number INTEGER, Sub_Inventory VARCHAR(11) COLLATE NOCASE, "
            "Sub_Inventory_Number INTEGER, Major_Category VARCHAR(255) COLLATE NOCASE, "
            "Category_Number INTEGER, Item_Name VARCHAR(255) COLLATE NOCASE, Item_Number INTEGER, "
            "Number_Of_Items INTEGER, Cost_Per_Item CURRENCY, Total_Value_Of_Item CURRENCY, "
            "Item_Notes MEMO COLLATE NOCASE, Item_Photo_Name VARCHAR(255) COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE Master_Table (Table_Names VARCHAR(255) COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE Current_Table (Throw_Number INTEGER, "
                       "Current_Table VARCHAR(255) COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE Last_Used (Inventory_Name VARCHAR(255) COLLATE NOCASE, "
                       "Order_Number INTEGER)"),
        QStringLiteral("CREATE TABLE Prohibited (Table_Name VARCHAR(255) COLLATE NOCASE)"),
    };
    // The indexes follow their table.
    return ddl.mid(0, 1) + WorkingInventoryIndexDdl() + ddl.mid(1);
}

QStringList UserDatabaseTableNames() {
    return {QStringLiteral("Inventory"), QStringLiteral("Master_Table"),
            QStringLiteral("Current_Table"), QStringLiteral("Last_Used"),
            QStringLiteral("Prohibited")};
}

} // namespace store
