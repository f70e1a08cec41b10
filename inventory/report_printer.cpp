#include "inventory/report_printer.h"

#include "inventory/report.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <cstdio>
#include <sys/stat.h>
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

// A PDF is written beside the file it is meant for and takes its name only once it is whole, so
// a failed printout neither leaves a half file nor costs the older file of that name. Qt's PDF
// writer does not report a failed write (a full disk, a file size limit): a file is whole only
// when it ends with the PDF's end-of-file marker.
class PdfBeside {
  public:
    explicit PdfBeside(QPrinter& printer) : printer_(printer) {
        if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
            return;
        final_ = printer.outputFileName();
        QTemporaryFile part(final_ + QStringLiteral(".XXXXXX.part"));
        part.setAutoRemove(false);
        if (!part.open()) return; // written in place, as before; its failure names the file
        part_ = part.fileName();
        // A temporary file is private to its owner; the printout gets the usual permissions.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(part.handle(), 0666 & ~mask);
        printer.setOutputFileName(part_);
    }
    ~PdfBeside() {
        if (part_.isEmpty()) return;
        printer_.setOutputFileName(final_);
        if (!kept_) QFile::remove(part_);
    }
    // The printout failed: what was written goes.
    void drop() {
        if (part_.isEmpty()) {
            if (!final_.isEmpty()) QFile::remove(final_);
        } else {
            printer_.setOutputFileName(final_);
        }
    }
    // The printout ended: true when the file is whole and has its name.
    bool finish() {
        if (final_.isEmpty()) return true;
        const QString written = part_.isEmpty() ? final_ : part_;
        printer_.setOutputFileName(final_);
        if (!Whole(written)) {
            QFile::remove(written);
            return false;
        }
        if (part_.isEmpty()) return true;
        kept_ = ::rename(QFile::encodeName(part_).constData(),
                         QFile::encodeName(final_).constData()) == 0;
        return kept_;
    }

  private:
    static bool Whole(const QString& file) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly) || f.size() < 16) return false;
        f.seek(f.size() - 16);
        return f.read(16).trimmed().endsWith("%%EOF");
    }

    QPrinter& printer_;
    QString final_, part_;
    bool kept_ = false;
};

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

    PdfBeside pdf(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        pdf.drop();
        Fail(printer, QStringLiteral("Cannot start printing on "));
    }
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
        pdf.drop();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        pdf.drop();
    }
    if (!pdf.finish()) Fail(printer, QStringLiteral("Printing failed on "));
}

} // namespace inventory
