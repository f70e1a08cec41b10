#include "inventories/continue_session_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "inventories/dialog_parts.h"
#include "inventories/file_commands.h"
#include "inventories/inventory_store.h"
#include "inventories/load_dialog.h"

TdlgContinueSession::TdlgContinueSession(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgContinueSession"));
    setWindowTitle(QStringLiteral("Continue Session?"));
    inventories::parts::QuestionFrame(this);
    setFixedSize(257, 161);

    Label1 = inventories::parts::Label(
        this, "Label1", QStringLiteral("Do you want to continue this session?"), 16, 12);
    using inventories::parts::Button;
    btnContinue =
        Button(this, "btnContinue", QStringLiteral("&Continue Interrupted Session"), 32, 44, 193);
    btnContinue->setDefault(true);
    btnNew = Button(this, "btnNew", QStringLiteral("Begin &New Inventory"), 32, 80, 193);
    btnLoad = Button(this, "btnLoad", QStringLiteral("&Load Inventory"), 32, 116, 193);

    ui::ConnectGuarded(btnContinue, &QPushButton::clicked, this, [this] { btnContinueClick(); });
    ui::ConnectGuarded(btnNew, &QPushButton::clicked, this, [this] { btnNewClick(); });
    ui::ConnectGuarded(btnLoad, &QPushButton::clicked, this, [this] { btnLoadClick(); });
}

void TdlgContinueSession::Execute() {
    ui::Modal::exec(*this);
}

void TdlgContinueSession::btnContinueClick() {
    inventories::ReloadWorkingInventory();
    // The continued inventory has never been saved in this form.
    auto& s = app::State();
    s.InventoryModified = true;
    s.SettingsChanged = true;
    accept();
}

void TdlgContinueSession::btnNewClick() {
    inventories::BeginNewAfterInterruption(app::State().ADOConnection2);
    // Listings and pictures may already show the interrupted run's entries.
    app::State().Changes.announceReloaded();
    accept();
}

void TdlgContinueSession::btnLoadClick() {
    auto& s = app::State();
    s.DialogCancelled = false;
    ui::Win().dlgLoad->Execute();
    // A cancelled Open leaves the question on the screen.
    if (!s.DialogCancelled) accept();
}

void TdlgContinueSession::reject() {
    ui::Guarded([this] { btnLoadClick(); });
}
