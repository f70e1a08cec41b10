#include "inventories/delete_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "inventories/are_you_sure_dialog.h"
#include "inventories/dialog_parts.h"
#include "inventories/file_commands.h"
#include "inventories/inventory_store.h"

#include <QLabel>
#include <QListWidget>

TdlgDelete::TdlgDelete(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgDelete"));
    setWindowTitle(QStringLiteral("Delete Inventory"));
    setFixedSize(281, 241);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Inventories"));
    ListBox1->setGeometry(8, 8, 265, 185);
    OKBtn = inventories::parts::Button(this, "OKBtn", QStringLiteral("&Delete"), 110, 205);
    CancelBtn = inventories::parts::Button(this, "CancelBtn", QStringLiteral("&Cancel"), 198, 205);
    CancelBtn->setDefault(true);
    OKBtn->setEnabled(false);

    ui::ConnectGuarded(ListBox1, &QListWidget::itemSelectionChanged, this,
                       [this] { ListBox1Click(); });
    ui::ConnectGuarded(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { OKBtnClick(); });
    ui::ConnectGuarded(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    ui::ConnectGuarded(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

void TdlgDelete::Execute() {
    FormShow();
    ui::Modal::exec(*this);
}

void TdlgDelete::FormShow() {
    ListBox1->clear();
    ListBox1->addItems(inventories::SavedInventories(app::State().ADOQuery2));
    OKBtn->setEnabled(false);
}

void TdlgDelete::ListBox1Click() {
    OKBtn->setEnabled(!ListBox1->selectedItems().isEmpty());
}

void TdlgDelete::OKBtnClick() {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty()) return;
    const QString name = chosen.first()->text();
    auto& s = app::State();
    s.DialogCancelled = false;
    TdlgAreYouSure& sure = *ui::Win().dlgAreYouSure;
    sure.setWindowTitle(QStringLiteral("Delete ") + name + QLatin1Char('?'));
    sure.Label2->setText(name + QLatin1Char('?'));
    sure.Execute();
    if (!s.DialogCancelled) {
        s.ADOQuery2.close(); // an open statement would keep the table locked
        if (inventories::DeleteInventory(s.ADOConnection2, name))
            app::State().Changes.announceRecentList();
    }
    ListBox1->clearSelection();
    OKBtn->setEnabled(false);
    accept();
}

void TdlgDelete::CancelBtnClick() {
    ListBox1->clearSelection();
    QDialog::reject();
}

void TdlgDelete::reject() {
    CancelBtnClick();
}
