// Printing the inventory: the print dialog, and real print jobs written to PDF files whose text is
// read back with poppler's tools.
#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "inventory/inventory_page.h"
#include "inventory/print_dialog.h"
#include "store/stored_text.h"
#include "tests/support/pdf_text.h"
#include "tests/inventory/entries.h"
#include "tests/support/app_session.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace testing_support;

namespace {

struct PdfInfo {
    int pages = 0;
    bool landscape = false;
};
PdfInfo Info(const QString& file) {
    const QString text = RunTool("pdfinfo", {file});
    PdfInfo info;
    info.pages = QRegularExpression("Pages:\\s+(\\d+)").match(text).captured(1).toInt();
    const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+)").match(text);
    info.landscape = size.captured(1).toDouble() > size.captured(2).toDouble();
    return info;
}

struct Session : AppSession {
    inventory::InventoryPage& page() { return *ui::Win().frmMain->tabInventory; }
    TdlgQIVPrint& dialog() { return *ui::Win().dlgQIVPrint; }
    QString pdf = folder.file("report.pdf");

    // The next showing of the print dialog picks the PDF entry and `copies`, then confirms.
    void printToPdf(const QString& copies = "1") {
        modal.nextFileName(pdf);
        modal.onNextDialog([copies](QDialog& d) {
            auto* box = d.findChild<QComboBox*>("ComboBox1");
            box->setCurrentIndex(box->findText(inventory::PdfPrinterName()));
            d.findChild<QLineEdit*>("Edit1")->setText(copies);
            ClickButton(d, "Button1");
            return d.result();
        });
    }
    void noErrors() { EXPECT_TRUE(modal.messages.empty()) << modal.lastMessage().toStdString(); }
};

} // namespace

TEST(PrintDialog, CopiesBoxKeys) {
    using inventory::CopiesKeyRefused;
    for (char16_t c : {u'0', u'9', u' ', u'\b', u'\x7f', u'é'})
        EXPECT_FALSE(CopiesKeyRefused(c)) << int(c);
    for (char16_t c : {u'!', u'/', u',', u':', u'a', u'~'})
        EXPECT_TRUE(CopiesKeyRefused(c)) << int(c);

    Session s;
    QLineEdit* edit = s.dialog().Edit1;
    edit->clear();
    QTest::keyClicks(edit, "1a,2 3-");
    EXPECT_EQ(edit->text(), "12 3");
}

TEST(PrintDialog, CaptionsAreWholeAndClearOfTheirBoxes) {
    Session s;
    TdlgQIVPrint& d = s.dialog();
    for (auto [label, box] : {std::pair<QLabel*, QWidget*>{d.Label1, d.ComboBox1},
                              std::pair<QLabel*, QWidget*>{d.Label2, d.Edit1}}) {
        const auto name = label->text().toStdString();
        EXPECT_GE(label->width(), label->sizeHint().width()) << name;
        EXPECT_LT(label->geometry().right(), box->x()) << name;
        EXPECT_LE(box->geometry().right(), d.width() - 12) << name;
    }
    EXPECT_EQ(d.ComboBox1->x(), d.Edit1->x());
    EXPECT_GE(d.Edit1->x(), 120);
    EXPECT_LT(d.Button1->geometry().right(), d.Button2->x());
    EXPECT_EQ(d.Button2->geometry().right(), d.ComboBox1->geometry().right());
}

