// The statement protocol, select-into, transactions and file failures on real database files.
#include "store/database.h"
#include "store/stored_text.h"
#include "tests/support/program_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace store;
using testing_support::ProgramFolder;

namespace {

struct UserDb {
    ProgramFolder folder;
    Connection connection{ConnectionString(DatabaseKind::User, folder.path())};
    Query q{connection};

    int count(const QString& table, const QString& where = {}) {
        q.open({QStringLiteral("SELECT COUNT(*)"), QStringLiteral("FROM ") + table, where});
        return static_cast<int>(q.integer(0));
    }
    void addEntry(int id, const QString& item, const QString& cost) {
        q.execute({QStringLiteral("INSERT INTO Inventory"),
                   QStringLiteral("VALUES (%1, 'Art', 2, 'Paintings', 1, '").arg(id) +
                       ToStoredText(item) + QStringLiteral("', 3, 1, ") + cost +
                       QStringLiteral(", ") + cost + QStringLiteral(", '', '')")});
    }
};

} // namespace

TEST(ConnectionStrings, UserStringHasTheShortForm) {
    EXPECT_EQ(ConnectionString(DatabaseKind::User, QStringLiteral("/home/a/")),
              QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/home/a/QIVUser.mdb;"
                             "Mode=ReadWrite;Persist Security Info=False;"
                             "Jet OLEDB:Database Password=Brim42Cold"));
    const QString cat = ConnectionString(DatabaseKind::Catalogue, QStringLiteral("/p/"));
    EXPECT_TRUE(cat.startsWith(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/p/QIVData.mdb;Mode=ReadWrite;"
                       "Extended Properties=\"\";")));
    EXPECT_TRUE(cat.endsWith(QStringLiteral("Jet OLEDB:SFP=False")));
    const ConnectionInfo info = ParseConnectionString(cat);
    EXPECT_EQ(info.dataSource, QStringLiteral("/p/QIVData.mdb"));
    EXPECT_EQ(info.mode, QStringLiteral("ReadWrite"));
    EXPECT_EQ(info.password, QStringLiteral("Brim42Cold"));
}

TEST(Database, MissingOrDamagedFileIsAnErrorNeverANewDatabase) {
    ProgramFolder folder;
    QFile::remove(folder.file(QStringLiteral("QIVUser.mdb")));
    Connection missing(ConnectionString(DatabaseKind::User, folder.path()));
    Query q(missing);
    EXPECT_THROW(q.open({QStringLiteral("SELECT * FROM Inventory")}), DatabaseError);
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("QIVUser.mdb"))));

    QFile damaged(folder.file(QStringLiteral("QIVData.mdb")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    Connection bad(ConnectionString(DatabaseKind::Catalogue, folder.path()));
    try {
        bad.connect();
        FAIL() << "a damaged file opened";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("QIVData.mdb")));
    }
}

TEST(Database, WrongPasswordIsRefused) {
    ProgramFolder folder;
    QString text = ConnectionString(DatabaseKind::User, folder.path());
    text.replace(QStringLiteral("Brim42Cold"), QStringLiteral("guess"));
    Connection c(text);
    EXPECT_THROW(c.connect(), DatabaseError);
}

TEST(Database, EmptyResultReadsAsOnePassOfEmptyValues) {
    UserDb db;
    db.q.open({QStringLiteral("SELECT Item_Name, ID_Number, Cost_Per_Item"),
               QStringLiteral("FROM Inventory"), QStringLiteral("WHERE ID_Number = 12345")});
    EXPECT_TRUE(db.q.eof());
    EXPECT_EQ(db.q.text(0), QString());
    EXPECT_EQ(db.q.integer(1), 0);
    EXPECT_EQ(db.q.currency(2).units, 0);
    int passes = 0;
    do {
        ++passes;
        db.q.next();
    } while (!db.q.eof());
    EXPECT_EQ(passes, 1);
}

TEST(Database, ClearingTheInventoryKeepsTheHeaderRow) {
    UserDb db;
    db.addEntry(1, QStringLiteral("Oil Painting"), QStringLiteral("300"));
    db.addEntry(2, QStringLiteral("Vase"), QStringLiteral("20"));
    db.q.execute({QStringLiteral("DELETE FROM Inventory"), QStringLiteral("WHERE ID_Number > 0")});
    EXPECT_EQ(db.q.rowsAffected(), 2);
    EXPECT_EQ(db.count(QStringLiteral("Inventory")), 1);
    EXPECT_EQ(db.count(QStringLiteral("Inventory"), QStringLiteral("WHERE ID_Number = 0")), 1);
}

