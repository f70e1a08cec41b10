// The catalogue loader: any file splits into well-formed records, and every record whose names
// can be stored loads without a database error, findable again by its names, with every price
// the number grammar accepts stored at its value.
#include "entries/catalogue_records.h"
#include "fuzz_support.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/stored_text.h"
#include "entries/number_parsing.h"

#include <QTemporaryDir>
#include <cmath>
#include <exception>
#include <memory>
#include <sqlite3.h>

namespace {

const QString kKey = QStringLiteral("Art");

struct Catalogue {
    QTemporaryDir dir;
    std::unique_ptr<store::Connection> db;
    std::unique_ptr<store::Query> q;

    Catalogue() {
        const QString folder = dir.path() + QLatin1Char('/');
        sqlite3* raw = nullptr;
        sqlite3_open_v2((folder + QStringLiteral("QIVData.mdb")).toUtf8().constData(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_close(raw);
        db = std::make_unique<store::Connection>(
            store::ConnectionString(store::DatabaseKind::Catalogue, folder));
        q = std::make_unique<store::Query>(*db);
        q->execute({QStringLiteral("PRAGMA synchronous = OFF")});
        for (const QString& ddl : store::CatalogueTabTablesDdl(kKey))
            q->execute(QStringList{ddl});
    }
};

// Names compare as the database compares them: letter case ignored for A-Z only.
QString FoldAscii(QString s) {
    for (QChar& c : s)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
    return s;
}

// Text of the first column of the first row, with `number` bound to the one parameter.
QString NameOf(sqlite3* db, const char* sql, int number, int second = -1) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    sqlite3_bind_int(st, 1, number);
    if (second >= 0) sqlite3_bind_int(st, 2, second);
    QString out = QStringLiteral("<no row>");
    if (sqlite3_step(st) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                sqlite3_column_bytes(st, 0));
    sqlite3_finalize(st);
    return out;
}

bool HasPrice(sqlite3* db, int item, double value) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT Item_Cost FROM Art_Data WHERE Item_Number = ?", -1, &st,
                       nullptr);
    sqlite3_bind_int(st, 1, item);
    bool found = false;
    while (!found && sqlite3_step(st) == SQLITE_ROW)
        found = sqlite3_column_type(st, 0) != SQLITE_TEXT &&
                std::fabs(sqlite3_column_double(st, 0) - value) <= 1e-4;
    sqlite3_finalize(st);
    return found;
}

bool Storable(const QString& name) {
    return !name.contains(QChar(0)) && !fuzz::HasReservedCharacter(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    static Catalogue cat;
    const QString text = fuzz::Utf8(data, size);
    const std::vector<entries::PriceGroup> groups = entries::ParsePriceGroups(text);

    for (const auto& g : groups) {
        fuzz::Check(!g.category.isEmpty(), "a record without a category", text);
        for (const QString* f :
             {&g.category, &g.item, &g.prices[0], &g.prices[1], &g.prices[2], &g.prices[3]}) {
            fuzz::Check(!f->contains(QLatin1Char(';')) && !f->contains(QLatin1Char('\n')),
                        "a field runs over the end of its record", text);
            fuzz::Check(!f->startsWith(QLatin1Char(' ')), "a field keeps its leading blank", text);
        }
        for (const QString* f : {&g.category, &g.item, &g.prices[0], &g.prices[1], &g.prices[2]})
            fuzz::Check(!f->contains(QLatin1Char('~')), "a field holds its separator", text);
    }

    cat.q->execute({QStringLiteral("DELETE FROM Art_Main")});
    cat.q->execute({QStringLiteral("DELETE FROM Art_Items")});
    cat.q->execute({QStringLiteral("DELETE FROM Art_Data")});
    sqlite3* db = cat.db->handle();
    int loaded = 0;
    for (const auto& g : groups) {
        if (++loaded > 16) break;
        if (!Storable(g.category) || !Storable(g.item)) {
            // May be refused with a message, never crash.
            try {
                entries::LoadPriceGroup(*cat.q, kKey, g);
            } catch (const std::exception&) {
            }
            continue;
        }
        entries::CatalogueIds ids;
        try {
            ids = entries::LoadPriceGroup(*cat.q, kKey, g);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "loader: %s\n", e.what());
            fuzz::Fail("a well-formed record does not load", text);
        }
        const QString category = NameOf(
            db, "SELECT Category_Name FROM Art_Main WHERE Category_Number = ?", ids.categoryNumber);
        fuzz::Check(FoldAscii(store::FromStoredText(category)) == FoldAscii(g.category),
                    "the category is not found under its name", text);
        const QString item = NameOf(
            db, "SELECT Item_Name FROM Art_Items WHERE Item_Number = ? AND Category_Number = ?",
            ids.itemNumber, ids.categoryNumber);
        fuzz::Check(FoldAscii(store::FromStoredText(item)) == FoldAscii(g.item),
                    "the item is not found under its name", text);
        for (const QString& price : g.prices) {
            double value = 0;
            if (!entries::ParseReal(price, value) || std::fabs(value) > 1e12) continue;
            fuzz::Check(HasPrice(db, ids.itemNumber, value), "an accepted price is not stored",
                        price);
        }
    }
    return 0;
}