TEST(PrintDialog, ConfirmationNeedsACountAndAFile) {
    EXPECT_EQ(inventory::PdfFileName("/tmp/inv"), "/tmp/inv.pdf");
    EXPECT_EQ(inventory::PdfFileName("/tmp/inv.PDF"), "/tmp/inv.PDF");

    Session s;
    TdlgQIVPrint& d = s.dialog();
    QPrinter& printer = d.SystemPrinter();
    // Copies that are no number from 0 to 65535 keep the dialog open; so does backing out of the
    // file question; a good count with a file name confirms.
    s.modal.nextFileName("");
    s.modal.nextFileName(s.folder.file("out"));
    s.modal.onNextDialog([&](QDialog&) {
        EXPECT_EQ(d.Edit1->text(), "1");
        EXPECT_EQ(d.ComboBox1->itemText(d.ComboBox1->count() - 1), "PDF file");
        d.ComboBox1->setCurrentIndex(d.ComboBox1->count() - 1);
        for (const char* bad : {"65536", "-1", "", "1,0"}) {
            d.Edit1->setText(bad);
            d.Button1->click();
            EXPECT_NE(d.result(), QDialog::Accepted) << bad;
        }
        d.Edit1->setText(" 1,200 ");
        d.Button1->click(); // the file question is answered with nothing
        EXPECT_NE(d.result(), QDialog::Accepted);
        d.Button1->click();
        return d.result();
    });
    d.Copies = 7;
    EXPECT_TRUE(d.Execute(printer));
    EXPECT_EQ(d.Copies, 1200);
    EXPECT_FALSE(app::State().DialogCancelled);
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), s.folder.file("out.pdf"));

    // Cancel, and a dialog closed without a button, are both refusals; the next showing starts
    // again from one copy.
    s.modal.onNextDialog([&](QDialog&) {
        EXPECT_EQ(d.Edit1->text(), "1");
        EXPECT_EQ(d.ComboBox1->currentText(), "PDF file"); // the printer chosen last time
        d.Edit1->setText("5");
        d.Button2->click();
        return d.result();
    });
    EXPECT_FALSE(d.Execute(printer));
    EXPECT_TRUE(app::State().DialogCancelled);
    EXPECT_FALSE(d.Execute(printer)); // the scripted seam closes it unanswered
    EXPECT_EQ(d.Copies, 1200);
}

