#include "tabs/sub_inventory_tab.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "pictures/jpeg_decode.h"
#include "pictures/photograph_dialog.h"
#include "pictures/picture_checks.h"
#include "pictures/picture_list.h"
#include "store/database.h"
#include "store/money.h"
#include "store/stored_text.h"
#include "tabs/edit_dialog.h"
#include "tabs/incorrect_number_dialog.h"
#include "entries/catalogue_lookup.h"
#include "entries/entry_store.h"
#include "entries/listing_lines.h"
#include "entries/number_parsing.h"
#include "entries/price_points.h"
#include "tabs/sub_inventory_listing.h"
#include "tabs/tab_set.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QFile>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>
#include <utility>

namespace tabs {

namespace {

template <typename W>
W* make(QWidget* parent, const QString& name, const QString& accessible = {}) {
    auto* w = new W(parent);
    w->setObjectName(name);
    if (!accessible.isEmpty()) w->setAccessibleName(accessible);
    return w;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int x, int y) {
    auto* l = make<QLabel>(parent, name);
    l->setText(text);
    l->move(x, y);
    // The seventeen pages carry the same captions in the same font: each is measured once.
    static QHash<QString, QSize> measured;
    const QString key =
        text + QLatin1Char('\n') + l->font().key() + QLatin1Char('\n') + l->style()->name();
    const auto known = measured.constFind(key);
    if (known != measured.constEnd()) {
        l->resize(*known);
    } else {
        l->adjustSize();
        measured.insert(key, l->size());
    }
    return l;
}

std::array<SubInventoryTab*, entries::kTabCount>& registry() {
    static std::array<SubInventoryTab*, entries::kTabCount> tabs{};
    return tabs;
}

// The list and notes boxes show the normal window colour when in use, the button face when not.
void setBoxColour(QWidget* w, QPalette::ColorRole role) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(role));
    w->setPalette(p);
}

