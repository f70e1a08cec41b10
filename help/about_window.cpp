#include "help/about_window.h"

#include "ui/guard.h"
#include "ui/windows.h"
#include "help/help_dialog.h"
#include "help/help_text.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr double kVersion = 1.101;
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quivera!"));
    setFixedSize(193, 202);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(8, 8, 177, 118);
    auto* top = new QVBoxLayout(panel);
    top->setContentsMargins(4, 4, 4, 4);
    top->setSpacing(2);

    Label1 = new QLabel(QStringLiteral("Quivera!") + QChar(0x2122), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont big = Label1->font();
    big.setPixelSize(22);
    big.setBold(true);
    Label1->setFont(big);
    Label1->setAlignment(Qt::AlignCenter);

    lblVersion = new QLabel(help::VersionCaption(kVersion), panel);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);

    Label2 = new QLabel(QStringLiteral("A home inventory for the whole household."), panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignCenter);

    lblEula = new QLabel(QStringLiteral("View the EULA"), panel);
    lblEula->setObjectName(QStringLiteral("lblEula"));
    lblEula->setStyleSheet(QStringLiteral("color: blue;"));
    lblEula->setCursor(Qt::PointingHandCursor);
    lblEula->setAlignment(Qt::AlignCenter);
    lblEula->setAccessibleName(QStringLiteral("View the EULA"));
    lblEula->installEventFilter(this);

    top->addWidget(Label1);
    top->addWidget(lblVersion);
    top->addWidget(Label2);
    top->addWidget(lblEula);

    auto* panel2 = new QFrame(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setFrameShape(QFrame::StyledPanel);
    panel2->setGeometry(8, 130, 177, 32);
    Label3 = new QLabel(QStringLiteral("Support: see the Help menu"), panel2);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setGeometry(2, 2, 173, 28);

    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("OK"));
    Button1->setGeometry(59, 168, 75, 27);
    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TfrmAbout::Button1Click() {
    accept();
}

void TfrmAbout::lblEulaClick() {
    TdlgHelp* help = ui::Win().dlgHelp;
    if (!help) return;
    help->LicenceMode = true;
    help->show();
    help->raise();
    help->activateWindow();
    help->FormActivate();
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblEula && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        ui::Guarded([this] { lblEulaClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
