#include "user_database.h"

#include "store/schema.h"

#include <sqlite3.h>

void UserDatabaseTest::SetUp() {
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2((folder + QStringLiteral("QIVUser.mdb")).toUtf8().constData(), &raw,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    db = std::make_unique<store::Connection>(
        store::ConnectionString(store::DatabaseKind::User, folder));
    q = std::make_unique<store::Query>(*db);
    // Nothing here needs to survive a power cut; the tests share their disk with others.
    q->execute({QStringLiteral("PRAGMA synchronous = OFF")});
    for (const QString& ddl : store::UserDatabaseDdl())
        q->execute(QStringList{ddl});
    q->execute({QStringLiteral("INSERT INTO Inventory VALUES (0, '', 0, '', 0, '', 0, 0, 0, 0, "
                               "'', '')")});
    q->execute({QStringLiteral("INSERT INTO Current_Table VALUES (1, '')")});
    for (const QString& t : store::UserDatabaseTableNames())
        q->execute({QStringLiteral("INSERT INTO Prohibited VALUES ('%1')").arg(t)});
}

void UserDatabaseTest::addEntries(int count, const QString& prefix) {
    for (int i = 1; i <= count; ++i)
        q->execute({QStringLiteral("INSERT INTO Inventory VALUES (%1, 'Kitchen', 9, 'Pots', 1, "
                                   "'%2 %1', 1, 2, 3.5, 7, '', '')")
                        .arg(i)
                        .arg(prefix)});
}

QStringList UserDatabaseTest::column(const QString& sql) {
    QStringList values;
    q->open(QStringList{sql});
    while (!q->eof()) {
        values << q->text(0);
        q->next();
    }
    q->close();
    return values;
}

QStringList UserDatabaseTest::itemNames(const QString& table) {
    return column(QStringLiteral("SELECT Item_Name FROM [%1] WHERE ID_Number > 0 ORDER BY "
                                 "ID_Number")
                      .arg(table));
}

QString UserDatabaseTest::headerText(const QString& table) {
    const QStringList v =
        column(QStringLiteral("SELECT Item_Notes FROM [%1] WHERE ID_Number = 0").arg(table));
    return v.isEmpty() ? QString() : v.first();
}

bool UserDatabaseTest::tableExists(const QString& name) {
    return !column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = "
                                  "'%1'")
                       .arg(name))
                .isEmpty();
}

void UserDatabaseTest::setCurrent(const QString& tableName) {
    q->execute({QStringLiteral("UPDATE Current_Table SET Current_Table = '%1' WHERE Throw_Number "
                               "= 1")
                    .arg(tableName)});
}

QStringList UserDatabaseTest::recent() {
    QStringList out;
    q->open({QStringLiteral("SELECT Inventory_Name, Order_Number FROM Last_Used ORDER BY "
                            "Order_Number")});
    while (!q->eof()) {
        out << q->text(0) + QLatin1Char('@') + QString::number(q->integer(1));
        q->next();
    }
    q->close();
    return out;
}
