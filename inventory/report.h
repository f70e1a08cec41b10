#pragma once

#include "entries/listing_lines.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace inventory {

using ReportEntry = entries::ListingEntry;

// Width of the printout's notes column, in characters.
inline constexpr int kNotesColumnWidth = 46;
// Report lines under each page line of the inventory printout.
inline constexpr int kReportLinesPerPage = 47;

// A moment as the change stamp holds it. The fields are kept as read, not validated: a header row
// from another program may hold any digits.
struct StampTime {
    int minute = 0;
    int hour = 0; // 0..23
    int day = 1;
    int month = 0;   // 0 = January
    int year = 0;    // years since 1900
    int weekday = 0; // 0 = Sunday

    static StampTime fromDateTime(const QDateTime& time);
    friend bool operator==(const StampTime&, const StampTime&) = default;
};

// The time the title shows: now while there are unsaved changes, else the change stamp.
StampTime ReportTime(bool inventoryModified, const StampTime& changeStamp, const QDateTime& now);

// "<label> at 2:05 PM on Friday, March 5, 2004  Quivera!(TM)".
QString ReportTitleLine(const QString& inventoryLabel, const StampTime& time);
QString ReportHeadingLine();

// One notes line broken into pieces of at most `width` characters: after the last space that fits
// (the space ends the piece), or right after a word that exactly fills the width (the blanks after
// it are not printed), or inside a word longer than the width. An empty line is one empty piece.
QStringList WrapNotesLine(const QString& line, int width = kNotesColumnWidth);

// An entry's lines: its row followed by the first notes piece, then one line per further piece,
// indented to the notes column.
QStringList ReportBlock(const ReportEntry& entry);

// The whole printout in order: title, empty line, headings, the entries' blocks, total line.
QStringList ReportLines(const QString& inventoryLabel, const StampTime& time,
                        const std::vector<ReportEntry>& entries);

// Runs the page sequence of a print job: for each copy, pages of "Page n" followed by up to
// `linesPerPage` of the lines, numbered from 1 for every copy. `drawPage` gets each page's lines;
// `newPage` is called between two pages, never before the first or after the last. No lines or
// no copies draw nothing.
void PrintCopies(const QStringList& lines, int linesPerPage, int copies,
                 const std::function<void(const QStringList& pageLines)>& drawPage,
                 const std::function<void()>& newPage);

} // namespace inventory
