#include "tabs/sub_inventory_tab.h"

#include "app/common/app_state.h"
#include "app/common/line_list.h"
#include "store/database.h"
#include "store/stored_text.h"

#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

namespace tabs {

namespace {

template <typename W>
W* make(QWidget* parent, const QString& name, const QString& accessible = {}) {
    auto* w = new W(parent);
    w->setObjectName(name);
    if (!accessible.isEmpty())
        w->setAccessibleName(accessible);
    return w;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int x, int y) {
    auto* l = make<QLabel>(parent, name);
    l->setText(text);
    l->move(x, y);
    l->adjustSize();
    return l;
}

} // namespace

int TextWidth(const QWidget* widget, const QString& text) {
    return QFontMetrics(widget->font()).horizontalAdvance(text);
}

QString SubInventoryTab::name(const char* prefix, const char* role) const {
    return QString::fromLatin1(prefix) + info_.keyText() + QString::fromLatin1(role);
}

SubInventoryTab::SubInventoryTab(const TabInfo& info, QWidget* parent)
    : QWidget(parent), info_(info) {
    setObjectName(name("tab", ""));
    setAccessibleName(info.captionText());

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
    edtPhoto->setToolTip(QStringLiteral("You may enter the name of a picture of the inventory item."));
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
    lblNotes2 = label(this, name("lbl", "Notes2"),
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
    for (QWidget* w : std::initializer_list<QWidget*>{
             lblNumber1, edtNumber, lblCost1, comCost, lblPhoto, edtPhoto, btnBrowse, lblBrand,
             edtBrand, lblSerial, edtSerial, lblPurchase, edtPurchase, lblNotes1, lblNotes2,
             rchNotes})
        w->setEnabled(false);
    imgBack->lower();
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
    auto& q = app::State().ADOQuery1;
    lbl2->clear();
    lst1->clear();
    q.open({QStringLiteral("SELECT Category_Name"), QStringLiteral("FROM ") + info_.keyText() +
                                                        QStringLiteral("_Main"),
            QStringLiteral("ORDER BY Order_Number")});
    int widest = 0;
    do {
        const QString name = store::FromStoredText(q.text(0));
        lst1->addItem(name);
        widest = std::max(widest, TextWidth(lst1, name));
        q.next();
    } while (!q.eof());
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
    const int L = lstInventory->x();
    // Right-aligned headings end where their column ends.
    lblInventoryID->move(L + 4, lblInventoryID->y());
    lblInventoryCategory->move(L + 52, lblInventoryCategory->y());
    lblInventoryItem->move(L + 180, lblInventoryItem->y());
    lblInventoryNumber->move(L + 388 - lblInventoryNumber->width(), lblInventoryNumber->y());
    lblInventoryValue->move(L + 476 - lblInventoryValue->width(), lblInventoryValue->y());
    lblInventoryNotes->move(L + 484, lblInventoryNotes->y());
}

static QPixmap loadPicture(const QString& path) {
    QPixmap p;
    if (!QFile::exists(path) || !p.load(path))
        throw std::runtime_error(
            QStringLiteral("Cannot open file \"%1\".").arg(path).toStdString());
    return p;
}

void SubInventoryTab::LoadBackground(const QString& path) { imgBack->setPixmap(loadPicture(path)); }

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
                                              const QString& backgroundFile,
                                              const QString& buttonPrefix) {
    imgBack->show();
    (void)backgroundFile;
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
