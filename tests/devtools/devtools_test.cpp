// The catalogue writer and the index walk, in a whole program run, headless.
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "devtools/db_writer_window.h"
#include "devtools/devtools_menu.h"
#include "help/index_window.h"
#include "store/stored_text.h"
#include "tabs/sub_inventory_tab.h"
#include "tests/support/app_session.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Session : AppSession {
    TQIVDBWriter& writer() { return *ui::Win().QIVDBWriter; }
    qint64 value(const QString& sql) {
        auto& q = app::State().ADOQuery1;
        q.open({sql});
        const qint64 v = q.integer(0);
        q.close();
        return v;
    }
    qint64 rows(const QString& table) {
        return value(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    }
    QString file(const QByteArray& content) {
        const QString path = folder.file(QStringLiteral("records.txt"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
        return path;
    }
    // Loads through the window as the menu item would show it.
    void load(const QString& path, const QString& key) {
        TfrmMain& m = main();
        devtools::ConnectDevToolsMenu(&m, m.DBWriter1, m.TestIndex1);
        modal.onNextDialog([&](QDialog& d) {
            writer().Edit1->setText(path);
            writer().ComboBox1->setCurrentIndex(writer().ComboBox1->findText(key));
            ClickButton(d, QStringLiteral("Button1"));
            return 0;
        });
        m.DBWriter1->trigger();
    }
    struct Counts {
        qint64 main, items, data;
        bool operator==(const Counts&) const = default;
    };
    Counts counts(const QString& key) {
        return {rows(key + QStringLiteral("_Main")), rows(key + QStringLiteral("_Items")),
                rows(key + QStringLiteral("_Data"))};
    }
};

} // namespace

TEST(DBWriter, NewCategoryWithThreePricesThenTheSameLineAddsNothing) {
    Session s;
    EXPECT_EQ(s.writer().ComboBox1->count(), 17);
    EXPECT_EQ(s.writer().ComboBox1->itemText(6), QStringLiteral("Jewelry"));
    const auto before = s.counts(QStringLiteral("Tools"));
    const qint64 topCategory =
        s.value(QStringLiteral("SELECT MAX(Category_Number) FROM Tools_Main"));
    const qint64 topItem = s.value(QStringLiteral("SELECT MAX(Item_Number) FROM Tools_Items"));
    const QString path = s.file("  Pit's Gear~ Rope winch~ 15~ 25.50~ 40\n");

    s.load(path, QStringLiteral("Tools"));
    const QString cat = store::ToStoredText(QStringLiteral("Pit's Gear"));
    EXPECT_EQ(s.value(QStringLiteral("SELECT Category_Number FROM Tools_Main WHERE "
                                     "Category_Name = '") +
                      cat + QLatin1Char('\'')),
              topCategory + 1);
    EXPECT_EQ(s.value(QStringLiteral("SELECT Item_Number FROM Tools_Items WHERE Item_Name = "
                                     "'Rope winch' AND Category_Number = ") +
                      QString::number(topCategory + 1)),
              topItem + 1);
    auto& q = app::State().ADOQuery1;
    q.open({QStringLiteral("SELECT Item_Cost FROM Tools_Data WHERE Item_Number = ") +
            QString::number(topItem + 1) + QStringLiteral(" ORDER BY Item_Cost")});
    QStringList costs;
    for (; !q.eof(); q.next())
        costs << q.text(0);
    q.close();
    EXPECT_EQ(costs, (QStringList{"15", "25.5", "40"}));
    const auto after = s.counts(QStringLiteral("Tools"));
    EXPECT_EQ(after, (Session::Counts{before.main + 1, before.items + 1, before.data + 3}));

    s.load(path, QStringLiteral("Tools"));
    EXPECT_EQ(s.counts(QStringLiteral("Tools")), after);
    EXPECT_TRUE(s.modal.messages.empty()) << s.modal.lastMessage().toStdString();
}

TEST(DBWriter, IncompleteRecordsUnchosenKeyAndMissingFileDoNothing) {
    Session s;
    const auto before = s.counts(QStringLiteral("Misc"));
    s.load(s.file("Odd Things~ Lone item\n~ No category~ 5\n"), QStringLiteral("Misc"));
    EXPECT_EQ(s.counts(QStringLiteral("Misc")), before);

    s.load(s.file("Odd Things~ Item~ 5\n"), QString());
    s.load(s.folder.file(QStringLiteral("absent.txt")), QStringLiteral("Misc"));
    EXPECT_EQ(s.counts(QStringLiteral("Misc")), before);
    EXPECT_TRUE(s.modal.messages.empty());

    // Close empties the file name and the key choice.
    s.writer().Edit1->setText(QStringLiteral("x"));
    s.writer().ComboBox1->setCurrentIndex(3);
    ClickButton(s.writer(), QStringLiteral("Button2"));
    EXPECT_TRUE(s.writer().Edit1->text().isEmpty());
    EXPECT_EQ(s.writer().ComboBox1->currentIndex(), -1);
}

TEST(DBWriter, PricesGoInAsTheValuesReadAndAFileLoadsWholeOrNotAtAll) {
    Session s;
    const auto before = s.counts(QStringLiteral("Music"));
    // Numbers to the grammar, not to SQL as typed.
    s.load(s.file("Gongs~ Small gong~ 30\nGongs~ Temple gong~ 1,250~ 2 e 3~ -4.50\n"),
           QStringLiteral("Music"));
    EXPECT_TRUE(s.modal.messages.empty()) << s.modal.lastMessage().toStdString();
    auto& q = app::State().ADOQuery1;
    q.open({QStringLiteral("SELECT d.Item_Cost FROM Music_Data d, Music_Items i WHERE "
                           "d.Item_Number = i.Item_Number AND i.Item_Name = 'Temple gong' "
                           "ORDER BY d.Item_Cost")});
    QStringList costs;
    for (; !q.eof(); q.next())
        costs << q.text(0);
    q.close();
    EXPECT_EQ(costs, (QStringList{"-4.5", "1250", "2000"}));
    const auto loaded = s.counts(QStringLiteral("Music"));
    EXPECT_EQ(loaded, (Session::Counts{before.main + 1, before.items + 2, before.data + 4}));

    // A NUL in a name, two records in: the file is refused as a whole, and the message says
    // which file and which record.
    QByteArray text("Bells~ Hand bell~ 12\nBells~ Cow");
    text += '\0';
    text += "bell~ 20\nBells~ Sleigh bell~ 8\n";
    const QString path = s.file(text);
    s.load(path, QStringLiteral("Music"));
    ASSERT_EQ(s.modal.messages.size(), 1u);
    EXPECT_EQ(s.modal.messages.back().caption, QStringLiteral("Error"));
    EXPECT_TRUE(s.modal.lastMessage().contains(path)) << s.modal.lastMessage().toStdString();
    EXPECT_TRUE(s.modal.lastMessage().contains(QStringLiteral("Record 2")));
    EXPECT_EQ(s.counts(QStringLiteral("Music")), loaded);
    EXPECT_EQ(s.value(QStringLiteral("SELECT COUNT(*) FROM Music_Main WHERE Category_Name = "
                                     "'Bells'")),
              0);
    // The main connection still works afterwards.
    EXPECT_GT(s.rows(QStringLiteral("Music_Main")), 0);
}

TEST(TestIndex, WalksEveryLineAndStopsAtTheEndAskingForASelection) {
    Session s;
    TfrmIndex& idx = *ui::Win().frmIndex;
    const int lines = idx.ListBox1->count();
    ASSERT_GT(lines, 1000);
    TfrmMain& m = s.main();
    devtools::ConnectDevToolsMenu(&m, m.DBWriter1, m.TestIndex1);
    int visits = 0;
    QObject::connect(m.tabMain, &QTabWidget::currentChanged, [&] { ++visits; });
    m.TestIndex1->trigger();
    EXPECT_GT(visits, 16) << "every tab was visited";
    EXPECT_TRUE(idx.isVisible());
    ASSERT_EQ(s.modal.messages.size(), 1u);
    EXPECT_EQ(s.modal.lastMessage(), QStringLiteral("Please select an item from the list."));
    idx.hide();

    // A line that cannot be followed ends the walk there, with the index open on it.
    const auto& e = idx.entries();
    int stop = -1;
    for (size_t i = 0; i < e.size() && stop < 0; ++i)
        if (e[i].category == QStringLiteral("Clocks") &&
            e[i].tab == QStringLiteral("Art/Decoration"))
            stop = static_cast<int>(i);
    ASSERT_GE(stop, 0);
    tabs::SubInventoryTab* art = tabs::TabOfSubInventory(entries::TabTable()[0].number);
    delete art->lst1->findItems(QStringLiteral("Clocks"), Qt::MatchExactly).value(0);
    EXPECT_EQ(devtools::TestIndex(&m), stop);
    EXPECT_TRUE(idx.isVisible());
    EXPECT_EQ(idx.ListBox1->currentRow(), stop);
    EXPECT_EQ(s.modal.messages.size(), 1u);
}
