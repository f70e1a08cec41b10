// Files from elsewhere: a spreadsheet's CSV, HomeBox's CSV and TSV, and the files an import must
// refuse without changing anything.
#include "exchange_support.h"

#include "exchange/csv.h"
#include "exchange/zip_archive.h"
#include "store/stored_text.h"

using namespace exchange_test;

namespace {

QString PageKey(const entries::EntryRecord& r) {
    return entries::TabTable()[entries::PageOfSubInventory(r.subInventoryNumber)].keyText();
}

const char* kHomeBoxHeader =
    "HB.import_ref,HB.location,HB.labels,HB.asset_id,HB.name,HB.quantity,HB.description,"
    "HB.insured,HB.serial_number,HB.model_number,HB.manufacturer,HB.notes,HB.purchase_price,"
    "HB.purchase_time,HB.field.Colour,HB.field.Room Size";

// Three HomeBox items: a nested location in the kitchen with several labels and custom fields and
// no quantity; a garage shelf; a television.
QByteArray HomeBoxRows(char sep) {
    QByteArray rows = QByteArray(kHomeBoxHeader).replace(',', sep) + "\n";
    const QList<QList<QByteArray>> items{
        {"r1", "Kitchen / Pantry / Shelf 2", "Cookware;Gift; Fragile", "000-001", "Dutch oven", "",
         "Cast iron", "true", "X-1", "DO-5", "Le Pot", "Heavy", "89.95", "2019-05-01", "Red", ""},
        {"r2", "Garage / Shelf", "", "000-002", "Drill", "2", "", "false", "", "", "", "", "45",
         "2020-01-02T00:00:00Z", "", "10 m2"},
        {"r3", "electronics", "Televisions", "", "TV", "1", "", "", "", "", "", "", "1499", "", "",
         ""},
    };
    for (const auto& item : items)
        rows += item.join(sep) + "\n";
    return rows;
}

void ExpectHomeBoxEntries(Inventory& inv) {
    const auto rows = inv.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(PageKey(rows[0]), QStringLiteral("Kitchen"));
    EXPECT_EQ(rows[0].category, QStringLiteral("Cookware"));
    EXPECT_EQ(rows[0].categoryNumber, 4);
    EXPECT_EQ(rows[0].item, QStringLiteral("Dutch oven"));
    EXPECT_GT(rows[0].itemNumber, 0); // the catalogue has it in that category
    EXPECT_EQ(rows[0].count, 1);      // an empty quantity is one
    EXPECT_EQ(rows[0].cost, store::Currency::fromDouble(89.95));
    const entries::NotesParts first = entries::SplitNotes(rows[0].notes);
    ASSERT_TRUE(first.brandLine);
    EXPECT_EQ(first.brandLine->brand, QStringLiteral("Le Pot"));
    EXPECT_EQ(first.brandLine->serial, QStringLiteral("X-1"));
    EXPECT_EQ(first.brandLine->purchaseDate, QStringLiteral("2019-05-01"));
    EXPECT_EQ(first.lines,
              (QStringList{QStringLiteral("Cast iron"), QStringLiteral("Model Number: DO-5"),
                           QStringLiteral("Heavy"), QStringLiteral("Colour: Red"),
                           QStringLiteral("Labels: Gift; Fragile"),
                           QStringLiteral("Location: Kitchen / Pantry / Shelf 2")}));

    EXPECT_EQ(PageKey(rows[1]), QStringLiteral("Misc")); // Garage names no area
    EXPECT_EQ(rows[1].count, 2);
    EXPECT_EQ(rows[1].total, store::Currency::fromDouble(90));
    const entries::NotesParts second = entries::SplitNotes(rows[1].notes);
    ASSERT_TRUE(second.brandLine);
    EXPECT_EQ(second.brandLine->purchaseDate, QStringLiteral("2020-01-02"));
    EXPECT_EQ(second.lines, (QStringList{QStringLiteral("Room Size: 10 m2"),
                                         QStringLiteral("Location: Garage / Shelf")}));

    // A category with brand fields gets its brand line, empty.
    EXPECT_EQ(PageKey(rows[2]), QStringLiteral("Electronics"));
    EXPECT_EQ(rows[2].category, QStringLiteral("Televisions"));
    EXPECT_EQ(rows[2].cost, store::Currency::fromDouble(1499));
    EXPECT_TRUE(rows[2].notes.startsWith(QStringLiteral("~Brand:   Serial Number:   Purchase")));
    // A location that is an area as it stands is not repeated in the notes.
    EXPECT_TRUE(entries::SplitNotes(rows[2].notes).lines.isEmpty());
}

QString Message(const exchange::ImportRefused& r) {
    return r.message(100);
}

} // namespace