QString selectedText(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

int selectedRow(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

bool hasSelection(const QListWidget* list) {
    return !list->selectedItems().isEmpty();
}

void deselect(QListWidget* list) {
    list->clearSelection();
    list->setCurrentItem(nullptr);
}

constexpr int kTitleWidth = 164;
constexpr int kTitleFontSize = 13;
constexpr int kVisibleListingLines = 7;

} // namespace

SubInventoryTab* TabOfSubInventory(int number) {
    const int page = entries::PageOfSubInventory(number);
    SubInventoryTab* tab = page < 0 ? nullptr : registry()[page];
    if (tab) tab->Build();
    return tab;
}

const std::array<SubInventoryTab*, entries::kTabCount>& RegisteredTabs() {
    return registry();
}

double PreselectedCost(int subInventoryNumber) {
    const SubInventoryTab* tab = TabOfSubInventory(subInventoryNumber);
    if (!tab) return 0;
    return entries::PickPricePoint(tab->costLines(), app::State().Cost.level());
}

int TextWidth(const QWidget* widget, const QString& text) {
    return QFontMetrics(widget->font()).horizontalAdvance(text);
}

QString SubInventoryTab::name(const char* prefix, const char* role) const {
    return QString::fromLatin1(prefix) + info_.keyText() + QString::fromLatin1(role);
}

SubInventoryTab::SubInventoryTab(const entries::TabInfo& info, QWidget* parent)
    : QWidget(parent), info_(info) {
    setObjectName(name("tab", ""));
    setAccessibleName(info.captionText());
    const int page = entries::PageOfKey(info_.keyText());
    if (page >= 0) registry()[page] = this;
}

void SubInventoryTab::setVisible(bool visible) {
    // Built before it is shown, so that its controls are shown with it; entering the page lists
    // its entries.
    if (visible && !built_) build(false);
    QWidget::setVisible(visible);
}

bool SubInventoryTab::Build() {
    return built_ || build(true);
}

bool SubInventoryTab::build(bool listEntries) {
    built_ = true;
    makeControls();
    PlaceListingHeadings();
    HideExtraFields();
    connectHandlers();
    listenForChanges();
    bool prepared = true;
    if (prepare_) {
        prepared = false;
        ui::Guarded([this, &prepared] {
            prepare_(*this);
            prepared = true;
        });
    }
    bool listed = false;
    ui::Guarded([this, listEntries, &listed] {
        updateAddButton();
        if (listEntries) FillSubInventoryList();
        listed = true;
    });
    return prepared && listed;
}

void SubInventoryTab::makeControls() {
    imgBack = make<QLabel>(this, name("img", "Back"), QStringLiteral("Background"));
    imgBack->setScaledContents(true);
    imgBack->setGeometry(0, 0, 769, 520);
    imgBack->setAttribute(Qt::WA_TransparentForMouseEvents);

    lbl1 = label(this, name("lbl", "1"), QStringLiteral("Category"), 24, 8);
    lst1 = make<QListWidget>(this, name("lst", "1"), QStringLiteral("Category"));
    lst1->setGeometry(24, 32, 129, 233);

    lbl2 = label(this, name("lbl", "2"), QString(), 184, 8);
    lst2 = make<QListWidget>(this, name("lst", "2"), QStringLiteral("Item"));
    lst2->setGeometry(184, 32, 137, 161);
    lst2->setEnabled(false);

    lblOther1 = label(this, name("lbl", "Other1"), QStringLiteral("Other"), 184, 200);
    lblOther2 = label(this, name("lbl", "Other2"), QStringLiteral("Item"), 184, 216);
    edtOther = make<QLineEdit>(this, name("edt", "Other"), QStringLiteral("Other Item"));
    edtOther->setGeometry(184, 240, 137, 21);

    lblNumber2 = label(this, name("lbl", "Number2"), QStringLiteral("Items"), 352, 8);
    lblNumber1 = label(this, name("lbl", "Number1"), QStringLiteral("Number:"), 352, 36);
    edtNumber = make<QLineEdit>(this, name("edt", "Number"), QStringLiteral("Number:"));
    edtNumber->setGeometry(408, 32, 57, 21);
    lblCost1 = label(this, name("lbl", "Cost1"), QStringLiteral("Cost Each:"), 480, 36);
    comCost = make<QComboBox>(this, name("com", "Cost"), QStringLiteral("Cost Each:"));
    comCost->setEditable(true);
    comCost->setGeometry(552, 32, 113, 21);

    lblPhoto = label(this, name("lbl", "Photo"), QStringLiteral("Photograph:"), 352, 64);
    edtPhoto = make<QLineEdit>(this, name("edt", "Photo"), QStringLiteral("Photograph:"));
    edtPhoto->setGeometry(432, 60, 233, 21);
    edtPhoto->setToolTip(
        QStringLiteral("You may enter the name of a picture of the inventory item."));
    btnBrowse = make<QPushButton>(this, name("btn", "Browse"), QStringLiteral("Browse"));
    btnBrowse->setText(QStringLiteral("Browse"));
    btnBrowse->setGeometry(672, 58, 81, 25);

    lblBrand = label(this, name("lbl", "Brand"), QStringLiteral("Brand Name"), 352, 88);
    edtBrand = make<QLineEdit>(this, name("edt", "Brand"), QStringLiteral("Brand Name"));
    edtBrand->setGeometry(352, 104, 121, 21);
    lblSerial = label(this, name("lbl", "Serial"), QStringLiteral("Serial Number"), 484, 88);
    edtSerial = make<QLineEdit>(this, name("edt", "Serial"), QStringLiteral("Serial Number"));
    edtSerial->setGeometry(484, 104, 121, 21);
    lblPurchase = label(this, name("lbl", "Purchase"), QStringLiteral("Purchase Date"), 616, 88);
    edtPurchase = make<QLineEdit>(this, name("edt", "Purchase"), QStringLiteral("Purchase Date"));
    edtPurchase->setGeometry(616, 104, 121, 21);

    lblNotes1 = label(this, name("lbl", "Notes1"), QStringLiteral("Notes:"), 352, 88);
    lblNotes2 =
        label(this, name("lbl", "Notes2"),
              QStringLiteral("(Brand name, serial number, date of purchase, etc.)"), 352, 112);
    rchNotes = make<QTextEdit>(this, name("rch", "Notes"), QStringLiteral("Notes:"));
    rchNotes->setAcceptRichText(false);
    rchNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont notesFont(QStringLiteral("Arial"));
    notesFont.setPixelSize(13);
    rchNotes->setFont(notesFont);
    rchNotes->setGeometry(352, 128, 385, 137);

    btnAdd = make<QPushButton>(this, name("btn", "Add"), QStringLiteral("Add"));
    btnAdd->setText(QStringLiteral("Add"));
    btnAdd->setGeometry(352, 272, 89, 25);
    btnRemove = make<QPushButton>(this, name("btn", "Remove"), QStringLiteral("Remove"));
    btnRemove->setText(QStringLiteral("Remove"));
    btnRemove->setGeometry(448, 272, 89, 25);
    btnEdit = make<QPushButton>(this, name("btn", "Edit"), QStringLiteral("Edit"));
    btnEdit->setText(QStringLiteral("Edit"));
    btnEdit->setGeometry(544, 272, 89, 25);

    lblInventory = label(this, name("lbl", "Inventory"), QStringLiteral("Inventory"), 24, 280);
    lstInventory = new ui::LineList(this);
    lstInventory->setObjectName(name("lst", "Inventory"));
    lstInventory->setAccessibleName(QStringLiteral("Inventory"));
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPixelSize(13);
    lstInventory->setFont(fixed);
    lstInventory->setGeometry(24, 318, 729, 133);

    lblInventoryID = label(this, name("lbl", "InventoryID"), QStringLiteral("ID"), 0, 302);
    lblInventoryCategory =
        label(this, name("lbl", "InventoryCategory"), QStringLiteral("Category"), 0, 302);
    lblInventoryItem = label(this, name("lbl", "InventoryItem"), QStringLiteral("Item"), 0, 302);
    lblInventoryNumber =
        label(this, name("lbl", "InventoryNumber"), QStringLiteral("Number"), 0, 302);
    lblInventoryValue = label(this, name("lbl", "InventoryValue"), QStringLiteral("Value"), 0, 302);
    lblInventoryNotes = label(this, name("lbl", "InventoryNotes"), QStringLiteral("Notes"), 0, 302);

    // Entry fields start disabled; a chosen item or a typed name enables them.
    for (QWidget* w : std::initializer_list<QWidget*>{lblNumber1, edtNumber, lblCost1, comCost,
                                                      lblPhoto, edtPhoto, btnBrowse, lblBrand,
                                                      edtBrand, lblSerial, edtSerial, lblPurchase,
                                                      edtPurchase, lblNotes1, lblNotes2, rchNotes})
        w->setEnabled(false);
    imgBack->lower();

    comCost->setInsertPolicy(QComboBox::NoInsert);
    setBoxColour(lst2, QPalette::Button);
}

SubInventoryTab::~SubInventoryTab() {
    const int page = entries::PageOfKey(info_.keyText());
    if (page >= 0 && registry()[page] == this) registry()[page] = nullptr;
}

void SubInventoryTab::updateAddButton() {
    btnAdd->setEnabled(app::State().Entries.hasRoom());
}

void SubInventoryTab::listenForChanges() {
    // The tab's listing follows the changes of its own entries; a removal renumbers entries of
    // every tab, which the listings show when their tab is entered again.
    const auto* changes = &app::State().Changes;
    using entries::InventoryChanges;
    ui::ConnectGuarded(changes, &InventoryChanges::entryAdded, this, [this](int, int tab) {
        if (tab == info_.number) FillSubInventoryList();
        updateAddButton();
    });
    ui::ConnectGuarded(changes, &InventoryChanges::entryRemoved, this,
                       [this] { updateAddButton(); });
    ui::ConnectGuarded(changes, &InventoryChanges::entryChanged, this, [this](int, int tab) {
        if (tab == info_.number) FillSubInventoryList();
    });
    ui::ConnectGuarded(changes, &InventoryChanges::inventoryReloaded, this, [this] {
        FillSubInventoryList();
        updateAddButton();
    });
}

void SubInventoryTab::connectHandlers() {
    // A click whose release already ran the handler for its new line must not run it again.
    ui::ConnectGuarded(lst1, &QListWidget::itemClicked, this, [this] {
        if (!std::exchange(chosenOnRelease_, false)) lst1Click();
    });
    ui::ConnectGuarded(lst2, &QListWidget::itemClicked, this, [this] {
        if (!std::exchange(chosenOnRelease_, false)) lst2Click();
    });
    // A list left without a selected line has no choice to keep track of, so choosing any line
    // again, even the same one, runs its handler.
    connect(lst1, &QListWidget::itemSelectionChanged, this, [this] {
        if (selectedRow(lst1) < 0) handledRow1_ = -1;
    });
    connect(lst2, &QListWidget::itemSelectionChanged, this, [this] {
        if (selectedRow(lst2) < 0) handledRow2_ = -1;
    });
    ui::ConnectGuarded(edtOther, &QLineEdit::textChanged, this, [this] { edtOtherChange(); });
    ui::ConnectGuarded(comCost, &QComboBox::activated, this, [this] { comCostSelect(); });
    ui::ConnectGuarded(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    ui::ConnectGuarded(btnRemove, &QPushButton::clicked, this, [this] { btnRemoveClick(); });
    ui::ConnectGuarded(btnEdit, &QPushButton::clicked, this, [this] { btnEditClick(); });
    ui::ConnectGuarded(btnBrowse, &QPushButton::clicked, this, [this] { btnBrowseClick(); });
    for (QObject* o : std::initializer_list<QObject*>{
             lst1, lst2, lst1->viewport(), lst2->viewport(), edtOther, edtNumber, comCost})
        o->installEventFilter(this);
    if (comCost->lineEdit()) comCost->lineEdit()->installEventFilter(this);
}

bool SubInventoryTab::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const auto key = [event] { return static_cast<QKeyEvent*>(event)->key(); };
    const auto run = [](const std::function<void()>& fn) { ui::Guarded(fn); };
    if (type == QEvent::KeyRelease && (watched == lst1 || watched == lst2)) {
        const int k = key();
        auto* list = static_cast<QListWidget*>(watched);
        run([&] { list == lst1 ? lst1KeyUp(k) : lst2KeyUp(k); });
        // Arrows, paging and the keyboard search choose a line as a click does.
        followSelection(list);
    } else if (watched == lst1->viewport() || watched == lst2->viewport()) {
        auto* list = watched == lst1->viewport() ? lst1 : lst2;
        // Letting go over another line than the one pressed is no click, yet it chooses.
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            chosenOnRelease_ = false;
        else if (type == QEvent::MouseButtonRelease)
            chosenOnRelease_ = followSelection(list);
    } else if (watched == edtOther && type == QEvent::FocusIn) {
        run([this] { edtOtherEnter(); });
    } else if (watched == edtNumber && type == QEvent::FocusOut) {
        run([this] { edtNumberExit(); });
    } else if (watched == comCost && type == QEvent::FocusOut) {
        run([this] { comCostExit(); });
    } else if ((watched == comCost || watched == comCost->lineEdit()) && type == QEvent::KeyPress) {
        const int k = key();
        run([&] { comCostKeyDown(k); });
    }
    return QWidget::eventFilter(watched, event);
}

void SubInventoryTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!pendingBackground_.isEmpty()) ui::Guarded([this] { showBackground(); });
    if (!event->spontaneous()) ui::Guarded([this] { tabEnter(); });
}

