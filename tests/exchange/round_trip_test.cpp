// An inventory of awkward entries goes out as a CSV file and as a ZIP archive and comes back into
// an empty inventory unchanged: every column, and each photograph's bytes.
#include "exchange_support.h"

#include "exchange/csv.h"
#include "exchange/zip_archive.h"
#include "store/stored_text.h"

using namespace exchange_test;

namespace {

// Text a household writes: punctuation the SQL text must never see as such, letters of other
// alphabets, notes format characters, line breaks, blank lines, very long notes.
void AddAwkwardEntries(Inventory& inv, const QString& photoA, const QString& photoB) {
    const entries::BrandLine acme{QStringLiteral("Acme, \"Inc.\""), QStringLiteral("Serial Number"),
                                  QStringLiteral("SN:1~2"), QStringLiteral("2021-03-04")};
    inv.add(QStringLiteral("Kitchen"), QStringLiteral("Major Appliances"),
            QStringLiteral("Bob's fridge: \"big\", cold"), 2, 12.5, &acme,
            {QStringLiteral("line one, with comma"), QStringLiteral("He said \"hi\""),
             QStringLiteral("Küche – Æble 日本"), QString(),
             QStringLiteral("last: it's `odd` ~x~")},
            photoA);
    // A catalogue item, its brand fields left empty (the brand line is still written).
    const entries::BrandLine empty{{}, QStringLiteral("Serial Number"), {}, {}};
    inv.add(QStringLiteral("Electronics"), QStringLiteral("Televisions"),
            QStringLiteral("LED television, 32 inch"), 1, 299.99, &empty, {}, photoB);
    const entries::BrandLine pattern{QStringLiteral("Wedgwood"), QStringLiteral("Pattern"),
                                     QStringLiteral("Blue \"Willow\""), QString()};
    QString longNote;
    for (int i = 0; longNote.size() < 50000; ++i)
        longNote += QStringLiteral("word%1, \"quoted\" it's: ").arg(i);
    longNote.truncate(50000);
    inv.add(QStringLiteral("Kitchen"), QStringLiteral("China & Dinnerware"),
            QStringLiteral("Plates"), 12, 3.3333, &pattern, {longNote});
    // Neither category nor item is in the catalogue; no notes at all.
    inv.add(QStringLiteral("Misc"), QStringLiteral("My own, \"category\""),
            QStringLiteral("Thingamajig é"), 0, 0, nullptr, {});
    // A photograph shared with the first entry; the area's stored name differs from its caption.
    inv.add(QStringLiteral("Office"), QStringLiteral("Desk: \"top\""), QStringLiteral("Lamp"), 3,
            -4.25, nullptr, {QStringLiteral("  leading blanks"), QStringLiteral("trailing\t")},
            photoA);
}

void ExpectSameEntries(const std::vector<entries::EntryRecord>& before,
                       const std::vector<entries::EntryRecord>& after, bool photosMoved,
                       const QString& pictures) {
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        const auto& a = before[i];
        const auto& b = after[i];
        SCOPED_TRACE(a.item.toStdString());
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.subInventory, b.subInventory);
        EXPECT_EQ(a.subInventoryNumber, b.subInventoryNumber);
        EXPECT_EQ(a.category, b.category);
        EXPECT_EQ(a.categoryNumber, b.categoryNumber);
        EXPECT_EQ(a.item, b.item);
        EXPECT_EQ(a.itemNumber, b.itemNumber);
        EXPECT_EQ(a.count, b.count);
        EXPECT_EQ(a.cost, b.cost);
        EXPECT_EQ(a.total, b.total);
        EXPECT_EQ(a.notes, b.notes);
        if (a.photo.isEmpty()) {
            EXPECT_TRUE(b.photo.isEmpty());
        } else if (photosMoved) {
            EXPECT_TRUE(b.photo.startsWith(pictures)) << b.photo.toStdString();
            EXPECT_EQ(Bytes(a.photo), Bytes(b.photo));
            EXPECT_FALSE(Bytes(b.photo).isEmpty());
        } else {
            EXPECT_EQ(a.photo, b.photo);
        }
    }
}

} // namespace

