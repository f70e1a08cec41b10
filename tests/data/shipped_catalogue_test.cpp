// The catalogue database as the build ships it.
#include "entries/catalogue_records.h"
#include "store/database.h"
#include "store/stored_text.h"
#include "entries/number_parsing.h"
#include "entries/tab_table.h"
#include "tests/support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

using namespace store;

namespace {

struct Catalogue {
    testing_support::ProgramFolder folder;
    Connection connection{ConnectionString(DatabaseKind::Catalogue, folder.path())};
    Query q{connection};
    qint64 value(const QString& sql) {
        q.open({sql});
        return q.integer(0);
    }
};

} // namespace

TEST(ShippedCatalogue, EveryTabHasCategoriesItemsPricesAndOther) {
    Catalogue c;
    QSet<qint64> editUses;
    for (const auto& tab : entries::TabTable()) {
        const QString key = tab.keyText();
        EXPECT_GE(c.value("SELECT COUNT(*) FROM " + key + "_Main"), 9) << tab.key;
        EXPECT_GE(c.value("SELECT COUNT(*) FROM " + key + "_Items"), 8 * 8) << tab.key;
        EXPECT_GT(c.value("SELECT COUNT(*) FROM " + key + "_Data"), 0) << tab.key;
        EXPECT_EQ(c.value("SELECT COUNT(*) FROM " + key + "_Main WHERE Category_Name = 'Other'"), 1)
            << tab.key;
        EXPECT_EQ(c.value("SELECT COUNT(*) FROM " + key + "_Items i JOIN " + key +
                          "_Main m ON i.Category_Number = m.Category_Number "
                          "WHERE m.Category_Name = 'Other'"),
                  0)
            << tab.key;
        // No item name twice within a category, compared as the database compares text.
        EXPECT_EQ(c.value("SELECT COUNT(*) FROM (SELECT Category_Number, Item_Name FROM " + key +
                          "_Items GROUP BY Category_Number, Item_Name HAVING COUNT(*) > 1)"),
                  0)
            << tab.key;
        // Every price point belongs to an item of the tab.
        EXPECT_EQ(c.value("SELECT COUNT(*) FROM " + key +
                          "_Data d WHERE NOT EXISTS (SELECT 1 FROM " + key +
                          "_Items i WHERE i.Item_Number = d.Item_Number)"),
                  0)
            << tab.key;
        c.q.open({"SELECT DISTINCT Edit_Use FROM " + key + "_Main"});
        while (!c.q.eof()) {
            editUses.insert(c.q.integer(0));
            c.q.next();
        }
    }
    EXPECT_TRUE(editUses.contains(0));
    EXPECT_TRUE(editUses.contains(1));
    EXPECT_TRUE(editUses.contains(2));
}

TEST(ShippedCatalogue, NamesAreStoredInStoredForm) {
    Catalogue c;
    qint64 withApostrophe = 0;
    for (const auto& tab : entries::TabTable()) {
        const QString key = tab.keyText();
        EXPECT_EQ(c.value("SELECT COUNT(*) FROM " + key +
                          "_Items WHERE instr(Item_Name, '''') > 0 OR instr(Item_Name, ':') > 0"),
                  0);
        withApostrophe +=
            c.value("SELECT COUNT(*) FROM " + key + "_Items WHERE instr(Item_Name, '" +
                    QString(kStoredApostrophe) + "') > 0");
    }
    EXPECT_GT(withApostrophe, 0);
}

TEST(ShippedCatalogue, HelpTopicsAndRegister) {
    Catalogue c;
    const char* captions[] = {"Getting Started",    "Menus",
                              "Inventory Tab",      "Inventory Pictures Tab",
                              "Sub-Inventory Tabs", "Suggestions for using Quivera!"};
    for (int topic = -1; topic <= 4; ++topic) {
        c.q.open({QStringLiteral("SELECT Tab_Help, Tab_Name FROM Help_Text WHERE Tab_Number = %1")
                      .arg(topic)});
        ASSERT_FALSE(c.q.eof()) << topic;
        EXPECT_EQ(c.q.text(1), QLatin1String(captions[topic + 1]));
        EXPECT_GT(c.q.text(0).size(), 2000) << topic;
    }
    EXPECT_EQ(c.value("SELECT COUNT(*) FROM Inventories"), 17);
    for (const auto& tab : entries::TabTable())
        EXPECT_EQ(
            c.value(QStringLiteral("SELECT COUNT(*) FROM Inventories WHERE Inventory_Number = ") +
                    QString::number(tab.number) + " AND Long_Inventory_Name = '" +
                    tab.captionText() + "'"),
            1)
            << tab.key;
}

TEST(ShippedCatalogue, EveryPriceOfTheSourcesPassesTheLoadersNumberCheck) {
    int prices = 0;
    for (const auto& tab : entries::TabTable()) {
        QFile f(QStringLiteral(QUIVERA_DATA_SOURCE_DIR) + "/catalogue/" + tab.keyText() + ".txt");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << tab.key;
        QStringList lines;
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n'))
            if (!line.trimmed().startsWith('#')) lines << line;
        for (const auto& g : entries::ParsePriceGroups(lines.join('\n'))) {
            for (const QString& p : g.prices) {
                if (p.trimmed().isEmpty()) continue;
                double v = -1;
                EXPECT_TRUE(entries::ParseReal(p, v)) << p.toStdString();
                EXPECT_GE(v, 0);
                ++prices;
            }
        }
    }
    EXPECT_GT(prices, 2500);
}

TEST(ShippedUserDatabase, StartsEmptyWithItsBookkeepingRows) {
    testing_support::ProgramFolder folder;
    Connection user(ConnectionString(DatabaseKind::User, folder.path()));
    Query q(user);
    q.open({QStringLiteral("SELECT ID_Number FROM Inventory")});
    EXPECT_EQ(q.integer(0), 0);
    q.next();
    EXPECT_TRUE(q.eof());
    q.open({QStringLiteral("SELECT Throw_Number, Current_Table FROM Current_Table")});
    EXPECT_EQ(q.integer(0), 1);
    EXPECT_EQ(q.text(1), QString());
    q.open({QStringLiteral("SELECT COUNT(*) FROM Master_Table")});
    EXPECT_EQ(q.integer(0), 0);
    q.open({QStringLiteral("SELECT COUNT(*) FROM Last_Used")});
    EXPECT_EQ(q.integer(0), 0);
    for (const char* t :
         {"Inventory", "Master_Table", "Current_Table", "Last_Used", "Prohibited"}) {
        q.open({QStringLiteral("SELECT COUNT(*) FROM Prohibited WHERE Table_Name = '") +
                QLatin1String(t) + QLatin1Char('\'')});
        EXPECT_EQ(q.integer(0), 1) << t;
    }
}
