#include "inventory/report_printer.h"

#include "inventory/report.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <stdexcept>

namespace inventory {

namespace {

QString PrinterLabel(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("the file \"") + printer.outputFileName() + QLatin1Char('"');
    return QStringLiteral("the printer \"") + printer.printerName() + QLatin1Char('"');
}

[[noreturn]] void Fail(QPrinter& printer, const QString& what) {
    throw std::runtime_error((what + PrinterLabel(printer) + QLatin1Char('.')).toStdString());
}

// A PDF cut short must not be mistaken for the whole report.
void DropPdf(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        QFile::remove(printer.outputFileName());
}

} // namespace

PrintStyle InventoryPrintStyle() {
    return {QStringLiteral("Courier New"), 10, QPageLayout::Landscape};
}

void PrintLines(QPrinter& printer, const QStringList& lines, int linesPerPage, int copies,
                const PrintStyle& style) {
    // Copies are drawn one after the other, never left to the printer to repeat.
    printer.setCopyCount(1);
    printer.setResolution(kPrintResolution);
    printer.setPageOrientation(style.orientation);

    QPainter painter;
    if (!painter.begin(&printer)) Fail(printer, QStringLiteral("Cannot start printing on "));
    QFont font(style.fontFamily);
    font.setStyleHint(style.fontFamily.contains(QLatin1String("Courier")) ? QFont::TypeWriter
                                                                          : QFont::SansSerif);
    font.setPointSize(style.pointSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBackground(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    const QFontMetrics metrics(painter.font(), &printer);

    bool failed = false;
    PrintCopies(
        lines, linesPerPage, copies,
        [&](const QStringList& pageLines) {
            if (failed) return;
            int y = kPrintTop;
            for (const QString& line : pageLines) {
                // Lines are placed by their top edge; Qt draws text at its baseline.
                painter.drawText(kPrintLeft, y + metrics.ascent(), line);
                y += metrics.height();
            }
        },
        [&] {
            if (!failed && !printer.newPage()) failed = true;
        });
    if (failed || printer.printerState() == QPrinter::Error) {
        printer.abort();
        painter.end();
        DropPdf(printer);
        Fail(printer, QStringLiteral("Printing failed on "));
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        DropPdf(printer);
        Fail(printer, QStringLiteral("Printing failed on "));
    }
}

} // namespace inventory