QList<QWidget*> SubInventoryTab::entryFields() const {
    return {lblNumber1,  edtNumber, lblCost1,  comCost,   lblPhoto,  edtPhoto,
            btnBrowse,   lblBrand,  edtBrand,  lblSerial, edtSerial, lblPurchase,
            edtPurchase, lblNotes1, lblNotes2, rchNotes};
}

void SubInventoryTab::setEntryFieldsEnabled(bool enabled) {
    for (QWidget* w : entryFields())
        w->setEnabled(enabled);
}

void SubInventoryTab::clearEntryFields() {
    edtNumber->clear();
    comCost->clear();
    comCost->clearEditText();
    edtPhoto->clear();
    edtBrand->clear();
    edtSerial->clear();
    edtPurchase->clear();
    rchNotes->clear();
}

bool SubInventoryTab::extraFieldsShown() const {
    return !edtBrand->isHidden();
}

QStringList SubInventoryTab::costLines() const {
    QStringList lines;
    for (int i = 0; i < comCost->count(); ++i)
        lines << comCost->itemText(i);
    return lines;
}

void SubInventoryTab::ResetEntryForm(int mode) {
    auto& s = app::State();
    setEntryFieldsEnabled(false);
    if (mode == ResetCategory) {
        s.CurrentCategoryNumber = 0;
        deselect(lst1);
        lst2->clear();
        setItemScrollExtent(0);
        lst2->setEnabled(true);
        setBoxColour(lst2, QPalette::Base);
        lbl2->clear();
        lblOther2->setText(QStringLiteral("Item"));
        lblOther2->adjustSize();
        lblOther1->show();
        HideExtraFields();
    } else if (mode == ResetItem) {
        deselect(lst2);
    }
    s.CurrentItemNumber = 0;
    s.CostValid = false;
    s.CountValid = false;
    edtOther->clear();
    edtOther->setFocusPolicy(Qt::StrongFocus);
    lblNumber2->setText(QStringLiteral("Items"));
    lblNumber2->adjustSize();
    clearEntryFields();
}

