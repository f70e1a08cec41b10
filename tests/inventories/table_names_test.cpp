#include "inventories/table_names.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace inventories;

TEST(TableNames, PunctuationBecomesPrivateUseAndComesBack) {
    const QString t = ToTableName(QStringLiteral("  Tom's Shed  "));
    EXPECT_EQ(t, QStringLiteral("Tom") + QChar(0xF0E6) + QStringLiteral("s") + QChar(0xF0FF) +
                     QStringLiteral("Shed"));
    EXPECT_EQ(FromTableName(t), QStringLiteral("Tom's Shed"));

    const QString all = QStringLiteral("a !\"#$%&'()*+,-./:;<=>?@[\\]^`{|}~z");
    const QString mapped = ToTableName(all);
    EXPECT_EQ(mapped.size(), all.size());
    for (QChar c : mapped.mid(1, mapped.size() - 2))
        EXPECT_TRUE(c.unicode() >= 0xF0E0 && c.unicode() <= 0xF0FF) << int(c.unicode());
    EXPECT_EQ(FromTableName(mapped), all);
    // The 32 characters map onto 32 distinct private-use characters.
    EXPECT_EQ(QSet<QChar>(mapped.begin() + 1, mapped.end() - 1).size(), 32);
}

TEST(TableNames, LettersDigitsAndAccentsSurvive) {
    const QString name = QStringLiteral("Küche_2 Æble àéÿ ß");
    const QString t = ToTableName(name);
    EXPECT_TRUE(t.contains(QStringLiteral("Küche_2")));
    EXPECT_TRUE(t.contains(QStringLiteral("àéÿ")));
    EXPECT_EQ(FromTableName(t), name);
}

TEST(TableNames, BlanksOnlyAndOuterBlanks) {
    EXPECT_EQ(ToTableName(QStringLiteral("    ")), QString());
    EXPECT_EQ(ToTableName(QString()), QString());
    EXPECT_EQ(FromTableName(ToTableName(QStringLiteral(" a  b "))), QStringLiteral("a  b"));
}

TEST(SaveAsNameCheck, RefusalsInOrder) {
    const QStringList prohibited = {QStringLiteral("Inventory"), QStringLiteral("Garage")};
    const QStringList saved = {ToTableName(QStringLiteral("Tom's Shed")), QStringLiteral("Küche")};
    const QStringList objects = {QStringLiteral("Inventory"), QStringLiteral("Inventory_ID"),
                                 QStringLiteral("Orphan"), saved[0], saved[1]};
    auto check = [&](const QString& name) {
        return CheckSaveAsName(name, prohibited, saved, objects);
    };

    EXPECT_EQ(check(QStringLiteral("   ")).check, NameCheck::Empty);
    // The length counts without the outer blanks.
    EXPECT_EQ(check(QString(64, QLatin1Char('x'))).check, NameCheck::New);
    EXPECT_EQ(
        check(QStringLiteral("  ") + QString(64, QLatin1Char('x')) + QStringLiteral(" ")).check,
        NameCheck::New);
    EXPECT_EQ(check(QString(65, QLatin1Char('x'))).check, NameCheck::TooLong);
    EXPECT_EQ(check(QString(300, QLatin1Char('x'))).check, NameCheck::TooLong);
    EXPECT_TRUE(NameRefusalMessage(NameCheck::TooLong).contains(QStringLiteral("64")));
    EXPECT_EQ(check(QStringLiteral("Garage")).check, NameCheck::Reserved);
    EXPECT_EQ(check(QStringLiteral(" gARAGE ")).check, NameCheck::Reserved);
    // The database's own tables are reserved even when Prohibited forgets them.
    EXPECT_EQ(check(QStringLiteral("last_used")).check, NameCheck::Reserved);
    EXPECT_EQ(check(QStringLiteral("sqlite_stat1")).check, NameCheck::Unusable);
    EXPECT_EQ(check(QStringLiteral("inventory_id")).check, NameCheck::Unusable);
    EXPECT_EQ(check(QStringLiteral("Orphan")).check, NameCheck::Unusable);
    EXPECT_EQ(check(QStringLiteral("Tab\there")).check, NameCheck::Unusable);
    EXPECT_EQ(check(QStringLiteral("x") + QChar(0xF0E6)).check, NameCheck::Unusable);

    const SaveAsName existing = check(QStringLiteral("Tom's Shed"));
    EXPECT_EQ(existing.check, NameCheck::Exists);
    EXPECT_EQ(existing.tableName, saved[0]);

    const SaveAsName fresh = check(QStringLiteral(" Cellar "));
    EXPECT_EQ(fresh.check, NameCheck::New);
    EXPECT_EQ(fresh.tableName, QStringLiteral("Cellar"));
}

TEST(SaveAsNameCheck, CaseOnlyClashIsTheExistingInventory) {
    const QStringList saved = {ToTableName(QStringLiteral("Tom's Shed")), QStringLiteral("Küche")};
    const SaveAsName ascii = CheckSaveAsName(QStringLiteral("TOM'S shed"), {}, saved, saved);
    EXPECT_EQ(ascii.check, NameCheck::Exists);
    EXPECT_EQ(ascii.tableName, saved[0]);
    const SaveAsName accented = CheckSaveAsName(QStringLiteral("KÜCHE"), {}, saved, saved);
    EXPECT_EQ(accented.check, NameCheck::Exists);
    EXPECT_EQ(accented.tableName, QStringLiteral("Küche"));
}
