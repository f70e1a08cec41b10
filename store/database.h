#pragma once

#include "store/money.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

// Every failure of the data layer: a missing or unreadable file, a wrong password, a failing
// statement. Its text is what the user is shown.
class DatabaseError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline const QString kDatabasePassword = QStringLiteral("Brim42Cold");

enum class DatabaseKind { Catalogue, User };

// The connection strings of the two databases, from the program folder (ending in '/').
QString ConnectionString(DatabaseKind kind, const QString& programFolder);

// The parts of a connection string the layer uses: data source, mode and password.
struct ConnectionInfo {
    QString dataSource;
    QString mode;
    QString password;
};
ConnectionInfo ParseConnectionString(const QString& text);

// One database file. It opens itself with the first statement and stays open until disconnect().
// A connection and its queries belong to one thread: SQLite's connection mutex is left out.
class Connection {
  public:
    Connection() = default;
    explicit Connection(QString connectionString)
        : connectionString_(std::move(connectionString)) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const QString& text);
    const QString& connectionString() const { return connectionString_; }
    QString fileName() const;

    bool connected() const { return db_ != nullptr; }
    void connect(); // throws DatabaseError
    void disconnect();
    sqlite3* handle(); // connects on first use

    // Runs fn inside one transaction: everything it executes takes effect, or nothing does.
    // Nested calls join the outer transaction.
    void transaction(const std::function<void()>& fn);

  private:
    QString connectionString_;
    sqlite3* db_ = nullptr;
    int transactionDepth_ = 0;
};

// A query object: close, clear, add lines, then open (rows) or execute (everything else).
// Fields are read by position from the current row; past the last row they read as empty.
class Query {
  public:
    explicit Query(Connection& connection) : connection_(&connection) {}
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void close();
    void clear() { lines_.clear(); }
    void add(const QString& line) { lines_ << line; }
    const QStringList& sql() const { return lines_; }
    QString sqlText() const { return lines_.join(QLatin1Char('\n')); }

    void open();    // a statement that returns rows
    void execute(); // any other statement
    // Convenience for the common sequence: close, clear, add each line, open / execute.
    void open(const QStringList& lines);
    void execute(const QStringList& lines);

    bool active() const { return stmt_ != nullptr; }
    bool eof() const { return eof_; }
    void next();
    int fieldCount() const;
    int rowsAffected() const { return rowsAffected_; }

    QString text(int field) const;
    // A text field's stored bytes, unconverted: for readers that keep many rows compactly. Valid
    // until the next row is read; empty for NULL.
    QByteArrayView utf8(int field) const;
    std::int64_t integer(int field) const;
    Currency currency(int field) const;
    bool isNull(int field) const;

    Connection& connection() { return *connection_; }

  private:
    void prepare(const QString& text);
    bool inRow(int field) const; // a row is current and the field is one of its columns
    int typeOf(int field) const; // the field's SQLite type; NULL outside a row
    void stepRow();
    [[noreturn]] void fail(const QString& what) const;

    Connection* connection_;
    QStringList lines_;
    sqlite3_stmt* stmt_ = nullptr;
    int columns_ = 0; // of the prepared statement
    bool eof_ = true;
    int rowsAffected_ = 0;
};

// The engine takes the SQL of the original dialect except for "SELECT list INTO t FROM ...",
// which is rewritten here. Returns false when the text is no select-into.
struct SelectInto {
    QString selectList;
    QString target; // brackets removed
    QString rest;   // "FROM ..." to the end
};
bool ParseSelectInto(const QString& sql, SelectInto& out);

// The text comparison of the databases (their NOCASE collation): letter case is ignored in every
// alphabet. Arguments are UTF-8 bytes and their lengths; the result's sign orders a before b.
int CompareNoCase(const char* a, int aBytes, const char* b, int bBytes);

// Text the database holds (UTF-8) as the program's text. A leading U+FEFF belongs to the text, as
// typed; it is not a byte-order mark to drop.
QString TextFromUtf8(const char* bytes, qsizetype size);

// Quotes a table or column name for SQLite.
QString QuoteIdentifier(const QString& name);

} // namespace store
