#include "tabs/edit_dialog.h"

#include "ui/app_state.h"
#include "entries/catalogue_lookup.h"
#include "entries/entry_store.h"
#include "ui/captions.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "pictures/photo_view_window.h"
#include "pictures/photograph_dialog.h"
#include "pictures/picture_checks.h"
#include "pictures/picture_list.h"
#include "store/money.h"
#include "store/stored_text.h"
#include "tabs/incorrect_number_dialog.h"
#include "entries/number_parsing.h"
#include "entries/price_points.h"
#include "tabs/tab_set.h"
#include "entries/tab_table.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace {

template <typename W> W* make(QWidget* parent, const char* name, const QString& text = {}) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if constexpr (std::is_same_v<W, QLabel> || std::is_same_v<W, QPushButton>) w->setText(text);
    if (!text.isEmpty()) w->setAccessibleName(ui::ReadableCaption(text));
    return w;
}

void showRefusal(int mode) {
    if (auto* dialog = ui::Win().dlgIncorrectNumber.get()) dialog->Execute(mode);
}

} // namespace

TdlgEdit::TdlgEdit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgEdit"));
    setWindowTitle(QStringLiteral("Edit Inventory Item"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(517, 362);

    // The client height and the notes box size are both fixed, so the rows above the notes are
    // packed tightly and the entry's category shares the first row with its number.
    lblEntry = make<QLabel>(this, "lblEntry", QStringLiteral("Entry:"));
    lblEntry->move(8, 6);
    lblID = make<QLabel>(this, "lblID");
    lblID->setGeometry(56, 6, 80, 16);
    lblCategory = make<QLabel>(this, "lblCategory");
    lblCategory->setGeometry(144, 6, 365, 16);
    lblName = make<QLabel>(this, "lblName");
    lblName->setGeometry(8, 28, 500, 16);
    edtName = make<QLineEdit>(this, "edtName");
    edtName->setAccessibleName(QStringLiteral("Item"));
    edtName->setGeometry(8, 25, 257, 21);
    edtName->hide();
    lblNumber = make<QLabel>(this, "lblNumber");
    lblNumber->move(8, 50);
    lblAt = make<QLabel>(this, "lblAt", QStringLiteral("at"));
    lblCost = make<QLabel>(this, "lblCost");
    lblEach = make<QLabel>(this, "lblEach", QStringLiteral("each"));
    for (QLabel* l : {lblAt, lblCost, lblEach})
        l->move(0, 50);

    lblNewNumber = make<QLabel>(this, "lblNewNumber", QStringLiteral("New number:"));
    lblNewNumber->move(8, 73);
    edtNumber = make<QLineEdit>(this, "edtNumber");
    edtNumber->setAccessibleName(QStringLiteral("New number:"));
    edtNumber->setGeometry(96, 70, 65, 21);
    lblNewCost = make<QLabel>(this, "lblNewCost", QStringLiteral("New value:"));
    lblNewCost->move(176, 73);
    comValue = make<QComboBox>(this, "comValue");
    comValue->setAccessibleName(QStringLiteral("New value:"));
    comValue->setEditable(true);
    comValue->setInsertPolicy(QComboBox::NoInsert);
    comValue->setGeometry(248, 70, 113, 21);

    lblPhoto = make<QLabel>(this, "lblPhoto", QStringLiteral("Photograph:"));
    lblPhoto->move(8, 99);
    edtPhoto = make<QLineEdit>(this, "edtPhoto");
    edtPhoto->setAccessibleName(QStringLiteral("Photograph:"));
    edtPhoto->setGeometry(96, 96, 321, 21);
    btnBrowse = make<QPushButton>(this, "btnBrowse", QStringLiteral("Browse"));
    btnBrowse->setGeometry(424, 94, 85, 25);

    lblNotes = make<QLabel>(this, "lblNotes", QStringLiteral("Notes:"));
    lblNotes->move(8, 121);
    rchNotes = make<QTextEdit>(this, "rchNotes");
    rchNotes->setAccessibleName(QStringLiteral("Notes:"));
    rchNotes->setAcceptRichText(false);
    rchNotes->setGeometry(0, 138, 517, 193);

    btnView = make<QPushButton>(this, "btnView", QStringLiteral("&View Photo"));
    btnSave = make<QPushButton>(this, "btnSave", QStringLiteral("&Save Changes"));
    btnSave->setDefault(true);
    btnCancel = make<QPushButton>(this, "btnCancel", QStringLiteral("&Cancel"));
    btnView->setGeometry(8, 334, 105, 25);
    btnSave->setGeometry(296, 334, 105, 25);
    btnCancel->setGeometry(408, 334, 101, 25);

    connect(edtName, &QLineEdit::textChanged, this, [this] { NameEdited = true; });
    ui::ConnectGuarded(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    ui::ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    ui::ConnectGuarded(btnBrowse, &QPushButton::clicked, this, [this] { btnBrowseClick(); });
    ui::ConnectGuarded(btnView, &QPushButton::clicked, this, [this] { btnViewClick(); });
    ui::ConnectGuarded(edtPhoto, &QLineEdit::textChanged, this,
                       [this] { btnView->setEnabled(!edtPhoto->text().isEmpty()); });
}

void TdlgEdit::Execute(int editedId) {
    EditedID = editedId;
    FormActivate();
    ui::Modal::exec(*this);
    // Closing: the picture that was selected when the dialog opened is selected again.
    if (auto* list = pictures::Pictures(); list && PictureToReselect != 0)
        list->SelectPicture(quint32(PictureToReselect));
}

void TdlgEdit::FormActivate() {
    // Every way out empties these, but a stale count or a doubled price list must never reach
    // a save, so each showing starts from empty boxes regardless.
    emptyNewValues();
    PictureToReselect = 0;
    if (auto* list = pictures::Pictures(); list && list->Selected) {
        PictureToReselect = int(list->Selected->EntryNumber);
        list->ClearSelection();
    }
    auto& s = app::State();
    const entries::StoredEntry entry = s.Entries.read(EditedID);
    const QString name = entry.item;
    lblID->setText(QString::number(EditedID));
    lblCategory->setText(entry.category);
    lblName->setText(name);
    lblNumber->setText(QString::number(entry.count));
    QString cost = QStringLiteral("$") + entry.cost.toSqlText();
    if (!cost.contains(QLatin1Char('.'))) cost += QStringLiteral(".00");
    lblCost->setText(cost);
    rchNotes->setPlainText(store::NotesFromText(entry.notes).join(QLatin1Char('\n')));
    edtPhoto->setText(entry.photo);
    btnView->setEnabled(!edtPhoto->text().isEmpty());
    EntryTab = entry.subInventoryNumber;
    const auto itemNumber = entry.itemNumber;

    const int page = entries::PageOfSubInventory(EntryTab);
    if (itemNumber >= 0) {
        if (page >= 0)
            comValue->addItems(entries::PricePoints(
                s.ADOQuery1, entries::TabTable()[page].keyText(), static_cast<int>(itemNumber)));
        comValue->clearEditText();
        edtName->hide();
        lblName->show();
    } else {
        edtName->setText(name);
        edtName->show();
        lblName->hide();
    }
    NameEdited = false;
    placeCostLine();
}

void TdlgEdit::placeCostLine() {
    lblNumber->adjustSize();
    QLabel* previous = lblNumber;
    for (QLabel* l : {lblAt, lblCost, lblEach}) {
        l->adjustSize();
        l->move(previous->x() + previous->width() + 4, previous->y());
        previous = l;
    }
}

void TdlgEdit::emptyNewValues() {
    edtNumber->clear();
    comValue->clear();
    comValue->clearEditText();
    rchNotes->clear();
}

void TdlgEdit::btnSaveClick() {
    auto& s = app::State();
    quint32 count = 0;
    const bool countOk = edtNumber->text().isEmpty()
                             ? entries::ParseCardinal(lblNumber->text(), count)
                             : entries::ParseCardinal(edtNumber->text(), count);
    if (!countOk || count > entries::kMaxCount) {
        showRefusal(0);
        return;
    }
    QString costText =
        comValue->currentText().isEmpty() ? lblCost->text() : comValue->currentText();
    if (costText.startsWith(QLatin1Char('$'))) costText[0] = QLatin1Char(' ');
    double cost = 0;
    // A negative cost is refused here as on the tabs: it would subtract from the inventory.
    if (costText.isEmpty() || !entries::ParseReal(costText, cost) || cost < 0) {
        showRefusal(1);
        return;
    }
    const double total = count * cost;
    if (total >= entries::kMaxTotal) {
        showRefusal(2);
        return;
    }
    if (!tabs::StorableTexts({{QStringLiteral("Name"), NameEdited ? edtName->text() : QString()},
                              {QStringLiteral("Notes"), rchNotes->toPlainText()},
                              {QStringLiteral("Photograph"), edtPhoto->text()}}))
        return;
    QString photo = edtPhoto->text();
    if (auto* list = pictures::Pictures()) {
        // A trial under a number no entry uses, then the entry's thumbnail is replaced.
        const auto trial = quint32(s.Entries.nextNumber());
        if (list->AddPicture(photo, trial) != pictures::PhotoAccepted) return;
        list->RemovePicture(trial);
        list->RemovePicture(quint32(EditedID));
        if (list->AddPicture(photo, quint32(EditedID)) != pictures::PhotoAccepted) {
            photo.clear();
            PictureToReselect = 0;
        }
    } else if (pictures::AcceptPhotograph(photo) != pictures::PhotoAccepted) {
        return;
    }

    entries::EntryChange change;
    change.count = count;
    change.cost = cost;
    change.notes = store::NotesToText(tabs::NotesLines(rchNotes->toPlainText()));
    change.photo = photo;
    if (NameEdited) change.item = edtName->text();
    change.subInventoryNumber = EntryTab;
    try {
        s.Entries.update(EditedID, change); // the entry's tab and the Inventory page follow
    } catch (...) {
        // The thumbnail was already swapped; the pictures must show what the entry still holds.
        s.Changes.announcePicturesChanged();
        throw;
    }

    emptyNewValues();
    s.InventoryModified = true;
    accept();
}

void TdlgEdit::btnCancelClick() {
    reject();
}

void TdlgEdit::reject() {
    // Escape and the window's close button end here too, not only the Cancel button.
    emptyNewValues();
    QDialog::reject();
}

void TdlgEdit::btnBrowseClick() {
    auto* picker = ui::Win().dlgPhotograph.get();
    if (!picker) return;
    edtPhoto->setText(picker->Execute(edtPhoto->text()));
}

void TdlgEdit::btnViewClick() {
    if (auto* viewer = ui::Win().frmPhotoView.get()) viewer->Execute(quint32(EditedID));
}