TEST(Database, MoneyAndStoredTextRoundTrip) {
    UserDb db;
    db.addEntry(1, QStringLiteral("Tom's clock: antique"), MoneyToSql(12.50));
    db.q.open({QStringLiteral("SELECT Item_Name, Cost_Per_Item"), QStringLiteral("FROM Inventory"),
               QStringLiteral("WHERE ID_Number = 1")});
    EXPECT_EQ(db.q.currency(1).units, 125000);
    EXPECT_EQ(FromStoredText(db.q.text(0)), QStringLiteral("Tom's clock: antique"));
    EXPECT_FALSE(db.q.text(0).contains(QLatin1Char('\'')));
}

TEST(Database, FailingStatementThrowsWithTheEnginesText) {
    UserDb db;
    try {
        db.q.execute({QStringLiteral("DELETE FROM NoSuchTable")});
        FAIL();
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("NoSuchTable")));
    }
    // The query object is usable again afterwards.
    EXPECT_EQ(db.count(QStringLiteral("Inventory")), 1);
}

TEST(Database, TextComparisonAndOrderIgnoreLetterCaseInEveryAlphabet) {
    UserDb db;
    db.addEntry(1, QStringLiteral("banana"), QStringLiteral("1"));
    db.addEntry(2, QStringLiteral("Apple"), QStringLiteral("1"));
    db.addEntry(3, QStringLiteral("cherry"), QStringLiteral("1"));
    db.addEntry(4, QStringLiteral("\u00c4pfel"), QStringLiteral("1"));
    EXPECT_EQ(db.count(QStringLiteral("Inventory"), QStringLiteral("WHERE Item_Name = 'APPLE'")),
              1);
    EXPECT_EQ(
        db.count(QStringLiteral("Inventory"), QStringLiteral("WHERE Item_Name = '\u00e4PFEL'")), 1);
    db.q.open({QStringLiteral("SELECT Item_Name FROM Inventory WHERE ID_Number > 0"),
               QStringLiteral("ORDER BY Item_Name")});
    QStringList order;
    while (!db.q.eof()) {
        order << db.q.text(0);
        db.q.next();
    }
    EXPECT_EQ(order.mid(0, 3), (QStringList{QStringLiteral("Apple"), QStringLiteral("banana"),
                                            QStringLiteral("cherry")}));
}

TEST(Database, SelectIntoCopiesColumnsTypesCollationsAndRows) {
    UserDb db;
    db.addEntry(1, QStringLiteral("zebra"), QStringLiteral("2.5"));
    db.addEntry(2, QStringLiteral("Ant"), QStringLiteral("4"));
    db.q.execute({QStringLiteral("SELECT *"), QStringLiteral("INTO [2024 Select]"),
                  QStringLiteral("FROM Inventory")});
    EXPECT_EQ(db.q.rowsAffected(), 3);
    // Same column order, declared types and collations.
    auto columns = [&](const QString& table) {
        db.q.open({QStringLiteral("SELECT name, type FROM pragma_table_info('") + table +
                   QStringLiteral("') ORDER BY cid")});
        QStringList out;
        while (!db.q.eof()) {
            out << db.q.text(0) + QLatin1Char(' ') + db.q.text(1);
            db.q.next();
        }
        return out;
    };
    EXPECT_EQ(columns(QStringLiteral("2024 Select")), columns(QStringLiteral("Inventory")));
    EXPECT_EQ(columns(QStringLiteral("Inventory")).size(), 12);
    // Ordering in the copy still ignores case, and money keeps its value.
    db.q.open({QStringLiteral("SELECT Item_Name, Cost_Per_Item FROM [2024 Select]"),
               QStringLiteral("WHERE ID_Number > 0 ORDER BY Item_Name")});
    EXPECT_EQ(db.q.text(0), QStringLiteral("Ant"));
    EXPECT_EQ(db.q.currency(1).units, 40000);
    EXPECT_EQ(
        db.count(QStringLiteral("[2024 Select]"), QStringLiteral("WHERE Item_Name = 'ZEBRA'")), 1);
    // A second select-into onto an existing name fails and leaves the table as it was.
    EXPECT_THROW(db.q.execute({QStringLiteral("SELECT *"), QStringLiteral("INTO [2024 Select]"),
                               QStringLiteral("FROM Inventory")}),
                 DatabaseError);
    EXPECT_EQ(db.count(QStringLiteral("[2024 Select]")), 3);
}

