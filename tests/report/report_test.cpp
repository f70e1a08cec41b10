// The insurance report: what it holds, read back from the PDF with poppler's tools; where the
// photographs land on a rendered page; the dialog and the command line that make it.
#include "app/main_window.h"
#include "entries/tab_table.h"
#include "inventory/inventory_page.h"
#include "pictures/jpeg_decode.h"
#include "pictures/rendition_cache.h"
#include "report/photo_queue.h"
#include "report/report_content.h"
#include "report/report_dialog.h"
#include "report/report_layout.h"
#include "store/stored_text.h"
#include "tests/support/pdf_text.h"
#include "tests/pictures/photos.h"
#include "tests/support/app_session.h"
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct PdfImage {
    int page = 0;
    int width = 0;
    int height = 0;
};
// The images the PDF draws, from `pdfimages -list` (masks left out).
std::vector<PdfImage> Images(const QString& file) {
    std::vector<PdfImage> images;
    const QStringList rows = RunTool("pdfimages", {"-list", file}).split('\n');
    for (qsizetype i = 2; i < rows.size(); ++i) {
        const QStringList f = rows[i].simplified().split(' ');
        if (f.size() < 5 || f[2] != "image") continue;
        images.push_back({f[0].toInt(), f[3].toInt(), f[4].toInt()});
    }
    return images;
}

QString PageSize(const QString& file) {
    return QRegularExpression("Page size:\\s+([\\d.]+ x [\\d.]+)")
        .match(RunTool("pdfinfo", {file}))
        .captured(1);
}

int Pages(const QString& file) {
    return QRegularExpression("Pages:\\s+(\\d+)")
        .match(RunTool("pdfinfo", {file}))
        .captured(1)
        .toInt();
}

// One entry straight into the working table; texts in display form.
void AddEntry(int id, int area, const QString& item, int count, const QString& cost,
              const QString& value, const QString& notes, const QString& photo,
              const QString& category = QStringLiteral("Things")) {
    const auto text = [](const QString& t) {
        return QStringLiteral("'") + store::ToStoredText(t) + QStringLiteral("'");
    };
    const QString sub =
        QString::fromLatin1(entries::TabTable()[entries::PageOfSubInventory(area)].subInventory);
    app::State().ADOQuery2.execute(
        {QStringLiteral("INSERT INTO Inventory VALUES (%1, %2, %3, %4, 1, %5, 1, %6, %7, %8, %9, "
                        "%10)")
             .arg(id)
             .arg(text(sub))
             .arg(area)
             .arg(text(category), text(item))
             .arg(count)
             .arg(cost, value, text(notes), text(photo))});
    if (id > app::State().IDCounter) app::State().IDCounter = id;
}

const QString kBrandLine =
    QStringLiteral("~Brand: Acme  Serial Number: SN-1  Purchase Date: 3/5/2004~");

// Five entries in four areas: a photograph upright, one turned by its EXIF block, one missing,
// one damaged, and an entry without one. Values with four decimals make the listings' cut
// amounts add up to a cent less than the true total.
struct Inventory {
    QString red, rotated;
    explicit Inventory(const QString& folder) {
        red = photos::Make(folder + "red.jpg", 800, 600);
        QFile plain(photos::Make(folder + "plain.jpg", 400, 200, qRgb(30, 30, 200)));
        plain.open(QIODevice::ReadOnly);
        rotated = folder + "rotated.jpg";
        QFile out(rotated);
        out.open(QIODevice::WriteOnly);
        out.write(photos::WithOrientation(plain.readAll(), 6));
        out.close();
        QFile damaged(folder + "damaged.jpg");
        damaged.open(QIODevice::WriteOnly);
        damaged.write(QByteArray(5000, 'x'));
        damaged.close();

        AddEntry(1, 1, "Frying Pan", 2, "22.75", "45.5",
                 kBrandLine + "`" + store::NotesToText({"Cast iron", "Wedding gift"}), red,
                 "Cookware");
        AddEntry(2, 17, "Drill", 1, "1241", "1241", "Cordless", folder + "missing.jpg",
                 "Power Tools");
        AddEntry(3, 2, "Wall clock", 3, "3.4444", "10.3333", "", folder + "damaged.jpg", "Clocks");
        AddEntry(4, 1, "Knife set", 1, "0.0067", "0.0067", "", "rotated.jpg", "Cutlery");
        AddEntry(5, 5, "Radio", 1, "5", "5", "", "", "Audio");
    }
};

