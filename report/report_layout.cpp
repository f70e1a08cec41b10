#include "report/report_layout.h"

#include "pictures/rendition_cache.h"
#include "report/photo_queue.h"
#include "store/stored_text.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace report {

namespace {

constexpr double kSideMarginMm = 18;
constexpr double kTopMarginMm = 15;
constexpr double kBottomMarginMm = 12;
constexpr double kPhotoGapMm = 5;   // between the photograph's box and the entry's lines
constexpr double kEntryGapMm = 4;   // between two entries
constexpr double kSectionGapMm = 6; // before an area's heading
constexpr int kPdfResolution = 600;

// The photograph box at kPhotoDpi, in whole pixels as DrawReport rounds it, is the renditions'.
constexpr int PixelsAt(double mm, int dpi) {
    return int(mm * dpi / 25.4 + 0.5);
}
static_assert(PixelsAt(kPhotoBoxWidthMm, kPhotoDpi) == pictures::kRenditionWidth &&
                  PixelsAt(kPhotoBoxHeightMm, kPhotoDpi) == pictures::kRenditionHeight,
              "the report's photograph box at kPhotoDpi must be the renditions' size");

QFont MakeFont(double points, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

struct Fonts {
    QFont title = MakeFont(20, true);
    QFont subtitle = MakeFont(14);
    QFont heading = MakeFont(13, true);
    QFont body = MakeFont(10);
    QFont bold = MakeFont(10, true);
    QFont footer = MakeFont(8);
};

struct Line {
    QString text;
    const QFont* font;
};

// Notes may hold tabs and other control characters; on paper they are blanks.
QString Printable(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 32 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return text;
}

[[noreturn]] void Fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

// Lays the report out page by page. Run once without a painter to count the pages, then again
// with one to draw them: both runs take the same decisions from the same metrics.
class Layout {
  public:
    Layout(QPagedPaintDevice& device, QPainter* painter, PhotoQueue* photos, int pageCount,
           const ReportContent& content, const ReportOptions& options)
        : device_(device), painter_(painter), photos_(photos), pageCount_(pageCount),
          content_(content), options_(options), dpi_(device.logicalDpiY()), width_(device.width()) {
        bottom_ = device.height() - spacing(fonts_.footer) - mm(3);
        if (options_.photos) {
            photoWidth_ = mm(kPhotoBoxWidthMm);
            photoHeight_ = mm(kPhotoBoxHeightMm);
            textX_ = photoWidth_ + mm(kPhotoGapMm);
        }
        if (bottom_ < photoHeight_ + 4 * spacing(fonts_.heading) || width_ < textX_ + mm(40))
            Fail(QStringLiteral("The page is too small for the report."));
    }

    int run() {
        firstPage();
        for (const AreaSection& area : content_.areas)
            section(area);
        if (!content_.areas.empty()) {
            const double h = spacing(fonts_.heading) + mm(kEntryGapMm);
            if (y_ + h > bottom_) newPage();
            y_ += mm(kEntryGapMm);
            rightText(QStringLiteral("Grand total: ") + MoneyText(content_.total), fonts_.heading,
                      width_);
        }
        footer();
        return page_;
    }

  private:
    double mm(double v) const { return v * dpi_ / 25.4; }
    double spacing(const QFont& f) const { return QFontMetricsF(f, &device_).lineSpacing(); }
    double advance(const QFont& f, const QString& t) const {
        return QFontMetricsF(f, &device_).horizontalAdvance(t);
    }

    QStringList wrap(const QString& text, const QFont& font, double width) const {
        const QString printable = Printable(text);
        if (printable.trimmed().isEmpty()) return {QString()};
        QTextLayout layout(printable, font, &device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        QStringList lines;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString piece = printable.mid(line.textStart(), line.textLength());
            while (piece.endsWith(QLatin1Char(' ')))
                piece.chop(1);
            lines << piece;
        }
        layout.endLayout();
        return lines;
    }

    // Text placed by the top of its line.
    void text(double x, const QString& t, const QFont& font) {
        if (!painter_) return;
        painter_->setFont(font);
        painter_->drawText(QPointF(x, y_ + QFontMetricsF(font, &device_).ascent()), t);
    }
    void rightText(const QString& t, const QFont& font, double right) {
        text(right - advance(font, t), t, font);
        y_ += spacing(font);
    }
    void rule(double y, double from, double to, double weightMm = 0.2) {
        if (!painter_) return;
        painter_->setPen(QPen(Qt::black, mm(weightMm)));
        painter_->drawLine(QPointF(from, y), QPointF(to, y));
    }

    void footer() {
        if (!painter_) return;
        const double y = device_.height() - spacing(fonts_.footer);
        const double saved = y_;
        y_ = y;
        const QString pages = QStringLiteral("Page %1 of %2").arg(page_).arg(pageCount_);
        const double pagesWidth = advance(fonts_.footer, pages);
        // A long inventory name gives way to the page number.
        text(0,
             QFontMetricsF(fonts_.footer, &device_)
                 .elidedText(InventoryLabel(content_) + QStringLiteral(", ") +
                                 DateText(content_.date),
                             Qt::ElideMiddle, width_ - pagesWidth - mm(5)),
             fonts_.footer);
        text(width_ - pagesWidth, pages, fonts_.footer);
        y_ = saved;
    }

    void newPage() {
        footer();
        if (painter_ && !device_.newPage())
            Fail(QStringLiteral("A new page could not be started."));
        ++page_;
        y_ = 0;
    }

    void firstPage() {
        text(0, QStringLiteral("Insurance Report"), fonts_.title);
        y_ += spacing(fonts_.title);
        text(0, InventoryLabel(content_), fonts_.subtitle);
        y_ += spacing(fonts_.subtitle) + mm(3);
        const QStringList facts{QStringLiteral("Date: ") + DateText(content_.date),
                                QStringLiteral("Number of entries: ") +
                                    QString::number(content_.entryCount),
                                QStringLiteral("Total value: ") + MoneyText(content_.total)};
        for (const QString& fact : facts) {
            text(0, fact, fonts_.body);
            y_ += spacing(fonts_.body);
        }
        y_ += mm(6);

        // The areas' table: name, number of entries, subtotal.
        const double right = width_;
        const double countRight =
            right - advance(fonts_.bold, QStringLiteral("$00000000.00")) - mm(8);
        const auto row = [&](const QString& name, const QString& count, const QString& money,
                             const QFont& font) {
            if (y_ + spacing(font) > bottom_) newPage();
            text(0, name, font);
            text(countRight - advance(font, count), count, font);
            text(right - advance(font, money), money, font);
            y_ += spacing(font);
        };
        row(QStringLiteral("Area"), QStringLiteral("Entries"), QStringLiteral("Subtotal"),
            fonts_.bold);
        rule(y_ + mm(0.5), 0, right);
        y_ += mm(1.5);
        for (const AreaSection& area : content_.areas)
            row(area.caption, QString::number(area.entries.size()), MoneyText(area.subtotal),
                fonts_.body);
        rule(y_ + mm(0.5), 0, right);
        y_ += mm(1.5);
        row(QStringLiteral("Grand total"), QString::number(content_.entryCount),
            MoneyText(content_.total), fonts_.bold);
        if (!content_.areas.empty()) newPage();
    }

    std::vector<Line> entryLines(const entries::EntryRecord& e) const {
        const double width = width_ - textX_;
        std::vector<Line> lines;
        const auto add = [&](const QString& t, const QFont& font) {
            for (const QString& piece : wrap(t, font, width))
                lines.push_back({piece, &font});
        };
        add(e.item, fonts_.bold);
        add(QStringLiteral("Entry number: ") + QString::number(e.id), fonts_.body);
        add(QStringLiteral("Area: ") + currentArea_, fonts_.body);
        add(QStringLiteral("Category: ") + e.category, fonts_.body);
        add(QStringLiteral("Count: ") + QString::number(e.count), fonts_.body);
        add(QStringLiteral("Cost each: ") + MoneyText(e.cost), fonts_.body);
        add(QStringLiteral("Total value: ") + MoneyText(e.total), fonts_.body);
        const QStringList notes = store::NotesFromText(e.notes);
        if (!notes.isEmpty()) {
            add(QStringLiteral("Notes:"), fonts_.body);
            for (const QString& n : notes)
                add(n, fonts_.body);
        }
        return lines;
    }

    double linesHeight(const std::vector<Line>& lines) const {
        double h = 0;
        for (const Line& l : lines)
            h += spacing(*l.font);
        return h;
    }

    void photo(const QString& name, double top) {
        if (!painter_) return;
        const QRectF box(0, top, photoWidth_, photoHeight_);
        const QImage image = name.isEmpty() || !photos_ ? QImage() : photos_->take();
        painter_->setPen(QPen(Qt::gray, mm(0.25)));
        painter_->setBrush(Qt::NoBrush);
        painter_->drawRect(box);
        if (image.isNull()) {
            painter_->setFont(fonts_.body);
            painter_->setPen(Qt::black);
            painter_->drawText(box, Qt::AlignCenter, QStringLiteral("No photograph"));
            return;
        }
        const QSizeF fitted = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
        const QRectF target(box.x() + (box.width() - fitted.width()) / 2,
                            box.y() + (box.height() - fitted.height()) / 2, fitted.width(),
                            fitted.height());
        painter_->drawImage(target, image);
        painter_->setPen(Qt::black);
    }

    void entry(const entries::EntryRecord& e, bool last) {
        if (painter_ && options_.progress && !options_.progress(drawn_, content_.entryCount))
            throw Cancelled();
        ++drawn_;
        const std::vector<Line> lines = entryLines(e);
        const double block = std::max(photoHeight_, linesHeight(lines));
        if (y_ > 0 && y_ + block > bottom_) newPage();
        const double top = y_;
        if (options_.photos) photo(e.photo, top);
        // An entry taller than a page (very long notes) goes on over the next pages.
        int photoPage = page_;
        for (const Line& l : lines) {
            if (y_ + spacing(*l.font) > bottom_) newPage();
            text(textX_, l.text, *l.font);
            y_ += spacing(*l.font);
        }
        if (page_ == photoPage) y_ = std::max(y_, top + photoHeight_);
        y_ += mm(kEntryGapMm);
        if (!last && y_ < bottom_) rule(y_ - mm(kEntryGapMm) / 2, 0, width_, 0.1);
    }

    void section(const AreaSection& area) {
        currentArea_ = area.caption;
        const double heading = spacing(fonts_.heading) + mm(2);
        const double first =
            area.entries.empty()
                ? 0
                : std::max(photoHeight_, linesHeight(entryLines(area.entries.front())));
        if (y_ > 0) {
            if (y_ + mm(kSectionGapMm) + heading + std::min(first, bottom_ - heading) > bottom_)
                newPage();
            else
                y_ += mm(kSectionGapMm);
        }
        text(0, area.caption, fonts_.heading);
        y_ += spacing(fonts_.heading);
        rule(y_ + mm(0.5), 0, width_, 0.3);
        y_ += mm(2);
        for (std::size_t i = 0; i < area.entries.size(); ++i)
            entry(area.entries[i], i + 1 == area.entries.size());
        const double h = spacing(fonts_.bold);
        if (y_ + h > bottom_) newPage();
        rightText(QStringLiteral("Subtotal for ") + area.caption + QStringLiteral(": ") +
                      MoneyText(area.subtotal),
                  fonts_.bold, width_);
    }

    QPagedPaintDevice& device_;
    QPainter* painter_;
    PhotoQueue* photos_;
    int pageCount_;
    const ReportContent& content_;
    const ReportOptions& options_;
    Fonts fonts_;
    double dpi_;
    double width_;
    double bottom_ = 0;
    double photoWidth_ = 0, photoHeight_ = 0, textX_ = 0;
    double y_ = 0;
    int page_ = 1;
    int drawn_ = 0; // entries drawn so far
    QString currentArea_;
};

} // namespace

QPageSize ReportPageSize(const QPageSize& printerPaper) {
    switch (printerPaper.id()) {
    case QPageSize::Letter:
    case QPageSize::Legal:
    case QPageSize::Executive:
    case QPageSize::Tabloid:
    case QPageSize::Ledger:
        return QPageSize(QPageSize::Letter);
    default:
        return QPageSize(QPageSize::A4);
    }
}

QPageSize DefaultReportPageSize() {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull()) return ReportPageSize(printer.defaultPageSize());
    return QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                : QPageSize::A4);
}