TEST(InventoryPrint, SmallInventoryToPdf) {
    Session s;
    app::State().Stamp = {30, 0, 5, 3, 2004, 5}; // Friday, 5 March 2004, 00:30
    AddEntry(1, "Kitchen", "Cookware", "Frying Pan", 2, "45.5", store::NotesToText({"Cast iron"}));
    AddEntry(2, "Tools", "Power Tools", "Drill", 1, "1241",
             store::NotesToText({"Cordless", QString("word ").repeated(12).trimmed(), "Shed"}));
    AddEntry(3, "Art", "Clocks", "Wall clock", 1, "10");
    s.page().btnInventoryItem->click(); // the printout follows the listing's order
    app::State().InventoryModified = false;
    s.printToPdf();
    s.page().btnPrint->click();
    s.noErrors();
    EXPECT_EQ(s.modal.dialogsShown, QStringList{"dlgQIVPrint"});
    const PdfInfo info = Info(s.pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_TRUE(info.landscape);
    const QString nineWords = QString("word ").repeated(9).trimmed();
    EXPECT_EQ(
        PdfLines(s.pdf),
        (QStringList{"Page 1", "Inventory at 12:30 AM on Friday, March 5, 2004 Quivera!\u2122",
                     "ID Inventory Category Item # Value Notes:",
                     "2 Tools Power Tools Drill 1 $1241.00 Cordless", nineWords, "word word word",
                     "Shed", "1 Kitchen Cookware Frying Pan 2 $45.50 Cast iron",
                     "3 Art Clocks Wall clock 1 $10.00", "Total Value: $1296.5"}));

    // With unsaved changes the title takes the current time instead of the change stamp.
    app::State().InventoryModified = true;
    s.printToPdf();
    s.page().btnPrint->click();
    const QString today = QDate::currentDate().toString("MMMM d, yyyy");
    EXPECT_TRUE(PdfLines(s.pdf).value(1).contains(today));
}

TEST(InventoryPrint, PagesAndCopiesInTheJob) {
    Session s;
    // 44 entries make a report of 48 lines: one line more than the first page holds.
    for (int id = 1; id <= 44; ++id)
        AddEntry(id, "Art", "Clocks", "Clock " + QString::number(id), 1, "1");
    s.printToPdf();
    s.page().btnPrint->click();
    s.noErrors();
    ASSERT_EQ(Info(s.pdf).pages, 2);
    EXPECT_EQ(PdfLines(s.pdf, 1).size(), 47); // 48 lines but the empty one under the title
    EXPECT_EQ(PdfLines(s.pdf, 1).last(), "44 Art Clocks Clock 44 1 $1.00");
    EXPECT_EQ(PdfLines(s.pdf, 2), (QStringList{"Page 2", "Total Value: $44"}));

    s.printToPdf("2");
    s.page().btnPrint->click();
    ASSERT_EQ(Info(s.pdf).pages, 4);
    EXPECT_EQ(PdfLines(s.pdf, 3), PdfLines(s.pdf, 1));
    EXPECT_EQ(PdfLines(s.pdf, 4).value(0), "Page 2");

    // No copies: the job runs without drawing anything.
    s.printToPdf("0");
    s.page().btnPrint->click();
    s.noErrors();
    EXPECT_TRUE(QFile::exists(s.pdf));
    EXPECT_TRUE(PdfLines(s.pdf).isEmpty());
}

TEST(InventoryPrint, NothingToPrintOrNowhereToPrint) {
    Session s;
    s.main().PrintInventory1->trigger();
    s.page().btnPrint->click();
    EXPECT_TRUE(s.modal.dialogsShown.isEmpty());

    AddEntry(1, "Art", "Clocks", "Clock", 1, "1");
    s.pdf = s.folder.file("missing/report.pdf");
    s.printToPdf();
    s.page().btnPrint->click();
    ASSERT_EQ(s.modal.messages.size(), 1u);
    EXPECT_EQ(s.modal.messages[0].caption, "Error");
    EXPECT_TRUE(s.modal.lastMessage().contains("missing/report.pdf"));
    EXPECT_FALSE(QFile::exists(s.pdf));
}

TEST(InventoryPrint, OtherTextsPrintThroughTheSameDialog) {
    Session s;
    QStringList text;
    for (int i = 1; i <= 52; ++i)
        text << "Help line " + QString::number(i);
    s.printToPdf("2");
    s.dialog().PrintText(text, 51, {"Arial", 12, QPageLayout::Portrait});
    s.noErrors();
    const PdfInfo info = Info(s.pdf);
    EXPECT_EQ(info.pages, 4);
    EXPECT_FALSE(info.landscape);
    EXPECT_EQ(PdfLines(s.pdf, 2), (QStringList{"Page 2", "Help line 52"}));
    EXPECT_EQ(PdfLines(s.pdf, 3).value(0), "Page 1");

    // Refused in the dialog: nothing is written.
    QFile::remove(s.pdf);
    s.dialog().PrintText(text, 51, {"Arial", 12, QPageLayout::Portrait});
    EXPECT_FALSE(QFile::exists(s.pdf));
}

TEST(InventoryPrint, AFailedPdfKeepsTheOlderFileAndLeavesNoHalfFile) {
    Session s;
    for (int id = 1; id <= 400; ++id)
        AddEntry(id, "Art", "Clocks", "Clock " + QString::number(id), 1, "1");
    const auto others = [&] {
        return QDir(s.folder.path()).entryList({"report.pdf*"}, QDir::Files);
    };
    {
        QFile old(s.pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the older report");
    }
    // A file size limit cuts the PDF short; Qt's writer reports no error for it.
    struct rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 8 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    s.printToPdf();
    s.page().btnPrint->click();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldSignal);
    ASSERT_EQ(s.modal.messages.size(), 1u);
    EXPECT_TRUE(s.modal.lastMessage().contains(s.pdf)) << s.modal.lastMessage().toStdString();
    {
        QFile old(s.pdf);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "the older report");
    }
    EXPECT_EQ(others(), QStringList{"report.pdf"});

    // Without the limit the next printout, in the same run, takes the name whole, with the usual
    // permissions.
    s.modal.messages.clear();
    s.printToPdf();
    s.page().btnPrint->click();
    s.noErrors();
    EXPECT_EQ(Info(s.pdf).pages, 9);
    EXPECT_EQ(others(), QStringList{"report.pdf"});
    const mode_t mask = umask(0);
    umask(mask);
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(s.pdf).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}