TEST(Import, SpreadsheetCsvWithBomLfReorderedAndExtraColumns) {
    Inventory inv;
    inv.add(QStringLiteral("Art"), QStringLiteral("Paintings"), QStringLiteral("Already here"), 1,
            5, nullptr, {});
    const QString file = inv.elsewhere.filePath(QStringLiteral("sheet.csv"));
    QDir(inv.elsewhere.path()).mkpath(QStringLiteral("photographs"));
    const QString mug =
        photos::Make(inv.elsewhere.filePath(QStringLiteral("photographs/mug.jpg")), 8, 8);
    Write(file, "\xEF\xBB\xBFnotes,COUNT,item,Colour,area,cost each,Category,colour,photograph\n"
                "\"Bought 2019\nin Paris\",\"1,000\",Mug,blue,kitchen,$1.50,Cookware,x,"
                "photographs/mug.jpg\n"
                ",,Umbrella,,Hallway,,,,elsewhere/none.jpg\n"
                ",,,,,,,,\n");
    const exchange::ImportReport r = inv.import(file);
    EXPECT_EQ(r.entries, 2);
    EXPECT_EQ(r.ignoredColumns, QStringList{QStringLiteral("Colour")});
    const auto rows = inv.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].id, 2); // after the last
    EXPECT_EQ(PageKey(rows[1]), QStringLiteral("Kitchen"));
    EXPECT_EQ(rows[1].item, QStringLiteral("Mug"));
    EXPECT_EQ(rows[1].count, 1000);
    EXPECT_EQ(rows[1].cost, store::Currency::fromDouble(1.5));
    EXPECT_EQ(rows[1].total, store::Currency::fromDouble(1500));
    EXPECT_EQ(rows[1].notes, QStringLiteral("~Bought 2019~`~in Paris~"));
    // A photograph named beside the file is found there; another name is kept as it stands.
    EXPECT_EQ(rows[1].photo, mug);
    EXPECT_EQ(rows[2].photo, QStringLiteral("elsewhere/none.jpg"));
    EXPECT_EQ(PageKey(rows[2]), QStringLiteral("Misc"));
    EXPECT_EQ(rows[2].count, 1);
    EXPECT_EQ(rows[2].cost, store::Currency{});
    EXPECT_EQ(inv.counter, 3);
}

TEST(Import, HomeBoxCsvAndTsvMapOntoEntriesAndExportBack) {
    Inventory inv;
    const QString csv = inv.elsewhere.filePath(QStringLiteral("homebox.csv"));
    Write(csv, HomeBoxRows(','));
    const exchange::ImportReport r = inv.import(csv);
    EXPECT_EQ(r.layout, exchange::Layout::HomeBox);
    EXPECT_EQ(r.ignoredColumns,
              (QStringList{QStringLiteral("HB.import_ref"), QStringLiteral("HB.asset_id"),
                           QStringLiteral("HB.insured")}));
    ExpectHomeBoxEntries(inv);

    // The HomeBox layout written back: the same names, quantities and prices.
    const QString out = inv.elsewhere.filePath(QStringLiteral("back.csv"));
    exchange::ExportEntries(inv.rows(), out, exchange::Layout::HomeBox);
    const auto records = exchange::ParseCsv(QString::fromUtf8(Bytes(out)), QLatin1Char(','));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].fields, exchange::HomeBoxColumns());
    const auto column = [&](int row, const char* name) {
        return records[row].fields[exchange::HomeBoxColumns().indexOf(QLatin1String(name))];
    };
    EXPECT_EQ(column(1, "HB.name"), QStringLiteral("Dutch oven"));
    EXPECT_EQ(column(1, "HB.quantity"), QStringLiteral("1"));
    EXPECT_EQ(column(1, "HB.purchase_price"), QStringLiteral("89.95"));
    EXPECT_EQ(column(1, "HB.location"), QStringLiteral("Kitchen/Dining"));
    EXPECT_EQ(column(1, "HB.labels"), QStringLiteral("Cookware"));
    EXPECT_EQ(column(1, "HB.manufacturer"), QStringLiteral("Le Pot"));
    EXPECT_EQ(column(1, "HB.purchase_time"), QStringLiteral("2019-05-01"));
    EXPECT_EQ(column(2, "HB.name"), QStringLiteral("Drill"));
    EXPECT_EQ(column(2, "HB.quantity"), QStringLiteral("2"));
    EXPECT_EQ(column(2, "HB.purchase_price"), QStringLiteral("45.00"));
    EXPECT_EQ(column(3, "HB.name"), QStringLiteral("TV"));
    EXPECT_EQ(column(3, "HB.purchase_price"), QStringLiteral("1499.00"));

    // Its TSV gives the same entries.
    inv.clear();
    const QString tsv = inv.elsewhere.filePath(QStringLiteral("homebox.tsv"));
    Write(tsv, HomeBoxRows('\t'));
    EXPECT_EQ(inv.import(tsv).entries, 3);
    ExpectHomeBoxEntries(inv);
    // A TSV file written without quoting.
    inv.clear();
    Write(tsv, "HB.name\tHB.quantity\n\"Best\" TV\t2\n");
    EXPECT_EQ(inv.import(tsv).entries, 1);
    EXPECT_EQ(inv.rows().front().item, QStringLiteral("\"Best\" TV"));
}

