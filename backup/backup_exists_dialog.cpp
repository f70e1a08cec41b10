#include "backup/backup_exists_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "inventories/dialog_parts.h"

#include <QRadioButton>

TdlgBackupExists::TdlgBackupExists(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgBackupExists"));
    setWindowTitle(QStringLiteral("A backup exists"));
    inventories::parts::QuestionFrame(this);
    setFixedSize(289, 161);
    using inventories::parts::Label;
    Label1 =
        Label(this, "Label1", QStringLiteral("A backup allready exists in this location."), 16, 12);
    Label2 =
        Label(this, "Label2", QStringLiteral("Backing up will delete the old inventory."), 16, 30);
    RadioButton2 = new QRadioButton(QStringLiteral("Overwrite duplicate pictures only"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(16, 56, 257, 17);
    RadioButton2->setChecked(true);
    RadioButton3 = new QRadioButton(QStringLiteral("Do not overwrite old pictures"), this);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    RadioButton3->setGeometry(16, 80, 257, 17);
    using inventories::parts::Button;
    Button2 = Button(this, "Button2", QStringLiteral("&Continue"), 56, 120);
    Button2->setDefault(true);
    Button1 = Button(this, "Button1", QStringLiteral("&Cancel"), 152, 120);
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TdlgBackupExists::Execute() {
    app::State().DialogCancelled = true;
    ui::Modal::exec(*this);
}

void TdlgBackupExists::Button2Click() {
    app::State().DialogCancelled = false;
    accept();
}

void TdlgBackupExists::Button1Click() {
    app::State().DialogCancelled = true;
    QDialog::reject();
}

void TdlgBackupExists::reject() {
    Button1Click();
}

bool TdlgBackupExists::keepOldPictures() const {
    return RadioButton3->isChecked();
}
