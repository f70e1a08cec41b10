#include "pictures/pictures_page.h"

#include <QFrame>
#include <QPushButton>
#include <QScrollBar>

namespace pictures {

PicturesPage::PicturesPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tabPictures"));
    setAccessibleName(QStringLiteral("Inventory Pictures"));

    pnlPictures = new QFrame(this);
    pnlPictures->setObjectName(QStringLiteral("pnlPictures"));
    pnlPictures->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlPictures->setGeometry(0, 0, 761, 417);

    sclPictureScroll = new QScrollBar(Qt::Vertical, pnlPictures);
    sclPictureScroll->setObjectName(QStringLiteral("sclPictureScroll"));
    sclPictureScroll->setAccessibleName(QStringLiteral("Pictures"));
    sclPictureScroll->setGeometry(745, 0, 15, 417);
    sclPictureScroll->setRange(0, 0);
    sclPictureScroll->setPageStep(0);

    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(19);
    btnViewPic = new QPushButton(QStringLiteral("View Photo"), this);
    btnViewPic->setObjectName(QStringLiteral("btnViewPic"));
    btnViewPic->setAccessibleName(QStringLiteral("View Photo"));
    btnViewPic->setGeometry(528, 424, 107, 25);
    btnViewPic->setFont(f);
    btnViewPic->setEnabled(false);
    btnGoTo = new QPushButton(QStringLiteral("Go To Item"), this);
    btnGoTo->setObjectName(QStringLiteral("btnGoTo"));
    btnGoTo->setAccessibleName(QStringLiteral("Go To Item"));
    btnGoTo->setGeometry(640, 424, 107, 25);
    btnGoTo->setFont(f);
    btnGoTo->setEnabled(false);
}

} // namespace pictures
