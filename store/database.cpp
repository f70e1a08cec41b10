#include "store/database.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>
#include <sqlite3.h>

namespace store {

namespace {

QString sqliteMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// Text ignores letter case in comparisons and ordering, for every alphabet, not just ASCII.
// Registered under the built-in name so that the files stay readable by any SQLite tool.
int compareNoCase(void*, int n1, const void* v1, int n2, const void* v2) {
    return CompareNoCase(static_cast<const char*>(v1), n1, static_cast<const char*>(v2), n2);
}

// Room for a full inventory of 99,999 entries (about 13 MB) and a saved copy of it, so that
// listing it again reads its pages from memory. The cache only grows as pages are read.
constexpr int kPageCacheKiB = 32 * 1024;

const QStringList& connectionParts(DatabaseKind kind) {
    static const QStringList catalogue = {
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0"),
        QStringLiteral("Data Source=%1"),
        QStringLiteral("Mode=ReadWrite"),
        QStringLiteral("Extended Properties=\"\""),
        QStringLiteral("Persist Security Info=False"),
        QStringLiteral("Jet OLEDB:System database=\"\""),
        QStringLiteral("Jet OLEDB:Registry Path=\"\""),
        QStringLiteral("Jet OLEDB:Database Password=%2"),
        QStringLiteral("Jet OLEDB:Engine Type=5"),
        QStringLiteral("Jet OLEDB:Database Locking Mode=0"),
        QStringLiteral("Jet OLEDB:Global Partial Bulk Ops=2"),
        QStringLiteral("Jet OLEDB:Global Bulk Transactions=1"),
        QStringLiteral("Jet OLEDB:New Database Password=\"\""),
        QStringLiteral("Jet OLEDB:Create System Database=False"),
        QStringLiteral("Jet OLEDB:Encrypt Database=False"),
        QStringLiteral("Jet OLEDB:Don't Copy Locale on Compact=False"),
        QStringLiteral("Jet OLEDB:Compact Without Replica Repair=False"),
        QStringLiteral("Jet OLEDB:SFP=False"),
    };
    static const QStringList user = {
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0"),
        QStringLiteral("Data Source=%1"),
        QStringLiteral("Mode=ReadWrite"),
        QStringLiteral("Persist Security Info=False"),
        QStringLiteral("Jet OLEDB:Database Password=%2"),
    };
    return kind == DatabaseKind::Catalogue ? catalogue : user;
}

} // namespace

int CompareNoCase(const char* a, int n1, const char* b, int n2) {
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    // ASCII letters fold by one bit; the first difference between two ASCII characters decides,
    // as it would after full case folding, because the equal prefix folds alike.
    const int n = std::min(n1, n2);
    int i = 0;
    for (; i < n; ++i) {
        int ca = p[i], cb = q[i];
        if ((ca | cb) & 0x80) break; // a character outside ASCII starts here
        if (ca == cb) continue;
        if (ca >= 'A' && ca <= 'Z') ca += 32;
        if (cb >= 'A' && cb <= 'Z') cb += 32;
        if (ca != cb) return ca - cb;
    }
    if (i == n) return n1 - n2; // one is the other's beginning: the shorter comes first
    // From the first character outside ASCII on, full Unicode case folding; the prefix before it
    // is equal and holds whole characters.
    const QString sa = TextFromUtf8(a + i, n1 - i);
    const QString sb = TextFromUtf8(b + i, n2 - i);
    return QString::compare(sa, sb, Qt::CaseInsensitive);
}

QString TextFromUtf8(const char* bytes, qsizetype size) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(bytes, size));
}

QString ConnectionString(DatabaseKind kind, const QString& programFolder) {
    const QString file =
        programFolder + (kind == DatabaseKind::Catalogue ? QStringLiteral("QIVData.mdb")
                                                         : QStringLiteral("QIVUser.mdb"));
    QStringList parts;
    for (const QString& p : connectionParts(kind)) {
        QString part = p;
        part.replace(QStringLiteral("%1"), file);
        part.replace(QStringLiteral("%2"), kDatabasePassword);
        parts << part;
    }
    return parts.join(QLatin1Char(';'));
}