void SubInventoryTab::shrinkTitles(const QString& text) {
    int size = kTitleFontSize;
    QFont font = lbl2->font();
    for (;;) {
        font.setPixelSize(size);
        if (size <= 1 || QFontMetrics(font).horizontalAdvance(text) < kTitleWidth) break;
        --size;
    }
    for (QLabel* l : {lbl2, lblOther2}) {
        l->setFont(font);
        l->setText(text);
        l->adjustSize();
    }
}

void SubInventoryTab::showExtraFields(int editUse) {
    if (editUse == 1 || editUse == 2) {
        for (QWidget* w : std::initializer_list<QWidget*>{lblBrand, lblSerial, lblPurchase,
                                                          edtBrand, edtSerial, edtPurchase})
            w->show();
        edtBrand->setEnabled(true);
        edtSerial->setEnabled(true);
        edtPurchase->setEnabled(true);
        lblSerial->setText(editUse == 1 ? QStringLiteral("Serial Number")
                                        : QStringLiteral("Pattern"));
        lblSerial->adjustSize();
        lblNotes1->move(352, 144);
        lblNotes2->move(352, 144);
        lblNotes2->hide();
        rchNotes->setGeometry(352, 168, 385, 97);
    } else {
        HideExtraFields();
    }
}

bool SubInventoryTab::followSelection(QListWidget* list) {
    const bool categories = list == lst1;
    if (selectedRow(list) == (categories ? handledRow1_ : handledRow2_)) return false;
    ui::Guarded([&] { categories ? lst1Click() : lst2Click(); });
    return true;
}