struct Session : AppSession {
    TdlgInsuranceReport& dialog() { return *report::ReportDialog(ui::Win().frmMain); }
    // The next showing of the dialog picks the inventory at `index`, photographs or not, and a
    // PDF file, then confirms.
    void reportToPdf(const QString& file, bool photographs = true, int index = 0) {
        modal.nextFileName(file);
        modal.onNextDialog([=](QDialog& d) {
            auto& r = static_cast<TdlgInsuranceReport&>(d);
            r.comInventory->setCurrentIndex(index);
            r.chkPhotos->setChecked(photographs);
            r.radPdf->setChecked(true);
            ClickButton(d, "btnOk");
            return d.result();
        });
        ui::Win().frmMain->findChild<QAction*>("InsuranceReport1")->trigger();
    }
    QString inventoryTabTotal() {
        inventory::InventoryPage& page = *ui::Win().frmMain->tabInventory;
        page.tabEnter();
        return page.lstInventory->lines().last().simplified();
    }
};

} // namespace

TEST(ReportContent, AreasInTabOrderWithExactSums) {
    std::vector<entries::EntryRecord> records(4);
    records[0] = {1, "Kitchen", 1, "Cookware", 0, "Pan", 0, 1, {}, {455000}, {}, {}};
    records[1] = {2, "Art", 2, "Clocks", 0, "Clock", 0, 1, {}, {103333}, {}, {}};
    records[2] = {3, "Shed", 40, "Garden", 0, "Rake", 0, 1, {}, {67}, {}, {}};
    records[3] = {4, "Kitchen", 1, "Cutlery", 0, "Knives", 0, 1, {}, {67}, {}, {}};
    const report::ReportContent c = report::GroupByArea(records, "Home", QDate(2004, 3, 5));
    ASSERT_EQ(c.areas.size(), 3u);
    EXPECT_EQ(c.areas[0].caption, "Art/Decoration");
    EXPECT_EQ(c.areas[1].caption, "Kitchen/Dining");
    EXPECT_EQ(c.areas[1].entries.size(), 2u);
    EXPECT_EQ(c.areas[1].entries[1].item, "Knives");
    EXPECT_EQ(c.areas[2].caption, "Shed"); // no such tab: its stored name, after the others
    EXPECT_EQ(report::MoneyText(c.areas[1].subtotal), "$45.50");
    EXPECT_EQ(report::MoneyText(c.total), "$55.84"); // the cut amounts add up to $55.83
    EXPECT_EQ(c.entryCount, 4);
    EXPECT_EQ(report::MoneyText({123456}), "$12.34");
    EXPECT_EQ(report::MoneyText({12000000000}), "$1200000.00");
    EXPECT_EQ(report::DateText(c.date), "March 5, 2004");
    EXPECT_EQ(report::InventoryLabel(c), "Inventory: Home");
}

TEST(ReportPhotographs, DecodedAtTheSmallestScaleThatCoversTheBox) {
    QTemporaryDir dir;
    const QString big = photos::Make(dir.filePath("big.jpg"), 1600, 1200);
    pictures::Decoded d = pictures::DecodeJpegToFit(big, 472, 354);
    ASSERT_FALSE(d.image.isNull()) << d.error.toStdString();
    EXPECT_EQ(d.image.size(), QSize(472, 354));
    EXPECT_EQ(d.decodedSize, QSize(600, 450)); // 3/8: 2/8 would be 400 wide, too small
    // A box no wider than a sixth of the picture takes the decoder's smallest scale.
    d = pictures::DecodeJpegToFit(big, 100, 100);
    EXPECT_EQ(d.image.size(), QSize(100, 75));
    EXPECT_EQ(d.decodedSize, QSize(200, 150));

    // Turned by its EXIF block: 400 x 200 stored is 200 x 400 upright, its coloured left half on
    // top.
    QFile plain(photos::Make(dir.filePath("p.jpg"), 400, 200));
    plain.open(QIODevice::ReadOnly);
    d = pictures::DecodeJpegDataToFit(photos::WithOrientation(plain.readAll(), 6), 100, 100);
    ASSERT_EQ(d.image.size(), QSize(50, 100));
    EXPECT_GT(qRed(d.image.pixel(25, 10)), 150);
    EXPECT_LT(qGreen(d.image.pixel(25, 10)), 100);
    EXPECT_GT(qGreen(d.image.pixel(25, 90)), 200);

    // A photograph smaller than the box is not enlarged.
    d = pictures::DecodeJpegToFit(photos::Make(dir.filePath("s.jpg"), 80, 60), 472, 354);
    EXPECT_EQ(d.image.size(), QSize(80, 60));

    EXPECT_EQ(pictures::FitInto(400, 200, 60, 45), QSize(60, 30));
    EXPECT_EQ(pictures::FitInto(1, 1000, 60, 45), QSize(1, 45));
}

