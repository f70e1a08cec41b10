// Save As names: whatever is typed, a name the checks pass saves as a table the database holds
// under that name, lists and opens again; a name they refuse writes nothing.
#include "fuzz_support.h"
#include "inventories/inventory_store.h"
#include "store/database.h"
#include "store/schema.h"

#include <QTemporaryDir>
#include <exception>
#include <memory>
#include <sqlite3.h>

namespace {

using inventories::NameCheck;

struct UserDatabase {
    QTemporaryDir dir;
    std::unique_ptr<store::Connection> db;
    std::unique_ptr<store::Query> q;

    UserDatabase() {
        const QString folder = dir.path() + QLatin1Char('/');
        sqlite3* raw = nullptr;
        sqlite3_open_v2((folder + QStringLiteral("QIVUser.mdb")).toUtf8().constData(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_close(raw);
        db = std::make_unique<store::Connection>(
            store::ConnectionString(store::DatabaseKind::User, folder));
        q = std::make_unique<store::Query>(*db);
        // Durability is not under test here; speed is welcome.
        q->execute({QStringLiteral("PRAGMA synchronous = OFF")});
        q->execute({QStringLiteral("PRAGMA journal_mode = MEMORY")});
        for (const QString& ddl : store::UserDatabaseDdl())
            q->execute(QStringList{ddl});
        q->execute({QStringLiteral("INSERT INTO Inventory VALUES (0, '', 0, '', 0, '', 0, 0, 0, "
                                   "0, '', '')")});
        q->execute({QStringLiteral("INSERT INTO Inventory VALUES (1, 'Kitchen', 9, 'Pots', 1, "
                                   "'Kettle', 1, 2, 3.5, 7, '', '')")});
        q->execute({QStringLiteral("INSERT INTO Current_Table VALUES (1, '')")});
        for (const QString& t : store::UserDatabaseTableNames())
            q->execute({QStringLiteral("INSERT INTO Prohibited VALUES ('%1')").arg(t)});
        q->execute({QStringLiteral("INSERT INTO Prohibited VALUES ('Reserved Word')")});
    }

    // Every table and index, as the database lists them.
    QStringList schema() {
        QStringList names;
        q->open({QStringLiteral("SELECT name FROM sqlite_master ORDER BY name")});
        while (!q->eof()) {
            names << q->text(0);
            q->next();
        }
        q->close();
        return names;
    }

    int count(const QString& table) {
        q->open({QStringLiteral("SELECT COUNT(*) FROM ") + store::QuoteIdentifier(table)});
        const int n = int(q->integer(0));
        q->close();
        return n;
    }
};

const inventories::HeaderWrite kHeader{{5, 14, 5, 3, 2004, 5}, {}, true, true};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 600) return 0;
    static UserDatabase u;
    // Up to three names separated by a unit 0x000A: the earlier ones are saved first, so the
    // last one meets saved inventories of similar names.
    const QString typed = fuzz::Utf16Units(data, size);
    // Typed text never holds a lone surrogate.
    if (!fuzz::WellFormed(typed)) return 0;
    const QStringList names = typed.split(QChar(0x000A)).mid(0, 3);
    for (const QString& name : names) {
        const QStringList before = u.schema();
        const int savedBefore = u.count(QStringLiteral("Master_Table"));
        const inventories::SaveAsName check = inventories::CheckSaveAsName(*u.q, name);
        inventories::SaveAsResult r;
        try {
            r = inventories::SaveInventoryAs(*u.db, name, true, kHeader);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "save as: %s\n", e.what());
            fuzz::Fail("Save As fails on a name its checks let through", name);
        }
        fuzz::Check(r.name.check == check.check, "Save As checks differently from the check", name);
        if (check.check != NameCheck::New && check.check != NameCheck::Exists) {
            fuzz::Check(!r.saved, "a refused name was saved", name);
            fuzz::Check(u.schema() == before &&
                            u.count(QStringLiteral("Master_Table")) == savedBefore,
                        "a refused name changed the database", name);
            continue;
        }
        fuzz::Check(r.saved, "a name that passed was not saved", name);
        const QString table = r.name.tableName;
        fuzz::Check(u.schema().contains(table), "the saved table is not in the database", name);
        fuzz::Check(u.count(table) == 2, "the saved table does not hold the inventory", name);
        const QString display = inventories::FromTableName(table);
        fuzz::Check(inventories::SavedInventories(*u.q).contains(display),
                    "the saved inventory is not listed", name);
        try {
            inventories::OpenInventory(*u.db, display);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "open: %s\n", e.what());
            fuzz::Fail("a saved inventory does not open", name);
        }
        fuzz::Check(u.count(QStringLiteral("Inventory")) == 2, "opening lost entries", name);
    }
    // Start every input from the same state.
    for (const QString& t : inventories::SavedInventories(*u.q))
        inventories::DeleteInventory(*u.db, t);
    u.q->execute({QStringLiteral("DELETE FROM Master_Table")});
    return 0;
}