void SubInventoryTab::lst1Click() {
    handledRow1_ = selectedRow(lst1);
    auto& s = app::State();
    if (!hasSelection(lst1)) {
        s.CurrentCategoryNumber = 0;
        return;
    }
    const QString category = selectedText(lst1);
    ResetEntryForm(ResetItem);
    lst2->clear();
    shrinkTitles(category);
    lblNumber2->setText(QStringLiteral("Items"));
    lblNumber2->adjustSize();

    const auto row = entries::FindCategory(s.ADOQuery1, info_.keyText(), category);
    s.CurrentCategoryNumber = row.number;
    showExtraFields(row.editUse);

    const QStringList items =
        entries::ItemNames(s.ADOQuery1, info_.keyText(), s.CurrentCategoryNumber);
    int widest = 0;
    for (const QString& item : items)
        widest = std::max(widest, TextWidth(lst2, item));
    lst2->addItems(items);
    setItemScrollExtent(widest + 5);

    lblOther1->setVisible(category != QLatin1String("Other"));
    if (lst2->count() > 0) {
        lst2->setEnabled(true);
        setBoxColour(lst2, QPalette::Base);
    } else {
        lbl2->clear();
        lst2->setEnabled(false);
        setBoxColour(lst2, QPalette::Button);
    }
}

void SubInventoryTab::lst1KeyUp(int key) {
    if (key == Qt::Key_Backspace) ResetEntryForm(ResetCategory);
}

void SubInventoryTab::fillCostList() {
    comCost->addItems(entries::PricePoints(app::State().ADOQuery1, info_.keyText(),
                                           app::State().CurrentItemNumber));
}

void SubInventoryTab::lst2Click() {
    handledRow2_ = selectedRow(lst2);
    auto& s = app::State();
    if (!hasSelection(lst2)) {
        s.CurrentItemNumber = 0;
        return;
    }
    const QString item = selectedText(lst2);
    edtOther->setFocusPolicy(Qt::ClickFocus);
    edtOther->clear();
    lblNumber2->setText(item);
    lblNumber2->adjustSize();

    comCost->clear();
    comCost->clearEditText();
    edtNumber->clear();
    edtBrand->clear();
    edtSerial->clear();
    edtPurchase->clear();
    rchNotes->clear();
    s.CostValid = false;
    s.CountValid = false;

    setEntryFieldsEnabled(true);
    setBoxColour(rchNotes, QPalette::Base);

    s.CurrentItemNumber =
        entries::FindItem(s.ADOQuery1, info_.keyText(), item, s.CurrentCategoryNumber);
    fillCostList();

    s.EntryCost = PreselectedCost(info_.number);
    comCost->setEditText(entries::CostBoxText(s.EntryCost));
    s.CostValid = true;
}