TEST(ReportPhotographs, QueueHandsThemOutInOrder) {
    QTemporaryDir dir;
    const QString wide = photos::Make(dir.filePath("w.jpg"), 400, 200);
    const QString tall = photos::Make(dir.filePath("t.jpg"), 200, 400);
    {
        report::PhotoQueue queue({wide, dir.filePath("gone.jpg"), tall}, QSize(100, 100));
        EXPECT_EQ(queue.take().size(), QSize(100, 50));
        EXPECT_TRUE(queue.take().isNull());
        EXPECT_EQ(queue.take().size(), QSize(50, 100));
        EXPECT_TRUE(queue.take().isNull()); // all taken
    }
    {
        // Several workers decode side by side; the pictures still come in the order given.
        std::vector<QString> files;
        for (int i = 0; i < 12; ++i)
            files.push_back(i % 3 == 0 ? wide : i % 3 == 1 ? tall : dir.filePath("gone.jpg"));
        report::PhotoQueue queue(files, QSize(100, 100));
        for (int i = 0; i < 12; ++i) {
            const QImage image = queue.take();
            if (i % 3 == 2)
                EXPECT_TRUE(image.isNull()) << i;
            else
                EXPECT_EQ(image.size(), i % 3 == 0 ? QSize(100, 50) : QSize(50, 100)) << i;
        }
    }
    // Left with pictures untaken (a report that failed halfway): it ends without waiting.
    report::PhotoQueue unfinished(std::vector<QString>(20, wide), QSize(100, 100));
    EXPECT_FALSE(unfinished.take().isNull());
}

