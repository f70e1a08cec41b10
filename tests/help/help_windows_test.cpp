// The help window, the about box and the index window in a whole program run, headless.
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "help/about_window.h"
#include "help/help_dialog.h"
#include "help/help_menu.h"
#include "help/index_window.h"
#include "inventory/print_dialog.h"
#include "tabs/sub_inventory_tab.h"
#include "tests/support/app_session.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Session : AppSession {
    TdlgHelp& help() { return *ui::Win().dlgHelp; }
    TfrmIndex& index() { return *ui::Win().frmIndex; }
    help::HelpTopic topic(int n) { return help::ReadHelpTopic(app::State().ADOQuery1, n); }
    void connectMenu() {
        TfrmMain& m = main();
        help::ConnectHelpMenu(&m,
                              {m.ThisTab1, m.Tutorial1, m.HelponInventoryTab1,
                               m.HelponInventoryPicturesTab1, m.HelponOtherTabs1,
                               m.SuggestionsonusingQuiveratm1},
                              m.Index1, m.About1);
    }
    int lineOf(const QString& item, const QString& category) {
        const auto& e = index().entries();
        for (size_t i = 0; i < e.size(); ++i)
            if (e[i].item == item && e[i].category == category) return static_cast<int>(i);
        return -1;
    }
    tabs::SubInventoryTab* currentTab() {
        return qobject_cast<tabs::SubInventoryTab*>(main().tabMain->currentWidget());
    }
    static QString selected(QListWidget* list) {
        const auto s = list->selectedItems();
        return s.isEmpty() ? QString() : s.first()->text();
    }
};

} // namespace

TEST(HelpWindow, MenuTopicsLoadInOneWindowAtTheMainWindowCornerAndReloadOnActivation) {
    Session s;
    s.connectMenu();
    s.connectMenu(); // connecting twice must not double the handlers
    s.main().move(40, 30);
    s.main().ThisTab1->trigger();
    const auto started = s.topic(-1);
    ASSERT_FALSE(started.text.isEmpty());
    EXPECT_EQ(s.help().windowTitle(), started.caption);
    EXPECT_EQ(s.help().rchHelpText->toPlainText(), started.text);
    EXPECT_TRUE(s.help().isVisible());
    EXPECT_FALSE(s.help().isModal());
    EXPECT_EQ(s.help().pos(), s.main().pos() + QPoint(8, 8));

    // "Menus" replaces text and caption in the same window, moved back to the corner.
    s.help().move(300, 200);
    s.main().Tutorial1->trigger();
    const auto menus = s.topic(0);
    EXPECT_NE(menus.caption, started.caption);
    EXPECT_EQ(s.help().windowTitle(), menus.caption);
    EXPECT_EQ(s.help().pos(), s.main().pos() + QPoint(8, 8));
    s.main().SuggestionsonusingQuiveratm1->trigger();
    EXPECT_EQ(s.help().windowTitle(), s.topic(4).caption);

    s.help().rchHelpText->setPlainText(QStringLiteral("scrolled away"));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&s.help(), &activate);
    EXPECT_EQ(s.help().rchHelpText->toPlainText(), s.topic(4).text);

    s.main().Index1->trigger();
    s.main().About1->trigger();
    EXPECT_EQ(s.modal.dialogsShown, (QStringList{"frmIndex", "frmAbout"}));
    EXPECT_TRUE(s.modal.messages.empty()) << s.modal.lastMessage().toStdString();
}

