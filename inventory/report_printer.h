#pragma once

#include <QPageLayout>
#include <QString>
#include <QStringList>

class QPrinter;

namespace inventory {

// Resolution every job is laid out in. The line positions are device units, so fixing the
// resolution keeps the margins the same on every printer and in PDF files.
inline constexpr int kPrintResolution = 600;
// Where a page's first line is drawn, in device units.
inline constexpr int kPrintLeft = 300;
inline constexpr int kPrintTop = 250;

// What a printout looks like: the printer font and the paper's orientation.
struct PrintStyle {
    QString fontFamily;
    int pointSize = 10;
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
};

// Courier New 10 pt landscape: the inventory report.
PrintStyle InventoryPrintStyle();

// One print job: for each copy, pages of "Page n" and up to `linesPerPage` of the lines, page
// numbers restarting at 1 for every copy; page line i is drawn at x = 300, y = 250 + i * h, h the
// height of the line in the printer font, on a white background. No copies starts and ends the
// job without drawing. Throws std::runtime_error when the job cannot be started or the printer
// fails during it; the job is then aborted, so no half-written file is left as if complete.
void PrintLines(QPrinter& printer, const QStringList& lines, int linesPerPage, int copies,
                const PrintStyle& style);

} // namespace inventory