ConnectionInfo ParseConnectionString(const QString& text) {
    ConnectionInfo info;
    // A path may hold ';' only in theory; the parts are split at every ';' like the provider does.
    for (const QString& part : text.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString name = part.left(eq).trimmed();
        const QString value = part.mid(eq + 1);
        if (name.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            info.dataSource = value;
        else if (name.compare(QLatin1String("Mode"), Qt::CaseInsensitive) == 0)
            info.mode = value;
        else if (name.compare(QLatin1String("Jet OLEDB:Database Password"), Qt::CaseInsensitive) ==
                 0)
            info.password = value;
    }
    return info;
}

// ---------------------------------------------------------------------------------------------

Connection::~Connection() {
    disconnect();
}

void Connection::setConnectionString(const QString& text) {
    disconnect();
    connectionString_ = text;
}

QString Connection::fileName() const {
    return ParseConnectionString(connectionString_).dataSource;
}

void Connection::connect() {
    if (db_) return;
    const ConnectionInfo info = ParseConnectionString(connectionString_);
    if (info.dataSource.isEmpty())
        throw DatabaseError("No database file is named in the connection string.");
    const QFileInfo fi(info.dataSource);
    if (!fi.exists())
        throw DatabaseError(
            QStringLiteral("Could not find file '%1'.").arg(info.dataSource).toStdString());
    if (!fi.isFile() || !fi.isReadable())
        throw DatabaseError(
            QStringLiteral("Could not read file '%1'.").arg(info.dataSource).toStdString());
    if (info.password != kDatabasePassword) throw DatabaseError("Not a valid password.");
    const bool readOnly = info.mode.compare(QLatin1String("Read"), Qt::CaseInsensitive) == 0;
    sqlite3* db = nullptr;
    // Never SQLITE_OPEN_CREATE: a missing file is an error, not a new empty database.
    // A connection is only ever used by the thread that opened it: no connection mutex.
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(info.dataSource.toUtf8().constData(), &db, flags, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, compareNoCase);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        const QByteArray cache = "PRAGMA cache_size = -" + QByteArray::number(kPageCacheKiB);
        sqlite3_exec(db, cache.constData(), nullptr, nullptr, nullptr);
        // Opening is lazy in SQLite: read the schema now so a damaged file fails here.
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        const QString msg = QStringLiteral("Could not open database file '%1': %2")
                                .arg(info.dataSource, sqliteMessage(db));
        sqlite3_close(db);
        throw DatabaseError(msg.toStdString());
    }
    db_ = db;
}

void Connection::disconnect() {
    if (db_) {
        // Statements still prepared on this handle are finalised by their queries; close_v2 defers
        // the real close until then.
        sqlite3_close_v2(db_);
        db_ = nullptr;
        transactionDepth_ = 0;
    }
}

sqlite3* Connection::handle() {
    connect();
    return db_;
}

void Connection::transaction(const std::function<void()>& fn) {
    sqlite3* db = handle();
    if (transactionDepth_ > 0) {
        ++transactionDepth_;
        try {
            fn();
        } catch (...) {
            --transactionDepth_;
            throw;
        }
        --transactionDepth_;
        return;
    }
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DatabaseError(sqliteMessage(db).toStdString());
    transactionDepth_ = 1;
    try {
        fn();
    } catch (...) {
        transactionDepth_ = 0;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    transactionDepth_ = 0;
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString msg = sqliteMessage(db);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw DatabaseError(msg.toStdString());
    }
}

// ---------------------------------------------------------------------------------------------

QString QuoteIdentifier(const QString& name) {
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

bool ParseSelectInto(const QString& sql, SelectInto& out) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*SELECT\s+(.*?)\s+INTO\s+(\[[^\]]*\]|[^\s\[]+)\s+(FROM\s.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(sql);
    if (!m.hasMatch()) return false;
    // "INSERT INTO t SELECT ..." never matches: it does not start with SELECT.
    out.selectList = m.captured(1).trimmed();
    QString target = m.captured(2);
    if (target.startsWith(QLatin1Char('['))) target = target.mid(1, target.size() - 2);
    out.target = target;
    out.rest = m.captured(3).trimmed();
    return true;
}

Query::~Query() {
    close();
}

void Query::close() {
    if (stmt_) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
    columns_ = 0;
    eof_ = true;
}

void Query::fail(const QString& what) const {
    throw DatabaseError(what.toStdString());
}

void Query::prepare(const QString& text) {
    close();
    sqlite3* db = connection_->handle();
    const QByteArray utf8 = text.toUtf8();
    const char* tail = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &stmt, &tail) !=
        SQLITE_OK)
        fail(sqliteMessage(db));
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";") {
        sqlite3_finalize(stmt);
        fail(QStringLiteral("Characters found after end of SQL statement."));
    }
    if (!stmt) // only blanks or a comment
        fail(QStringLiteral("Invalid SQL statement."));
    stmt_ = stmt;
    columns_ = sqlite3_column_count(stmt);
}

void Query::stepRow() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        eof_ = false;
    } else if (rc == SQLITE_DONE) {
        eof_ = true;
        sqlite3_reset(stmt_); // ends the read so other connections may write
    } else {
        const QString msg = sqliteMessage(connection_->handle());
        close();
        fail(msg);
    }
}

void Query::open() {
    prepare(sqlText());
    rowsAffected_ = 0;
    stepRow();
}

void Query::next() {
    if (!stmt_ || eof_) return;
    stepRow();
}

static void runOne(sqlite3* db, const QByteArray& sql, int* changes) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK)
        throw DatabaseError(sqliteMessage(db).toStdString());
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw DatabaseError(sqliteMessage(db).toStdString());
    if (changes) *changes = sqlite3_changes(db);
}

