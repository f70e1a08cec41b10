#include "inventory/inventory_page.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "inventory/inventory_listing.h"
#include "inventory/print_dialog.h"
#include "inventory/report_printer.h"
#include "entries/sort_keys.h"
#include "store/database.h"
#include "tabs/edit_dialog.h"
#include "entries/inventory_changes.h"
#include "entries/listing_lines.h"

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

// An indicator picture shows on its button without its background: the colour of its bottom
// left pixel is see-through, as for the glyphs of bitmap buttons.
QPixmap withoutBackground(const QPixmap& picture) {
    const QImage image = picture.toImage();
    if (image.isNull()) return picture;
    QPixmap out = picture;
    out.setMask(
        picture.createMaskFromColor(image.pixelColor(0, image.height() - 1), Qt::MaskInColor));
    return out;
}

// The change stamp counts months from 1 and years in full; the title's fields do not.
StampTime FromChangeStamp(const app::ChangeStamp& s) {
    return {s.minute, s.hour, s.day, s.month - 1, s.year - 1900, s.weekday};
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
        {btnInventoryID, entries::kSortId},       {btnInventoryIName, entries::kSortSubInventory},
        {btnInventoryItem, entries::kSortItem},   {btnInventoryNumber, entries::kSortCount},
        {btnInventoryValue, entries::kSortValue}, {btnInventoryCategory, entries::kSortCategory}};
    for (auto [b, key] : sortButtons)
        ui::ConnectGuarded(b, &QPushButton::clicked, this, [this, key = key] { SortClick(key); });
    ui::ConnectGuarded(btnEdit, &QPushButton::clicked, this, [this] { btnEditClick(); });
    ui::ConnectGuarded(btnRemove, &QPushButton::clicked, this, [this] { btnRemoveClick(); });
    ui::ConnectGuarded(btnMoveUp, &QPushButton::clicked, this, [this] { btnMoveUpClick(); });
    ui::ConnectGuarded(btnMoveDown, &QPushButton::clicked, this, [this] { btnMoveDownClick(); });
    ui::ConnectGuarded(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });
    listenForChanges();
}

InventoryPage::~InventoryPage() = default;

void InventoryPage::listenForChanges() {
    // A change made elsewhere shows at once; removals and moves made here refill the listing
    // themselves, keeping the line to select.
    const auto* changes = &app::State().Changes;
    using entries::InventoryChanges;
    ui::ConnectGuarded(changes, &InventoryChanges::entryChanged, this,
                       [this] { FillInventoryList(0); });
    // An opened inventory brings its own sort order; a missing indicator picture is reported
    // and the listing is filled all the same.
    ui::ConnectGuarded(changes, &InventoryChanges::inventoryReloaded, this,
                       [this] { ShowSortIndicators(); });
    ui::ConnectGuarded(changes, &InventoryChanges::inventoryReloaded, this,
                       [this] { FillInventoryList(0); });
}

int InventoryPage::FillInventoryList(int selectId) {
    auto& q = app::State().ADOQuery2;
    lstInventory->clear();
    app::State().Entries.openMaster(entries::SortKeys{app::State().SortKeys});
    int found = -1;
    lstInventory->setSource(InventoryListing::Read(q, selectId, &found, app::State().IDCounter));
    return found;
}

void InventoryPage::ShowSortIndicators() {
    const entries::SortKeys keys{app::State().SortKeys};
    const auto files = entries::SortIndicatorFiles(keys);
    for (int key = 1; key <= entries::kSortSlotCount; ++key) {
        auto* b = findChild<QPushButton*>(entries::SortButtonName(key));
        const QString path = app::State().programFolder + files[key - 1];
        QPixmap pic;
        if (!QFile::exists(path) || !pic.load(path))
            throw std::runtime_error(
                QStringLiteral("Cannot open file \"%1\".").arg(path).toStdString());
        b->setIcon(withoutBackground(pic));
        b->setIconSize(pic.size());
    }
}

void InventoryPage::tabEnter() {
    FillInventoryList(0);
}

