#include "help/index_window.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/line_list.h"
#include "ui/modal.h"
#include "tabs/sub_inventory_tab.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace {

constexpr int kWidth = 718;
constexpr int kHeight = 480;

QFont pixelFont(const char* family, int pixels, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QListWidgetItem* exactLine(QListWidget* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text) return list->item(i);
    return nullptr;
}

// The page control that holds a tab, so that switching to it runs its entry handler as a click
// on its caption would.
QTabWidget* pageControlOf(QWidget* page) {
    for (QWidget* w = page ? page->parentWidget() : nullptr; w; w = w->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) return tabs;
    return nullptr;
}

} // namespace

TfrmIndex::TfrmIndex(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmIndex"));
    setWindowTitle(QStringLiteral("Quivera! Index"));
    setFixedWidth(kWidth);
    setMinimumHeight(477);
    setMaximumHeight(484);
    resize(kWidth, kHeight);

    lblHeading = new QLabel(QStringLiteral("Quivera Item Index"), this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    lblHeading->setFont(pixelFont("Arial", 16, true));

    Label4 = new QLabel(QStringLiteral("Look Up:"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFont(pixelFont("Arial", 13));
    Edit1->setAccessibleName(QStringLiteral("Look Up:"));
    Label4->setBuddy(Edit1);

    Label1 = new QLabel(QStringLiteral("Item"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Category"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("Tab"), this);
    Label3->setObjectName(QStringLiteral("Label3"));

    ListBox1 = new ui::LineList(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setFont(pixelFont("Courier New", 13));
    ListBox1->setAccessibleName(QStringLiteral("Item Index"));
    ListBox1->setUniformItemSizes(true);

    Button2 = new QPushButton(QStringLiteral("&Go to Item"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAccessibleName(QStringLiteral("Go to Item"));
    Button1 = new QPushButton(QStringLiteral("&Exit Index"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("Exit Index"));
    for (QPushButton* b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->resize(90, 27);
    }

    ui::ConnectGuarded(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ui::ConnectGuarded(ListBox1, &QListView::doubleClicked, this, [this] { Button2Click(); });

    layOut();
    // A catalogue that cannot be read leaves the index empty; the program still starts.
    ui::Guarded([this] { FormCreate(); });
}

void TfrmIndex::layOut() {
    const int w = width();
    const int h = height();
    lblHeading->setGeometry(4, 4, 300, 22);
    Label4->setGeometry(4, 32, 60, 22);
    Edit1->setGeometry(64, 30, w - 64 - 17, 24);
    Button1->move(w - 4 - Button1->width(), h - 4 - Button1->height());
    Button2->move(Button1->x() - 8 - Button2->width(), Button1->y());
    ListBox1->setGeometry(0, 80, w, Button1->y() - 4 - 80);
    // Over the item, category and tab columns of the lines (1, 38 and 68).
    Label1->setGeometry(ListBox1->columnLeft(0), 60, 200, 18);
    Label2->setGeometry(ListBox1->columnLeft(37), 60, 200, 18);
    Label3->setGeometry(ListBox1->columnLeft(67), 60, 170, 18);
}

void TfrmIndex::FormCreate() {
    entries_ = entries::BuildItemIndex(app::State().ADOQuery1);
    ListBox1->setLines(entries::IndexLines(entries_));
}

void TfrmIndex::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edit1->setFocus();
}

void TfrmIndex::placeAt(const QWidget* anchor) {
    if (anchor) move(anchor->pos() + QPoint(8, 8));
}

void TfrmIndex::Edit1Change() {
    const QString text = Edit1->text();
    if (text.isEmpty()) {
        ListBox1->setCurrentRow(-1);
        return;
    }
    if (text.size() > entries::kLookUpMaxLength) {
        Edit1->setText(text.left(entries::kLookUpMaxLength)); // looks up again
        return;
    }
    ListBox1->setCurrentRow(entries::LookUpIndexLine(ListBox1->lines(), text));
}

void TfrmIndex::Button1Click() {
    ListBox1->setCurrentRow(-1);
    Edit1->clear();
    accept();
}

void TfrmIndex::Button2Click() {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= static_cast<int>(entries_.size())) {
        ui::Modal::message(QStringLiteral("Please select an item from the list."), QString());
        return;
    }
    // The names come from the build, not from the line's columns, so long names are followed too.
    const entries::IndexEntry entry = entries_[static_cast<size_t>(row)];
    auto& q = app::State().ADOQuery1;
    q.open({QStringLiteral("SELECT Inventory_Number"), QStringLiteral("FROM Inventories"),
            QStringLiteral("WHERE Long_Inventory_Name = '") + entry.tab + QLatin1Char('\'')});
    const int number = static_cast<int>(q.integer(0));
    q.close();
    tabs::SubInventoryTab* tab = tabs::TabOfSubInventory(number);
    if (!tab) return;
    if (QTabWidget* pages = pageControlOf(tab)) pages->setCurrentWidget(tab);

    QListWidgetItem* category = exactLine(tab->lst1, entry.category);
    if (!category) return;
    tab->lst1->setCurrentItem(category);
    tab->lst1->scrollToItem(category);
    tab->lst1Click();
    if (entry.item.isEmpty()) {
        accept();
        return;
    }
    QListWidgetItem* item = exactLine(tab->lst2, entry.item);
    if (!item) return;
    tab->lst2->setCurrentItem(item);
    tab->lst2->scrollToItem(item);
    tab->lst2Click();
    accept();
}