TEST(HelpWindow, LicenceFromTheAboutBoxStaysUntilATopicIsChosenAndPrintKeepsTheTopic) {
    Session s;
    help::ShowHelpTopic(1, &s.main());
    const QPoint where(333, 222);
    s.help().move(where);
    QFile eula(s.folder.file(QStringLiteral("Eula.txt")));
    ASSERT_TRUE(eula.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString licence = QString::fromUtf8(eula.readAll());
    ASSERT_FALSE(licence.isEmpty());

    s.modal.onNextDialog([&](QDialog& d) {
        auto& about = static_cast<TfrmAbout&>(d);
        EXPECT_EQ(about.lblVersion->text(), QStringLiteral("v. 1.10"));
        QTest::mouseClick(about.lblEula, Qt::LeftButton);
        EXPECT_EQ(s.help().windowTitle(), QStringLiteral("End User License Agreement"));
        EXPECT_EQ(s.help().rchHelpText->toPlainText(), licence);
        EXPECT_EQ(s.help().pos(), where) << "the licence is shown where the window was";
        // Up for real, the about box leaves the licence window usable: a click that goes
        // through the window system reaches its OK button.
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&s.help()));
        QPushButton* ok = s.help().findChild<QPushButton*>(QStringLiteral("Button1"));
        QTest::mouseClick(s.help().windowHandle(), Qt::LeftButton, {},
                          ok->mapTo(&s.help(), ok->rect().center()));
        EXPECT_FALSE(s.help().isVisible());
        d.hide();
        ClickButton(d, QStringLiteral("Button1"));
        return d.result();
    });
    help::ShowAbout(&s.main());
    EXPECT_EQ(s.modal.dialogsShown, (QStringList{"frmAbout"}));
    s.help().show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&s.help(), &activate);
    EXPECT_EQ(s.help().windowTitle(), QStringLiteral("End User License Agreement"));

    // Print hands the chosen topic, broken as the screen font breaks it, to the print dialog:
    // printed into a PDF, it comes out in pages of 51 lines under their page line.
    const QStringList printed = help::HelpPrintLines(s.topic(1).text);
    ASSERT_GT(printed.size(), 10);
    const QString pdf = s.folder.file(QStringLiteral("help.pdf"));
    s.modal.nextFileName(pdf);
    s.modal.onNextDialog([](QDialog& d) {
        auto* box = d.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        box->setCurrentIndex(box->findText(inventory::PdfPrinterName()));
        ClickButton(d, QStringLiteral("Button1"));
        return d.result();
    });
    ClickButton(s.help(), QStringLiteral("Button2"));
    EXPECT_EQ(s.modal.dialogsShown.last(), QStringLiteral("dlgQIVPrint"));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(text.readAllStandardOutput()).split('\n'))
        if (!line.simplified().remove('\f').isEmpty()) lines << line.simplified().remove('\f');
    const qsizetype pages = (printed.size() + 50) / 51;
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^Page \\d+$"))).size(), pages);
    ASSERT_GT(lines.size(), 1);
    EXPECT_EQ(lines[1], printed.first().simplified());

    help::ShowHelpTopic(2, &s.main());
    EXPECT_EQ(s.help().windowTitle(), s.topic(2).caption);

    // Without the licence file the window says so instead of staying empty.
    QFile::remove(s.folder.file(QStringLiteral("Eula.txt")));
    s.help().LicenceMode = true;
    s.help().FormActivate();
    EXPECT_TRUE(s.help().rchHelpText->toPlainText().contains(QStringLiteral("Eula.txt")));
    ClickButton(s.help(), QStringLiteral("Button1"));
    EXPECT_FALSE(s.help().isVisible());
}