TEST(Database, SelectIntoWithAComputedColumn) {
    UserDb db;
    db.addEntry(1, QStringLiteral("Lamp"), QStringLiteral("1"));
    db.q.execute({QStringLiteral("SELECT Item_Name, 'Art/Decoration' AS Tab_Name"),
                  QStringLiteral("INTO Temp_Table"), QStringLiteral("FROM Inventory"),
                  QStringLiteral("WHERE ID_Number > 0")});
    EXPECT_EQ(
        db.count(QStringLiteral("Temp_Table"), QStringLiteral("WHERE Tab_Name = 'art/decoration'")),
        1);
}

TEST(Database, SelectIntoParsing) {
    SelectInto s;
    ASSERT_TRUE(
        ParseSelectInto(QStringLiteral("SELECT *\nINTO [Tom\uf0d9s Shed]\nFROM Inventory"), s));
    EXPECT_EQ(s.selectList, QStringLiteral("*"));
    EXPECT_EQ(s.target, QStringLiteral("Tom\uf0d9s Shed"));
    EXPECT_EQ(s.rest, QStringLiteral("FROM Inventory"));
    EXPECT_FALSE(ParseSelectInto(QStringLiteral("INSERT INTO Temp_Table (a)\nSELECT a FROM b"), s));
    EXPECT_FALSE(ParseSelectInto(QStringLiteral("SELECT Table_Names\nFROM Master_Table"), s));
}

