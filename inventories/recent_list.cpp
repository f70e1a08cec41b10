#include "inventories/recent_list.h"

#include "inventories/table_names.h"
#include "store/database.h"

namespace inventories {

namespace {

const QStringList kSelectRecent = {QStringLiteral("SELECT Inventory_Name, Order_Number"),
                                   QStringLiteral("FROM Last_Used"),
                                   QStringLiteral("ORDER BY Order_Number")};

// The database takes names that differ only in letter case as the same table.
bool sameTable(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// The place at which `tableName` is listed, 0 when it is not.
qint64 placeOf(store::Query& query, const QString& tableName) {
    query.open(kSelectRecent);
    qint64 k = 0;
    do {
        const qint64 order = query.integer(1);
        if (order != 0 && sameTable(query.text(0), tableName)) {
            k = order;
            break;
        }
        query.next();
    } while (!query.eof());
    query.close();
    return k;
}

} // namespace

void PushRecent(store::Query& query, const QString& tableName) {
    // The new row's place 0 must never outlive the renumbering, even when a statement fails.
    query.connection().transaction([&] {
        query.execute({QStringLiteral("INSERT INTO Last_Used"),
                       QStringLiteral("VALUES ('") + tableName + QStringLiteral("', 0)")});
        query.open(kSelectRecent);
        qint64 k = 0;
        do {
            k = query.integer(1);
            if (k != 0 && sameTable(query.text(0), tableName)) break;
            if (k < kRecentPlaces) k = 0;
            query.next();
        } while (!query.eof());
        query.close();
        if (k != 0) {
            query.execute({QStringLiteral("DELETE FROM Last_Used"),
                           QStringLiteral("WHERE Order_Number = ") + QString::number(k)});
            query.execute({QStringLiteral("UPDATE Last_Used"),
                           QStringLiteral("SET Order_Number = Order_Number + 1"),
                           QStringLiteral("WHERE Order_Number < ") + QString::number(k)});
        } else {
            query.execute({QStringLiteral("UPDATE Last_Used"),
                           QStringLiteral("SET Order_Number = Order_Number + 1")});
        }
    });
}

bool RemoveRecent(store::Query& query, const QString& tableName) {
    bool removed = false;
    query.connection().transaction([&] {
        const qint64 k = placeOf(query, tableName);
        if (k == 0) return;
        query.execute({QStringLiteral("DELETE FROM Last_Used"),
                       QStringLiteral("WHERE Order_Number = ") + QString::number(k)});
        query.execute({QStringLiteral("UPDATE Last_Used"),
                       QStringLiteral("SET Order_Number = Order_Number - 1"),
                       QStringLiteral("WHERE Order_Number > ") + QString::number(k)});
        removed = true;
    });
    return removed;
}

std::array<std::optional<QString>, kRecentPlaces> RecentInventories(store::Query& query) {
    std::array<std::optional<QString>, kRecentPlaces> places;
    query.open(kSelectRecent);
    while (!query.eof()) {
        const qint64 k = query.integer(1);
        if (k >= 1 && k <= kRecentPlaces) places[k - 1] = FromTableName(query.text(0));
        query.next();
    }
    query.close();
    return places;
}

} // namespace inventories