void SubInventoryTab::lst2KeyUp(int key) {
    if (key != Qt::Key_Backspace) return;
    setEntryFieldsEnabled(false);
    deselect(lst2);
    app::State().CurrentItemNumber = 0;
    edtOther->clear();
    edtOther->setFocusPolicy(Qt::StrongFocus);
    lblNumber2->setText(QStringLiteral("Items"));
    lblNumber2->adjustSize();
    clearEntryFields();
}

void SubInventoryTab::edtOtherEnter() {
    if (edtOther->text().isEmpty())
        ResetEntryForm(ResetItem);
    else
        app::State().CurrentItemNumber = -1;
}

void SubInventoryTab::edtOtherChange() {
    if (edtOther->text().isEmpty()) {
        ResetEntryForm(ResetFields);
        return;
    }
    app::State().CurrentItemNumber = -1;
    setBoxColour(rchNotes, QPalette::Base);
    setEntryFieldsEnabled(true);
}

void SubInventoryTab::edtNumberExit() {
    auto& s = app::State();
    s.CountValid = entries::ParseCardinal(edtNumber->text(), s.EntryCount);
}

void SubInventoryTab::comCostSelect() {
    auto& s = app::State();
    double cost = s.EntryCost;
    const bool ok = entries::ParseCostText(comCost->currentText().left(254), cost);
    s.CostValid = ok && cost >= 0;
    s.EntryCost = cost;
}

void SubInventoryTab::comCostKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) comCostSelect();
}

void SubInventoryTab::comCostExit() {
    comCostSelect();
}

void SubInventoryTab::tabEnter() {
    auto& s = app::State();
    s.CostValid = false;
    s.CountValid = false;
    edtNumberExit();
    comCostSelect();

    s.CurrentCategoryNumber = 0;
    if (hasSelection(lst1))
        s.CurrentCategoryNumber =
            entries::FindCategory(s.ADOQuery1, info_.keyText(), selectedText(lst1)).number;
    s.CurrentItemNumber = 0;
    if (hasSelection(lst2)) {
        s.CurrentItemNumber = entries::FindItem(s.ADOQuery1, info_.keyText(), selectedText(lst2),
                                                s.CurrentCategoryNumber);
    } else if (!edtOther->text().isEmpty()) {
        s.CurrentItemNumber = -1;
    }
    FillSubInventoryList();
}

void SubInventoryTab::FillSubInventoryList() {
    auto& q = app::State().ADOQuery2;
    app::State().Entries.openTab(info_.number);
    // Lines are formatted when the list shows them.
    auto listing = SubInventoryListing::Read(q);
    q.close();
    lstInventory->setSource(std::move(listing));
}

QString SubInventoryTab::itemName() const {
    return hasSelection(lst2) ? selectedText(lst2) : edtOther->text();
}

bool SubInventoryTab::storableTexts() const {
    const QString none;
    const bool extra = extraFieldsShown();
    return StorableTexts({
        {QStringLiteral("Other Item"), hasSelection(lst2) ? none : edtOther->text()},
        {lblBrand->text(), extra ? edtBrand->text() : none},
        {lblSerial->text(), extra ? edtSerial->text() : none},
        {lblPurchase->text(), extra ? edtPurchase->text() : none},
        {QStringLiteral("Notes"), rchNotes->toPlainText()},
        {QStringLiteral("Photograph"), edtPhoto->text()},
    });
}

QString SubInventoryTab::composeNotes() const {
    QString notes;
    if (extraFieldsShown()) {
        const auto doubled = [](QString t) {
            return t.replace(QLatin1Char('~'), QStringLiteral("~~"));
        };
        notes = QStringLiteral("~Brand: ") + doubled(edtBrand->text()) + QStringLiteral("  ") +
                lblSerial->text() + QStringLiteral(": ") + doubled(edtSerial->text()) +
                QStringLiteral("  Purchase Date: ") + doubled(edtPurchase->text()) +
                QStringLiteral("~");
    }
    // The brand line is a line of its own: a quoted first notes line written right after its
    // closing tilde would read as part of it.
    const QString lines = store::NotesToText(NotesLines(rchNotes->toPlainText()));
    if (!notes.isEmpty() && !lines.isEmpty()) notes += QLatin1Char('`');
    return notes + lines;
}