int DrawReport(QPagedPaintDevice& device, const QPageSize& paper, const ReportContent& content,
               const ReportOptions& options) {
    const QPageLayout layout(ReportPageSize(paper), QPageLayout::Portrait,
                             QMarginsF(kSideMarginMm, kTopMarginMm, kSideMarginMm, kBottomMarginMm),
                             QPageLayout::Millimeter);
    device.setPageLayout(layout);
    const int pages = Layout(device, nullptr, nullptr, 0, content, options).run();
    // The photographs in the order they are drawn, each decoded for its box at the photograph
    // resolution (or the device's, where that is lower).
    std::vector<QString> files;
    if (options.photos)
        for (const AreaSection& area : content.areas)
            for (const entries::EntryRecord& e : area.entries)
                if (!e.photo.isEmpty())
                    files.push_back(QFileInfo(e.photo).isRelative()
                                        ? QDir(options.programFolder).filePath(e.photo)
                                        : e.photo);
    const double dots = std::min<double>(kPhotoDpi, device.logicalDpiY()) / 25.4;
    PhotoQueue photos(std::move(files),
                      QSize(int(std::lround(kPhotoBoxWidthMm * dots)),
                            int(std::lround(kPhotoBoxHeightMm * dots))),
                      options.programFolder);
    QPainter painter;
    if (!painter.begin(&device)) Fail(QStringLiteral("The report could not be started."));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    try {
        Layout(device, &painter, &photos, pages, content, options).run();
    } catch (...) {
        // Half a report is not sent to a printer.
        if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->abort();
        painter.end();
        throw;
    }
    if (!painter.end()) Fail(QStringLiteral("The report could not be finished."));
    return pages;
}

int SaveReportPdf(const QString& fileName, const QPageSize& paper, const ReportContent& content,
                  const ReportOptions& options) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        Fail(QStringLiteral("The report could not be written to \"%1\": %2")
                 .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    int pages = 0;
    try {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfResolution);
        writer.setCreator(QStringLiteral("Quivera!"));
        writer.setTitle(QStringLiteral("Insurance Report - ") + InventoryLabel(content));
        pages = DrawReport(writer, paper, content, options);
    } catch (const Cancelled&) {
        file.cancelWriting();
        throw;
    } catch (const std::exception& e) {
        file.cancelWriting();
        Fail(QStringLiteral("The report could not be written to \"%1\": %2")
                 .arg(QDir::toNativeSeparators(fileName), QString::fromUtf8(e.what())));
    }
    if (!file.commit())
        Fail(QStringLiteral("The report could not be written to \"%1\": %2")
                 .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    return pages;
}

} // namespace report
