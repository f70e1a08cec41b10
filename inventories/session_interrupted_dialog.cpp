#include "inventories/session_interrupted_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "inventories/dialog_parts.h"
#include "inventories/save_as_dialog.h"

TdlgSessionInterrupted::TdlgSessionInterrupted(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSessionInterrupted"));
    setWindowTitle(QStringLiteral("Session Interrupted"));
    inventories::parts::QuestionFrame(this);
    setFixedSize(257, 105);

    using inventories::parts::Label;
    Label1 = Label(this, "Label1", QStringLiteral("A previous session was interrupted."), 16, 12);
    Label2 =
        Label(this, "Label2", QStringLiteral("Would you like to save this inventory?"), 16, 30);
    btnYes = inventories::parts::Button(this, "btnYes", QStringLiteral("&Yes"), 40, 68);
    btnYes->setDefault(true);
    btnNo = inventories::parts::Button(this, "btnNo", QStringLiteral("&No"), 140, 68);

    ui::ConnectGuarded(btnYes, &QPushButton::clicked, this, [this] { btnYesClick(); });
    ui::ConnectGuarded(btnNo, &QPushButton::clicked, this, [this] { btnNoClick(); });
}

void TdlgSessionInterrupted::Execute() {
    ui::Modal::exec(*this);
}

void TdlgSessionInterrupted::btnYesClick() {
    auto& s = app::State();
    s.DialogCancelled = false;
    ui::Win().dlgSaveAs->Execute();
    // A cancelled Save As leaves the question on the screen.
    if (!s.DialogCancelled) accept();
}

void TdlgSessionInterrupted::btnNoClick() {
    app::State().DialogCancelled = false;
    accept();
}

void TdlgSessionInterrupted::reject() {
    btnNoClick();
}
