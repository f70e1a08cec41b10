#pragma once

#include "entries/brand_line.h"
#include "entries/catalogue_lookup.h"
#include "entries/entry_store.h"
#include "entries/entry_table.h"
#include "entries/tab_table.h"
#include "exchange/inventory_exchange.h"
#include "store/database.h"
#include "tests/pictures/photos.h"
#include "tests/support/program_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace exchange_test {

inline QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Every file under a folder, by path relative to it, with a hash of its bytes.
inline QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        out.insert(QDir(folder).relativeFilePath(p),
                   QCryptographicHash::hash(Bytes(p), QCryptographicHash::Sha256));
    }
    return out;
}

// A program folder with an empty working inventory, both databases open on their own
// connections, as the command-line jobs use them.
struct Inventory {
    testing_support::ProgramFolder folder;
    store::Connection user{store::ConnectionString(store::DatabaseKind::User, folder.path())};
    store::Connection catalogueDb{
        store::ConnectionString(store::DatabaseKind::Catalogue, folder.path())};
    store::Query q{user};
    store::Query catalogue{catalogueDb};
    int counter = 0;
    entries::EntryStore entries{user, q, counter};
    QTemporaryDir elsewhere; // photographs that live outside the program folder

    Inventory() { clear(); }

    void clear() {
        q.execute({QStringLiteral("DELETE FROM Inventory WHERE ID_Number > 0")});
        counter = 0;
    }

    QString pictures() const { return folder.path() + QStringLiteral("Pictures/"); }

    exchange::ImportReport import(const QString& file) {
        return exchange::ImportFile(file, {user, entries, catalogue, pictures(), {}});
    }

    std::vector<entries::EntryRecord> rows() { return entries::ReadEntryTable(q, "Inventory"); }

    // An entry composed as a tab composes it: the catalogue's numbers for category and item
    // (-1 for an item of the user's own), the brand line where the category shows brand fields.
    void add(const QString& key, const QString& category, const QString& item, quint32 count,
             double cost, const entries::BrandLine* brand, const QStringList& lines,
             const QString& photo = {}) {
        const entries::TabInfo& tab = entries::TabTable()[entries::PageOfKey(key)];
        const entries::CategoryRow c = entries::FindCategory(catalogue, key, category);
        const int itemNumber = c.number ? entries::FindItem(catalogue, key, item, c.number) : 0;
        entries::NewEntry e;
        e.subInventory = tab.subInventoryText();
        e.subInventoryNumber = tab.number;
        e.category = category;
        e.categoryNumber = c.number;
        e.item = item;
        e.itemNumber = itemNumber > 0 ? itemNumber : -1;
        e.count = count;
        e.cost = cost;
        std::optional<entries::BrandLine> b;
        if (brand) b = *brand;
        e.notes = entries::ComposeNotes(b, lines);
        e.photo = photo;
        entries.add(e);
    }
};

// The shape of a refusal: the lines it names.
inline QList<int> RefusedLines(const exchange::ImportRefused& r) {
    QList<int> lines;
    for (const auto& p : r.problems())
        lines << p.line;
    return lines;
}

} // namespace exchange_test
