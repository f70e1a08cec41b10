// Headings over the fixed-pitch listings: wherever the list font puts a character column, its
// heading stands over it.
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "help/index_window.h"
#include "inventory/inventory_page.h"
#include "tabs/sub_inventory_tab.h"
#include "tests/support/app_session.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Where the list, as shown, paints character column `column` of its lines, in the coordinates of
// `in`: the first line's rectangle, the item views' text margin and the font's advance.
double PaintedColumn(ui::LineList* list, QWidget* in, int column) {
    const QRect first = list->visualRect(list->model()->index(0, 0));
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    return list->viewport()->mapTo(in, first.topLeft()).x() + margin +
           QFontMetricsF(list->font()).horizontalAdvance(QString(column, QLatin1Char('0')));
}

void Show(QWidget* w) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
}

} // namespace

TEST(ColumnHeadings, ItemIndexHeadingsStandOverItemCategoryAndTab) {
    AppSession run;
    TfrmIndex& index = *ui::Win().frmIndex;
    Show(&index);
    ASSERT_GT(index.ListBox1->count(), 0);
    const std::pair<QLabel*, int> headings[] = {
        {index.Label1, 0}, {index.Label2, 37}, {index.Label3, 67}};
    for (auto [label, column] : headings)
        EXPECT_NEAR(label->x(), PaintedColumn(index.ListBox1, &index, column), 1.0)
            << label->text().toStdString();
    index.hide();
}

TEST(ColumnHeadings, TabListingHeadingsStandOverTheirColumns) {
    AppSession run;
    TfrmMain& main = run.main();
    Show(&main);
    for (auto* tab : {main.subTabs[0], main.subTabs[16]}) {
        main.tabMain->setCurrentWidget(tab);
        QTest::qWait(0);
        ui::LineList* list = tab->lstInventory;
        ASSERT_GT(list->count(), 0); // the total line at least
        const auto left = [&](int column) { return PaintedColumn(list, tab, column); };
        EXPECT_NEAR(tab->lblInventoryID->x(), left(0), 1.0);
        EXPECT_NEAR(tab->lblInventoryCategory->x(), left(6), 1.0);
        EXPECT_NEAR(tab->lblInventoryItem->x(), left(22), 1.0);
        EXPECT_NEAR(tab->lblInventoryNumber->geometry().right() + 1, left(48), 1.0);
        EXPECT_NEAR(tab->lblInventoryValue->geometry().right() + 1, left(59), 1.0);
        EXPECT_NEAR(tab->lblInventoryNotes->x(), left(60), 1.0);
    }
}

TEST(ColumnHeadings, InventoryHeaderButtonsSpanTheirColumns) {
    AppSession run;
    TfrmMain& main = run.main();
    Show(&main);
    inventory::InventoryPage* page = main.tabInventory;
    main.tabMain->setCurrentWidget(page);
    QTest::qWait(0);
    ui::LineList* list = page->lstInventory;
    ASSERT_GT(list->count(), 0);
    // Each button begins as far right of the list's edge as its column lies right of the first.
    const double first = PaintedColumn(list, page, 0);
    const std::pair<QPushButton*, int> buttons[] = {
        {page->btnInventoryID, 0},        {page->btnInventoryIName, 6},
        {page->btnInventoryCategory, 18}, {page->btnInventoryItem, 34},
        {page->btnInventoryNumber, 55},   {page->btnInventoryValue, 61},
        {page->btnInventoryNotes, 72}};
    for (auto [b, column] : buttons)
        EXPECT_NEAR(b->x() - list->x(), PaintedColumn(list, page, column) - first, 1.0)
            << b->text().toStdString();
    EXPECT_EQ(page->btnInventoryNotes->geometry().right(), list->geometry().right());
}
