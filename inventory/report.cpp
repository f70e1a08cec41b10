#include "inventory/report.h"

#include "inventory/inventory_lines.h"
#include "store/stored_text.h"

namespace inventory {

namespace {

const char* const kWeekdays[7] = {"Sunday, ",   "Monday, ", "Tuesday, ", "Wednesday, ",
                                  "Thursday, ", "Friday, ", "Saturday, "};
const char* const kMonths[12] = {"January ",   "February ", "March ",    "April ",
                                 "May ",       "June ",     "July ",     "August ",
                                 "September ", "October ",  "November ", "December "};

// A stamp read from a damaged header may index past the name tables; show no name then.
QString NameAt(const char* const* names, int count, int index) {
    return index >= 0 && index < count ? QLatin1String(names[index]) : QString();
}

} // namespace

StampTime StampTime::fromDateTime(const QDateTime& time) {
    const QDate date = time.date();
    const QTime clock = time.time();
    return {clock.minute(),   clock.hour(),       date.day(),
            date.month() - 1, date.year() - 1900, date.dayOfWeek() % 7};
}

StampTime ReportTime(bool inventoryModified, const StampTime& changeStamp, const QDateTime& now) {
    return inventoryModified ? StampTime::fromDateTime(now) : changeStamp;
}

QString ReportTitleLine(const QString& inventoryLabel, const StampTime& time) {
    int hour = time.hour;
    QString suffix = QStringLiteral(" AM");
    if (hour >= 12) {
        hour -= 12;
        suffix = QStringLiteral(" PM");
    }
    if (hour == 0) hour = 12;
    return inventoryLabel + QStringLiteral(" at ") + QString::number(hour) + QLatin1Char(':') +
           QString::number(time.minute).rightJustified(2, QLatin1Char('0')) + suffix +
           QStringLiteral(" on ") + NameAt(kWeekdays, 7, time.weekday) +
           NameAt(kMonths, 12, time.month) + QString::number(time.day) + QStringLiteral(", ") +
           QString::number(time.year + 1900) + QStringLiteral("  Quivera!") + QChar(0x2122);
}

QString ReportHeadingLine() {
    return QStringLiteral(
        "ID    Inventory   Category        Item                     #      Value Notes:");
}

QStringList WrapNotesLine(const QString& line, int width) {
    if (line.isEmpty()) return {QString()};
    QStringList pieces;
    const qsizetype n = line.size();
    qsizetype pos = 0;
    while (n - pos > width) {
        if (line[pos + width] == QLatin1Char(' ')) {
            pieces << line.mid(pos, width);
            pos += width;
            while (pos < n && line[pos] == QLatin1Char(' '))
                ++pos;
            continue;
        }
        const qsizetype space = line.lastIndexOf(QLatin1Char(' '), pos + width - 1);
        const qsizetype end = space >= pos ? space + 1 : pos + width;
        pieces << line.mid(pos, end - pos);
        pos = end;
    }
    if (pos < n) pieces << line.mid(pos);
    return pieces;
}

QStringList ReportBlock(const ReportEntry& entry) {
    const QString row = InventoryRow(entry);
    QStringList pieces;
    for (const QString& notesLine : store::NotesFromText(entry.notes))
        pieces += WrapNotesLine(notesLine);
    if (pieces.isEmpty()) return {row};
    QStringList block;
    block.reserve(pieces.size());
    block << row + pieces.front();
    const QString indent(kInventoryRowWidth, QLatin1Char(' '));
    for (qsizetype i = 1; i < pieces.size(); ++i)
        block << indent + pieces[i];
    return block;
}

QStringList ReportLines(const QString& inventoryLabel, const StampTime& time,
                        const std::vector<ReportEntry>& entries) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(entries.size()) + 4);
    lines << ReportTitleLine(inventoryLabel, time) << QString() << ReportHeadingLine();
    // Summed in ten-thousandths: a floating sum over many entries drifts in the last places
    // the total line shows.
    store::Currency total;
    for (const ReportEntry& entry : entries) {
        lines += ReportBlock(entry);
        total = total + entry.value;
    }
    lines << InventoryTotalLine(total);
    return lines;
}

void PrintCopies(const QStringList& lines, int linesPerPage, int copies,
                 const std::function<void(const QStringList& pageLines)>& drawPage,
                 const std::function<void()>& newPage) {
    if (lines.isEmpty() || linesPerPage < 1) return;
    for (int copy = 1; copy <= copies; ++copy) {
        if (copy > 1) newPage();
        int page = 1;
        for (qsizetype first = 0; first < lines.size(); first += linesPerPage, ++page) {
            if (first > 0) newPage();
            QStringList pageLines;
            pageLines.reserve(linesPerPage + 1);
            pageLines << QStringLiteral("Page ") + QString::number(page);
            pageLines += lines.mid(first, linesPerPage);
            drawPage(pageLines);
        }
    }
}

} // namespace inventory