TEST(HelpWindow, AnUnreadableTopicIsReportedOnceNotOnEveryActivation) {
    Session s;
    help::ShowHelpTopic(2, &s.main());
    app::State().ADOQuery1.execute({QStringLiteral("DROP TABLE Help_Text")});
    QEvent activate(QEvent::WindowActivate);
    for (int i = 0; i < 3; ++i) // closing each error box would activate the window again
        QApplication::sendEvent(&s.help(), &activate);
    ASSERT_EQ(s.modal.messages.size(), 1u);
    EXPECT_EQ(s.modal.messages[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(s.modal.messages[0].text.contains(QStringLiteral("Help_Text")))
        << s.modal.lastMessage().toStdString();
}

TEST(IndexWindow, GoToCategoryLineSelectsTheCategoryAndClosesTheIndex) {
    Session s;
    s.connectMenu();
    const int row = s.lineOf(QString(), QStringLiteral("Clocks"));
    ASSERT_GE(row, 0);
    s.main().move(50, 60);
    int result = -1;
    s.modal.onNextDialog([&](QDialog& d) {
        EXPECT_EQ(d.pos(), s.main().pos() + QPoint(8, 8));
        d.show();
        s.index().ListBox1->setCurrentRow(row);
        ClickButton(d, QStringLiteral("Button2"));
        EXPECT_FALSE(d.isVisible());
        return result = d.result();
    });
    s.main().Index1->trigger();
    EXPECT_EQ(result, QDialog::Accepted);
    tabs::SubInventoryTab* tab = s.currentTab();
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->info().keyText(), QStringLiteral("Art"));
    EXPECT_EQ(Session::selected(tab->lst1), QStringLiteral("Clocks"));
    EXPECT_GT(tab->lst2->count(), 0) << "the category's items are listed";
    EXPECT_TRUE(tab->lst2->selectedItems().isEmpty());
    EXPECT_TRUE(s.modal.messages.empty()) << s.modal.lastMessage().toStdString();
}

TEST(IndexWindow, GoToItemWithApostropheSelectsItAndOffersItsPrices) {
    Session s;
    const int row = s.lineOf(QStringLiteral("Ship's clock"), QStringLiteral("Clocks"));
    ASSERT_GE(row, 0) << "the apostrophe is shown as such";
    EXPECT_TRUE(s.index().ListBox1->line(row).startsWith(QStringLiteral("Ship's clock ")));
    s.index().show();
    s.index().ListBox1->setCurrentRow(row);
    Q_EMIT s.index().ListBox1->doubleClicked(s.index().ListBox1->currentIndex());
    EXPECT_FALSE(s.index().isVisible());
    tabs::SubInventoryTab* tab = s.currentTab();
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(Session::selected(tab->lst1), QStringLiteral("Clocks"));
    EXPECT_EQ(Session::selected(tab->lst2), QStringLiteral("Ship's clock"));
    EXPECT_EQ(tab->comCost->count(), 3) << "its price points are offered";
}

TEST(IndexWindow, LookUpNoSelectionUnfollowableLineAndExit) {
    Session s;
    TfrmIndex& idx = s.index();
    idx.show();
    idx.Edit1->setText(QStringLiteral("LA"));
    const int row = idx.ListBox1->currentRow();
    EXPECT_TRUE(
        idx.ListBox1->line(row).startsWith(QStringLiteral("La"), Qt::CaseInsensitive) ||
        idx.ListBox1->line(row).mid(37, 2).compare(QStringLiteral("la"), Qt::CaseInsensitive) == 0);
    idx.Edit1->setText(QString(40, QLatin1Char('w')));
    EXPECT_EQ(idx.Edit1->text(), QString(36, QLatin1Char('w')));

    idx.ListBox1->setCurrentRow(-1);
    ClickButton(idx, QStringLiteral("Button2"));
    ASSERT_EQ(s.modal.messages.size(), 1u);
    EXPECT_EQ(s.modal.lastMessage(), QStringLiteral("Please select an item from the list."));
    EXPECT_TRUE(s.modal.messages.back().caption.isEmpty());
    EXPECT_TRUE(idx.isVisible());

    // A line whose category the tab no longer lists switches the tab and stays open.
    tabs::SubInventoryTab* art = tabs::TabOfSubInventory(entries::TabTable()[0].number);
    delete art->lst1->findItems(QStringLiteral("Clocks"), Qt::MatchExactly).value(0);
    idx.ListBox1->setCurrentRow(s.lineOf(QStringLiteral("Ship's clock"), QStringLiteral("Clocks")));
    ClickButton(idx, QStringLiteral("Button2"));
    EXPECT_EQ(s.currentTab(), art);
    EXPECT_TRUE(idx.isVisible());
    EXPECT_EQ(s.modal.messages.size(), 1u);

    ClickButton(idx, QStringLiteral("Button1"));
    EXPECT_FALSE(idx.isVisible());
    EXPECT_TRUE(idx.Edit1->text().isEmpty());
    EXPECT_EQ(idx.ListBox1->currentRow(), -1);
}