void SubInventoryTab::btnAddClick() {
    auto& s = app::State();
    if (s.CurrentCategoryNumber == 0 || s.CurrentItemNumber == 0) return;
    auto* numberMessage = ui::Win().dlgIncorrectNumber.get();
    bool refused = false;
    const auto refuse = [&](int mode) {
        refused = true;
        if (numberMessage) numberMessage->Execute(mode);
    };

    quint32 count = s.EntryCount;
    if (s.CountValid) {
        if (count > entries::kMaxCount) refuse(0);
    } else if (edtNumber->text().isEmpty()) {
        count = 1;
    } else {
        refuse(0);
    }
    if (!s.CostValid) {
        if (comCost->currentText().isEmpty())
            s.EntryCost = PreselectedCost(info_.number);
        else
            refuse(1);
    }
    if (!refused && count * s.EntryCost >= entries::kMaxTotal) refuse(2);
    if (refused) return;
    if (!storableTexts()) return;

    const int id = s.Entries.nextNumber();
    const QString photo = edtPhoto->text();
    if (pictures::AddPicture(photo, quint32(id)) != pictures::PhotoAccepted) return;

    entries::NewEntry entry;
    entry.subInventory = info_.subInventoryText();
    entry.subInventoryNumber = info_.number;
    entry.category = selectedText(lst1);
    entry.categoryNumber = s.CurrentCategoryNumber;
    entry.item = itemName();
    entry.itemNumber = s.CurrentItemNumber;
    entry.count = count;
    entry.cost = entries::CutToCents(s.EntryCost);
    entry.notes = composeNotes();
    entry.photo = photo;
    try {
        s.Entries.add(entry); // the listing and the Add buttons follow
    } catch (...) {
        // The thumbnail already carries the number the next Add will use again.
        if (auto* list = pictures::Pictures(); list && !photo.isEmpty())
            list->RemovePicture(quint32(id));
        throw;
    }

    s.InventoryModified = true;
    ResetEntryForm(ResetItem);
    if (lstInventory->count() > kVisibleListingLines) lstInventory->scrollToBottom();
}

int SubInventoryTab::selectedEntryId() const {
    const int row = lstInventory->currentRow();
    if (row < 0 || row >= lstInventory->count() - 1) return 0;
    return entries::ListingLineId(lstInventory->line(row)).value_or(0);
}

void SubInventoryTab::btnRemoveClick() {
    const int id = selectedEntryId();
    if (id <= 0) return;
    auto& s = app::State();
    int top = lstInventory->indexAt(QPoint(1, 1)).row();
    // The pictures and the Add buttons follow a removal that took place.
    const bool removed = s.Entries.remove(id);
    FillSubInventoryList();
    if (!removed) return;
    s.InventoryModified = true;

    while (top > 0) {
        if (lstInventory->count() >= top + kVisibleListingLines) {
            lstInventory->scrollTo(lstInventory->model()->index(top, 0),
                                   QAbstractItemView::PositionAtTop);
            break;
        }
        --top;
    }
}

void SubInventoryTab::btnEditClick() {
    const int id = selectedEntryId();
    if (id <= 0 || !ui::Win().dlgEdit) return;
    ui::Win().dlgEdit->Execute(id);
}

void SubInventoryTab::btnBrowseClick() {
    auto* picker = ui::Win().dlgPhotograph.get();
    if (!picker) return;
    edtPhoto->setText(picker->Execute(edtPhoto->text()));
}

void SubInventoryTab::setExtent(QListWidget* list, int pixels) {
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setProperty("scrollExtent", pixels);
}

void SubInventoryTab::setItemScrollExtent(int pixels) {
    itemExtent_ = pixels;
    setExtent(lst2, pixels);
}

void SubInventoryTab::FillCategoryList() {
    lbl2->clear();
    lst1->clear();
    int widest = 0;
    for (const QString& name : entries::CategoryNames(app::State().ADOQuery1, info_.keyText())) {
        lst1->addItem(name);
        widest = std::max(widest, TextWidth(lst1, name));
    }
    categoryExtent_ = widest + 3;
    setExtent(lst1, categoryExtent_);
}

