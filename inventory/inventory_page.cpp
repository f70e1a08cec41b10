#include "inventory/inventory_page.h"

#include "app/common/app_state.h"
#include "app/common/guard.h"
#include "app/common/line_list.h"
#include "inventory/inventory_lines.h"
#include "inventory/sort_keys.h"
#include "store/database.h"
#include "store/stored_text.h"

#include <QFile>
#include <QPixmap>

#include <QLabel>
#include <QPushButton>

namespace inventory {

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& accessible = {}) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(accessible.isEmpty() ? caption : accessible);
    return b;
}

QPushButton* header(QWidget* parent, const char* name, const QString& caption) {
    auto* b = button(parent, name, caption);
    b->setFlat(true);
    QFont f(QStringLiteral("Arial Narrow"));
    f.setPixelSize(16);
    b->setFont(f);
    return b;
}

} // namespace

InventoryPage::InventoryPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tabInventory"));
    setAccessibleName(QStringLiteral("Inventory"));

    lblInventory = new QLabel(QStringLiteral("Inventory"), this);
    lblInventory->setObjectName(QStringLiteral("lblInventory"));
    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(19);
    lblInventory->setFont(title);
    lblInventory->setGeometry(8, 4, 745, 24);
    lblInventory->setAlignment(Qt::AlignCenter);

    btnInventoryID = header(this, "btnInventoryID", QStringLiteral("ID"));
    btnInventoryIName = header(this, "btnInventoryIName", QStringLiteral("Inventory"));
    btnInventoryCategory = header(this, "btnInventoryCategory", QStringLiteral("Category"));
    btnInventoryItem = header(this, "btnInventoryItem", QStringLiteral("Item"));
    btnInventoryNumber = header(this, "btnInventoryNumber", QStringLiteral("#"));
    btnInventoryValue = header(this, "btnInventoryValue", QStringLiteral("Total Value"));
    btnInventoryNotes = header(this, "btnInventoryNotes", QStringLiteral("Notes:"));
    for (QPushButton* b : {btnInventoryNumber, btnInventoryValue})
        b->setLayoutDirection(Qt::RightToLeft); // glyph right of the caption

    lstInventory = new ui::LineList(this);
    lstInventory->setObjectName(QStringLiteral("lstInventory"));
    lstInventory->setAccessibleName(QStringLiteral("Inventory"));
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPixelSize(13);
    lstInventory->setFont(fixed);
    lstInventory->setGeometry(8, 56, 745, 352);

    btnEdit = button(this, "btnEdit", QStringLiteral("Edit/View"));
    btnEdit->setGeometry(8, 420, 89, 25);
    btnRemove = button(this, "btnRemove", QStringLiteral("Remove"));
    btnRemove->setGeometry(104, 420, 89, 25);
    btnMoveUp = button(this, "btnMoveUp", QStringLiteral("/\\"), QStringLiteral("Move up in list"));
    btnMoveUp->setGeometry(216, 420, 33, 25);
    lblMoveUp = new QLabel(QStringLiteral("Move up in list"), this);
    lblMoveUp->setObjectName(QStringLiteral("lblMoveUp"));
    lblMoveUp->setGeometry(254, 424, 100, 17);
    btnMoveDown =
        button(this, "btnMoveDown", QStringLiteral("\\/"), QStringLiteral("Move down in list"));
    btnMoveDown->setGeometry(360, 420, 33, 25);
    lblMoveDown = new QLabel(QStringLiteral("Move down in list"), this);
    lblMoveDown->setObjectName(QStringLiteral("lblMoveDown"));
    lblMoveDown->setGeometry(398, 424, 110, 17);
    btnPrint = button(this, "btnPrint", QStringLiteral("Print All"));
    btnPrint->setGeometry(664, 420, 89, 25);
    LayOutSortButtons();

    const std::pair<QPushButton*, int> sortButtons[] = {
        {btnInventoryID, kSortId},       {btnInventoryIName, kSortSubInventory},
        {btnInventoryItem, kSortItem},   {btnInventoryNumber, kSortCount},
        {btnInventoryValue, kSortValue}, {btnInventoryCategory, kSortCategory}};
    for (auto [b, key] : sortButtons)
        ui::ConnectGuarded(b, &QPushButton::clicked, this, [this, key = key] { SortClick(key); });
    app::State().fillInventoryList = [this](int id) { FillInventoryList(id); };
}

int InventoryPage::FillInventoryList(int selectId) {
    auto& q = app::State().ADOQuery2;
    lstInventory->clear();
    const SortKeys keys{app::State().SortKeys};
    q.open(InventoryListingSql(keys));
    QStringList lines;
    int found = -1;
    store::Currency total;
    while (!q.eof()) {
        const int id = static_cast<int>(q.integer(0));
        if (id != 0) {
            if (id == selectId) found = static_cast<int>(lines.size());
            tabs::ListingEntry e;
            e.id = id;
            e.item = store::FromStoredText(q.text(1));
            e.count = static_cast<qint32>(q.integer(2));
            e.value = q.currency(3);
            e.notes = store::FromStoredText(q.text(4));
            e.subInventory = q.text(5);
            e.category = store::FromStoredText(q.text(6));
            total = total + e.value;
            lines << InventoryLine(e);
        }
        q.next();
    }
    lines << InventoryTotalLine(total);
    lstInventory->setLines(std::move(lines));
    return found;
}

void InventoryPage::ShowSortIndicators() {
    const SortKeys keys{app::State().SortKeys};
    const auto files = SortIndicatorFiles(keys);
    for (int key = 1; key <= kSortSlotCount; ++key) {
        auto* b = findChild<QPushButton*>(SortButtonName(key));
        const QString path = app::State().programFolder + files[key - 1];
        QPixmap pic;
        if (!QFile::exists(path) || !pic.load(path))
            throw std::runtime_error(
                QStringLiteral("Cannot open file \"%1\".").arg(path).toStdString());
        b->setIcon(pic);
        b->setIconSize(pic.size());
    }
}

void InventoryPage::tabEnter() {
    FillInventoryList(0);
}

void InventoryPage::SortClick(int key) {
    SortKeys keys{app::State().SortKeys};
    keys.click(key);
    app::State().SortKeys = keys.slot;
    ShowSortIndicators();
    FillInventoryList(0);
    app::State().SettingsChanged = true;
}

void InventoryPage::LayOutSortButtons() {
    const int top = lstInventory->y() - 24;
    int x = lstInventory->x();
    const std::pair<QPushButton*, int> widths[] = {
        {btnInventoryID, 48},    {btnInventoryIName, 96},  {btnInventoryCategory, 128},
        {btnInventoryItem, 168}, {btnInventoryNumber, 48}, {btnInventoryValue, 88}};
    for (auto [b, w] : widths) {
        b->setGeometry(x, top, w, 24);
        x += w;
    }
    btnInventoryNotes->setGeometry(x, top, lstInventory->x() + lstInventory->width() - x, 24);
}

} // namespace inventory
