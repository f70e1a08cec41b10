// Stored text form, notes format and money text.
#include "store/money.h"
#include "store/stored_text.h"

#include <gtest/gtest.h>

using namespace store;

TEST(StoredText, ApostropheAndColonBecomePrivateCharactersAndBack) {
    const QString display = QStringLiteral("Tom's note: fragile");
    const QString stored = ToStoredText(display);
    EXPECT_EQ(stored.size(), display.size());
    EXPECT_FALSE(stored.contains(QLatin1Char('\'')));
    EXPECT_FALSE(stored.contains(QLatin1Char(':')));
    EXPECT_EQ(stored[3], QChar(0xF0D9));
    EXPECT_EQ(stored[10], QChar(0xF0C6));
    EXPECT_EQ(FromStoredText(stored), display);
}

TEST(StoredText, RealLettersOfTheOldCodePageSurvive) {
    // These letters share their code-page byte with the old substitutions.
    const QString text = QStringLiteral("K\u00fcche \u00c6ble \u00d9ber \u00e0 \u00ff");
    EXPECT_EQ(ToStoredText(text), text);
    EXPECT_EQ(FromStoredText(text), text);
}

TEST(NotesFormat, LinesWithBlanksAreQuotedAndReadBack) {
    const QStringList lines = {QStringLiteral("a b"), QStringLiteral("c")};
    const QString text = NotesToText(lines);
    EXPECT_EQ(text, QStringLiteral("~a b~`c"));
    EXPECT_EQ(NotesFromText(text), lines);
}

TEST(NotesFormat, SpecialShapes) {
    EXPECT_EQ(NotesToText({}), QString());
    EXPECT_EQ(NotesToText({QString()}), QStringLiteral("~~"));
    EXPECT_EQ(NotesFromText(QStringLiteral("~~")), QStringList{QString()});
    EXPECT_TRUE(NotesFromText(QString()).isEmpty());
    // Tildes and grave accents inside a line.
    const QStringList odd = {QStringLiteral("x~y"), QStringLiteral("p`q"), QString(),
                             QStringLiteral("end")};
    EXPECT_EQ(NotesToText(odd), QStringLiteral("~x~~y~`~p`q~``end"));
    EXPECT_EQ(NotesFromText(NotesToText(odd)), odd);
}

TEST(NotesFormat, ReadingRules) {
    // Blanks around values are skipped; a trailing grave accent adds an empty line.
    EXPECT_EQ(NotesFromText(QStringLiteral("  one ` two`")),
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QString()}));
    // A missing closing tilde takes the rest.
    EXPECT_EQ(NotesFromText(QStringLiteral("~open to the end")),
              QStringList{QStringLiteral("open to the end")});
    // A value right after a closing tilde starts a new line (the brand line in front).
    EXPECT_EQ(NotesFromText(QStringLiteral("~Acme Co~first`second")),
              (QStringList{QStringLiteral("Acme Co"), QStringLiteral("first"),
                           QStringLiteral("second")}));
    // An unquoted value stops at a blank: the rest is a new line.
    EXPECT_EQ(NotesFromText(QStringLiteral("two words")),
              (QStringList{QStringLiteral("two"), QStringLiteral("words")}));
}

TEST(NotesFormat, NulCharacterDoesNotHang) {
    const QString text = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const QStringList lines = NotesFromText(text);
    EXPECT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("a"));
}

TEST(Money, SqlTextHasNoTrailingZeros) {
    EXPECT_EQ(MoneyToSql(12.50), QStringLiteral("12.5"));
    EXPECT_EQ(MoneyToSql(12.0), QStringLiteral("12"));
    EXPECT_EQ(MoneyToSql(0.0), QStringLiteral("0"));
    EXPECT_EQ(MoneyToSql(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(MoneyToSql(-3.25), QStringLiteral("-3.25"));
    EXPECT_EQ(MoneyToSql(999999.99), QStringLiteral("999999.99"));
    EXPECT_EQ(MoneyToSql(1e20), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(MoneyToSql(0.00001), QStringLiteral("0.00001"));
}

TEST(Money, CurrencyRoundsToFourDecimals) {
    EXPECT_EQ(Currency::fromDouble(12.5).units, 125000);
    EXPECT_EQ(Currency::fromDouble(0.123456).units, 1235);
    EXPECT_EQ(Currency{125000}.toSqlText(), QStringLiteral("12.5"));
    EXPECT_EQ(Currency{120000}.toSqlText(), QStringLiteral("12"));
    EXPECT_EQ(Currency{-2500}.toSqlText(), QStringLiteral("-0.25"));
    EXPECT_EQ((Currency{122500} + Currency{2500}).toSqlText(), QStringLiteral("12.5"));
}
