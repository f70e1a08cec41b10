#include "inventories/are_you_sure_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "inventories/dialog_parts.h"

namespace inventories {

AreYouSureLayout LayOutAreYouSure(int nameWidth, const std::array<int, 3>& fixedWidths) {
    AreYouSureLayout l;
    // A name line that fits between the margins keeps the design width.
    l.width = nameWidth <= kAreYouSureWidth - 3 * kAreYouSureMargin
                  ? kAreYouSureWidth
                  : nameWidth + 3 * kAreYouSureMargin;
    l.nameLeft = kAreYouSureMargin;
    for (int i = 0; i < 3; ++i)
        l.fixedLefts[i] = (l.width - fixedWidths[i]) / 2;
    l.cancelLeft = l.width - kAreYouSureMargin - kAreYouSureButtonWidth;
    l.yesLeft = l.cancelLeft - kAreYouSureMargin - kAreYouSureButtonWidth;
    return l;
}

} // namespace inventories

TdlgAreYouSure::TdlgAreYouSure(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgAreYouSure"));
    setWindowTitle(QStringLiteral(""));

    using inventories::parts::Label;
    Label1 = Label(this, "Label1", QStringLiteral("Are You sure you want to delete"), 8, 8);
    Label2 = Label(this, "Label2", QString(), 8, 26);
    Label3 = Label(this, "Label3", QStringLiteral("You will not be able to recover"), 8, 44);
    Label4 = Label(this, "Label4", QStringLiteral("this inventory once you delete it."), 8, 62);
    OKBtn = inventories::parts::Button(this, "OKBtn", QStringLiteral("&Yes"), 0, 90);
    CancelBtn = inventories::parts::Button(this, "CancelBtn", QStringLiteral("&Cancel"), 0, 90);
    CancelBtn->setDefault(true); // a deletion cannot be undone
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    ui::ConnectGuarded(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    FormActivate();
}

void TdlgAreYouSure::Execute() {
    FormActivate();
    ui::Modal::exec(*this);
}

void TdlgAreYouSure::FormActivate() {
    for (QLabel* l : {Label1, Label2, Label3, Label4})
        l->adjustSize();
    const inventories::AreYouSureLayout l = inventories::LayOutAreYouSure(
        Label2->width(), {Label1->width(), Label3->width(), Label4->width()});
    Label2->move(l.nameLeft, Label2->y());
    Label1->move(l.fixedLefts[0], Label1->y());
    Label3->move(l.fixedLefts[1], Label3->y());
    Label4->move(l.fixedLefts[2], Label4->y());
    OKBtn->move(l.yesLeft, OKBtn->y());
    CancelBtn->move(l.cancelLeft, CancelBtn->y());
    setFixedSize(l.width, OKBtn->y() + OKBtn->height() + inventories::kAreYouSureMargin);
}

void TdlgAreYouSure::CancelBtnClick() {
    app::State().DialogCancelled = true;
    QDialog::reject();
}

void TdlgAreYouSure::reject() {
    CancelBtnClick();
}