TEST(RoundTrip, AwkwardEntriesComeBackFromCsvAndZip) {
    Inventory inv;
    // Two photographs of the same file name in different folders, one with an apostrophe.
    QDir(inv.elsewhere.path()).mkpath(QStringLiteral("a/Tom's"));
    QDir(inv.elsewhere.path()).mkpath(QStringLiteral("b"));
    const QString photoA =
        photos::Make(inv.elsewhere.filePath(QStringLiteral("a/Tom's/p.jpg")), 40, 30);
    const QString photoB =
        photos::Make(inv.elsewhere.filePath(QStringLiteral("b/p.jpg")), 20, 10, qRgb(0, 0, 200));
    ASSERT_NE(Bytes(photoA), Bytes(photoB));
    AddAwkwardEntries(inv, photoA, photoB);
    const auto before = inv.rows();
    ASSERT_EQ(before.size(), 5u);
    ASSERT_EQ(before[1].itemNumber > 0, true); // the television is a catalogue item
    ASSERT_TRUE(before[0].notes.startsWith(QStringLiteral("~Brand: ")));

    const QString csv = inv.elsewhere.filePath(QStringLiteral("out.csv"));
    const QString zip = inv.elsewhere.filePath(QStringLiteral("out.zip"));
    EXPECT_EQ(exchange::ExportEntries(before, csv, exchange::Layout::Quivera).entries, 5);
    const exchange::ExportReport zipped =
        exchange::ExportEntries(before, zip, exchange::Layout::Quivera);
    EXPECT_EQ(zipped.photographs, 2);
    EXPECT_TRUE(zipped.missingPhotographs.isEmpty());

    // The file as RFC 4180 has it: the column names, CRLF after every record, UTF-8.
    const QByteArray raw = Bytes(csv);
    EXPECT_TRUE(raw.startsWith("ID,Area,Category,Item,Count,Cost Each,Total Value,Brand,Serial "
                               "Number,Purchase Date,Notes,Photograph\r\n"));
    EXPECT_TRUE(raw.endsWith("\r\n"));
    EXPECT_TRUE(raw.contains("\"Bob's fridge: \"\"big\"\", cold\""));
    EXPECT_TRUE(raw.contains(",12.50,25.00,"));
    EXPECT_TRUE(raw.contains(QStringLiteral("Küche – Æble 日本").toUtf8()));

    // The archive: the CSV and one file per distinct photograph, names made unique.
    {
        exchange::ZipReader reader(zip);
        QStringList names = reader.names();
        names.sort();
        EXPECT_EQ(names,
                  (QStringList{QStringLiteral("out.csv"), QStringLiteral("photographs/p.jpg"),
                               QStringLiteral("photographs/p_2.jpg")}));
        EXPECT_EQ(reader.read(QStringLiteral("photographs/p.jpg"), 1 << 20), Bytes(photoA));
        EXPECT_EQ(reader.read(QStringLiteral("photographs/p_2.jpg"), 1 << 20), Bytes(photoB));
    }

    inv.clear();
    EXPECT_EQ(inv.import(csv).entries, 5);
    // Apostrophes and colons reach the table in their stored form only.
    inv.q.open({QStringLiteral("SELECT Item_Name FROM Inventory WHERE ID_Number = 1")});
    EXPECT_EQ(inv.q.text(0), store::ToStoredText(before[0].item));
    EXPECT_FALSE(inv.q.text(0).contains(QLatin1Char('\'')));
    inv.q.close();
    ExpectSameEntries(before, inv.rows(), false, inv.pictures());
    EXPECT_EQ(inv.counter, 5);

    inv.clear();
    const exchange::ImportReport fromZip = inv.import(zip);
    EXPECT_EQ(fromZip.entries, 5);
    EXPECT_EQ(fromZip.photographs, 2);
    EXPECT_TRUE(fromZip.ignoredColumns.isEmpty());
    ExpectSameEntries(before, inv.rows(), true, inv.pictures());

    // The same archive again: the photographs already there are used, not copied twice.
    EXPECT_EQ(inv.import(zip).photographs, 0);
    EXPECT_EQ(QDir(inv.pictures()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(inv.counter, 10);
}

TEST(RoundTrip, ArchiveLeavesOutUnreadablePhotographsAndSaysWhich) {
    Inventory inv;
    inv.add(QStringLiteral("Tools"), QStringLiteral("Saws"), QStringLiteral("Jigsaw"), 1, 10,
            nullptr, {}, QStringLiteral("/nowhere/gone.jpg"));
    const QString zip = inv.elsewhere.filePath(QStringLiteral("out.zip"));
    const exchange::ExportReport r =
        exchange::ExportEntries(inv.rows(), zip, exchange::Layout::Quivera);
    EXPECT_EQ(r.missingPhotographs, QStringList{QStringLiteral("Entry 1: /nowhere/gone.jpg")});
    // The archive still imports: the entry comes back without a photograph.
    inv.clear();
    EXPECT_EQ(inv.import(zip).entries, 1);
    EXPECT_TRUE(inv.rows().front().photo.isEmpty());
}

TEST(Csv, WritesAndReadsFieldsAsRfc4180) {
    const QStringList fields{QStringLiteral("plain"),
                             QStringLiteral("a,b"),
                             QStringLiteral("say \"hi\""),
                             QStringLiteral("two\r\nlines"),
                             QString(),
                             QStringLiteral(" padded ")};
    const QString line = exchange::CsvLine(fields, QLatin1Char(','));
    EXPECT_EQ(line, QStringLiteral(
                        "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",,\" padded \"\r\n"));
    const auto records = exchange::ParseCsv(line + line, QLatin1Char(','));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].fields, fields);
    // A record's line is where it starts; the quoted line break counts.
    EXPECT_EQ(records[1].line, 3);
}

