#include "store/user_file.h"

#include "store/database.h"
#include "store/schema.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace store {

namespace {

const char* const kJournalSuffixes[] = {"-journal", "-wal", "-shm"};

QString message(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

UserFileCheck found(UserFileProblem problem, const QString& detail) {
    return {problem, detail};
}

UserFileCheck check(sqlite3* db) {
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return found(UserFileProblem::Damaged, message(db));
    for (const QString& table : UserDatabaseTableNames()) {
        const QByteArray sql = ("SELECT * FROM " + QuoteIdentifier(table)).toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
            return found(UserFileProblem::Damaged, message(db));
        const int columns = sqlite3_column_count(stmt);
        sqlite3_finalize(stmt);
        // Entries are inserted by position: the working table must have all twelve columns.
        if (table == QLatin1String("Inventory") && columns != 12)
            return found(
                UserFileProblem::Damaged,
                QStringLiteral("the table Inventory has %1 columns instead of 12").arg(columns));
    }
    if (sqlite3_db_readonly(db, "main") == 1)
        return found(UserFileProblem::NotWritable, QStringLiteral("the file is read-only"));
    // A change that touches a page needs the journal beside the file, so the folder is tried too.
    const int begin = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (begin == SQLITE_BUSY || begin == SQLITE_LOCKED) return {};
    int rc = begin;
    QString detail;
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, "CREATE TABLE Quivera_Write_Check (x INTEGER)", nullptr, nullptr,
                          nullptr);
        if (rc != SQLITE_OK) detail = message(db);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
        detail = message(db);
    }
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {};
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_IOERR:
    case SQLITE_AUTH:
        return found(UserFileProblem::NotWritable, detail);
    default:
        return found(UserFileProblem::Damaged, detail);
    }
}

} // namespace

UserFileCheck CheckUserDatabase(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists()) return found(UserFileProblem::Missing, QStringLiteral("no such file"));
    if (!info.isFile() || !info.isReadable())
        return found(UserFileProblem::NotWritable, QStringLiteral("the file cannot be read"));
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    UserFileCheck result =
        rc == SQLITE_OK ? check(db) : found(UserFileProblem::Damaged, message(db));
    sqlite3_close_v2(db);
    return result;
}

void CreateUserDatabase(const QString& file) {
    const QString building = file + QStringLiteral(".new");
    QFile::remove(building);
    {
        sqlite3* db = nullptr;
        const int rc = sqlite3_open_v2(building.toUtf8().constData(), &db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        const QString error = rc == SQLITE_OK ? QString() : message(db);
        sqlite3_close_v2(db);
        if (rc != SQLITE_OK)
            throw DatabaseError(QStringLiteral("Could not create database file '%1': %2")
                                    .arg(building, error)
                                    .toStdString());
    }
    try {
        Connection connection(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + building +
            QStringLiteral(";Mode=ReadWrite;Jet OLEDB:Database Password=") + kDatabasePassword);
        Query q(connection);
        connection.transaction([&] {
            for (const QString& ddl : UserDatabaseDdl())
                q.execute({ddl});
            // The header row: its notes are rewritten at every start.
            q.execute({QStringLiteral("INSERT INTO Inventory"),
                       QStringLiteral("VALUES (0, '', 0, '', 0, '', 0, 0, 0, 1.1, '', '')")});
            q.execute(
                {QStringLiteral("INSERT INTO Current_Table"), QStringLiteral("VALUES (1, '')")});
            for (const QString& name : UserDatabaseTableNames())
                q.execute({QStringLiteral("INSERT INTO Prohibited"),
                           QStringLiteral("VALUES ('") + name + QStringLiteral("')")});
        });
        q.close();
        connection.disconnect();
    } catch (...) {
        QFile::remove(building);
        throw;
    }
    QFile::remove(file);
    if (!QFile::rename(building, file)) {
        QFile::remove(building);
        throw DatabaseError(
            QStringLiteral("Could not create database file '%1'.").arg(file).toStdString());
    }
}

bool MoveDatabaseAside(const QString& file, const QString& aside, QString& error) {
    QFile main(file);
    if (!main.rename(aside)) {
        error = main.errorString();
        return false;
    }
    for (const char* suffix : kJournalSuffixes) {
        const QString journal = file + QLatin1String(suffix);
        // A journal left under the old name would be played back into the new file.
        if (QFile::exists(journal) && !QFile::rename(journal, aside + QLatin1String(suffix)))
            QFile::remove(journal);
    }
    return true;
}

} // namespace store