void InventoryPage::SortClick(int key) {
    entries::SortKeys keys{app::State().SortKeys};
    keys.click(key);
    app::State().SortKeys = keys.slot;
    ShowSortIndicators();
    FillInventoryList(0);
    app::State().SettingsChanged = true;
}

void InventoryPage::LayOutSortButtons() {
    // Edge to edge from the list's left edge, each as wide as its character columns in the
    // list's font (6, 12, 16, 21, 6 and 11), so each header stays over its column.
    const int top = lstInventory->y() - 24;
    const int left = lstInventory->x();
    const int origin = lstInventory->columnLeft(0);
    const std::pair<QPushButton*, int> columns[] = {
        {btnInventoryID, 6},    {btnInventoryIName, 12}, {btnInventoryCategory, 16},
        {btnInventoryItem, 21}, {btnInventoryNumber, 6}, {btnInventoryValue, 11}};
    int column = 0;
    int x = left;
    for (auto [b, n] : columns) {
        column += n;
        const int next = left + lstInventory->columnLeft(column) - origin;
        b->setGeometry(x, top, next - x, 24);
        x = next;
    }
    btnInventoryNotes->setGeometry(x, top, left + lstInventory->width() - x, 24);
}

int InventoryPage::SelectedEntryId() const {
    const int row = lstInventory->currentRow();
    if (row < 0 || row >= lstInventory->count() - 1) return 0;
    return entries::ListingLineId(lstInventory->line(row)).value_or(0);
}

void InventoryPage::btnEditClick() {
    const int n = SelectedEntryId();
    if (n <= 0 || !ui::Win().dlgEdit) return;
    ui::Win().dlgEdit->Execute(n);
}

void InventoryPage::btnRemoveClick() {
    const int n = SelectedEntryId();
    if (n <= 0) return;
    auto& s = app::State();
    // The pictures and the Add buttons follow a removal that took place.
    const bool removed = s.Entries.remove(n);
    FillInventoryList(0);
    if (removed) s.InventoryModified = true;
}

void InventoryPage::btnMoveUpClick() {
    const int n = SelectedEntryId();
    if (n <= 1 || n > app::State().IDCounter) return;
    MoveEntry(n, n - 1);
}

void InventoryPage::btnMoveDownClick() {
    const int n = SelectedEntryId();
    if (n <= 0 || n >= app::State().IDCounter) return;
    MoveEntry(n, n + 1);
}

void InventoryPage::MoveEntry(int n, int other) {
    auto& s = app::State();
    if (ui::Win().dlgEdit) ui::Win().dlgEdit->EditedID = n;
    s.Entries.swap(n, other); // the pictures follow a swap that took place
    lstInventory->setCurrentRow(FillInventoryList(other));
    s.InventoryModified = true;
}

QStringList InventoryPage::InventoryReportLines(const StampTime& time) {
    auto& q = app::State().ADOQuery2;
    app::State().Entries.openReport(entries::SortKeys{app::State().SortKeys});
    const auto listing = InventoryListing::Read(q, 0, nullptr, app::State().IDCounter);
    std::vector<ReportEntry> entries;
    entries.reserve(static_cast<std::size_t>(listing->entryCount()));
    for (int i = 0; i < listing->entryCount(); ++i)
        entries.push_back(listing->entry(i));
    return ReportLines(lblInventory->text(), time, entries);
}

void InventoryPage::btnPrintClick() {
    auto& s = app::State();
    TdlgQIVPrint* dialog = ui::Win().dlgQIVPrint;
    if (s.IDCounter < 1 || !dialog) return;
    if (!dialog->Execute(dialog->SystemPrinter())) return;
    const StampTime time =
        ReportTime(s.InventoryModified, FromChangeStamp(s.Stamp), QDateTime::currentDateTime());
    // The whole text is ready before the job starts, so a failing query prints nothing.
    const QStringList lines = InventoryReportLines(time);
    dialog->PrintConfirmed(lines, kReportLinesPerPage, InventoryPrintStyle());
}

} // namespace inventory