void SubInventoryTab::HideExtraFields() {
    for (QWidget* w : std::initializer_list<QWidget*>{lblBrand, edtBrand, lblSerial, edtSerial,
                                                      lblPurchase, edtPurchase})
        w->hide();
    edtBrand->setEnabled(false);
    edtSerial->setEnabled(false);
    edtPurchase->setEnabled(false);
    lblNotes1->move(352, 88);
    lblNotes2->move(352, 112);
    lblNotes2->show();
    rchNotes->setGeometry(352, 128, 385, 137);
}

void SubInventoryTab::PlaceListingHeadings() {
    // Over the listing's character columns (ID 1, category 7, item 23, notes 61); right-aligned
    // headings end where their column ends (count 48, value 59).
    const auto at = [this](int column) { return lstInventory->columnLeft(column); };
    lblInventoryID->move(at(0), lblInventoryID->y());
    lblInventoryCategory->move(at(6), lblInventoryCategory->y());
    lblInventoryItem->move(at(22), lblInventoryItem->y());
    lblInventoryNumber->move(at(48) - lblInventoryNumber->width(), lblInventoryNumber->y());
    lblInventoryValue->move(at(59) - lblInventoryValue->width(), lblInventoryValue->y());
    lblInventoryNotes->move(at(60), lblInventoryNotes->y());
}

static QPixmap loadPicture(const QString& path) {
    QPixmap p;
    // JPEG backgrounds go through the same decoder as the photographs, not an image plugin.
    const bool jpeg = path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
                      path.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
    if (jpeg && QFile::exists(path)) p = QPixmap::fromImage(pictures::DecodeJpeg(path).image);
    if (!QFile::exists(path) || (jpeg ? p.isNull() : !p.load(path)))
        throw std::runtime_error(
            QStringLiteral("Cannot open file \"%1\".").arg(path).toStdString());
    return p;
}

void SubInventoryTab::LoadBackground(const QString& path) {
    const bool jpeg = path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
                      path.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
    if (!jpeg) {
        imgBack->setPixmap(loadPicture(path));
        pendingBackground_.clear();
        return;
    }
    // Decoding all seventeen at full size would hold up start-up for pictures not yet seen: a
    // missing or foreign file is found now, the picture is decoded on the first showing.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(3) != QByteArray("\xff\xd8\xff", 3))
        throw std::runtime_error(
            QStringLiteral("Cannot open file \"%1\".").arg(path).toStdString());
    imgBack->setPixmap(QPixmap());
    pendingBackground_ = path;
    if (isVisible()) showBackground();
}

void SubInventoryTab::showBackground() {
    const QString path = pendingBackground_;
    pendingBackground_.clear(); // a damaged picture is reported once, not on every showing
    imgBack->setPixmap(loadPicture(path));
}

void SubInventoryTab::ShowStandardAppearance(const QString& programFolder) {
    imgBack->hide();
    const QPixmap blank = loadPicture(programFolder + QStringLiteral("Content/blnk.bmp"));
    const std::pair<QPushButton*, const char*> buttons[] = {
        {btnBrowse, "Browse"}, {btnAdd, "Add"}, {btnRemove, "Remove"}, {btnEdit, "Edit"}};
    for (auto [b, caption] : buttons) {
        b->setIcon(blank);
        b->setText(QString::fromLatin1(caption));
        b->setLayoutDirection(Qt::RightToLeft); // picture to the right of the caption
    }
}

void SubInventoryTab::ShowWatermarkAppearance(const QString& programFolder,
                                              const QString& buttonPrefix) {
    imgBack->show();
    const char* actions[] = {"Browse", "Add", "Remove", "Edit"};
    QPushButton* buttons[] = {btnBrowse, btnAdd, btnRemove, btnEdit};
    for (int i = 0; i < 4; ++i) {
        const QPixmap pic = loadPicture(programFolder + QStringLiteral("Content/") + buttonPrefix +
                                        QString::fromLatin1(actions[i]) + QStringLiteral(".bmp"));
        buttons[i]->setIcon(pic);
        buttons[i]->setIconSize(pic.size());
        buttons[i]->setText(QString());
    }
}

} // namespace tabs