TEST(Import, BadRowsAreAllNamedAndNothingIsImported) {
    Inventory inv;
    inv.add(QStringLiteral("Art"), QStringLiteral("Paintings"), QStringLiteral("Kept"), 1, 5,
            nullptr, {});
    const auto before = inv.rows();
    const QString file = inv.elsewhere.filePath(QStringLiteral("bad.csv"));
    // Line 2's notes run over two lines, so the rows after it start one line later.
    Write(file, "Item,Count,Cost Each,Notes\r\n"
                "Good,1,2,\"two\r\nlines\"\r\n"
                "Bad count,1.5,2,\r\n"
                "Fine,2,3,\r\n"
                "Bad cost,1,12a,\r\n"
                "Too dear,2,\"500,000\",\r\n"
                "Also fine,,,\r\n");
    try {
        inv.import(file);
        FAIL() << "bad rows were imported";
    } catch (const exchange::ImportRefused& r) {
        EXPECT_EQ(RefusedLines(r), (QList<int>{4, 6, 7}));
        const QString text = Message(r);
        EXPECT_TRUE(
            text.contains(QStringLiteral("Line 4: the Count \"1.5\" is not a whole number")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Line 6: the Cost Each \"12a\" is not a number")));
        EXPECT_TRUE(text.contains(QStringLiteral("Line 7: the total value must be less than")));
        EXPECT_TRUE(text.contains(file));
    }
    const auto after = inv.rows();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[0].item, before[0].item);
    EXPECT_EQ(inv.counter, 1);
}

TEST(Import, RefusesRowsPastTheLastEntryNumberAndOverLongOrUnstorableTexts) {
    Inventory inv;
    inv.counter = entries::kLastEntryNumber - 1; // entry 99999 is the last one there may be
    const QString file = inv.elsewhere.filePath(QStringLiteral("many.csv"));
    Write(file, "Item\nA\nB\nC\n");
    try {
        inv.import(file);
        FAIL();
    } catch (const exchange::ImportRefused& r) {
        EXPECT_EQ(RefusedLines(r), (QList<int>{3, 4}));
        EXPECT_TRUE(Message(r).contains(QStringLiteral("Lines 3-4 (2 rows): the inventory would "
                                                       "hold more than 99,999 entries")));
    }
    inv.counter = 0;
    Write(file, QByteArray("Item,Category\n") + QByteArray(256, 'x') + ",ok\nok," +
                    QString(QChar(0xF0D9)).toUtf8() + "\n\"line\nbreak\",\n");
    try {
        inv.import(file);
        FAIL();
    } catch (const exchange::ImportRefused& r) {
        const QString text = Message(r);
        EXPECT_TRUE(text.contains(QStringLiteral("Line 2: the Item is longer than 255")));
        EXPECT_TRUE(
            text.contains(QStringLiteral("Line 3: the Category holds the character U+F0D9")));
        EXPECT_TRUE(text.contains(QStringLiteral("Line 4: the Item holds a line break")));
    }
    EXPECT_TRUE(inv.rows().empty());
}

TEST(Import, ArchiveNamesThatLeaveThePhotographsFolderAreRefused) {
    Inventory inv;
    const QString zip = inv.elsewhere.filePath(QStringLiteral("evil.zip"));
    const QByteArray jpeg =
        Bytes(photos::Make(inv.elsewhere.filePath(QStringLiteral("x.jpg")), 8, 8));
    {
        exchange::ZipWriter w(zip);
        w.addData(QStringLiteral("inventory.csv"), "Item,Photograph\r\n"
                                                   "Good,photographs/ok.jpg\r\n"
                                                   "Up,../evil.jpg\r\n"
                                                   "Through,photographs/../evil.jpg\r\n"
                                                   "Deeper,photographs/sub/evil.jpg\r\n"
                                                   "Missing,photographs/none.jpg\r\n");
        w.addData(QStringLiteral("photographs/ok.jpg"), jpeg);
        w.addData(QStringLiteral("../evil.jpg"), jpeg);
        w.addData(QStringLiteral("photographs/../evil.jpg"), jpeg);
        w.addData(QStringLiteral("photographs/sub/evil.jpg"), jpeg);
        w.close();
    }
    const auto ours = Snapshot(inv.folder.path());
    try {
        inv.import(zip);
        FAIL() << "the archive was imported";
    } catch (const exchange::ImportRefused& r) {
        EXPECT_EQ(RefusedLines(r), (QList<int>{3, 4, 5, 6}));
        EXPECT_TRUE(Message(r).contains(QStringLiteral("not in the archive")));
    }
    EXPECT_EQ(Snapshot(inv.folder.path()), ours);
    EXPECT_FALSE(QFileInfo::exists(inv.pictures() + QStringLiteral("ok.jpg")));
    EXPECT_FALSE(QFileInfo::exists(inv.folder.path() + QStringLiteral("evil.jpg")));
    EXPECT_FALSE(
        QFileInfo::exists(QFileInfo(inv.folder.path() + QStringLiteral("..")).absoluteFilePath() +
                          QStringLiteral("/evil.jpg")));
    EXPECT_TRUE(inv.rows().empty());
}