TEST(Csv, ReadsWhatSpreadsheetsWriteAndRefusesBrokenQuotes) {
    const auto lf = exchange::ParseCsv(u"a,b\nc,\nd", QLatin1Char(','));
    ASSERT_EQ(lf.size(), 3u);
    EXPECT_EQ(lf[1].fields, (QStringList{QStringLiteral("c"), QString()}));
    EXPECT_EQ(lf[2].line, 3);
    const auto cr = exchange::ParseCsv(u"a\rb\r", QLatin1Char(','));
    EXPECT_EQ(cr.size(), 2u);
    const auto tabs = exchange::ParseCsv(u"a\t\"b\tc\"\r\n", QLatin1Char('\t'));
    EXPECT_EQ(tabs[0].fields, (QStringList{QStringLiteral("a"), QStringLiteral("b\tc")}));
    EXPECT_EQ(exchange::ParseCsv(u"5\" tall,x", QLatin1Char(','))[0].fields.front(),
              QStringLiteral("5\" tall"));
    try {
        exchange::ParseCsv(u"a,b\nc,\"open\nstill open", QLatin1Char(','));
        FAIL() << "an unclosed quote was read";
    } catch (const exchange::CsvError& e) {
        EXPECT_EQ(e.line(), 2);
    }
    EXPECT_THROW(exchange::ParseCsv(u"\"a\"b,c", QLatin1Char(',')), exchange::CsvError);
}

TEST(BrandLine, SplitsWhatTheTabsComposeAndOlderEntriesHold) {
    const entries::BrandLine b{QStringLiteral("A~B"), QStringLiteral("Pattern"),
                               QStringLiteral("x  y"), QStringLiteral("1999")};
    const QStringList lines{QStringLiteral("first line"), QStringLiteral("second")};
    const QString notes = entries::ComposeNotes(b, lines);
    EXPECT_EQ(notes, QStringLiteral("~Brand: A~~B  Pattern: x  y  Purchase Date: 1999~`~first "
                                    "line~`second"));
    const entries::NotesParts parts = entries::SplitNotes(notes);
    ASSERT_TRUE(parts.brandLine);
    EXPECT_EQ(parts.brandLine->brand, b.brand);
    EXPECT_EQ(parts.brandLine->serialLabel, b.serialLabel);
    EXPECT_EQ(parts.brandLine->serial, b.serial);
    EXPECT_EQ(parts.brandLine->purchaseDate, b.purchaseDate);
    EXPECT_EQ(parts.lines, lines);
    // A line straight after the closing tilde, and a label of older data.
    const auto old = entries::SplitNotes(
        QStringLiteral("~Brand: Acme  Artist: J. Doe  Purchase Date: 1998~signed"));
    ASSERT_TRUE(old.brandLine);
    EXPECT_EQ(old.brandLine->serialLabel, QStringLiteral("Artist"));
    EXPECT_EQ(old.lines, QStringList{QStringLiteral("signed")});
    // Notes that merely start like one keep all their lines.
    const auto plain = entries::SplitNotes(QStringLiteral("~Brand: new~`more"));
    EXPECT_FALSE(plain.brandLine);
    EXPECT_EQ(plain.lines, (QStringList{QStringLiteral("Brand: new"), QStringLiteral("more")}));
}
