// Line breaking and pages of a printed help topic, the licence text and the window layout.
#include "help/help_text.h"
#include "tests/support/program_folder.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(HelpWrap, LinesFitAndNoWordCouldHaveStayedOnThePreviousLine) {
    EnsureApplication();
    const QFontMetrics fm(help::HelpScreenFont());
    QString paragraph;
    for (int i = 0; i < 60; ++i)
        paragraph += QStringLiteral("word%1 ").arg(i * 37 % 1000);
    const QStringList lines = help::WrapText(paragraph, fm, help::kHelpWrapWidth);
    ASSERT_GT(lines.size(), 2);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_LE(fm.horizontalAdvance(lines[i]), help::kHelpWrapWidth) << i;
        EXPECT_FALSE(lines[i].startsWith(QLatin1Char(' ')) || lines[i].endsWith(QLatin1Char(' ')));
        if (i + 1 < lines.size()) {
            const QString next = lines[i + 1].section(QLatin1Char(' '), 0, 0);
            EXPECT_GT(fm.horizontalAdvance(lines[i] + QLatin1Char(' ') + next),
                      help::kHelpWrapWidth)
                << "greedy break missed at line " << i;
        }
    }
    EXPECT_EQ(lines.join(QLatin1Char(' ')), paragraph.trimmed());
}

TEST(HelpWrap, ParagraphsEmptyLinesAndOverlongWords) {
    EnsureApplication();
    const QFontMetrics fm(help::HelpScreenFont());
    EXPECT_EQ(help::WrapText(QStringLiteral("Title\r\n\r\nBody\n"), fm, 769),
              (QStringList{"Title", "", "Body"}));
    EXPECT_TRUE(help::WrapText(QString(), fm, 769).isEmpty());

    const QString word(200, QLatin1Char('m'));
    const QStringList pieces = help::WrapText(QStringLiteral("ab ") + word, fm, 300);
    ASSERT_GE(pieces.size(), 3);
    EXPECT_EQ(pieces[0], QStringLiteral("ab"));
    EXPECT_EQ(pieces.mid(1).join(QString()), word);
    for (const QString& p : pieces)
        EXPECT_LE(fm.horizontalAdvance(p), 300);
    // A width narrower than one character still makes progress.
    EXPECT_EQ(help::WrapText(QStringLiteral("mm"), fm, 1), (QStringList{"m", "m"}));
}