TEST(ReportPdf, HoldsEveryEntryAndTheExactTotals) {
    Session s;
    Inventory inv(s.folder.path());
    const QString pdf = s.folder.file("report.pdf");
    s.reportToPdf(pdf);
    ASSERT_EQ(s.modal.messages.size(), 1u) << s.modal.lastMessage().toStdString();
    EXPECT_EQ(s.modal.messages[0].caption, "Insurance Report");
    EXPECT_TRUE(s.modal.lastMessage().contains(pdf));

    const QStringList first = PdfLines(pdf, 1);
    const int pages = Pages(pdf);
    EXPECT_GE(pages, 2);
    EXPECT_EQ(first.value(0), "Insurance Report");
    EXPECT_EQ(first.value(1), "Inventory");
    EXPECT_TRUE(first.contains("Date: " + report::DateText(QDate::currentDate())));
    EXPECT_TRUE(first.contains("Number of entries: 5"));
    EXPECT_TRUE(first.contains("Total value: $1301.84"));
    // The areas' table in tab order, each with its count and subtotal, then the grand total.
    const QStringList table = first.mid(first.indexOf("Area Entries Subtotal") + 1, 5);
    EXPECT_EQ(table, (QStringList{"Art/Decoration 1 $10.33", "Electronics 1 $5.00",
                                  "Kitchen/Dining 2 $45.50", "Tools 1 $1241.00",
                                  "Grand total 5 $1301.84"}));
    EXPECT_TRUE(first.last().endsWith(QString("Page 1 of %1").arg(pages)));

    // The grand total is the Inventory tab's, to the cent.
    const QString tabTotal = s.inventoryTabTotal();
    EXPECT_EQ(tabTotal, "Total Value: $1301.84");

    const QStringList all = PdfLines(pdf);
    const QString text = all.join('\n');
    for (const char* item : {"Frying Pan", "Drill", "Wall clock", "Knife set", "Radio"})
        EXPECT_TRUE(all.contains(item)) << item;
    for (const char* line :
         {"Category: Cookware", "Count: 2", "Cost each: $22.75", "Total value: $45.50",
          "Brand: Acme Serial Number: SN-1 Purchase Date: 3/5/2004", "Cast iron", "Wedding gift",
          "Cost each: $3.44", "Total value: $10.33", "Cost each: $0.00", "Entry number: 4",
          "Area: Kitchen/Dining", "Cordless"})
        EXPECT_TRUE(text.contains(line)) << line; // the photograph's box may share the line
    // Subtotals after their areas' entries, in tab order, and the grand total last.
    const QStringList subtotals{"Subtotal for Art/Decoration: $10.33",
                                "Subtotal for Electronics: $5.00",
                                "Subtotal for Kitchen/Dining: $45.50",
                                "Subtotal for Tools: $1241.00", "Grand total: $1301.84"};
    qsizetype at = all.indexOf("Wall clock");
    for (const QString& sub : subtotals) {
        const qsizetype next = all.indexOf(sub);
        EXPECT_GT(next, at) << sub.toStdString();
        at = next;
    }
    EXPECT_LT(all.indexOf("Frying Pan"), all.indexOf("Knife set"));
    // Missing, damaged and absent photographs each get the framed box instead.
    EXPECT_EQ(text.count("No photograph"), 3);
    for (int p = 1; p <= pages; ++p)
        EXPECT_TRUE(PdfLines(pdf, p).last().endsWith(QString("Page %1 of %2").arg(p).arg(pages)));

    // One image per readable photograph; the one turned by EXIF stands upright.
    const std::vector<PdfImage> images = Images(pdf);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_GT(images[0].width, images[0].height); // the frying pan's, 4 : 3
    EXPECT_LT(images[1].width, images[1].height); // the knife set's, turned
    // At the box's size at 200 dpi (472 x 354 pixels), not the printer's 600 dpi nor the photo's
    // 800. Both photographs are larger than that box, so each is read from a rendition made for it.
    EXPECT_EQ(images[0].width, 472);
    EXPECT_EQ(images[0].height, 354);
    EXPECT_EQ(QDir(pictures::RenditionFolder(s.folder.path())).entryList(QDir::Files).size(), 2);
}

TEST(ReportPdf, PhotographBoxBesideTheEntrysLines) {
    Session s;
    Inventory inv(s.folder.path());
    const QString pdf = s.folder.file("report.pdf");
    s.reportToPdf(pdf);
    QTemporaryDir dir;
    RunTool("pdftoppm", {"-r", "50", "-f", "2", "-l", "2", "-png", pdf, dir.filePath("page")});
    const QStringList pngs = QDir(dir.path()).entryList({"*.png"});
    ASSERT_EQ(pngs.size(), 1);
    const QImage page(dir.filePath(pngs[0]));
    ASSERT_FALSE(page.isNull());
    const double px = 50 / 25.4; // pixels per millimetre
    // The red half of the frying pan's photograph: inside the photograph column.
    QRect red;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            if (qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90) red |= QRect(x, y, 1, 1);
        }
    ASSERT_TRUE(red.isValid());
    EXPECT_GE(red.left(), int(17 * px));
    EXPECT_LE(red.right(), int(79 * px));
    EXPECT_GT(red.height(), int(30 * px)); // 45 mm high box, the photo 4 : 3 in it
    // Dark text in the column right of the box, level with the photograph.
    int dark = 0;
    for (int y = red.top(); y <= red.bottom(); ++y)
        for (int x = int(82 * px); x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 100) ++dark;
    EXPECT_GT(dark, 50);
    // Nothing dark between the box and the text column.
    for (int y = red.top(); y <= red.bottom(); ++y)
        for (int x = int(79.5 * px); x < int(82 * px); ++x)
            EXPECT_GT(qGray(page.pixel(x, y)), 100) << x << "," << y;
}