void Query::execute() {
    close();
    rowsAffected_ = 0;
    const QString text = sqlText();
    SelectInto into;
    if (!ParseSelectInto(text, into)) {
        prepare(text);
        const int rc = sqlite3_step(stmt_);
        while (rc == SQLITE_ROW && sqlite3_step(stmt_) == SQLITE_ROW) {
        }
        sqlite3_stmt* s = stmt_;
        stmt_ = nullptr;
        const int frc = sqlite3_finalize(s);
        sqlite3* db = connection_->handle();
        if ((rc != SQLITE_DONE && rc != SQLITE_ROW) || frc != SQLITE_OK) fail(sqliteMessage(db));
        rowsAffected_ = sqlite3_changes(db);
        return;
    }

    // Select-into: a new table whose columns have the names, order, declared types and
    // collations of the selected columns, then the rows. All or nothing.
    sqlite3* db = connection_->handle();
    const QString select =
        QStringLiteral("SELECT ") + into.selectList + QLatin1Char(' ') + into.rest;
    const QByteArray selectUtf8 = select.toUtf8();
    sqlite3_stmt* probe = nullptr;
    if (sqlite3_prepare_v2(db, selectUtf8.constData(), static_cast<int>(selectUtf8.size()), &probe,
                           nullptr) != SQLITE_OK)
        fail(sqliteMessage(db));
    QStringList columns;
    const int n = sqlite3_column_count(probe);
    for (int i = 0; i < n; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(probe, i));
        const char* table = sqlite3_column_table_name(probe, i);
        const char* origin = sqlite3_column_origin_name(probe, i);
        const char* dbName = sqlite3_column_database_name(probe, i);
        QString decl;
        if (table && origin) {
            const char* type = nullptr;
            const char* coll = nullptr;
            int notNull = 0, pk = 0, autoinc = 0;
            if (sqlite3_table_column_metadata(db, dbName, table, origin, &type, &coll, &notNull,
                                              &pk, &autoinc) == SQLITE_OK) {
                if (type && *type) decl = QString::fromUtf8(type);
                if (coll && QByteArray(coll).compare("BINARY", Qt::CaseInsensitive) != 0)
                    decl += QStringLiteral(" COLLATE ") + QString::fromUtf8(coll);
            }
        } else {
            // A computed column (a literal such as a tab caption) is text, compared like text.
            decl = QStringLiteral("TEXT COLLATE NOCASE");
        }
        columns << (QuoteIdentifier(name) + QLatin1Char(' ') + decl).trimmed();
    }
    sqlite3_finalize(probe);
    if (columns.isEmpty()) fail(QStringLiteral("The selection has no columns."));

    const QString create = QStringLiteral("CREATE TABLE ") + QuoteIdentifier(into.target) +
                           QStringLiteral(" (") + columns.join(QStringLiteral(", ")) +
                           QLatin1Char(')');
    const QString insert =
        QStringLiteral("INSERT INTO ") + QuoteIdentifier(into.target) + QLatin1Char(' ') + select;
    int changes = 0;
    connection_->transaction([&] {
        runOne(db, create.toUtf8(), nullptr);
        runOne(db, insert.toUtf8(), &changes);
    });
    rowsAffected_ = changes;
}

void Query::open(const QStringList& lines) {
    close();
    lines_ = lines;
    open();
}

void Query::execute(const QStringList& lines) {
    close();
    lines_ = lines;
    execute();
}

int Query::fieldCount() const {
    return stmt_ ? sqlite3_column_count(stmt_) : 0;
}

bool Query::inRow(int field) const {
    return stmt_ && !eof_ && field >= 0 && field < columns_;
}

bool Query::isNull(int field) const {
    return typeOf(field) == SQLITE_NULL;
}

int Query::typeOf(int field) const {
    return inRow(field) ? sqlite3_column_type(stmt_, field) : SQLITE_NULL;
}

QString Query::text(int field) const {
    switch (typeOf(field)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_FLOAT:
        // Money and reals read as text show as they would be written into SQL.
        return MoneyToSql(sqlite3_column_double(stmt_, field));
    default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, field));
        return TextFromUtf8(p, sqlite3_column_bytes(stmt_, field));
    }
    }
}

QByteArrayView Query::utf8(int field) const {
    if (!inRow(field)) return {};
    // No pointer for NULL: the value's type need not be asked separately.
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, field));
    if (!p) return {};
    return {p, sqlite3_column_bytes(stmt_, field)};
}

std::int64_t Query::integer(int field) const {
    switch (typeOf(field)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
        return sqlite3_column_int64(stmt_, field);
    case SQLITE_FLOAT:
        return static_cast<std::int64_t>(std::llround(sqlite3_column_double(stmt_, field)));
    default: {
        bool ok = false;
        const qlonglong v = text(field).trimmed().toLongLong(&ok);
        if (!ok)
            fail(QStringLiteral("Could not convert the value '%1' to a number.").arg(text(field)));
        return v;
    }
    }
}

Currency Query::currency(int field) const {
    switch (typeOf(field)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return {sqlite3_column_int64(stmt_, field) * 10000};
    case SQLITE_FLOAT:
        return Currency::fromDouble(sqlite3_column_double(stmt_, field));
    default: {
        bool ok = false;
        const double v = text(field).trimmed().toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("Could not convert the value '%1' to currency.").arg(text(field)));
        return Currency::fromDouble(v);
    }
    }
}

} // namespace store
