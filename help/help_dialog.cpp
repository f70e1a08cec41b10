#include "help/help_dialog.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "help/help_text.h"
#include "inventory/print_dialog.h"
#include "ui/windows.h"

#include <QEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

TdlgHelp::TdlgHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgHelp"));
    setWindowTitle(QStringLiteral("Help on"));
    setSizeGripEnabled(true);
    setMinimumSize(174, 76);

    rchHelpText = new QTextEdit(this);
    rchHelpText->setObjectName(QStringLiteral("rchHelpText"));
    rchHelpText->setReadOnly(true);
    rchHelpText->setAcceptRichText(false);
    rchHelpText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    rchHelpText->setFont(help::HelpScreenFont());
    rchHelpText->setAccessibleName(QStringLiteral("Help text"));

    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("OK"));
    Button2 = new QPushButton(QStringLiteral("&Print"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAccessibleName(QStringLiteral("Print"));
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);

    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    resize(450, 350);
    FormResize();
}

void TdlgHelp::ShowTopic(int topic, QWidget* anchor) {
    LicenceMode = false;
    Topic = topic;
    if (anchor) move(anchor->pos() + QPoint(8, 8));
    show();
    raise();
    activateWindow();
    // Activation arrives later (or not at all when the window already had it): load now.
    FormActivate();
}

void TdlgHelp::FormActivate() {
    if (LicenceMode) {
        rchHelpText->setPlainText(help::ReadLicenceText(app::State().programFolder));
        setWindowTitle(help::kLicenceCaption);
    } else {
        const help::HelpTopic t = help::ReadHelpTopic(app::State().ADOQuery1, Topic);
        setWindowTitle(t.caption);
        rchHelpText->clear();
        rchHelpText->setPlainText(t.text);
    }
    rchHelpText->verticalScrollBar()->setValue(0);
    activationLoadFailed_ = false;
}

void TdlgHelp::FormResize() {
    const help::HelpLayout l = help::LayOutHelp(size(), Button1->sizeHint(), Button2->sizeHint());
    Button1->setGeometry(l.ok);
    Button2->setGeometry(l.print);
    rchHelpText->setGeometry(l.text);
}

void TdlgHelp::Button1Click() {
    close();
}

void TdlgHelp::Button2Click() {
    // In licence mode this prints the topic last chosen, as the menu left it.
    const help::HelpTopic t = help::ReadHelpTopic(app::State().ADOQuery1, Topic);
    if (TdlgQIVPrint* print = ui::Win().dlgQIVPrint.get())
        print->PrintText(help::HelpPrintLines(t.text), help::kHelpLinesPerPage,
                         {QStringLiteral("Arial"), 12, QPageLayout::Portrait});
}

bool TdlgHelp::event(QEvent* e) {
    const bool handled = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate && !activationLoadFailed_) {
        activationLoadFailed_ = true; // cleared by a load that gets through
        ui::Guarded([this] { FormActivate(); });
    }
    return handled;
}

void TdlgHelp::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    FormResize();
}