TEST(Import, FailedTransactionTakesBackTheCopiedPhotographs) {
    Inventory inv;
    const QString zip = inv.elsewhere.filePath(QStringLiteral("one.zip"));
    {
        exchange::ZipWriter w(zip);
        w.addData(QStringLiteral("a.csv"), "Item,Photograph\r\nLamp,lamp.jpg\r\n");
        w.addData(QStringLiteral("photographs/lamp.jpg"),
                  Bytes(photos::Make(inv.elsewhere.filePath(QStringLiteral("l.jpg")), 8, 8)));
        w.close();
    }
    const exchange::ImportTarget target{inv.user, inv.entries, inv.catalogue, inv.pictures(),
                                        [] { throw store::DatabaseError("disk full"); }};
    EXPECT_THROW(exchange::ImportFile(zip, target), store::DatabaseError);
    EXPECT_TRUE(inv.rows().empty());
    EXPECT_EQ(inv.counter, 0);
    EXPECT_FALSE(QFileInfo::exists(inv.pictures() + QStringLiteral("lamp.jpg")));
}

TEST(Import, FilesThatAreNoInventoryTablesAreRefusedByName) {
    Inventory inv;
    const auto refusal = [&](const QByteArray& bytes, const QString& name) {
        const QString file = inv.elsewhere.filePath(name);
        Write(file, bytes);
        try {
            inv.import(file);
        } catch (const exchange::ImportRefused&) {
            return QStringLiteral("rows refused");
        } catch (const exchange::ExchangeError& e) {
            EXPECT_TRUE(e.text().contains(file)) << e.text().toStdString();
            return e.text();
        }
        return QStringLiteral("imported");
    };
    EXPECT_TRUE(refusal(Bytes(photos::Make(inv.elsewhere.filePath(QStringLiteral("p.jpg")), 8, 8)),
                        QStringLiteral("photo.csv"))
                    .contains(QStringLiteral("is not a CSV or ZIP file")));
    EXPECT_TRUE(refusal("Item\nCaf\xe9\n", QStringLiteral("latin1.csv"))
                    .contains(QStringLiteral("not a CSV file in UTF-8")));
    EXPECT_TRUE(refusal("Name,Price\nLamp,3\n", QStringLiteral("other.csv"))
                    .contains(QStringLiteral("has no Item column")));
    EXPECT_TRUE(refusal("Item\n\"Lamp\n", QStringLiteral("open.csv"))
                    .contains(QStringLiteral("line 2: a quoted field is not closed")));
    EXPECT_TRUE(refusal("PK\x05\x06" + QByteArray(18, '\0'), QStringLiteral("empty.zip"))
                    .contains(QStringLiteral("holds no CSV file")));
    EXPECT_TRUE(refusal("PK\x03\x04garbage", QStringLiteral("broken.zip"))
                    .contains(QStringLiteral("cannot be read as a ZIP archive")));
    const auto archive = [&](const QString& name, const QStringList& members) {
        const QString file = inv.elsewhere.filePath(name);
        exchange::ZipWriter w(file);
        for (const QString& m : members)
            w.addData(m, "Item\r\nLamp\r\n");
        w.close();
        return file;
    };
    const QString two =
        archive(QStringLiteral("two.zip"), {QStringLiteral("a.csv"), QStringLiteral("b.CSV")});
    try {
        inv.import(two);
        ADD_FAILURE() << "an archive of two tables was imported";
    } catch (const exchange::ExchangeError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("more than one CSV file (a.csv, b.CSV)")));
    }
    // A Mac's companion files are no second table.
    EXPECT_EQ(inv.import(archive(QStringLiteral("mac.zip"),
                                 {QStringLiteral("a.csv"), QStringLiteral("__MACOSX/._a.csv")}))
                  .entries,
              1);
    inv.clear();
    EXPECT_TRUE(
        refusal("Item\n", QStringLiteral("none.csv")).contains(QStringLiteral("holds no entries")));
    EXPECT_TRUE(inv.rows().empty());
}
