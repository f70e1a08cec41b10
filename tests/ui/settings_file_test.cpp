#include "ui/settings_file.h"
#include "entries/number_parsing.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace app;

namespace {

SettingsRead parse(const QByteArray& text) {
    return ParseSettingsText(text, entries::ParseInteger);
}

} // namespace

TEST(SettingsFile, PositionAndStandardAppearanceRoundTrip) {
    const SettingsRead r = parse("POSITION = (200,150)\nAPPEARANCE STANDARD\n");
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 150);
    EXPECT_EQ(r.appearance, Appearance::Standard);
    EXPECT_FALSE(r.enableDevTools);
    EXPECT_EQ(r.stop, SettingsStop::EndOfFile);

    const QByteArray written = SettingsFileText({*r.left, *r.top, true, *r.appearance});
    EXPECT_EQ(written, QByteArray("POSITION = (200,150)\nAPPEARANCE STANDARD\n"));
}

TEST(SettingsFile, DevToolsAndWatermarks) {
    const QByteArray text = SettingsFileText({-8, 0, false, Appearance::Watermarks});
    EXPECT_EQ(text, QByteArray("POSITION = (-8,0)\nENABLE DEVTOOLS\nAPPEARANCE QIV\n"));
    const SettingsRead r = parse(text);
    EXPECT_EQ(r.left, -8);
    EXPECT_EQ(r.top, 0);
    EXPECT_TRUE(r.enableDevTools);
    EXPECT_EQ(r.appearance, Appearance::Watermarks);

    EXPECT_EQ(parse("APPEARANCE CLASSIC\n").appearance, Appearance::Watermarks);
    EXPECT_EQ(parse("APPEARANCE STANDARD\nAPPEARANCE QIV\n").appearance, Appearance::Watermarks);
    EXPECT_FALSE(parse("ENABLE DEVTOOLS \n").enableDevTools);
    EXPECT_FALSE(parse("ENABLE devtools\n").enableDevTools);
}

TEST(SettingsFile, BadPositionStopsReading) {
    SettingsRead r = parse("POSITION = (abc,5)\nAPPEARANCE STANDARD\nENABLE DEVTOOLS\n");
    EXPECT_EQ(r.stop, SettingsStop::BadPosition);
    EXPECT_FALSE(r.left);
    EXPECT_FALSE(r.appearance);
    EXPECT_FALSE(r.enableDevTools);

    // The left edge is applied before the top one fails.
    r = parse("APPEARANCE STANDARD\nPOSITION = (200,)\nENABLE DEVTOOLS\n");
    EXPECT_EQ(r.stop, SettingsStop::BadPosition);
    EXPECT_EQ(r.left, 200);
    EXPECT_FALSE(r.top);
    EXPECT_EQ(r.appearance, Appearance::Standard);
    EXPECT_FALSE(r.enableDevTools);

    // The program's number grammar: blanks around a number are fine.
    r = parse("POSITION = ( 12 , -30 )\n");
    EXPECT_EQ(r.stop, SettingsStop::EndOfFile);
    EXPECT_EQ(r.left, 12);
    EXPECT_EQ(r.top, -30);
}

TEST(SettingsFile, EndOfFileRules) {
    // A value cut off by the end of the file is not applied.
    EXPECT_FALSE(parse("APPEARANCE STANDARD").appearance);
    EXPECT_FALSE(parse("ENABLE DEVTOOLS").enableDevTools);
    // A byte 0xFF ends the file.
    const SettingsRead r = parse("APPEARANCE STANDARD\n\xff"
                                 "ENABLE DEVTOOLS\n");
    EXPECT_EQ(r.appearance, Appearance::Standard);
    EXPECT_FALSE(r.enableDevTools);
    EXPECT_EQ(r.stoppedAt, 20);
    // A position needs only its closing parenthesis.
    EXPECT_EQ(parse("POSITION = (3,4)").top, 4);
    EXPECT_FALSE(parse("POSITION = (3,4").top);
}

TEST(SettingsFile, UnknownWordsLineEndsAndLongWords) {
    SettingsRead r = parse("FOO APPEARANCE STANDARD\n APPEARANCE STANDARD\nPOSITION = (1,2)\n");
    EXPECT_FALSE(r.appearance); // the rest of an unknown word's line goes with it
    EXPECT_EQ(r.left, 1);

    r = parse("POSITION = (5,6)\r\nENABLE DEVTOOLS\r\nAPPEARANCE STANDARD\r\n");
    EXPECT_EQ(r.top, 6);
    EXPECT_TRUE(r.enableDevTools);
    EXPECT_EQ(r.appearance, Appearance::Standard);

    const QByteArray longWord(1000, 'X');
    r = parse(longWord + " " + longWord + "\nAPPEARANCE " + longWord + "\nENABLE DEVTOOLS\n");
    EXPECT_EQ(r.appearance, Appearance::Watermarks);
    EXPECT_TRUE(r.enableDevTools);
}

TEST(SettingsFile, FilesOnDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("QIV.ini"));
    EXPECT_EQ(ReadSettingsFile(path, entries::ParseInteger).stop, SettingsStop::NoFile);

    WriteSettingsFile(path, {200, 150, true, Appearance::Standard});
    const SettingsRead r = ReadSettingsFile(path, entries::ParseInteger);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 150);
    EXPECT_EQ(r.appearance, Appearance::Standard);
    EXPECT_FALSE(r.enableDevTools);

    EXPECT_THROW(WriteSettingsFile(dir.filePath(QStringLiteral("missing/QIV.ini")), {}),
                 std::runtime_error);
}

TEST(SettingsFile, WindowOutOfSightIsBroughtToTheNearestScreen) {
    const QSize size(777, 570);
    const QList<QRect> two = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const auto place = [&](QPoint at) { return KeepOnScreen(QRect(at, size), two); };
    // Seen, even partly: left alone.
    EXPECT_EQ(place(QPoint(200, 150)), QPoint(200, 150));
    EXPECT_EQ(place(QPoint(2500, 100)), QPoint(2500, 100));
    EXPECT_EQ(place(QPoint(1800, 900)), QPoint(1800, 900));
    // Lost: into the nearest screen's available area, as little moved as possible.
    EXPECT_EQ(place(QPoint(-5000, -5000)), QPoint(0, 0));
    EXPECT_EQ(place(QPoint(5000, 100)), QPoint(1920 + 1280 - 777, 100));
    EXPECT_EQ(place(QPoint(300, 4000)), QPoint(300, 1080 - 570));
    // A title bar above the top edge cannot be taken hold of.
    EXPECT_EQ(place(QPoint(100, -300)), QPoint(100, 0));
    // Only a sliver of the top edge in view is not enough.
    EXPECT_EQ(place(QPoint(-770, 100)), QPoint(0, 100));
    // A screen smaller than the window: its top left corner.
    EXPECT_EQ(KeepOnScreen(QRect(QPoint(-900, 0), size), {QRect(0, 0, 640, 480)}), QPoint(0, 0));
    EXPECT_EQ(KeepOnScreen(QRect(QPoint(-900, 0), size), {}), QPoint(-900, 0));
}