TEST(ReportPdf, WithoutPhotographsSavedInventoryAndLongNotes) {
    Session s;
    Inventory inv(s.folder.path());
    // A saved copy, then notes longer than a page in the working inventory.
    auto& q = app::State().ADOQuery2;
    q.execute({"SELECT * INTO [Shed] FROM Inventory"});
    q.execute({"INSERT INTO Master_Table VALUES ('Shed')"});
    const QString words = QString("lorem ipsum dolor ").repeated(2800) + "THE-END";
    AddEntry(6, 12, "Letters", 1, "1", "1", words, "");

    const QString pdf = s.folder.file("plain.pdf");
    s.reportToPdf(pdf, false);
    EXPECT_TRUE(Images(pdf).empty());
    const QString text = PdfLines(pdf).join('\n');
    EXPECT_FALSE(text.contains("No photograph"));
    EXPECT_TRUE(text.contains("THE-END"));
    EXPECT_TRUE(text.contains("Grand total: $1302.84"));
    EXPECT_GE(Pages(pdf), 4); // 50,000 characters of notes run over several pages

    // The saved inventory is reported as saved, not as the working one now stands.
    const QString saved = s.folder.file("saved.pdf");
    s.reportToPdf(saved, true, 1);
    const QStringList lines = PdfLines(saved);
    EXPECT_EQ(lines.value(1), "Inventory: Shed");
    EXPECT_TRUE(lines.contains("Number of entries: 5"));
    EXPECT_FALSE(lines.contains("Letters"));
    EXPECT_EQ(Images(saved).size(), 2u);
}

TEST(ReportPdf, PaperFollowsThePrinter) {
    EXPECT_EQ(report::ReportPageSize(QPageSize(QPageSize::Letter)).id(), QPageSize::Letter);
    EXPECT_EQ(report::ReportPageSize(QPageSize(QPageSize::Legal)).id(), QPageSize::Letter);
    EXPECT_EQ(report::ReportPageSize(QPageSize(QPageSize::A4)).id(), QPageSize::A4);
    EXPECT_EQ(report::ReportPageSize(QPageSize(QPageSize::A5)).id(), QPageSize::A4);

    EnsureApplication();
    QTemporaryDir dir;
    const report::ReportContent content = report::GroupByArea(
        {{1, "Kitchen", 1, "Cookware", 0, "Pan", 0, 1, {10000}, {10000}, {}, {}}}, {},
        QDate::currentDate());
    for (auto [paper, size] : {std::pair{QPageSize::Letter, QString("612 x 792")},
                               std::pair{QPageSize::A4, QString("595 x 842")}}) {
        const QString file = dir.filePath("r.pdf");
        EXPECT_EQ(report::SaveReportPdf(file, QPageSize(paper), content, {}), 2);
        EXPECT_EQ(PageSize(file), size);
        EXPECT_TRUE(PdfLines(file, 2).contains("Pan"));
    }
    // A file that cannot be written is named in the error, and nothing is left behind.
    try {
        report::SaveReportPdf(dir.filePath("no/such/r.pdf"), QPageSize(QPageSize::A4), content, {});
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_TRUE(QString(e.what()).contains(dir.filePath("no/such/r.pdf"))) << e.what();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"r.pdf"});

    // Stopped through its progress: the earlier file stays as it was, nothing else is left.
    const QByteArray before = [&] {
        QFile f(dir.filePath("r.pdf"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const report::ReportContent three = report::GroupByArea(
        {{1, "Kitchen", 1, "Cookware", 0, "Pan", 0, 1, {10000}, {10000}, {}, {}},
         {2, "Kitchen", 1, "Cookware", 0, "Pot", 0, 1, {10000}, {10000}, {}, {}},
         {3, "Tools", 17, "Saws", 0, "Saw", 0, 1, {10000}, {10000}, {}, {}}},
        {}, QDate::currentDate());
    std::vector<int> told;
    report::ReportOptions stopping;
    stopping.progress = [&](int done, int total) {
        EXPECT_EQ(total, 3);
        told.push_back(done);
        return done < 2;
    };
    EXPECT_THROW(
        report::SaveReportPdf(dir.filePath("r.pdf"), QPageSize(QPageSize::A4), three, stopping),
        report::Cancelled);
    EXPECT_EQ(told, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"r.pdf"});
    QFile after(dir.filePath("r.pdf"));
    after.open(QIODevice::ReadOnly);
    EXPECT_EQ(after.readAll(), before);
}

namespace {
using Job = testing_support::ChildRun;
Job RunJob(const QString& programFolder, const QStringList& arguments) {
    return testing_support::RunProgramJob(QStringLiteral(QUIVERA_EXECUTABLE), programFolder,
                                          arguments);
}
} // namespace

TEST(ReportCommandLine, WritesTheReportWithoutAWindow) {
    Session s;
    Inventory inv(s.folder.path());
    auto& q = app::State().ADOQuery2;
    q.execute({"SELECT * INTO [Shed] FROM Inventory"});
    q.execute({"INSERT INTO Master_Table VALUES ('Shed')"});
    q.execute({"DELETE FROM Inventory WHERE ID_Number = 2"});
    const QString out = s.folder.file("cli.pdf");

    Job job = RunJob(s.folder.path(), {"--report-pdf", out});
    ASSERT_EQ(job.status, 0) << job.errors.toStdString();
    EXPECT_TRUE(PdfLines(out).contains("Grand total: $60.84"));
    EXPECT_EQ(Images(out).size(), 2u); // relative photograph names are found in the folder

    job = RunJob(s.folder.path(), {"--report-pdf", out, "--inventory", "shed", "--no-photos"});
    ASSERT_EQ(job.status, 0) << job.errors.toStdString();
    EXPECT_TRUE(job.errors.contains("Inventory: Shed: 5 entries"));
    EXPECT_TRUE(PdfLines(out).contains("Grand total: $1301.84"));
    EXPECT_TRUE(Images(out).empty());

    // Failures: a message and a non-zero status, and the earlier report stays as it was.
    QFile before(out);
    before.open(QIODevice::ReadOnly);
    const QByteArray bytes = before.readAll();
    before.close();
    job = RunJob(s.folder.path(), {"--report-pdf", out, "--inventory", "Garage"});
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains("There is no saved inventory named \"Garage\"."))
        << job.errors.toStdString();
    QFile after(out);
    after.open(QIODevice::ReadOnly);
    EXPECT_EQ(after.readAll(), bytes);
    job = RunJob(s.folder.path(), {"--report-pdf", s.folder.file("no/such/folder/r.pdf")});
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains(s.folder.file("no/such/folder/r.pdf")))
        << job.errors.toStdString();
    for (const QStringList& bad :
         {QStringList{"--report-pdf"}, QStringList{"--report-pdf", out, "--inventory"},
          QStringList{"--report-pdf", out, "--colour"}}) {
        job = RunJob(s.folder.path(), bad);
        EXPECT_EQ(job.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(job.errors.contains("usage: quivera --report-pdf"));
    }
    // An empty program folder is set up from the shipped files first, as on a first start.
    QTemporaryDir empty;
    job = RunJob(empty.path(), {"--report-pdf", out});
    EXPECT_EQ(job.status, 0) << job.errors.toStdString();
    EXPECT_TRUE(QFile::exists(empty.filePath("QIVUser.mdb")));
    EXPECT_TRUE(job.errors.contains("0 entries")) << job.errors.toStdString();
}

