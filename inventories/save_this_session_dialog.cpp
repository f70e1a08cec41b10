#include "inventories/save_this_session_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "inventories/dialog_parts.h"
#include "inventories/save_as_dialog.h"

TdlgSaveThisSession::TdlgSaveThisSession(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSaveThisSession"));
    setWindowTitle(QStringLiteral("Save this Inventory?"));
    inventories::parts::QuestionFrame(this);
    setFixedSize(273, 105);

    using inventories::parts::Label;
    Label1 = Label(this, "Label1", QStringLiteral("This inventory has been modified."), 16, 12);
    Label2 = Label(this, "Label2", QStringLiteral("Would you like to save it?"), 16, 30);
    using inventories::parts::Button;
    btnYes = Button(this, "btnYes", QStringLiteral("&Yes"), 8, 68);
    btnYes->setDefault(true);
    btnNo = Button(this, "btnNo", QStringLiteral("&No"), 99, 68);
    btnCancel = Button(this, "btnCancel", QStringLiteral("&Cancel"), 190, 68);

    ui::ConnectGuarded(btnYes, &QPushButton::clicked, this, [this] { btnYesClick(); });
    ui::ConnectGuarded(btnNo, &QPushButton::clicked, this, [this] { btnNoClick(); });
    ui::ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TdlgSaveThisSession::Execute() {
    // Until a button says otherwise the answer is the safe one: nothing done.
    app::State().DialogCancelled = true;
    ui::Modal::exec(*this);
}

void TdlgSaveThisSession::btnYesClick() {
    app::State().DialogCancelled = false;
    // Save As even for a named inventory: it proposes the name and asks before replacing. Its
    // Cancel sets DialogCancelled, so the caller stops unless the save was completed.
    ui::Win().dlgSaveAs->Execute();
    accept();
}

void TdlgSaveThisSession::btnNoClick() {
    app::State().DialogCancelled = false;
    accept();
}

void TdlgSaveThisSession::btnCancelClick() {
    app::State().DialogCancelled = true;
    QDialog::reject();
}

void TdlgSaveThisSession::reject() {
    btnCancelClick();
}
