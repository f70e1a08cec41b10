// Runs the inventory commands the File menu and the Inventory tab use (add, remove, move, save,
// save as, open) in an endless loop on a user database, so that a test can kill it at any
// moment. It appends to a log, with one write per line:
//   start <1 when the previous run's marker was found, else 0>
//   ready                      the run's marker is in place
//   saving <name> <entries> <digest>   before a save begins
//   saved <name>               after it returned
// Usage: kill_driver PROGRAM_FOLDER SEED LOG
#include "contents.h"
#include "inventories/inventory_store.h"
#include "store/database.h"

#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

namespace {

int logFd = -1;

void Log(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    if (write(logFd, bytes.constData(), size_t(bytes.size())) != bytes.size()) _exit(3);
}

const QStringList kNames = {QStringLiteral("KillA"), QStringLiteral("KillB"),
                            QStringLiteral("KillC")};
const inventories::HeaderWrite kHeader{{5, 14, 5, 3, 2004, 5}, {}, true, true};

int Count(store::Query& q) {
    q.open({QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number > 0")});
    const int n = int(q.integer(0));
    q.close();
    return n;
}

void Save(store::Connection& db, store::Query& q, const QString& name, bool asNew) {
    const kill_test::Contents c = kill_test::ReadContents(q, QStringLiteral("Inventory"));
    Log(QStringLiteral("saving %1 %2 %3").arg(name).arg(c.entries).arg(c.digest));
    if (asNew)
        inventories::SaveInventoryAs(db, name, true, kHeader);
    else
        inventories::SaveInventory(db, kHeader);
    Log(QStringLiteral("saved ") + name);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    std::mt19937 rng(std::stoul(argv[2]));
    logFd = open(argv[3], O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (logFd < 0) return 2;

    store::Connection db(store::ConnectionString(store::DatabaseKind::User, folder));
    store::Query q(db);
    const bool interrupted = inventories::StartSession(q);
    Log(QStringLiteral("start %1").arg(interrupted ? 1 : 0));
    Log(QStringLiteral("ready"));

    for (int serial = 0;; ++serial) {
        const int n = Count(q);
        const unsigned op = rng() % 10;
        if (op < 4 && n < 300) { // add
            db.transaction([&] {
                q.execute({QStringLiteral("INSERT INTO Inventory VALUES (%1, 'Kitchen', 9, "
                                          "'Pots', 1, 'Kettle %2', 1, 2, 3.5, 7, 'note', '')")
                               .arg(n + 1)
                               .arg(serial)});
            });
        } else if (op < 5 && n > 0) { // remove one entry; the later ones move up
            const int id = int(rng() % unsigned(n)) + 1;
            db.transaction([&] {
                q.execute({QStringLiteral("DELETE FROM Inventory WHERE ID_Number = %1").arg(id)});
                q.execute({QStringLiteral("UPDATE Inventory SET ID_Number = ID_Number - 1 "
                                          "WHERE ID_Number > %1")
                               .arg(id)});
            });
        } else if (op < 6 && n > 1) { // move an entry down by one
            const int id = int(rng() % unsigned(n - 1)) + 1;
            db.transaction([&] {
                q.execute({QStringLiteral("UPDATE Inventory SET ID_Number = -1 WHERE ID_Number "
                                          "= %1")
                               .arg(id)});
                q.execute({QStringLiteral("UPDATE Inventory SET ID_Number = %1 WHERE ID_Number "
                                          "= %2")
                               .arg(id)
                               .arg(id + 1)});
                q.execute({QStringLiteral("UPDATE Inventory SET ID_Number = %1 WHERE ID_Number "
                                          "= -1")
                               .arg(id + 1)});
            });
        } else if (op < 8) { // save, under a new name when the inventory has none
            const QString current = inventories::FromTableName(inventories::CurrentTableName(q));
            if (current.isEmpty())
                Save(db, q, kNames[rng() % kNames.size()], true);
            else
                Save(db, q, current, false);
        } else if (op < 9) { // save as
            Save(db, q, kNames[rng() % kNames.size()], true);
        } else { // open
            const QStringList saved = inventories::SavedInventories(q);
            if (!saved.isEmpty()) inventories::OpenInventory(db, saved[int(rng() % saved.size())]);
        }
    }
}