TEST(ReportDialog, CancelAndBackingOutMakeNothing) {
    Session s;
    Inventory inv(s.folder.path());
    TdlgInsuranceReport& d = s.dialog();
    const QString pdf = s.folder.file("none.pdf");
    s.modal.nextFileName(""); // the file question answered with nothing: back in the dialog
    s.modal.onNextDialog([&](QDialog&) {
        EXPECT_TRUE(d.chkPhotos->isChecked());
        EXPECT_EQ(d.comInventory->itemText(0), "Working inventory");
        d.radPdf->setChecked(true);
        d.btnOk->click();
        EXPECT_NE(d.result(), QDialog::Accepted);
        d.btnCancel->click();
        return d.result();
    });
    ui::Win().frmMain->findChild<QAction*>("InsuranceReport1")->trigger();
    EXPECT_TRUE(s.modal.messages.empty());
    EXPECT_EQ(QDir(s.folder.path()).entryList({"*.pdf"}), QStringList{});
    // The File menu item stands right after the printout's.
    const QList<QAction*> file = ui::Win().frmMain->File1->actions();
    const qsizetype print = file.indexOf(ui::Win().frmMain->PrintInventory1);
    EXPECT_EQ(file.value(print + 1)->objectName(), "InsuranceReport1");
    EXPECT_EQ(file.value(print + 1)->text(), "Insurance &Report ...");
}
