#include "tabs/incorrect_number_dialog.h"

#include "ui/modal.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

TdlgIncorrectNumber::TdlgIncorrectNumber(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgIncorrectNumber"));
    setWindowTitle(QStringLiteral(""));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    pnlMessage = new QFrame(this);
    pnlMessage->setObjectName(QStringLiteral("pnlMessage"));
    pnlMessage->setFrameShape(QFrame::Panel);
    pnlMessage->setFrameShadow(QFrame::Sunken);
    pnlMessage->setGeometry(8, 8, 273, 120);
    lblMessage1 = new QLabel(QStringLiteral("Please type in a valid number"), pnlMessage);
    lblMessage1->setObjectName(QStringLiteral("lblMessage1"));
    lblMessage1->move(16, 12);
    lblMessage1->adjustSize();
    lblMessage2 = new QLabel(pnlMessage);
    lblMessage2->setObjectName(QStringLiteral("lblMessage2"));
    lblMessage2->move(16, 30);
    lblRule = new QLabel(pnlMessage);
    lblRule->setObjectName(QStringLiteral("lblRule"));
    lblRule->move(16, 56);
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->resize(75, 25);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TdlgIncorrectNumber::FormShow() {
    if (Mode == 0) {
        setWindowTitle(QStringLiteral("Invalid Number"));
        lblMessage2->setText(QStringLiteral("or leave the number entry blank."));
        lblRule->setText(QStringLiteral("Use a number less than 100,000\n"
                                        "and without a decimal point.\n"
                                        "If the number is correct,\n"
                                        "use multiple entries."));
    } else {
        setWindowTitle(QStringLiteral("Invalid Cost"));
        lblMessage2->setText(QStringLiteral("or leave the cost entry blank."));
        if (Mode == 1)
            lblRule->setText(QStringLiteral("Valid cost entries look like this:\n"
                                            "10, 10.00, or 0.10.\n"
                                            "Do not use letters. $ is optional."));
        else
            lblRule->setText(QStringLiteral("The total value of the entry\n"
                                            "must be less than $1,000,000.\n"
                                            "If the value is correct,\n"
                                            "use multiple entries."));
    }
    lblMessage2->adjustSize();
    lblRule->adjustSize();
    pnlMessage->resize(pnlMessage->width(), lblRule->y() + lblRule->height() + 4);
    btnOK->move(pnlMessage->x() + (pnlMessage->width() - btnOK->width()) / 2,
                pnlMessage->y() + pnlMessage->height() + 4);
    setFixedSize(pnlMessage->x() * 2 + pnlMessage->width(), btnOK->y() + btnOK->height() + 31);
}

void TdlgIncorrectNumber::Execute(int mode) {
    Mode = mode;
    FormShow();
    ui::Modal::exec(*this);
}