TEST(Database, FailedTransactionLeavesNothingChanged) {
    UserDb db;
    db.addEntry(1, QStringLiteral("Lamp"), QStringLiteral("1"));
    EXPECT_THROW(db.connection.transaction([&] {
        db.q.execute(
            {QStringLiteral("DELETE FROM Inventory"), QStringLiteral("WHERE ID_Number > 0")});
        db.q.execute({QStringLiteral("SELECT *"), QStringLiteral("INTO Saved"),
                      QStringLiteral("FROM Inventory")});
        db.q.execute({QStringLiteral("INSERT INTO NoSuchTable VALUES (1)")});
    }),
                 DatabaseError);
    EXPECT_EQ(db.count(QStringLiteral("Inventory")), 2);
    db.q.open({QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'Saved'")});
    EXPECT_EQ(db.q.integer(0), 0);
    // Nested transactions join the outer one.
    db.connection.transaction([&] {
        db.connection.transaction(
            [&] { db.addEntry(2, QStringLiteral("Vase"), QStringLiteral("3")); });
    });
    EXPECT_EQ(db.count(QStringLiteral("Inventory")), 3);
}

namespace {

// The comparison as it was before its ASCII path was made fast: both strings scanned for ASCII,
// then either ASCII folding or full Unicode folding of both whole strings.
int ReferenceNoCase(const QByteArray& a, const QByteArray& b) {
    const auto ascii = [](const QByteArray& s) {
        for (char c : s)
            if (static_cast<unsigned char>(c) & 0x80) return false;
        return true;
    };
    if (ascii(a) && ascii(b)) {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            int ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
            if (ca >= 'A' && ca <= 'Z') ca += 32;
            if (cb >= 'A' && cb <= 'Z') cb += 32;
            if (ca != cb) return ca - cb;
        }
        return static_cast<int>(a.size() - b.size());
    }
    return QString::compare(QString::fromUtf8(a), QString::fromUtf8(b), Qt::CaseInsensitive);
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// Words in several alphabets and letter cases, prefixes of each other, characters between 'Z'
// and 'a', the private characters of the stored text form, characters outside the basic plane,
// letters whose folding is ASCII (Kelvin sign, long s) and bytes that are no UTF-8.
QList<QByteArray> MixedTexts() {
    const QStringList words = {
        QString(),
        QStringLiteral("a"),
        QStringLiteral("A"),
        QStringLiteral("apple"),
        QStringLiteral("Apple"),
        QStringLiteral("APPLES"),
        QStringLiteral("Apfel"),
        QStringLiteral("\u00c4pfel"),
        QStringLiteral("\u00e4PFEL"),
        QStringLiteral("Zebra"),
        QStringLiteral("_under"),
        QStringLiteral("[bracket"),
        QStringLiteral("`tick"),
        QStringLiteral("Item 12"),
        QStringLiteral("item 12 "),
        QStringLiteral("Item 120"),
        QStringLiteral("Stra\u00dfe"),
        QStringLiteral("STRASSE"),
        QStringLiteral("caf\u00e9"),
        QStringLiteral("CAF\u00c9"),
        QStringLiteral("cafe"),
        QStringLiteral("\u03a3\u03bf\u03c6\u03af\u03b1"),
        QStringLiteral("\u03c3\u03bf\u03c6\u03af\u03b1"),
        QStringLiteral("\u041a\u043d\u0438\u0433\u0430"),
        QStringLiteral("\u043a\u043d\u0438\u0433\u0430"),
        QStringLiteral("\u212aelvin"),
        QStringLiteral("kelvin"),
        QStringLiteral("\u017fun"),
        QStringLiteral("Sun"),
        QStringLiteral("Tom\uf0d9s"),
        QStringLiteral("tom's"),
        QStringLiteral("Clock\U0001F570"),
        QStringLiteral("clock"),
        QStringLiteral("Clocks"),
        QStringLiteral("\u00c5se"),
        QStringLiteral("ase"),
        QStringLiteral("Kaffeem\u00fchle"),
        QStringLiteral("KAFFEEM\u00dcHLE"),
    };
    QList<QByteArray> texts;
    for (const QString& w : words)
        texts << w.toUtf8();
    texts << QByteArray("ab\xff") << QByteArray("AB\xfe") << QByteArray("ab\xc3");
    // Long shared beginnings, so that the difference lies deep inside.
    for (const QString& w : words.mid(1, 12))
        texts << (QStringLiteral("Persian rug, hall ") + w).toUtf8();
    return texts;
}

} // namespace

TEST(Database, CaseInsensitiveComparisonOrdersAsFullFoldingDoes) {
    const QList<QByteArray> texts = MixedTexts();
    for (const QByteArray& a : texts) {
        for (const QByteArray& b : texts) {
            const int fast = CompareNoCase(a.constData(), static_cast<int>(a.size()), b.constData(),
                                           static_cast<int>(b.size()));
            EXPECT_EQ(Sign(fast), Sign(ReferenceNoCase(a, b)))
                << a.toStdString() << " / " << b.toStdString();
        }
    }

    // The engine orders with it: a sorted column comes back in the reference order.
    UserDb db;
    QList<QByteArray> expected;
    int id = 1;
    for (const QByteArray& t : texts) {
        if (t.isValidUtf8()) {
            db.addEntry(id++, QString::fromUtf8(t), QStringLiteral("1"));
            expected << store::ToStoredText(QString::fromUtf8(t)).toUtf8();
        }
    }
    std::stable_sort(
        expected.begin(), expected.end(),
        [](const QByteArray& a, const QByteArray& b) { return ReferenceNoCase(a, b) < 0; });
    db.q.open({QStringLiteral("SELECT Item_Name FROM Inventory WHERE ID_Number > 0"),
               QStringLiteral("ORDER BY Item_Name, ID_Number")});
    QList<QByteArray> order;
    for (; !db.q.eof(); db.q.next())
        order << db.q.utf8(0).toByteArray();
    ASSERT_EQ(order.size(), expected.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        EXPECT_EQ(ReferenceNoCase(order[i], expected[i]), 0)
            << i << ": " << order[i].toStdString() << " / " << expected[i].toStdString();
}

TEST(Database, TextStartingWithAZeroWidthNoBreakSpaceReadsBackWhole) {
    // U+FEFF at the start of a value is the user's text, not a byte-order mark: an inventory
    // named so must be listed under the name its table has, or it can never be opened again.
    UserDb db;
    const QString name = QChar(0xFEFF) + QStringLiteral("Home");
    db.q.execute(
        {QStringLiteral("INSERT INTO Master_Table VALUES ('") + name + QStringLiteral("')")});
    db.q.open({QStringLiteral("SELECT Table_Names FROM Master_Table WHERE Table_Names <> "
                              "'Inventory'")});
    EXPECT_EQ(db.q.text(0), name);
    db.q.close();
    EXPECT_EQ(
        db.count(QStringLiteral("Master_Table"), QStringLiteral("WHERE Table_Names = 'Home'")), 0);
}
