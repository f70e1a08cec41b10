#pragma once

#include "report/report_content.h"

#include <QPageSize>
#include <QString>
#include <functional>
#include <stdexcept>

class QPagedPaintDevice;

namespace report {

struct ReportOptions {
    bool photos = true;
    QString programFolder; // a photograph's relative name is found here
    // Told before each entry is drawn, with the number drawn so far and the number in all;
    // returning false stops the report (DrawReport then throws Cancelled).
    std::function<bool(int done, int total)> progress;
};

// The report was stopped through its progress function; nothing of it is kept.
struct Cancelled : std::runtime_error {
    Cancelled() : std::runtime_error("The report was cancelled.") {}
};

// The box each photograph is fitted into, in millimetres.
inline constexpr double kPhotoBoxWidthMm = 60;
inline constexpr double kPhotoBoxHeightMm = 45;
// Pixels per inch a photograph is decoded and drawn at (fewer on a device of lower resolution),
// whatever the device's own resolution: fine enough for print, and a fraction of a camera
// picture's size. The box at this resolution is the size of a photograph's rendition
// (pictures/rendition_cache.h), so the report reads renditions without reducing them.
inline constexpr int kPhotoDpi = 200;

// The report's paper: Letter when the printer's paper is Letter or another North-American size,
// A4 otherwise. Always portrait.
QPageSize ReportPageSize(const QPageSize& printerPaper);
// The default printer's paper, or by the measurement system of the locale when there is none.
QPageSize DefaultReportPageSize();

// Lays the report out from the device's page metrics and draws it: the first page with the
// inventory's name, the date, the number of entries, the total and the areas' table; then every
// area with its entries and subtotal; "Page N of M" at the foot of every page. The device must not
// be painting yet; its page layout is set here. Photographs are decoded one at a time at the size
// drawn; a missing or unreadable one gets a framed "No photograph" box. Returns the number of
// pages. Throws std::runtime_error when the device cannot be drawn on.
int DrawReport(QPagedPaintDevice& device, const QPageSize& paper, const ReportContent& content,
               const ReportOptions& options);

// Writes the report into a PDF file, first beside it and then renamed over it, so an existing file
// is replaced only by a whole report. Returns the number of pages. Throws std::runtime_error
// naming the file.
int SaveReportPdf(const QString& fileName, const QPageSize& paper, const ReportContent& content,
                  const ReportOptions& options);

} // namespace report
