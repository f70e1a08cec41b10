// The master listing on the Inventory page: rebuilt from the table, sorted by header clicks.
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "inventory/inventory_page.h"
#include "store/stored_text.h"
#include "tests/support/app_session.h"
#include "tests/support/scripted_modal.h"

#include <QImage>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Session : AppSession {
    inventory::InventoryPage& page() { return *ui::Win().frmMain->tabInventory; }
    void add(int id, const QString& sub, const QString& item, int count, const QString& value) {
        app::State().ADOQuery2.execute(
            {QStringLiteral("INSERT INTO Inventory"),
             QStringLiteral("VALUES (") + QString::number(id) + QStringLiteral(", '") + sub +
                 QStringLiteral("', 1, 'Cookware', 1, '") + store::ToStoredText(item) +
                 QStringLiteral("', 1, ") + QString::number(count) + QStringLiteral(", 1, ") +
                 value + QStringLiteral(", 'Good', '')")});
    }
    QStringList items() {
        QStringList out;
        for (const QString& line : page().lstInventory->lines())
            out << line.mid(34, 20).trimmed();
        return out;
    }
};

} // namespace

TEST(MasterListing, EmptyInventoryShowsOnlyTheTotalLine) {
    Session s;
    s.page().FillInventoryList(0);
    ASSERT_EQ(s.page().lstInventory->count(), 1);
    EXPECT_EQ(s.page().lstInventory->line(0),
              QString(53, QLatin1Char(' ')) + QStringLiteral("Total Value: $0"));
}

TEST(MasterListing, HeaderClicksSortAndReturnTheSelectedIndex) {
    Session s;
    s.add(1, QStringLiteral("Kitchen"), QStringLiteral("Pan"), 2, QStringLiteral("45.5"));
    s.add(2, QStringLiteral("Art"), QStringLiteral("apple print"), 1, QStringLiteral("10"));
    s.add(3, QStringLiteral("Tools"), QStringLiteral("Drill"), 1, QStringLiteral("1241"));
    EXPECT_EQ(s.page().FillInventoryList(3), 2);
    // What the view paints comes from the same formatted lines.
    const QAbstractItemModel* model = s.page().lstInventory->model();
    ASSERT_EQ(model->rowCount(), 4);
    EXPECT_TRUE(
        model->data(model->index(2, 0)).toString().startsWith(QStringLiteral("3     Tools")));
    EXPECT_EQ(s.page().lstInventory->lines().last(),
              QString(50, QLatin1Char(' ')) + QStringLiteral("Total Value: $1296.5"));

    s.page().btnInventoryItem->click();
    EXPECT_EQ(s.items().mid(0, 3), (QStringList{"apple print", "Drill", "Pan"}));
    EXPECT_TRUE(app::State().SettingsChanged);
    s.page().btnInventoryItem->click();
    EXPECT_EQ(s.items().mid(0, 3), (QStringList{"Pan", "Drill", "apple print"}));
    EXPECT_EQ(app::State().SortKeys, (std::array<int, 6>{-3, 1, 0, 0, 0, 0}));
    s.page().btnInventoryID->click();
    EXPECT_EQ(s.items().mid(0, 3), (QStringList{"Pan", "apple print", "Drill"}));
    EXPECT_EQ(s.page().lstInventory->currentRow(), -1);
    EXPECT_TRUE(s.modal.messages.empty()) << s.modal.lastMessage().toStdString();
}

TEST(MasterListing, MissingIndicatorPictureIsReportedAsAnError) {
    Session s;
    QFile::remove(s.folder.file(QStringLiteral("Content/sndup.bmp")));
    s.page().btnInventoryItem->click();
    ASSERT_FALSE(s.modal.messages.empty());
    EXPECT_EQ(s.modal.messages.back().caption, QStringLiteral("Error"));
    EXPECT_TRUE(s.modal.lastMessage().contains(QStringLiteral("sndup.bmp")));
}

TEST(MasterListing, SortIndicatorsShowNoBackgroundOfTheirOwn) {
    Session s;
    const auto picture = [](QPushButton* b) {
        return b->icon().pixmap(b->iconSize()).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    // No key: the blank indicator leaves the button's own face showing.
    const QImage none = picture(s.page().btnInventoryIName);
    ASSERT_EQ(none.size(), QSize(16, 16));
    int opaque = 0;
    for (int y = 0; y < none.height(); ++y)
        for (int x = 0; x < none.width(); ++x)
            opaque += qAlpha(none.pixel(x, y)) != 0;
    EXPECT_EQ(opaque, 0);
    // The primary key: its arrow shows, the square around it does not.
    const QImage primary = picture(s.page().btnInventoryID);
    EXPECT_EQ(qAlpha(primary.pixel(8, 6)), 255);
    EXPECT_EQ(qAlpha(primary.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(primary.pixel(15, 15)), 0);
    EXPECT_TRUE(s.modal.messages.empty()) << s.modal.lastMessage().toStdString();
}
