#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QFontMetrics;

namespace store {
class Query;
}

namespace help {

// The help topics of the Help menu, in menu order: the Tab_Number of Help_Text.
inline constexpr int kFirstHelpTopic = -1;
inline constexpr int kHelpTopicCount = 6;

// Printing breaks the text as the help box does on screen: a 769-pixel line in Arial 19 px.
inline constexpr int kHelpWrapWidth = 769;
inline constexpr int kHelpLinesPerPage = 51;
QFont HelpScreenFont();

// Greedy word wrap into lines no wider than `width` as measured by `metrics`: breaks at blanks
// (which are dropped at the break), inside a word only when the word alone is wider than the
// line. Every line break of the text starts a new line; an empty paragraph is an empty line, and
// a final line break adds none.
QStringList WrapText(const QString& text, const QFontMetrics& metrics, int width);
// The topic's text broken as it prints.
QStringList HelpPrintLines(const QString& text);

struct HelpTopic {
    QString text;
    QString caption;
};
// A topic of Help_Text; a number without a row gives an empty text and caption.
HelpTopic ReadHelpTopic(store::Query& q, int topic);

inline const QString kLicenceCaption = QStringLiteral("End User License Agreement");
// The licence text of the program folder, or a line saying that it cannot be read.
QString ReadLicenceText(const QString& programFolder);

// "v. " and the version number cut to seven characters.
QString VersionCaption(double version);

// Places of the help window's controls in a client area: both buttons at the bottom right with
// 4-pixel margins, "Print" 8 pixels left of "OK", the text above them over the full width.
struct HelpLayout {
    QRect text, ok, print;
};
HelpLayout LayOutHelp(QSize client, QSize okButton, QSize printButton);

} // namespace help
