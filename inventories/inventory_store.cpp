#include "inventories/inventory_store.h"

#include "inventories/recent_list.h"
#include "store/database.h"
#include "store/schema.h"

namespace inventories {

namespace {

bool sameName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// The first field of every row; an empty result gives nothing.
QStringList firstFields(store::Query& query, const QStringList& lines) {
    QStringList values;
    query.open(lines);
    while (!query.eof()) {
        values << query.text(0);
        query.next();
    }
    query.close();
    return values;
}

// Saved-inventory bookkeeping can name a table that is gone (an earlier copy that failed).
bool tableExists(store::Query& query, const QString& tableName) {
    for (const QString& name :
         firstFields(query, {QStringLiteral("SELECT name"), QStringLiteral("FROM sqlite_master"),
                             QStringLiteral("WHERE type = 'table'")}))
        if (sameName(name, tableName)) return true;
    return false;
}

QString bracketed(const QString& tableName) {
    return QLatin1Char('[') + tableName + QLatin1Char(']');
}

void clearEntries(store::Query& query) {
    query.execute({QStringLiteral("DELETE FROM Inventory"), QStringLiteral("WHERE ID_Number > 0")});
}

void setCurrentTable(store::Query& query, const QString& tableName) {
    query.execute({QStringLiteral("UPDATE Current_Table"),
                   QStringLiteral("SET Current_Table = '") + tableName + QLatin1Char('\''),
                   QStringLiteral("WHERE Throw_Number = 1")});
}

void copyInventory(store::Query& query, const QString& from, const QString& into) {
    query.execute({QStringLiteral("SELECT *"), QStringLiteral("INTO ") + into,
                   QStringLiteral("FROM ") + from});
}

// Runs fn in one transaction; a failure is reported with what it means for the user's data.
template <typename Fn> void allOrNothing(store::Connection& c, const QString& context, Fn&& fn) {
    try {
        c.transaction(fn);
    } catch (const store::DatabaseError& e) {
        // The database names tables as it stores them; the user knows them by their names.
        throw store::DatabaseError(
            (context + QLatin1Char('\n') + FromTableName(QString::fromUtf8(e.what())))
                .toStdString());
    }
}

} // namespace

QString CurrentTableName(store::Query& query) {
    for (const QString& name : firstFields(query, {QStringLiteral("SELECT Current_Table"),
                                                   QStringLiteral("FROM Current_Table"),
                                                   QStringLiteral("WHERE Throw_Number = 1")}))
        if (!name.isEmpty()) return name;
    return {};
}

QStringList SavedInventories(store::Query& query) {
    QStringList names;
    for (const QString& t :
         firstFields(query, {QStringLiteral("SELECT *"), QStringLiteral("FROM Master_Table")}))
        if (!sameName(t, kSessionMarker)) names << FromTableName(t);
    return names;
}

InventoryTitles TitlesFor(const QString& displayName) {
    if (displayName.isEmpty())
        return {QStringLiteral("Inventory"), QStringLiteral("New Inventory - Quivera!")};
    return {QStringLiteral("Inventory: ") + displayName,
            displayName + QStringLiteral(" - Quivera!")};
}

WorkingInventory ReadWorkingInventory(store::Query& query) {
    WorkingInventory w;
    query.open({QStringLiteral("SELECT ID_Number"), QStringLiteral("FROM Inventory"),
                QStringLiteral("ORDER BY ID_Number DESC")});
    w.idCounter = static_cast<int>(query.integer(0));
    query.close();
    w.header = ReadInventoryHeader(query);
    return w;
}

void NewInventory(store::Connection& connection, const ChangeStamp& now,
                  const InventorySettings& current) {
    connection.transaction([&] {
        store::Query q(connection);
        clearEntries(q);
        setCurrentTable(q, QString());
        // With both flags clear a well-formed header keeps its text.
        WriteInventoryHeader(q, HeaderWrite{now, current, false, false});
    });
}

void OpenInventory(store::Connection& connection, const QString& displayName) {
    const QString t = ToTableName(displayName);
    allOrNothing(connection,
                 QStringLiteral("The inventory \"%1\" could not be opened; the working inventory "
                                "is unchanged.")
                     .arg(displayName),
                 [&] {
                     store::Query q(connection);
                     q.execute({QStringLiteral("DROP TABLE Inventory")});
                     copyInventory(q, bracketed(t), QStringLiteral("Inventory"));
                     // The copy brings columns only; large listings need the indexes back.
                     for (const QString& ddl : store::WorkingInventoryIndexDdl())
                         q.execute({ddl});
                     setCurrentTable(q, t);
                     PushRecent(q, t);
                 });
}

SaveResult SaveInventory(store::Connection& connection, const HeaderWrite& header) {
    SaveResult result = SaveResult::NeedsName;
    allOrNothing(connection,
                 QStringLiteral("The inventory could not be saved; nothing was changed."), [&] {
                     store::Query q(connection);
                     const QString t = CurrentTableName(q);
                     if (t.isEmpty()) return;
                     if (!tableExists(q, t)) {
                         result = SaveResult::Gone;
                         return;
                     }
                     WriteInventoryHeader(q, header);
                     q.execute({QStringLiteral("DROP TABLE ") + bracketed(t)});
                     copyInventory(q, QStringLiteral("Inventory"), bracketed(t));
                     result = SaveResult::Saved;
                 });
    return result;
}

SaveAsName CheckSaveAsName(store::Query& query, const QString& displayName) {
    const QStringList prohibited =
        firstFields(query, {QStringLiteral("SELECT *"), QStringLiteral("FROM Prohibited")});
    QStringList saved;
    for (const QString& t :
         firstFields(query, {QStringLiteral("SELECT *"), QStringLiteral("FROM Master_Table")}))
        if (!t.isEmpty() && !sameName(t, kSessionMarker)) saved << t;
    const QStringList objects =
        firstFields(query, {QStringLiteral("SELECT name"), QStringLiteral("FROM sqlite_master")});
    return CheckSaveAsName(displayName, prohibited, saved, objects);
}

SaveAsResult SaveInventoryAs(store::Connection& connection, const QString& displayName,
                             bool replaceExisting, const HeaderWrite& header) {
    SaveAsResult result;
    allOrNothing(connection,
                 QStringLiteral("The inventory \"%1\" could not be saved; nothing was changed.")
                     .arg(displayName.trimmed()),
                 [&] {
                     store::Query q(connection);
                     result.name = CheckSaveAsName(q, displayName);
                     const QString& t = result.name.tableName;
                     if (result.name.check == NameCheck::New)
                         q.execute({QStringLiteral("INSERT INTO Master_Table"),
                                    QStringLiteral("VALUES ('") + t + QStringLiteral("')")});
                     else if (result.name.check == NameCheck::Exists && replaceExisting) {
                         if (tableExists(q, t))
                             q.execute({QStringLiteral("DROP TABLE ") + bracketed(t)});
                     } else {
                         return;
                     }
                     WriteInventoryHeader(q, header);
                     copyInventory(q, QStringLiteral("Inventory"), bracketed(t));
                     setCurrentTable(q, t);
                     PushRecent(q, t);
                     result.saved = true;
                 });
    return result;
}

bool DeleteInventory(store::Connection& connection, const QString& displayName) {
    const QString t = ToTableName(displayName);
    // The lists never offer these; dropping one would destroy the working data.
    if (t.isEmpty() || sameName(t, kSessionMarker) ||
        store::UserDatabaseTableNames().contains(t, Qt::CaseInsensitive))
        throw store::DatabaseError(
            QStringLiteral("\"%1\" is not a saved inventory.").arg(displayName).toStdString());
    bool recentChanged = false;
    connection.transaction([&] {
        store::Query q(connection);
        q.execute({QStringLiteral("DELETE FROM Master_Table"),
                   QStringLiteral("WHERE Table_Names = '") + t + QLatin1Char('\'')});
        const bool listed = q.rowsAffected() > 0;
        if (tableExists(q, t))
            q.execute({QStringLiteral("DROP TABLE ") + bracketed(t)});
        else if (!listed)
            throw store::DatabaseError(
                QStringLiteral("\"%1\" is not a saved inventory.").arg(displayName).toStdString());
        recentChanged = RemoveRecent(q, t);
    });
    return recentChanged;
}

bool SessionInterrupted(store::Query& query) {
    for (const QString& v : firstFields(query, {QStringLiteral("SELECT Table_Names"),
                                                QStringLiteral("FROM Master_Table"),
                                                QStringLiteral("WHERE Table_Names = 'Inventory'")}))
        if (!v.isEmpty()) return true;
    return false;
}

bool StartSession(store::Query& query) {
    if (SessionInterrupted(query)) return true;
    query.execute(
        {QStringLiteral("INSERT INTO Master_Table"), QStringLiteral("VALUES ('Inventory')")});
    return false;
}

void BeginNewAfterInterruption(store::Connection& connection) {
    connection.transaction([&] {
        store::Query q(connection);
        clearEntries(q);
        setCurrentTable(q, QString());
    });
}

void CloseSession(store::Connection& connection) {
    connection.transaction([&] {
        store::Query q(connection);
        clearEntries(q);
        q.execute({QStringLiteral("DELETE FROM Master_Table"),
                   QStringLiteral("WHERE Table_Names = 'Inventory'")});
        setCurrentTable(q, QString());
    });
}

} // namespace inventories
