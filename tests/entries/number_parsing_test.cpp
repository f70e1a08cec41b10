// The one grammar behind every typed number, in its four variants.
#include "entries/number_parsing.h"

#include <gtest/gtest.h>
#include <limits>

using namespace entries;

namespace {

template <typename T, typename Parse> bool Reads(Parse parse, const char* text, T expected) {
    T value{};
    return parse(QString::fromUtf8(text), value) && value == expected;
}

template <typename T, typename Parse> bool Refuses(Parse parse, const char* text) {
    T value = T(42);
    return !parse(QString::fromUtf8(text), value) && value == T(42);
}

const auto word = [](const QString& t, quint16& v) { return ParseWord(t, v); };
const auto cardinal = [](const QString& t, quint32& v) { return ParseCardinal(t, v); };
const auto integer = [](const QString& t, qint32& v) { return ParseInteger(t, v); };
const auto real = [](const QString& t, double& v) { return ParseReal(t, v); };

} // namespace

TEST(NumberParsing, GroupsBlanksAndRefusals) {
    EXPECT_TRUE(Reads<quint32>(cardinal, "99,999", 99999));
    EXPECT_TRUE(Reads<quint32>(cardinal, "100,000", 100000));
    EXPECT_TRUE(Reads<quint32>(cardinal, "  7   ", 7));
    EXPECT_TRUE(Reads<quint32>(cardinal, "4294967295", 4294967295u));
    for (const char* bad : {"1.5", "-3", "1,00", "", "   ", "1,0000", ",100", "100,", "7 7",
                            "4294967296", "00000000001"})
        EXPECT_TRUE(Refuses<quint32>(cardinal, bad)) << bad;
}

TEST(NumberParsing, RangesOfTheWholeNumberVariants) {
    EXPECT_TRUE(Reads<quint16>(word, "65,535", 65535));
    EXPECT_TRUE(Refuses<quint16>(word, "65536"));
    EXPECT_TRUE(Refuses<quint16>(word, "-1"));
    EXPECT_TRUE(Reads<qint32>(integer, "-2147483648", std::numeric_limits<qint32>::min()));
    EXPECT_TRUE(Reads<qint32>(integer, " -2,147,483,647 ", -2147483647));
    EXPECT_TRUE(Refuses<qint32>(integer, "2147483648"));
    EXPECT_TRUE(Refuses<qint32>(integer, "- 5"));
    EXPECT_TRUE(Refuses<qint32>(integer, "--5"));
    EXPECT_TRUE(Refuses<qint32>(integer, "5e1"));
    qint32 fromBuffer = 0;
    EXPECT_TRUE(ParseInteger("  12,345", fromBuffer));
    EXPECT_EQ(fromBuffer, 12345);
    EXPECT_FALSE(ParseInteger("12a", fromBuffer));
    EXPECT_EQ(fromBuffer, 12345);
}

TEST(NumberParsing, RealsWithFractionAndExponent) {
    EXPECT_TRUE(Reads<double>(real, "1,250.5", 1250.5));
    EXPECT_TRUE(Reads<double>(real, "2.5E2", 250.0));
    EXPECT_TRUE(Reads<double>(real, "2.5 E 2", 250.0));
    EXPECT_TRUE(Reads<double>(real, "2.5e-1", 0.25));
    EXPECT_TRUE(Reads<double>(real, "-0.75", -0.75));
    EXPECT_TRUE(Reads<double>(real, "12345678901234567890", 12345678901234567890.0));
    for (const char* bad : {"1,25", "12.", "12a", ".5", "1.5E", "1e308", "1e-400", "1.2.3", "+1"})
        EXPECT_TRUE(Refuses<double>(real, bad)) << bad;
    EXPECT_TRUE(Reads<double>(real, "0e-400", 0.0)); // zero stays zero: no value was lost
    double fromBuffer = 1.0;
    EXPECT_TRUE(ParseReal("3.25", fromBuffer));
    EXPECT_EQ(fromBuffer, 3.25);
}
