#include "entries/catalogue_lookup.h"

#include "entries/price_points.h"
#include "store/database.h"
#include "store/stored_text.h"

namespace entries {

QStringList CategoryNames(store::Query& q, const QString& key) {
    q.open({QStringLiteral("SELECT Category_Name"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Main"),
            QStringLiteral("ORDER BY Order_Number")});
    QStringList names;
    do {
        names << store::FromStoredText(q.text(0));
        q.next();
    } while (!q.eof());
    return names;
}

CategoryRow FindCategory(store::Query& q, const QString& key, const QString& category) {
    q.open({QStringLiteral("SELECT Category_Number, Edit_Use"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Main"),
            QStringLiteral("WHERE Category_Name = '") + store::ToStoredText(category) +
                QStringLiteral("'")});
    return {static_cast<int>(q.integer(0)), static_cast<int>(q.integer(1))};
}

QStringList ItemNames(store::Query& q, const QString& key, int categoryNumber) {
    q.open({QStringLiteral("SELECT Item_Name"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Items"),
            QStringLiteral("WHERE Category_Number = ") + QString::number(categoryNumber),
            QStringLiteral("ORDER BY Order_Number")});
    QStringList items;
    do {
        const QString item = store::FromStoredText(q.text(0));
        if (!item.isEmpty()) items << item;
        q.next();
    } while (!q.eof());
    return items;
}

int FindItem(store::Query& q, const QString& key, const QString& item, int categoryNumber) {
    q.open({QStringLiteral("SELECT Item_Number"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Items"),
            QStringLiteral("WHERE (Item_Name = '") + store::ToStoredText(item) +
                QStringLiteral("') AND (Category_Number = ") + QString::number(categoryNumber) +
                QStringLiteral(")")});
    return static_cast<int>(q.integer(0));
}

QStringList PricePoints(store::Query& q, const QString& key, int itemNumber) {
    q.open({QStringLiteral("SELECT Item_Cost"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Data"),
            QStringLiteral("WHERE Item_Number = ") + QString::number(itemNumber),
            QStringLiteral("ORDER BY Item_Cost")});
    QStringList lines;
    do {
        lines << PricePointText(q.currency(0));
        q.next();
    } while (!q.eof());
    q.close();
    return lines;
}

} // namespace entries
